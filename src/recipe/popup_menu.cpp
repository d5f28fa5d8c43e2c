// Which recipe actions the grids' popup menu offers, refreshed on every mouse release over the
// dish and product grids, on entering them and after each day load (refreshPopupMenu).
#include "platform/ui/control.h"
#include "recipe/recipe.h"
#include "screen/dataset_helpers.h"
#include "screen/scope_guard.h"

namespace recipe {

using platform::ui::MouseButton;
using platform::ui::ShiftState;
using screen::fieldText;
using screen::Finally;
using screen::ToolButton;

namespace {

bool canEditRows(const platform::ClientDataSet& ds, const platform::ui::DBGrid& grid, double day,
                 double blockDate) {
  return grid.focused() && day >= blockDate && ds.active() && !screen::isEditing(ds) &&
         !ds.isEmpty();
}

}  // namespace

void Recipe::dbgCardapioMouseUp(MouseButton button, ShiftState, int x, int y) {
  Finally escapeAlwaysCancels([this] { mnuCancelar->setEnabled(true); });
  mnuIncluir->setVisible(false);
  mnuExcluir->setVisible(false);
  mnuTrocarIn->setVisible(false);
  mnuComens->setVisible(true);
  const double day = screen_.selectedDay();
  const bool products = canEditRows(cdsProduto, *dbgPrato, day, ctx.blockDate);
  mnuIncluir->setEnabled(products);
  mnuExcluir->setEnabled(products);
  mnuTrocarIn->setEnabled(products);
  mnuComens->setEnabled(canEditRows(cdsCardapio, *dbgCardapio, day, ctx.blockDate));
  mnuPost->setEnabled(screen_.toolButton(ToolButton::Confirma).enabled());
  mnuCancelar->setEnabled(screen_.toolButton(ToolButton::Cancela).enabled());
  if (button == MouseButton::Right) pmnToolBar->popup(x, y);
}

void Recipe::refreshPopupMenu() {
  dbgCardapioMouseUp(MouseButton::Left, {}, 0, 0);
  dbgPratoMouseUp(MouseButton::Left, {}, 0, 0);
}

void Recipe::dbgPratoMouseUp(MouseButton button, ShiftState, int x, int y) {
  Finally escapeAlwaysCancels([this] { mnuCancelar->setEnabled(true); });
  const std::string kind = fieldText(cdsProduto, "TIPO");
  const bool plain = kind == "P" || fieldText(screen_.paramPlaneja(), "IDBLOALTRELO") == "N";
  const double day = screen_.selectedDay();
  const bool products = canEditRows(cdsProduto, *dbgPrato, day, ctx.blockDate);
  mnuIncluir->setVisible(true);
  mnuIncluir->setEnabled(products);
  mnuExcluir->setVisible(true);
  mnuExcluir->setEnabled(products);
  mnuTrocarIn->setVisible(plain ? kind != "P" : true);
  mnuTrocarIn->setEnabled(plain ? false : products);
  mnuComens->setVisible(false);
  mnuComens->setEnabled(canEditRows(cdsCardapio, *dbgCardapio, day, ctx.blockDate));
  mnuPost->setEnabled(screen_.toolButton(ToolButton::Confirma).enabled());
  mnuCancelar->setEnabled(screen_.toolButton(ToolButton::Cancela).enabled());
  if (button == MouseButton::Right) pmnToolBar->popup(x, y);
}

}  // namespace recipe
