// What moving to a day loads on each planned sub-page, the dish costs it computes and the day
// bar it refreshes.
#include "platform/ui/color.h"
#include "screen_fixture.h"

namespace screentest {
namespace {

using platform::Variant;
using platform::ui::Color;
using screen::TfrmAnaCustRevRec;

TEST_F(ScreenTest, MovingOnMateriaPrimaLoadsTheDayProductsAndFiltersTheMonthDishes) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.selectSubPage(f.tshMatPrima));
    EXPECT_TRUE(f.cost.panSafra->visible());
    EXPECT_TRUE(f.panControle->visible());
    ASSERT_TRUE(d.gotoDay(march(4)));
    const auto& args = server.log->last("GetProduto");
    EXPECT_EQ(args,
              (std::vector<Variant>{Variant("0001"), Variant("00001"), Variant::date(march(4)),
                                    Variant(6), Variant(false), Variant::date(march(4)),
                                    Variant::date(march(1)), Variant("")}));
    EXPECT_EQ(f.recipe.cdsCardapio.filter(), "DTCARDAPIO = '04/03/2026'");
    EXPECT_EQ(column(f.recipe.cdsCardapio, "NMPRATO"),
              (std::vector<Variant>{Variant("ARROZ"), Variant("FEIJAO")}));
    // ARROZ: 0,1 x 40 x 5 + 0,02 x 40 x 10 = 28 for 40 dish diners and 80 day diners.
    EXPECT_EQ(column(f.recipe.cdsCardapio, "CustoPrato"),
              (std::vector<Variant>{Variant(28.0), Variant(38.4)}));
    EXPECT_EQ(column(f.recipe.cdsCardapio, "CustoPerc"),
              (std::vector<Variant>{Variant(0.7), Variant(0.96)}));
    EXPECT_EQ(column(f.recipe.cdsCardapio, "CustoPercDia"),
              (std::vector<Variant>{Variant(0.35), Variant(0.48)}));
    EXPECT_EQ(column(f.recipe.cdsCardapio, "PercSafra"),
              (std::vector<Variant>{Variant(28.57), Variant(50.0)}));
    EXPECT_EQ(column(f.recipe.cdsCardapio, "Safra"),
              (std::vector<Variant>{Variant(255.0), Variant(65280.0)}));
    EXPECT_EQ(column(f.recipe.cdsCardapio, "IDCUSTODESATU"),
              (std::vector<Variant>{Variant("N"), Variant("S")}));
    // Day: 0,1 / 0,83 x 100 + (0,48 / 0,83 x 100) / 2 = 40,96...: the band starting at 30.
    EXPECT_NEAR(f.cost.nedPeSafraCard->GetNumber(), 10.0 / 0.83 + 24.0 / 0.83, 1e-9);
    EXPECT_EQ(f.cost.shpSafraCard->brushColor(), Color::fromNumber(65280));
    // The product list follows the current dish.
    EXPECT_EQ(f.recipe.cdsProduto.filter(), "CDPRATO = '1001' AND CDFILAUXPRAT = 'P'");
    EXPECT_EQ(f.recipe.cdsProduto.recordCount(), 2);
    EXPECT_EQ(f.recipe.cdsProduto.fieldByName("QTDEBRUTA").displayText(), "0,10000 KG");
    EXPECT_EQ(f.recipe.cdsProduto.fieldByName("TIPO").displayText(), "(Receita Padrão)");
    EXPECT_EQ(f.ctx.recipeKind, "P");

    ASSERT_TRUE(d.gotoDay(march(5)));
    EXPECT_EQ(server.log->count("GetCardapio"), 1);
    EXPECT_EQ(column(f.recipe.cdsCardapio, "idExistCustZero"), std::vector<Variant>{Variant("S")});
    // A single product in season: 0 %, the band whose lower limit is 0.
    EXPECT_DOUBLE_EQ(f.cost.nedPeSafraCard->GetNumber(), 0);
    EXPECT_EQ(f.cost.shpSafraCard->brushColor(), Color::fromNumber(255));
  });
  EXPECT_EQ(server.log->count("GetProduto"), 3);  // entering the sub-page, then two moves
  EXPECT_FALSE(host->busy.visible());
}

TEST_F(ScreenTest, ProductCostsAndSeasonDigitsFollowTheMonthOfBlockDate) {
  const struct {
    double processing;  // blockDate is the next day
    const char* seasons;
    Variant safra;
    bool safr2;
    bool safr3;
  } cases[] = {
      {46113, "111223333221", Variant(2), true, false},      // 01/04/2026: April
      {46176, "111223333221", Variant(3), false, true},      // 03/06/2026: June
      {46024, "111223333221", Variant(1), false, false},     // 02/01/2026: January
      {46176, "11122", Variant::null(), false, false},       // too short for June
      {march(3), "11 223333221", Variant(0), false, false},  // a blank digit
  };
  for (const auto& c : cases) {
    shell.processingDate = c.processing;
    server.products[2].seasons = c.seasons;
    open([&](TfrmAnaCustRevRec& f, Driver& d) {
      d.selectSubPage(f.tshMatPrima);
      d.gotoDay(march(4));
      ASSERT_TRUE(d.selectRow(*f.recipe.dbgCardapio, f.recipe.cdsCardapio.recordCount() - 1));
      ASSERT_EQ(f.recipe.cdsProduto.recordCount(), 1);
      EXPECT_EQ(f.recipe.cdsProduto.fieldByName("Safra").value(), c.safra) << c.seasons;
      EXPECT_EQ(!f.recipe.cdsProduto.fieldByName("CustoSafr2").isNull(), c.safr2) << c.seasons;
      EXPECT_EQ(!f.recipe.cdsProduto.fieldByName("CustoSafr3").isNull(), c.safr3) << c.seasons;
      EXPECT_DOUBLE_EQ(f.recipe.cdsProduto.fieldByName("CustoSafra").asFloat(), 0.96);
      EXPECT_DOUBLE_EQ(f.recipe.cdsProduto.fieldByName("QtdeTotal").asFloat(), 4.8);
      EXPECT_DOUBLE_EQ(f.recipe.cdsProduto.fieldByName("CustoTotal").asFloat(), 38.4);
      EXPECT_DOUBLE_EQ(f.recipe.cdsProduto.fieldByName("percDia").asFloat(), 0.06);
      EXPECT_DOUBLE_EQ(f.recipe.cdsProduto.fieldByName("custoPercDia").asFloat(), 0.48);
    });
  }
}

TEST_F(ScreenTest, ConsumptionSubPageSendsTheDayTypeAndLoadsTheThreeLists) {
  queries.holidays = {march(5)};
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.selectSubPage(f.tshConsumoServico));
    EXPECT_FALSE(f.cost.panSafra->visible());
    EXPECT_FALSE(f.panControle->visible());
    const struct {
      int day;
      const char* dayType;  // 05/03/2026 is a Thursday, but a holiday
    } cases[] = {{5, "8"}, {6, "6"}, {8, "1"}};
    for (const auto& c : cases) {
      if (c.day == 8) {
        server.days.push_back({march(8), 10, 1, 0, 10, 10});
        d.selectSubPage(f.tshAnaCusto);
        d.selectSubPage(f.tshConsumoServico);
      }
      ASSERT_TRUE(d.gotoDay(march(c.day)));
      EXPECT_EQ(server.log->last("GetConsServ").at(4), Variant(c.dayType)) << c.day;
    }
    d.gotoDay(march(5));
    EXPECT_EQ(column(f.consumption.cdsConsumo, "CUSTOTOTAL"),
              (std::vector<Variant>{Variant(20.0), Variant(97.5)}));
    EXPECT_EQ(column(f.consumption.cdsConsumo, "CUSTOPERCAP"),
              (std::vector<Variant>{Variant(0.2), Variant(0.975)}));
    EXPECT_EQ(column(f.consumption.cdsConsumo, "IDCUSTODESATU"),
              (std::vector<Variant>{Variant("N"), Variant("S")}));
    EXPECT_EQ(f.consumption.cdsConsServ.recordCount(), 2);  // the items of the first type
    EXPECT_EQ(f.consumption.dbgConsPerc->column(2).title(), "Per Capita");
    ASSERT_TRUE(d.pressKey(*f.consumption.dbgTipoCons, platform::ui::VK_DOWN));
    EXPECT_EQ(f.consumption.dbgConsPerc->column(2).title(), "Fixo");
    EXPECT_EQ(column(f.consumption.cdsConsServ, "QtdeTotal"), std::vector<Variant>{Variant(13.0)});
  });
  EXPECT_FALSE(host->busy.visible());
}

TEST_F(ScreenTest, DayBarShowsTheDayAndPaintsPerCapitaOverTheStandardRed) {
  const Color red = Color::rgb(255, 0, 0);
  const Color black = Color::rgb(0, 0, 0);
  const struct {
    double standard;
    int day;
    Color perCapita;
    Color average;
  } cases[] = {{3.5, 5, black, black},  // 2,75 and 3,47368
               {2.75, 5, black, red},   // equal to the standard is not red
               {3.4, 5, black, red},
               {2.0, 6, red, red}};
  for (const auto& c : cases) {
    server.standardCost = c.standard;
    open([&](TfrmAnaCustRevRec& f, Driver& d) {
      d.gotoDay(march(c.day));
      EXPECT_EQ(f.cost.dbeVrTotPerc->fontColor(), c.perCapita) << c.standard << " " << c.day;
      EXPECT_EQ(f.cost.dbeVrCustoMedio->fontColor(), c.average) << c.standard << " " << c.day;
      EXPECT_DOUBLE_EQ(f.cost.nedCustoPadrao->GetNumber(), c.standard);
    });
  }
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    d.gotoDay(march(5));
    EXPECT_DOUBLE_EQ(f.cost.nedComensais->GetNumber(), 100);
    char32_t typed = '7';
    platform::ui::Key key = platform::ui::keyOf('7');
    f.cost.dbeVrTotPerc->onKeyDown(key, {});
    f.cost.dbeVrCustoMedio->onKeyPress(typed);
    EXPECT_EQ(key, platform::ui::kNoKey);
    EXPECT_EQ(typed, 0u);
  });
}

TEST_F(ScreenTest, SeasonSumsStartFromZeroOnEveryMove) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    d.selectSubPage(f.tshMatPrima);
    d.gotoDay(march(4));
    const double first = f.cost.nedPeSafraCard->GetNumber();
    d.gotoDay(march(5));
    d.gotoDay(march(4));
    EXPECT_DOUBLE_EQ(f.cost.nedPeSafraCard->GetNumber(), first);
    d.selectSubPage(f.tshAnaCusto);
    d.gotoDay(march(6));
    EXPECT_EQ(f.ctx.seasonSum1, 0);
  });
}

// A day whose products cannot be loaded ends with the busy animation hidden.
TEST_F(ScreenTest, FailedDayLoadsHideTheBusyAnimation) {
  for (const char* method : {"GetProduto", "GetCardapio", "GetConsServ"}) {
    const auto original = (*server.script)[method];
    (*server.script)[method] = [](const auto&) -> Variant {
      throw remote::RemoteError(remote::RemoteError::Kind::Transport, 0, "Conexão perdida");
    };
    const auto errors = open([&](TfrmAnaCustRevRec& f, Driver& d) {
      d.selectSubPage(std::string(method) == "GetConsServ" ? f.tshConsumoServico : f.tshMatPrima);
      EXPECT_FALSE(host->busy.visible()) << method;
    });
    EXPECT_EQ(errors.front(), "Conexão perdida") << method;
    (*server.script)[method] = original;
  }
}

// A refused day load is shown once, as the server wrote it, and the rows of the day before stay:
// the refusal never becomes data.
TEST_F(ScreenTest, ARefusedDayLoadIsShownAndKeepsTheRowsOfTheDayBefore) {
  const std::string refusal = "Serviço não cadastrado para a filial: 00001";
  // What was shown since `from`, and nothing escaped to the dispatcher.
  const auto shownSince = [&](size_t from, const std::vector<std::string>& escaped) {
    EXPECT_TRUE(escaped.empty());
    const auto& texts = host->errors.texts();
    return std::vector<std::string>(texts.begin() + static_cast<std::ptrdiff_t>(from), texts.end());
  };
  const struct {
    const char* method;
    bool consumption;
    const char* field;
  } cases[] = {{"GetProduto", false, "CDPRODUTO"}, {"GetConsServ", true, "CDPRODUTO"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.method);
    const auto original = (*server.script)[c.method];
    const size_t shown = host->errors.texts().size();
    const auto errors = open([&](TfrmAnaCustRevRec& f, Driver& d) {
      ASSERT_TRUE(d.selectSubPage(c.consumption ? f.tshConsumoServico : f.tshMatPrima));
      ASSERT_TRUE(d.gotoDay(march(4)));
      platform::ClientDataSet& rows =
          c.consumption ? f.consumption.cdsConsServ : f.recipe.cdsProduto;
      const std::vector<Variant> before = column(rows, c.field);
      const std::string filter = rows.filter();
      ASSERT_FALSE(before.empty());
      (*server.script)[c.method] = [&](const auto&) -> Variant { return Variant(refusal); };
      d.gotoDay(march(5));
      EXPECT_EQ(column(rows, c.field), before);
      EXPECT_EQ(rows.filter(), filter);
      EXPECT_FALSE(host->busy.visible());
    });
    EXPECT_EQ(shownSince(shown, errors), std::vector<std::string>{refusal});
    (*server.script)[c.method] = original;
  }
  // The month's dishes, refused on the first entry, load nothing.
  const auto original = (*server.script)["GetCardapio"];
  (*server.script)["GetCardapio"] = [&](const auto&) -> Variant { return Variant(refusal); };
  const size_t shown = host->errors.texts().size();
  const auto errors = open([&](TfrmAnaCustRevRec& f, Driver& d) {
    d.selectSubPage(f.tshMatPrima);
    EXPECT_FALSE(f.recipe.cdsCardapio.active());
  });
  EXPECT_EQ(shownSince(shown, errors), std::vector<std::string>{refusal});
  (*server.script)["GetCardapio"] = original;
}

}  // namespace
}  // namespace screentest
