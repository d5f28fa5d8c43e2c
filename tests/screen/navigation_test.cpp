// Page navigation: lazy loads, the exception lists, the cost panel toggle and Habilita.
#include <algorithm>

#include "platform/ui/color.h"
#include "screen_fixture.h"

namespace screentest {
namespace {

using platform::DataSetState;
using platform::Variant;
using platform::ui::Color;
using screen::TfrmAnaCustRevRec;

TEST_F(ScreenTest, RealizedCostsAreFetchedOnceAndTheirItemsOnce) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    host->busy.clear();
    ASSERT_TRUE(d.selectPage(f.tshRealizado));
    EXPECT_EQ(host->busy.events(),
              (std::vector<std::string>{"show 6 Calculando custos realizados...", "hide"}));
    EXPECT_EQ(f.realized.cdsItemReti.filter(), "DTCARDAPIO = '02/03/2026'");
    EXPECT_EQ(f.realized.cdsItemReti.recordCount(), 1);
    d.pressKey(*f.realized.dbgRealizado, platform::ui::VK_DOWN);
    EXPECT_EQ(f.realized.cdsItemReti.filter(), "DTCARDAPIO = '03/03/2026'");
    d.selectPage(f.tshPlanejado);
    d.selectPage(f.tshRealizado);
  });
  EXPECT_EQ(server.log->count("GetRealizado"), 1);
  EXPECT_EQ(server.log->count("GetItemReti"), 1);
  EXPECT_EQ(server.log->last("GetRealizado"),
            (std::vector<Variant>{Variant("0001"), Variant("00001"), Variant::date(march(1)),
                                  Variant(1), Variant(false), Variant::date(0), Variant("")}));
  EXPECT_EQ(server.log->last("GetItemReti"), server.log->last("GetRealizado"));
}

TEST_F(ScreenTest, ExceptionListsAreFetchedOnEveryEntry) {
  shell.picture = "99.999.9999";
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    for (int i = 0; i < 2; ++i) {
      ASSERT_TRUE(d.selectPage(f.tshProdCustZero));
      EXPECT_TRUE(f.panCustZero->enabled());
      EXPECT_TRUE(f.sbtCustZero->enabled());
      ASSERT_TRUE(d.selectPage(f.tshCotDesatu));
      EXPECT_TRUE(f.sbtCustZero->enabled());
      d.selectPage(f.tshPlanejado);
      EXPECT_FALSE(f.panCustZero->enabled());
      EXPECT_FALSE(f.sbtCustZero->enabled());
    }
    EXPECT_EQ(f.exceptions.cdsProdCustZeroCDARVPROD->editMask(), "99.999.9999");
    EXPECT_EQ(f.exceptions.cdsProdCotDesatuCDARVPROD->editMask(), "99.999.9999");
    EXPECT_EQ(f.exceptions.cdsProdCustZero.fieldByName("DTCARDAPIO").displayText(),
              "05/03/2026 - qui");
    EXPECT_EQ(f.exceptions.cdsProdCotDesatu.fieldByName("DTCONSPLAN").displayText(),
              "07/03/2026 - sáb");
  });
  EXPECT_EQ(server.log->count("GetProdCustZero"), 2);
  EXPECT_EQ(server.log->count("GetProdCotDesatu"), 2);
  EXPECT_EQ(server.log->last("GetProdCustZero"),
            (std::vector<Variant>{Variant(""), Variant(6), Variant::date(0), Variant("0001"),
                                  Variant("00001"), Variant::date(march(1)),
                                  Variant::date(march(31)), Variant(false)}));
  EXPECT_EQ(server.log->last("GetProdCotDesatu"),
            (std::vector<Variant>{Variant("WT00000001"), Variant("0001"), Variant(""),
                                  Variant("00001"), Variant(6), Variant::date(march(1)),
                                  Variant::date(march(31)), Variant::date(0), Variant(false)}));
}

TEST_F(ScreenTest, AcompanhamentoBuildsItsTableOnce) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.selectPage(f.tshPlanReal));
    EXPECT_EQ(f.realized.cdsPlanReal.recordCount(), 5);
    d.selectPage(f.tshPlanejado);
    d.selectPage(f.tshPlanReal);
    EXPECT_EQ(f.realized.cdsPlanReal.recordCount(), 5);
    EXPECT_EQ(host->cursor.cursor(), remote::CursorShape::Default);
  });
  EXPECT_EQ(server.log->count("GetRealizado"), 1);
}

TEST_F(ScreenTest, CostPanelToggle) {
  const struct {
    platform::ui::WindowState state;
    int width;
  } cases[] = {{platform::ui::WindowState::Normal, 788},
               {platform::ui::WindowState::Maximized, 1366}};
  for (const auto& c : cases) {
    open([&](TfrmAnaCustRevRec& f, Driver& d) {
      f.setWindowState(c.state);
      f.setBounds(0, 0, 1366, 700);
      f.cost.panCusto->setWidth(1300);
      const int repaints = f.repaintCount();
      ASSERT_TRUE(d.press(f.sbtCustos));
      EXPECT_TRUE(f.sbtCustos->down());
      EXPECT_TRUE(f.cost.panCusto->visible());
      EXPECT_EQ(f.width(), c.width);
      if (c.state == platform::ui::WindowState::Normal) {
        EXPECT_EQ(f.left(), (f.screenWidth() - 788) / 2);
      } else {
        EXPECT_EQ(f.cost.subPanCusto->left(), (1300 - f.cost.subPanCusto->width()) / 2);
      }
      EXPECT_GT(f.repaintCount(), repaints);
      ASSERT_TRUE(d.press(f.sbtCustos));
      EXPECT_FALSE(f.sbtCustos->down());
      EXPECT_FALSE(f.cost.panCusto->visible());
    });
  }
}

TEST_F(ScreenTest, HabilitaLocksTheScreenWhileAChangeIsPending) {
  const Color red = Color::rgb(255, 0, 0);
  const Color black = Color::rgb(0, 0, 0);
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    d.selectSubPage(f.tshMatPrima);
    d.gotoDay(march(4));
    // Only the product list is being edited: the dish grid locks, the product grid stays.
    ASSERT_TRUE(d.dispatch([&] { f.recipe.cdsProduto.edit(); }));
    f.Habilita(false);
    EXPECT_FALSE(f.recipe.dbgCardapio->enabled());
    EXPECT_TRUE(f.recipe.dbgPrato->enabled());
    EXPECT_TRUE(f.sbtConfirma->enabled());
    EXPECT_TRUE(f.sbtCancela->enabled());
    EXPECT_FALSE(f.sbtCalcula->enabled());
    for (platform::ui::Control* c : std::initializer_list<platform::ui::Control*>{
             f.tshAnaCusto, f.tshConsumoServico, f.tshRealizado, f.tshPlanReal, f.recipe.dbnPadrao,
             f.cost.dbnCusto})
      EXPECT_FALSE(c->enabled()) << c->name();
    EXPECT_TRUE(f.recipe.mnuPost->enabled());
    EXPECT_TRUE(f.recipe.mnuCancelar->enabled());
    EXPECT_FALSE(d.selectSubPage(f.tshAnaCusto));  // the sub-page is refused
    // Escape cancels the pending edit and nothing else.
    d.dispatch([&] { f.keyPress(27); });
    EXPECT_EQ(f.recipe.cdsProduto.state(), DataSetState::Browse);
    EXPECT_TRUE(f.visible());

    f.ctx.recipeChanged = true;
    f.Habilita(true);
    EXPECT_TRUE(f.recipe.dbgCardapio->enabled());
    EXPECT_TRUE(f.sbtCalcula->enabled());
    EXPECT_FALSE(f.sbtConfirma->enabled());
    EXPECT_EQ(f.cost.lblVrTotPerc->fontColor(), red);
    EXPECT_EQ(f.cost.lblVrCustoMedio->fontColor(), red);
    f.ctx.recipeChanged = false;
    f.Habilita(true);
    EXPECT_FALSE(f.sbtCalcula->enabled());
    EXPECT_EQ(f.cost.lblVrTotPerc->fontColor(), black);
    EXPECT_TRUE(f.tshAnaCusto->enabled());
  });
}

// A sub-page change that fails still restores the busy animation and the mouse cursor; so does
// a failing entry of "Realizado".
TEST_F(ScreenTest, FailedPageChangesRestoreAnimationAndCursor) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    d.selectSubPage(f.tshMatPrima);
    (*server.script)["GetTrabCusto"] = [](const auto&) -> Variant {
      throw remote::RemoteError(remote::RemoteError::Kind::Transport, 0, "Tempo esgotado");
    };
    EXPECT_FALSE(d.selectSubPage(f.tshAnaCusto));
    EXPECT_FALSE(host->busy.visible());
    EXPECT_EQ(host->cursor.cursor(), remote::CursorShape::Default);
    const auto& history = host->cursor.history();
    EXPECT_EQ(std::count(history.begin(), history.end(), remote::CursorShape::HourGlass), 1);

    (*server.script)["GetRealizado"] = [](const auto&) { return Variant("Sem retiradas"); };
    EXPECT_FALSE(d.selectPage(f.tshRealizado));
    EXPECT_FALSE(host->busy.visible());
  });
}

}  // namespace
}  // namespace screentest
