// Painting of the dish and product grids of the raw-material page: warnings in red for outdated
// or zero costs (branch module only) and the season colours.
#include <cctype>
#include <string>

#include "recipe/recipe.h"
#include "screen/dataset_helpers.h"
#include "screen/grid_paint.h"

namespace recipe {

using namespace platform::ui;
using screen::drawCellText;
using screen::fieldText;
using screen::isZeroCostAlertMode;
using screen::kWarningRed;
using screen::startCell;

namespace {

std::string upper(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

void Recipe::dbgCardapioDrawColumnCell(Canvas& canvas, const Rect& rect, int, Column& column,
                                       GridDrawState state) {
  const bool selected = startCell(canvas, rect, state);
  if (!selected && ctx.isBranchModule &&
      (fieldText(cdsCardapio, "IDCUSTODESATU") == "S" ||
       (fieldText(cdsCardapio, "idExistCustZero") == "S" && isZeroCostAlertMode(ctx.costMode))))
    canvas.setFontColor(kWarningRed);
  drawCellText(canvas, rect, cdsCardapio.fieldByName(column.fieldName()).displayText(),
               column.fieldName() == "NMPRATO");
  if (upper(column.fieldName()) == "SAFRA") {
    // The band's colour number; an empty value is 0, black.
    canvas.setBrushColor(
        Color::fromNumber(static_cast<int64_t>(cdsCardapio.fieldByName("Safra").asFloat())));
    canvas.fillRect(rect);
  }
}

void Recipe::dbgPratoDrawColumnCell(Canvas& canvas, const Rect& rect, int, Column& column,
                                    GridDrawState state) {
  const bool selected = startCell(canvas, rect, state);
  if (!selected && ctx.isBranchModule &&
      (fieldText(cdsProduto, "IDCUSTODESATU") == "S" ||
       (cdsProduto.fieldByName("CUSTOPROD").asFloat() == 0 && isZeroCostAlertMode(ctx.costMode))))
    canvas.setFontColor(kWarningRed);
  const std::string& name = column.fieldName();
  drawCellText(canvas, rect, cdsProduto.fieldByName(name).displayText(),
               name == "NMPRODUTO" || name == "SGUNIDRECE" || name == "CDARVPROD");
  if (upper(name) == "SAFRA") {
    static const char* const kSeasonColours[] = {"NRCORSAFRA", "NRCORINICSAF", "NRCORENTRSAF"};
    const platform::Field& season = cdsProduto.fieldByName("Safra");
    const int64_t digit = season.isNull() ? 0 : season.asInteger();
    // Any other value leaves the cell blank in the background of the row.
    if (digit >= 1 && digit <= 3)
      canvas.setBrushColor(Color::fromNumber(
          screen_.paramPlaneja().fieldByName(kSeasonColours[digit - 1]).asLargeInt()));
    canvas.fillRect(rect);
  }
}

}  // namespace recipe
