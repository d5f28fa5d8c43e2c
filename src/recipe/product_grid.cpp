// The product grid's keys, cell exits, entry and menu actions, and the splitter above it.
#include "platform/consiste.h"
#include "recipe/recipe.h"
#include "remote/host_services.h"
#include "screen/dataset_helpers.h"
#include "screen/scope_guard.h"

namespace recipe {

using platform::DataSetState;
using namespace platform::ui;
using screen::ControlsSuspended;
using screen::isEditing;
using screen::ToolButton;

namespace {

std::string selectedField(const DBGrid& grid) {
  const Column* column = grid.selectedColumn();
  return column != nullptr ? column->fieldName() : std::string();
}

}  // namespace

void Recipe::dbgPratoKeyDown(Key& key, ShiftState shift) {
  const bool inserting = cdsProduto.state() == DataSetState::Insert;
  if (key == VK_PRIOR && shift == ssAlt) {
    key = kNoKey;
    if (dbgCardapio->canFocus()) dbgCardapio->setFocus();
  } else if (key == VK_RETURN && shift == ssCtrl) {
    key = kNoKey;
    screen_.toolButton(ToolButton::Confirma).click();
  } else if ((key == VK_BACK || key == VK_DELETE) && shift.empty()) {
    if (!inserting) key = kNoKey;
  } else if (key == VK_DELETE && shift == ssCtrl) {
    // Deleting a row is the menu's shortcut, never the grid's own.
    key = kNoKey;
  } else if (key == keyOf('V') && shift == ssCtrl && remote::hostServices().clipboard != nullptr &&
             screen_.page(screen::Page::MatPrima).showing() &&
             selectedField(*dbgPrato) == "CDARVPROD" && inserting) {
    // Without the host's clipboard the toolkit's own paste stays in force.
    key = kNoKey;
    if (dbgPrato->showEditor() && dbgPrato->changeEditorText(remote::clipboard().text()))
      dbgPrato->commitEditor();
  }
}

void Recipe::dbgPratoKeyPress(char32_t& key) {
  const std::string field = selectedField(*dbgPrato);
  if (field == "QTDERECE") return;
  if (field == "CDARVPROD" && cdsProduto.state() == DataSetState::Insert) return;
  key = 0;
}

void Recipe::dbgPratoColExit() {
  const std::string field = selectedField(*dbgPrato);
  if (field == "CDARVPROD") {
    Vd_CdProduto();
  } else if (field == "QTDERECE" && isEditing(cdsProduto)) {
    cdsProduto.fieldByName("QTDEBRUTA").setAsFloat(cdsProduto.fieldByName("QTDERECE").asFloat());
  }
}

void Recipe::dbgPratoEnter() {
  refreshRecipeKeyHint();
  dbgPratoMouseUp(MouseButton::Left, {}, 0, 0);
}

void Recipe::mnuIncluirClick() {
  if (cdsProduto.active() && !isEditing(cdsProduto)) cdsProduto.insert();
}

void Recipe::mnuExcluirClick() {
  if (cdsProduto.active() && !isEditing(cdsProduto) && !cdsProduto.isEmpty())
    cdsProduto.deleteRecord();
}

void Recipe::splMatPrimMoved() {
  ControlsSuspended display(cdsProduto);
  cdsProduto.setFilter(currentDishFilter());
  cdsProduto.setFiltered(true);
  cdsProduto.first();
}

void Recipe::dbgPratoDblClick() {
  consumption_.showCostOrigin(screen::fieldText(cdsProduto, "CDPRODUTO"));
}

}  // namespace recipe
