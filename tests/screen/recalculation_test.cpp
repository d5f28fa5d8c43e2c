// Recalculation: the month reloaded from the saved recipes, the user kept on the same day and
// dish.
#include "screen_fixture.h"

namespace screentest {
namespace {

using platform::Variant;
using screen::TfrmAnaCustRevRec;

class RecalculationTest : public ScreenTest {
 protected:
  // The state a saved recipe change leaves behind.
  static void markChanged(TfrmAnaCustRevRec& f) {
    f.ctx.recipeChanged = true;
    f.Habilita(true);
    ASSERT_TRUE(f.sbtCalcula->enabled());
  }
};

TEST_F(RecalculationTest, KeepsTheDayAndDishAndRebuildsPlannedVersusRealized) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    d.selectPage(f.tshPlanReal);
    d.selectPage(f.tshPlanejado);
    d.selectSubPage(f.tshMatPrima);
    d.gotoDay(march(4));
    d.selectRow(*f.recipe.dbgCardapio, f.recipe.cdsCardapio.recordCount() - 1);
    markChanged(f);
    // The saved change made 05/03 dearer.
    server.days[3].material = 260;
    server.workTableId = "WT00000002";
    const int loads = server.log->count("GetTrabCusto");
    ASSERT_TRUE(d.press(f.sbtCalcula));
    EXPECT_EQ(server.log->count("GetTrabCusto"), loads + 1);
    EXPECT_DOUBLE_EQ(f.selectedDay(), march(4));
    EXPECT_EQ(f.recipe.cdsCardapio.fieldByName("NMPRATO").asString(), "FEIJAO");
    EXPECT_FALSE(f.ctx.recipeChanged);
    EXPECT_FALSE(f.sbtCalcula->enabled());
    EXPECT_EQ(f.cost.lblVrTotPerc->fontColor(), platform::ui::Color::rgb(0, 0, 0));
    EXPECT_FALSE(f.recipe.cdsCardapio.controlsDisabled());
    EXPECT_FALSE(f.recipe.cdsProduto.controlsDisabled());
    EXPECT_FALSE(host->busy.visible());
    EXPECT_EQ(host->cursor.cursor(), remote::CursorShape::Default);
    // The table follows the recalculated month, not the one it was first built from.
    ASSERT_EQ(f.realized.cdsPlanReal.recordCount(), 5);
    EXPECT_EQ(column(f.realized.cdsPlanReal, "CUSTO")[3], Variant(335.0));
    EXPECT_EQ(column(f.realized.cdsPlanReal, "CUSTOACUM")[4],
              Variant(110.5 + 140.25 + 100 + 335 + 169.75));
    EXPECT_DOUBLE_EQ(f.cost.cdsTotalMes.fieldByName("VRTOTMATPRIM").asFloat(), 720.5);
  });
}

TEST_F(RecalculationTest, RefreshesThePanelOnlyWhenShown) {
  for (bool shown : {false, true}) {
    server.log->clear();
    open([&](TfrmAnaCustRevRec& f, Driver& d) {
      if (shown) d.press(f.sbtCustos);
      d.gotoDay(march(6));
      markChanged(f);
      const int before = server.log->count("GetComensPlan");
      ASSERT_TRUE(d.press(f.sbtCalcula));
      EXPECT_EQ(server.log->count("GetComensPlan") > before, shown);
      EXPECT_DOUBLE_EQ(f.selectedDay(), march(6));
      EXPECT_EQ(f.realized.cdsPlanReal.recordCount(), 5);
    });
  }
}

// A recalculation that fails leaves the costs marked stale, so the user can try again.
TEST_F(RecalculationTest, FailureKeepsTheCostsMarkedStale) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    d.selectSubPage(f.tshMatPrima);
    markChanged(f);
    (*server.script)["GetTrabCusto"] = [](const auto&) { return Variant("Banco indisponível"); };
    EXPECT_FALSE(d.press(f.sbtCalcula));
    EXPECT_TRUE(f.ctx.recipeChanged);
    EXPECT_TRUE(f.sbtCalcula->enabled());
    EXPECT_FALSE(f.recipe.cdsCardapio.controlsDisabled());
    EXPECT_FALSE(f.recipe.cdsProduto.controlsDisabled());
    EXPECT_FALSE(host->busy.visible());
    EXPECT_EQ(host->cursor.cursor(), remote::CursorShape::Default);
  });
  EXPECT_EQ(host->modal.errors, std::vector<std::string>{"Banco indisponível"});
}

}  // namespace
}  // namespace screentest
