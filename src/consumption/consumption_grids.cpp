// Painting of the consumption grids, and their rows' refused deletion: the types above, the items
// of the current type below, with outdated or zero costs in red in a branch module.
#include "consumption/consumption.h"
#include "platform/abort.h"
#include "screen/dataset_helpers.h"
#include "screen/grid_paint.h"

namespace consumption {

using namespace platform::ui;
using screen::drawCellText;
using screen::fieldText;
using screen::isZeroCostAlertMode;
using screen::kWarningRed;
using screen::startCell;

void Consumption::dbgTipoConsDrawColumnCell(Canvas& canvas, const Rect& rect, int, Column& column,
                                            GridDrawState state) {
  const bool selected = startCell(canvas, rect, state);
  if (!selected && ctx.isBranchModule &&
      (fieldText(cdsConsumo, "IDCUSTODESATU") == "S" ||
       (fieldText(cdsConsumo, "idExistCustZero") == "S" && isZeroCostAlertMode(ctx.costMode))))
    canvas.setFontColor(kWarningRed);
  drawCellText(canvas, rect, cdsConsumo.fieldByName(column.fieldName()).displayText(),
               column.fieldName() == "NMTIPOPRAT");
}

void Consumption::dbgConsPercDrawColumnCell(Canvas& canvas, const Rect& rect, int, Column& column,
                                            GridDrawState state) {
  const bool selected = startCell(canvas, rect, state);
  if (!selected && ctx.isBranchModule &&
      (fieldText(cdsConsServ, "IDCUSTODESATU") == "S" ||
       (cdsConsServ.fieldByName("CustoUnit").asFloat() == 0 && isZeroCostAlertMode(ctx.costMode))))
    canvas.setFontColor(kWarningRed);
  const std::string& name = column.fieldName();
  drawCellText(canvas, rect, cdsConsServ.fieldByName(name).displayText(),
               name == "NMPRODUTO" || name == "SGUNIDADE");
}

void Consumption::cdsConsumoBeforeDelete(platform::ClientDataSet&) {
  throw platform::Abort();
}

void Consumption::cdsConsServBeforeDelete(platform::ClientDataSet&) {
  throw platform::Abort();
}

}  // namespace consumption
