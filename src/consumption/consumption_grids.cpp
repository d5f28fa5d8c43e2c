// Painting of the consumption grids, and their rows' refused deletion: the types above, the items
// of the current type below, with outdated or zero costs in red in a branch module.
#include "platform/abort.h"
#include "screen/ana_cust_rev_rec.h"
#include "screen/dataset_helpers.h"
#include "screen/grid_paint.h"

namespace screen {

using namespace platform::ui;

void TfrmAnaCustRevRec::dbgTipoConsDrawColumnCell(Canvas& canvas, const Rect& rect, int,
                                                  Column& column, GridDrawState state) {
  const bool selected = startCell(canvas, rect, state);
  if (!selected && ctx.isBranchModule &&
      (fieldText(cdsConsumo, "IDCUSTODESATU") == "S" ||
       (fieldText(cdsConsumo, "idExistCustZero") == "S" && isZeroCostAlertMode(ctx.costMode))))
    canvas.setFontColor(kWarningRed);
  drawCellText(canvas, rect, cdsConsumo.fieldByName(column.fieldName()).displayText(),
               column.fieldName() == "NMTIPOPRAT");
}

void TfrmAnaCustRevRec::dbgConsPercDrawColumnCell(Canvas& canvas, const Rect& rect, int,
                                                  Column& column, GridDrawState state) {
  const bool selected = startCell(canvas, rect, state);
  if (!selected && ctx.isBranchModule &&
      (fieldText(cdsConsServ, "IDCUSTODESATU") == "S" ||
       (cdsConsServ.fieldByName("CustoUnit").asFloat() == 0 && isZeroCostAlertMode(ctx.costMode))))
    canvas.setFontColor(kWarningRed);
  const std::string& name = column.fieldName();
  drawCellText(canvas, rect, cdsConsServ.fieldByName(name).displayText(),
               name == "NMPRODUTO" || name == "SGUNIDADE");
}

void TfrmAnaCustRevRec::cdsConsumoBeforeDelete(platform::ClientDataSet&) {
  throw platform::Abort();
}

void TfrmAnaCustRevRec::cdsConsServBeforeDelete(platform::ClientDataSet&) {
  throw platform::Abort();
}

}  // namespace screen
