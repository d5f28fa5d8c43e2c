// What the form lends its subsystems: its pages, its buttons and the selected day, as the
// subsystems see them.
#include <set>
#include <vector>

#include "screen/screen_services.h"
#include "screen_fixture.h"

namespace screentest {
namespace {

using platform::ui::TabSheet;
using screen::Page;
using screen::ScreenServices;
using screen::TfrmAnaCustRevRec;
using screen::ToolButton;

TEST_F(ScreenTest, EachPageIsTheFormsOwnSheet) {
  open([&](TfrmAnaCustRevRec& f, Driver&) {
    ScreenServices& s = f.services();
    const struct {
      Page page;
      TabSheet* sheet;
    } cases[] = {
        {Page::Planejado, f.tshPlanejado}, {Page::Realizado, f.tshRealizado},
        {Page::PlanReal, f.tshPlanReal},   {Page::ProdCustZero, f.tshProdCustZero},
        {Page::CotDesatu, f.tshCotDesatu}, {Page::AnaCusto, f.tshAnaCusto},
        {Page::MatPrima, f.tshMatPrima},   {Page::ConsumoServico, f.tshConsumoServico},
    };
    for (const auto& c : cases)
      EXPECT_EQ(&s.page(c.page), c.sheet) << c.sheet->caption();
  });
}

// The connections and parameters the recipe editing asks for; the authorisation server stays
// unconnected until a rule asks it.
TEST_F(ScreenTest, TheServersAndParametersLentAreTheForms) {
  open([&](TfrmAnaCustRevRec& f, Driver&) {
    ScreenServices& s = f.services();
    EXPECT_EQ(&s.authorizationServer(), f.netAutoriza.get());
    EXPECT_FALSE(s.authorizationServer().Connected());
    EXPECT_EQ(&s.standardRecipeServer(), f.netReceitaPadrao.get());
    EXPECT_EQ(&s.paramGeral(), &f.cdsParamGeral);
    EXPECT_EQ(&s.paramGeralQuery(), &f.qryParamGeral);
    EXPECT_EQ(s.paramGeralQuery().FieldByName("IDPESQCOMPPROD").asString(), "N");
  });
}

// A planned sub-page stays active for its own page control while another main page is shown.
TEST_F(ScreenTest, APageIsActiveOnItsOwnPageControl) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    ScreenServices& s = f.services();
    const std::vector<Page> all = {Page::Planejado,    Page::Realizado,     Page::PlanReal,
                                   Page::ProdCustZero, Page::CotDesatu,     Page::AnaCusto,
                                   Page::MatPrima,     Page::ConsumoServico};
    const struct {
      const char* step;
      TabSheet* page;  // null: the sub-page is selected
      TabSheet* subPage;
      std::set<Page> active;
    } steps[] = {
        {"opened", nullptr, nullptr, {Page::Planejado, Page::AnaCusto}},
        {"Matéria Prima", nullptr, f.tshMatPrima, {Page::Planejado, Page::MatPrima}},
        {"Realizado", f.tshRealizado, nullptr, {Page::Realizado, Page::MatPrima}},
        {"Consumo", nullptr, f.tshConsumoServico, {Page::Realizado, Page::ConsumoServico}},
        {"Cotação", f.tshCotDesatu, nullptr, {Page::CotDesatu, Page::ConsumoServico}},
        {"Custo Zero", f.tshProdCustZero, nullptr, {Page::ProdCustZero, Page::ConsumoServico}},
        {"Acompanhamento", f.tshPlanReal, nullptr, {Page::PlanReal, Page::ConsumoServico}},
        {"Planejado", f.tshPlanejado, nullptr, {Page::Planejado, Page::ConsumoServico}},
    };
    for (const auto& step : steps) {
      if (step.page != nullptr) {
        ASSERT_TRUE(d.selectPage(step.page)) << step.step;
      }
      if (step.subPage != nullptr) {
        ASSERT_TRUE(d.selectSubPage(step.subPage)) << step.step;
      }
      for (Page page : all)
        EXPECT_EQ(s.isActive(page), step.active.count(page) == 1)
            << step.step << ": " << s.page(page).caption();
    }
  });
}

TEST_F(ScreenTest, ToolButtonsAreTheFormsButtons) {
  open([&](TfrmAnaCustRevRec& f, Driver&) {
    ScreenServices& s = f.services();
    EXPECT_EQ(&s.toolButton(ToolButton::Confirma), f.sbtConfirma);
    EXPECT_EQ(&s.toolButton(ToolButton::Cancela), f.sbtCancela);
    EXPECT_EQ(&s.toolButton(ToolButton::Calcula), f.sbtCalcula);
    EXPECT_EQ(&s.toolButton(ToolButton::Sair), f.sbtSair);
  });
}

TEST_F(ScreenTest, TheSelectedDayIsTheDailyCostTablesCurrentDay) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    ScreenServices& s = f.services();
    EXPECT_EQ(&s.dailyCosts(), &f.cost.cdsTrabCusto);
    ASSERT_TRUE(d.gotoDay(march(5)));
    EXPECT_EQ(s.selectedDay(), march(5));
    EXPECT_EQ(s.costDate(), march(5));
    f.ctx.fixedCostDate = march(20);
    f.ctx.useFixedCostDate = true;
    EXPECT_EQ(s.costDate(), march(20));
    EXPECT_EQ(s.selectedDay(), march(5));
    f.cost.cdsTrabCusto.close();
    EXPECT_EQ(s.selectedDay(), 0);
  });
}

}  // namespace
}  // namespace screentest
