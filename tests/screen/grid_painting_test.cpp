// Painting of the dish, product and consumption grids: warnings only in a branch module, season
// colours.
#include "platform/ui/canvas.h"
#include "screen_fixture.h"

namespace screentest {
namespace {

using platform::ui::clHighlight;
using platform::ui::clHighlightText;
using platform::ui::clInfoBk;
using platform::ui::clWindowText;
using platform::ui::Color;
using platform::ui::DBGrid;
using platform::ui::DrawFlag;
using platform::ui::GridDrawState;
using platform::ui::RecordingCanvas;
using platform::ui::Rect;
using screen::TfrmAnaCustRevRec;

const Color kRed = Color::rgb(255, 0, 0);
constexpr char kBranchModule = 27;
const Rect kCell{100, 40, 210, 58};

enum class Grid { Dishes, Products, Types, Items };

// Paints one cell of the current dish (or of the current dish's product) and answers what the
// canvas recorded.
RecordingCanvas paint(TfrmAnaCustRevRec& f, Grid grid, const std::string& field, bool selected) {
  RecordingCanvas canvas;
  DBGrid* grids[] = {f.recipe.dbgCardapio, f.recipe.dbgPrato, f.consumption.dbgTipoCons,
                     f.consumption.dbgConsPerc};
  DBGrid& g = *grids[static_cast<int>(grid)];
  const int col = g.columnIndexOf(field);
  EXPECT_GE(col, 0) << field;
  const GridDrawState state = selected ? GridDrawState{DrawFlag::Selected} : GridDrawState{};
  switch (grid) {
    case Grid::Dishes:
      f.recipe.dbgCardapioDrawColumnCell(canvas, kCell, col, g.column(col), state);
      break;
    case Grid::Products:
      f.recipe.dbgPratoDrawColumnCell(canvas, kCell, col, g.column(col), state);
      break;
    case Grid::Types:
      f.consumption.dbgTipoConsDrawColumnCell(canvas, kCell, col, g.column(col), state);
      break;
    case Grid::Items:
      f.consumption.dbgConsPercDrawColumnCell(canvas, kCell, col, g.column(col), state);
      break;
  }
  return canvas;
}

TEST_F(ScreenTest, DishAndProductGridsWarnOnlyInABranchModule) {
  // 04/03: ARROZ (costed, in season) and FEIJAO (an outdated quotation); 05/03: BIFE, whose
  // product costs 0.
  const struct {
    char module;
    int costMode;
    int day;
    bool lastDish;
    Grid grid;
    bool selected;
    Color font;
  } cases[] = {
      {kBranchModule, 6, 4, false, Grid::Dishes, false, clWindowText},
      {kBranchModule, 6, 4, true, Grid::Dishes, false, kRed},  // outdated
      {'C', 6, 4, true, Grid::Dishes, false, clWindowText},    // not a branch module
      {kBranchModule, 6, 4, true, Grid::Dishes, true, clHighlightText},
      {kBranchModule, 6, 5, false, Grid::Dishes, false, kRed},  // a zero cost in an alert mode
      {kBranchModule, 7, 5, false, Grid::Dishes, false, clWindowText},  // not an alert mode
      {kBranchModule, 6, 4, false, Grid::Products, false, clWindowText},
      {kBranchModule, 6, 4, true, Grid::Products, false, kRed},
      {'C', 6, 4, true, Grid::Products, false, clWindowText},
      {kBranchModule, 6, 4, true, Grid::Products, true, clHighlightText},
      {kBranchModule, 44, 5, false, Grid::Products, false, kRed},
      {kBranchModule, 7, 5, false, Grid::Products, false, clWindowText},
  };
  for (const auto& c : cases) {
    shell.module = c.module;
    open(
        [&](TfrmAnaCustRevRec& f, Driver& d) {
          ASSERT_TRUE(d.selectSubPage(f.tshMatPrima));
          ASSERT_TRUE(d.gotoDay(march(c.day)));
          if (c.lastDish) {
            ASSERT_TRUE(d.selectRow(*f.recipe.dbgCardapio, f.recipe.cdsCardapio.recordCount() - 1));
          }
          const std::string field = c.grid == Grid::Dishes ? "CustoPrato" : "CUSTOPROD";
          const RecordingCanvas canvas = paint(f, c.grid, field, c.selected);
          const auto* text = canvas.lastText();
          ASSERT_NE(text, nullptr);
          const std::string where = std::string(1, c.module) + " mode " +
                                    std::to_string(c.costMode) + " day " + std::to_string(c.day) +
                                    (c.lastDish ? " last" : " first");
          EXPECT_EQ(text->font, c.font) << where;
          EXPECT_EQ(text->brush, c.selected ? clHighlight : clInfoBk) << where;
          EXPECT_EQ(text->y, kCell.top + 3);
          // Numbers end 2 pixels before the right edge.
          EXPECT_EQ(text->x + canvas.textWidth(text->text), kCell.right - 2) << where;
        },
        c.costMode);
  }
}

TEST_F(ScreenTest, NamesAreLeftAlignedAndSeasonColumnsShowTheirColour) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.selectSubPage(f.tshMatPrima));
    ASSERT_TRUE(d.gotoDay(march(4)));
    for (const auto& [grid, field] :
         {std::pair{Grid::Dishes, "NMPRATO"}, std::pair{Grid::Products, "NMPRODUTO"},
          std::pair{Grid::Products, "CDARVPROD"}}) {
      const RecordingCanvas canvas = paint(f, grid, field, false);
      EXPECT_EQ(canvas.lastText()->x, kCell.left + 3) << field;
    }
    // ARROZ falls in the band coloured 255; its first product is in season (digit 1), painted
    // with NRCORSAFRA. Selected or not, the swatch shows the colour.
    for (bool selected : {false, true}) {
      const RecordingCanvas dish = paint(f, Grid::Dishes, "Safra", selected);
      EXPECT_EQ(dish.calls().back().op, RecordingCanvas::Op::FillRect);
      EXPECT_EQ(dish.calls().back().brush, Color::fromNumber(255));
      const RecordingCanvas product = paint(f, Grid::Products, "Safra", selected);
      EXPECT_EQ(product.calls().back().op, RecordingCanvas::Op::FillRect);
      EXPECT_EQ(product.calls().back().brush, Color::fromNumber(255));
    }
    // The second product is off season (digit 3): NRCORENTRSAF.
    ASSERT_TRUE(d.selectRow(*f.recipe.dbgPrato, f.recipe.cdsProduto.recordCount() - 1));
    EXPECT_EQ(paint(f, Grid::Products, "Safra", false).calls().back().brush,
              Color::fromNumber(16711680));
  });
}

TEST_F(ScreenTest, ConsumptionGridsWarnOnOutdatedCostsInABranchModule) {
  // The per-diner type has up-to-date items; the fixed type's one item rests on an outdated
  // quotation.
  const struct {
    char module;
    bool fixedType;
    Grid grid;
    const char* field;
    bool selected;
    Color font;
    bool left;
  } cases[] = {
      {kBranchModule, false, Grid::Types, "NMTIPOPRAT", false, clWindowText, true},
      {kBranchModule, false, Grid::Items, "CustoUnit", false, clWindowText, false},
      {kBranchModule, true, Grid::Items, "NMPRODUTO", false, kRed, true},
      {kBranchModule, true, Grid::Items, "SGUNIDADE", true, clHighlightText, true},
      {'C', true, Grid::Items, "CustoUnit", false, clWindowText, false},
  };
  for (const auto& c : cases) {
    shell.module = c.module;
    open([&](TfrmAnaCustRevRec& f, Driver& d) {
      ASSERT_TRUE(d.selectSubPage(f.tshConsumoServico));
      if (c.fixedType) {
        ASSERT_TRUE(
            d.selectRow(*f.consumption.dbgTipoCons, f.consumption.cdsConsumo.recordCount() - 1));
      }
      const RecordingCanvas canvas = paint(f, c.grid, c.field, c.selected);
      const auto* text = canvas.lastText();
      ASSERT_NE(text, nullptr);
      EXPECT_EQ(text->font, c.font) << c.module << " " << c.field;
      if (c.left) {
        EXPECT_EQ(text->x, kCell.left + 3) << c.field;
      } else {
        EXPECT_EQ(text->x + canvas.textWidth(text->text), kCell.right - 2) << c.field;
      }
    });
  }
}

}  // namespace
}  // namespace screentest
