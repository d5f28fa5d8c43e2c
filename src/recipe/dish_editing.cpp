// The diners of a dish: the only dish value edited here, saved on the server as soon as the row
// is stored.
#include <exception>
#include <optional>

#include "platform/abort.h"
#include "platform/consiste.h"
#include "platform/messages.h"
#include "recipe/recipe.h"
#include "remote/host_services.h"
#include "screen/dataset_helpers.h"
#include "screen/scope_guard.h"

namespace recipe {

using platform::ClientDataSet;
using platform::DataPacket;
using platform::DataSetState;
using platform::Variant;
using namespace platform::ui;
using screen::ControlsSuspended;
using screen::Detached;
using screen::Finally;
using screen::isEditing;
using screen::ToolButton;

namespace {

constexpr const char* kDishKey = "CDFILIAL;CDSERVFILI;CDPRATO;CDFILAUXPRAT;DTCARDAPIO";

// The five fields that name a dish row, as locate takes them.
Variant dishKey(const DataPacket& packet, size_t row) {
  return Variant::array({packet.value(row, "CDFILIAL"), packet.value(row, "CDSERVFILI"),
                         packet.value(row, "CDPRATO"), packet.value(row, "CDFILAUXPRAT"),
                         packet.value(row, "DTCARDAPIO")});
}

}  // namespace

void Recipe::cdsCardapioBeforeInsert(ClientDataSet&) {
  throw platform::Abort();
}

void Recipe::cdsCardapioBeforeDelete(ClientDataSet&) {
  throw platform::Abort();
}

void Recipe::cdsCardapioBeforeEdit(ClientDataSet&) {
  if (dayClosed()) throw platform::Abort();
}

void Recipe::enableAfterDishChange() {
  screen_.Habilita(!isEditing(cdsCardapio) && cdsCardapio.changeCount() == 0);
}

void Recipe::cdsCardapioAfterEdit(ClientDataSet&) {
  enableAfterDishChange();
}

void Recipe::cdsCardapioAfterCancel(ClientDataSet&) {
  enableAfterDishChange();
}

void Recipe::cdsCardapioAfterDelete(ClientDataSet& ds) {
  screen_.Habilita(ds.changeCount() == 0);
}

void Recipe::cdsCardapioAfterPost(ClientDataSet& ds) {
  if (ds.changeCount() == 0) return;
  remote::BusyAnimation& busy = remote::busyAnimation();
  Finally hide([&busy] { busy.DeactiveShowAvi(); });
  sendPendingDiners();
  ctx.recipeChanged = true;
  screen_.Habilita(!isEditing(cdsCardapio));
  busy.DeactiveShowAvi();
  msgPadrao.ShowMsg("recalcular", platform::DialogType::Warning, platform::mbOK,
                    screen_.form().helpContext());
}

void Recipe::sendPendingDiners() {
  // Every row of the log, not only the current one: a row refused earlier must not be merged
  // below as if it had been saved.
  const DataPacket log = cdsCardapio.delta();
  std::vector<DinersChange> changes;
  for (const platform::Change& change : log.changes) {
    if (change.kind != platform::ChangeKind::Modify) continue;
    const size_t row = static_cast<size_t>(change.row);
    changes.push_back({dishKey(log, row), log.value(row, "COMENSPRATO").toDouble(), false});
  }
  std::optional<Variant> refusal;
  std::exception_ptr failure;
  for (DinersChange& change : changes) {
    const std::vector<Variant>& key = change.key.items();
    Variant result;
    try {
      result = screen_.costServer().call("AltComensais", key[0], key[1], key[4], key[2], key[3],
                                         change.diners);
    } catch (...) {
      failure = std::current_exception();
      break;
    }
    // A refused row does not hold back the others; the first refusal is the one shown.
    if (result.isText() && !Consiste::EmptyString(result.toString())) {
      if (!refusal) refusal = result;
      continue;
    }
    change.accepted = true;
  }
  // What the server took is saved whatever happens to the rest.
  mergeAcceptedDiners(changes);
  if (failure) std::rethrow_exception(failure);
  if (refusal) Consiste::CheckResultServ(*refusal, true, screen_.form().helpContext());
}

void Recipe::mergeAcceptedDiners(const std::vector<DinersChange>& changes) {
  size_t accepted = 0;
  for (const DinersChange& c : changes)
    accepted += c.accepted ? 1 : 0;
  if (accepted == 0) return;
  if (accepted == changes.size()) {
    cdsCardapio.mergeChangeLog();
    return;
  }
  // The dataset merges its whole log or nothing: undo it, redo and merge the accepted rows, then
  // redo the refused ones, which stay pending. No handler may see these steps as the user's.
  ControlsSuspended display(cdsCardapio);
  Detached beforeEdit(cdsCardapio.beforeEdit);
  Detached afterEdit(cdsCardapio.afterEdit);
  Detached beforePost(cdsCardapio.beforePost);
  Detached afterPost(cdsCardapio.afterPost);
  Detached beforeScroll(cdsCardapio.beforeScroll);
  Detached afterScroll(cdsCardapio.afterScroll);
  Detached followDish(dtsCardapio.onDataChange);
  platform::Bookmark mark = cdsCardapio.getBookmark();
  const bool filtered = cdsCardapio.filtered();
  Finally restore([&] {
    cdsCardapio.setFiltered(filtered);
    if (cdsCardapio.bookmarkValid(mark)) cdsCardapio.gotoBookmark(mark);
    cdsCardapio.freeBookmark(mark);
  });
  cdsCardapio.setFiltered(false);
  cdsCardapio.cancelUpdates();
  const auto redo = [this](const DinersChange& c) {
    if (!cdsCardapio.locate(kDishKey, c.key)) return;
    cdsCardapio.edit();
    cdsCardapio.fieldByName("COMENSPRATO").setAsFloat(c.diners);
    cdsCardapio.post();
  };
  for (const DinersChange& c : changes)
    if (c.accepted) redo(c);
  cdsCardapio.mergeChangeLog();
  for (const DinersChange& c : changes)
    if (!c.accepted) redo(c);
}

void Recipe::dbgCardapioKeyDown(Key& key, ShiftState shift) {
  if ((key == VK_BACK || key == VK_F3) && shift.empty()) {
    if (cdsCardapio.active() && cdsCardapio.state() != DataSetState::Edit) cdsCardapio.edit();
  } else if (key == VK_RETURN && shift == ssCtrl) {
    key = kNoKey;
    screen_.toolButton(ToolButton::Confirma).click();
  }
}

void Recipe::dbgCardapioKeyPress(char32_t& key) {
  const Column* column = dbgCardapio->selectedColumn();
  if (column == nullptr || column->fieldName() != "COMENSPRATO") key = 0;
}

void Recipe::dbgCardapioEnter() {
  dbgCardapioMouseUp(MouseButton::Left, {}, 0, 0);
}

void Recipe::mnuComensClick() {
  if (!cdsCardapio.active() || cdsCardapio.state() == DataSetState::Edit) return;
  cdsCardapio.edit();
  const int index = dbgCardapio->columnIndexOf("COMENSPRATO");
  if (index >= 0) dbgCardapio->setSelectedIndex(index);
  dbgCardapio->setFocus();
}

}  // namespace recipe
