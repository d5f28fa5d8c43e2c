// The confirm action: the day's pending product changes go to the server in one batch, then any
// diners changes still pending.
#include <stdexcept>

#include "platform/consiste.h"
#include "platform/messages.h"
#include "recipe/recipe.h"
#include "remote/host_services.h"
#include "screen/dataset_helpers.h"
#include "screen/scope_guard.h"

namespace recipe {

using platform::DataSetState;
using platform::Variant;
using screen::fieldText;
using screen::Finally;
using screen::isEditing;
using screen::ToolButton;

void Recipe::sbtConfirmaClick() {
  // recipeChanged is left as it is until a save goes through: a confirm answered No, or a save
  // that fails, must not hide that earlier saved changes still wait for a recalculation.
  platform::ui::Form& form = screen_.form();
  // What the user typed into a cell and has not written yet belongs to the row being stored.
  form.updateRecord(dtsProduto);
  form.updateRecord(dtsCardapio);
  if (isEditing(cdsProduto)) cdsProduto.post();
  if (cdsCardapio.state() == DataSetState::Edit) cdsCardapio.post();

  const int help = form.helpContext();
  const auto redraw = [&form] { form.repaint(); };
  if (!screen_.toolButton(ToolButton::Confirma).enabled() ||
      msgPadrao.ShowMsg("confirma", platform::DialogType::Confirmation, platform::mbYesNo, help) !=
          platform::mrYes) {
    redraw();
    return;
  }

  remote::BusyAnimation& busy = remote::busyAnimation();
  Finally hide([&busy] { busy.DeactiveShowAvi(); });
  busy.ActiveShowAvi(&form, 1, msgPadrao.Msg("gravando_receita"));
  bool sent = false;
  if (cdsProduto.active() && cdsProduto.changeCount() > 0) {
    const Variant result = screen_.costServer().call(
        "GravaReceita", Variant(cdsProduto.data()), Variant(cdsProduto.delta()), ctx.branchCode,
        ctx.serviceCode, Variant::date(screen_.selectedDay()), ctx.costMode, ctx.useFixedCostDate,
        Variant::date(screen_.costDate()), treeLevels(), ctx.recipeKind,
        fieldText(cdsCardapio, "CDFILAUXPRAT"), fieldText(cdsCardapio, "CDPRATO"),
        Variant::date(Consiste::PriDiaMes(ctx.referenceDate)), ctx.costBranch);
    if (!result.isArray() || result.size() < 2)
      throw std::runtime_error("Resposta inesperada do servidor ao gravar a receita.");
    if (result[0].isText() && result[0].toString().empty()) {
      cdsProduto.mergeChangeLog();
      cdsProduto.setData(result[1]);
    } else {
      cdsProduto.locate("CDARVPROD", result[1]);
      Consiste::MensErro(msgPadrao.Msg(result[0].toString()), true, help);
    }
    ctx.recipeChanged = true;
    sent = true;
    enableAfterProductChange();
    busy.DeactiveShowAvi();
    msgPadrao.ShowMsg("recalcular", platform::DialogType::Warning, platform::mbOK, help);
    cdsProduto.setFilter(currentDishFilter());
    cdsProduto.setFiltered(true);
  }
  if (cdsCardapio.active() && cdsCardapio.changeCount() > 0) {
    sendPendingDiners();
    ctx.recipeChanged = true;
    sent = true;
    screen_.Habilita(!isEditing(cdsCardapio));
    busy.DeactiveShowAvi();
    msgPadrao.ShowMsg("recalcular", platform::DialogType::Warning, platform::mbOK, help);
  }
  if (!sent) {
    if (cdsProduto.changeCount() == 0) enableAfterProductChange();
    if (cdsCardapio.changeCount() == 0) enableAfterDishChange();
    busy.DeactiveShowAvi();
  }
  redraw();
}

}  // namespace recipe
