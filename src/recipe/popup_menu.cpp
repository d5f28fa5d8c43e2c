// Which recipe actions the grids' popup menu offers, refreshed on every mouse release over the
// dish and product grids, on entering them and after each day load.
#include "platform/ui/control.h"
#include "screen/ana_cust_rev_rec.h"
#include "screen/dataset_helpers.h"
#include "screen/scope_guard.h"

namespace screen {

using platform::ui::MouseButton;
using platform::ui::ShiftState;

namespace {

bool canEditRows(const platform::ClientDataSet& ds, const platform::ui::DBGrid& grid, double day,
                 double blockDate) {
  return grid.focused() && day >= blockDate && ds.active() && !isEditing(ds) && !ds.isEmpty();
}

}  // namespace

void TfrmAnaCustRevRec::dbgCardapioMouseUp(MouseButton button, ShiftState, int x, int y) {
  Finally escapeAlwaysCancels([this] { mnuCancelar->setEnabled(true); });
  mnuIncluir->setVisible(false);
  mnuExcluir->setVisible(false);
  mnuTrocarIn->setVisible(false);
  mnuComens->setVisible(true);
  const double day = selectedDay();
  const bool products = canEditRows(cdsProduto, *dbgPrato, day, ctx.blockDate);
  mnuIncluir->setEnabled(products);
  mnuExcluir->setEnabled(products);
  mnuTrocarIn->setEnabled(products);
  mnuComens->setEnabled(canEditRows(cdsCardapio, *dbgCardapio, day, ctx.blockDate));
  mnuPost->setEnabled(sbtConfirma->enabled());
  mnuCancelar->setEnabled(sbtCancela->enabled());
  if (button == MouseButton::Right) pmnToolBar->popup(x, y);
}

void TfrmAnaCustRevRec::dbgPratoMouseUp(MouseButton button, ShiftState, int x, int y) {
  Finally escapeAlwaysCancels([this] { mnuCancelar->setEnabled(true); });
  const std::string kind = fieldText(cdsProduto, "TIPO");
  const bool plain = kind == "P" || fieldText(cdsParamPlaneja, "IDBLOALTRELO") == "N";
  const double day = selectedDay();
  const bool products = canEditRows(cdsProduto, *dbgPrato, day, ctx.blockDate);
  mnuIncluir->setVisible(true);
  mnuIncluir->setEnabled(products);
  mnuExcluir->setVisible(true);
  mnuExcluir->setEnabled(products);
  mnuTrocarIn->setVisible(plain ? kind != "P" : true);
  mnuTrocarIn->setEnabled(plain ? false : products);
  mnuComens->setVisible(false);
  mnuComens->setEnabled(canEditRows(cdsCardapio, *dbgCardapio, day, ctx.blockDate));
  mnuPost->setEnabled(sbtConfirma->enabled());
  mnuCancelar->setEnabled(sbtCancela->enabled());
  if (button == MouseButton::Right) pmnToolBar->popup(x, y);
}

}  // namespace screen
