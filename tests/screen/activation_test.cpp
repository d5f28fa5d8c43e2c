// The initial load and its reload.
#include "screen_fixture.h"

namespace screentest {
namespace {

using platform::Variant;
using screen::TfrmAnaCustRevRec;

TEST_F(ScreenTest, OutdatedQuotationPageFollowsTheCostMode) {
  const struct {
    int costMode;
    bool enabled;
  } cases[] = {{6, true}, {44, true}, {48, true}, {45, false}, {10, false}, {7, false}};
  for (const auto& c : cases) {
    bool enabled = !c.enabled;
    open([&](TfrmAnaCustRevRec& f, Driver&) { enabled = f.tshCotDesatu->enabled(); }, c.costMode);
    EXPECT_EQ(enabled, c.enabled) << c.costMode;
  }
}

TEST_F(ScreenTest, FirstActivationSetsTitleAndCaptions) {
  const struct {
    std::string costBranch;
    std::string filialCaption;
  } cases[] = {{"", "design"}, {"0002", "Filial: 0002"}};
  for (const auto& c : cases) {
    open(
        [&](TfrmAnaCustRevRec& f, Driver&) {
          EXPECT_EQ(f.caption(), "Análise de Custos - ALMOCO");
          EXPECT_FALSE(f.lblDtRefeCust->visible());
          EXPECT_EQ(f.lblDtRefeCust->caption(), "");
          EXPECT_EQ(f.panFiliCusto->caption(), c.costBranch.empty() ? "" : c.filialCaption);
          EXPECT_FALSE(f.ctx.firstActivation);
          EXPECT_TRUE(f.ctx.recipeKind.empty());
        },
        6, c.costBranch);
  }
}

TEST_F(ScreenTest, FixedCostDateIsShownAsTheReferenceDate) {
  host->modal.steps = [](TfrmAnaCustRevRec& f, Driver&) {
    EXPECT_TRUE(f.lblDtRefeCust->visible());
    EXPECT_EQ(f.lblDtRefeCust->caption(), "(Custo) Referência: 10/03/2026");
  };
  IniProc(openingParams("", "0001", "00001", 6, 1, march(15), march(10), true));
  EXPECT_EQ(server.log->last("GetTrabCusto").at(6), Variant(true));
  EXPECT_EQ(server.log->last("GetTrabCusto").at(7).toDouble(), march(10));
}

TEST_F(ScreenTest, LoadCallsTheServerInOrderWithTheContractArguments) {
  shell.operatorCode = "filial";
  open([](TfrmAnaCustRevRec&, Driver&) {}, 44, "0002");
  const std::vector<std::string> methods = server.log->methods();
  const std::vector<std::string> load(methods.begin(), methods.begin() + 4);
  EXPECT_EQ(load, (std::vector<std::string>{"GetParams", "GetCustoPadrao", "GetTrabCusto",
                                            "GetParamGeral"}));
  EXPECT_EQ(server.log->last("GetParams"), std::vector<Variant>{Variant("0001")});
  const auto& custoPadrao = server.log->last("GetCustoPadrao");
  EXPECT_EQ(custoPadrao.at(2).toDouble(), march(1));
  const auto& trab = server.log->last("GetTrabCusto");
  ASSERT_EQ(trab.size(), 10u);
  EXPECT_EQ(trab[0], Variant("0001"));
  EXPECT_EQ(trab[1], Variant("00001"));
  EXPECT_EQ(trab[2].toDouble(), march(1));
  EXPECT_EQ(trab[3].toDouble(), march(31));
  EXPECT_EQ(trab[4], Variant(44));
  EXPECT_EQ(trab[5], Variant("filial"));
  EXPECT_EQ(trab[8], Variant("0002"));
  EXPECT_EQ(host->busy.shows().at(1), "show 6");
  EXPECT_EQ(host->busy.shows().at(2), "show 6 Calculando custos do cardápio...");
  ASSERT_EQ(shell.cacheRefreshes.size(), 1u);
  EXPECT_EQ(shell.cacheRefreshes[0], Variant::array({Variant("SINASAFRA")}));
  EXPECT_FALSE(host->busy.visible());
}

TEST_F(ScreenTest, BlockDateIsTheProcessingDatePlusTheBlockingDays) {
  const struct {
    double processing;
    double days;
    double blockDate;
  } cases[] = {{march(10), 3, march(13)}, {march(3), 1, march(4)}, {march(31), 0, march(31)}};
  for (const auto& c : cases) {
    shell.processingDate = c.processing;
    server.blockingDays = c.days;
    double seen = 0;
    open([&](TfrmAnaCustRevRec& f, Driver&) { seen = f.ctx.blockDate; });
    EXPECT_DOUBLE_EQ(seen, c.blockDate);
  }
}

TEST_F(ScreenTest, WorkTableKeyMustHaveTenCharacters) {
  const struct {
    std::string answer;
    std::string kept;
    bool shown;
  } cases[] = {
      {"WT00000099", "WT00000099", false}, {"", "", false}, {"Erro ao gravar CONSPLAN", "", true}};
  for (const auto& c : cases) {
    server.workTableId = c.answer;
    host->errors.clear();
    std::string kept = "?";
    bool loaded = false;
    open([&](TfrmAnaCustRevRec& f, Driver&) {
      kept = f.ctx.workTableId;
      loaded = f.cost.cdsTrabCusto.active();
    });
    EXPECT_EQ(kept, c.kept) << c.answer;
    EXPECT_EQ(!host->errors.shown().empty() && host->errors.texts()[0] == c.answer, c.shown);
    // A message is no key: the screen does not go on loading after it.
    EXPECT_EQ(loaded, !c.shown) << c.answer;
  }
}

TEST_F(ScreenTest, ServerErrorTextsEndTheLoadAndHideTheAnimation) {
  for (const char* method : {"GetParams", "GetTrabCusto"}) {
    const auto original = (*server.script)[method];
    (*server.script)[method] = [](const auto&) { return Variant("Serviço inativo"); };
    const auto errors = open([](TfrmAnaCustRevRec& f, Driver&) {
      EXPECT_FALSE(f.cost.cdsTrabCusto.active());
      EXPECT_GT(f.repaintCount(), 0);
    });
    EXPECT_EQ(errors, std::vector<std::string>{"Serviço inativo"}) << method;
    EXPECT_FALSE(host->busy.visible()) << method;
    (*server.script)[method] = original;
  }
}

TEST_F(ScreenTest, ModuleQLoadsNoOutdatedDays) {
  shell.module = 'Q';
  server.outdatedDays = {march(4)};
  open([](TfrmAnaCustRevRec& f, Driver&) { EXPECT_FALSE(f.cdsPreCotDesatu.active()); });
  shell.module = 'C';
  open([](TfrmAnaCustRevRec& f, Driver&) { EXPECT_EQ(f.cdsPreCotDesatu.recordCount(), 1); });
}

TEST_F(ScreenTest, LaterActivationsOnlyRefreshTheSeasonCache) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    const int loads = server.log->count("GetTrabCusto");
    d.dispatch([&] { f.activate(); });
    EXPECT_EQ(server.log->count("GetTrabCusto"), loads);
  });
  EXPECT_EQ(shell.cacheRefreshes.size(), 2u);
}

// A reload gets a new work table; the old one is released on the server at once.
TEST_F(ScreenTest, ReloadReleasesThePreviousWorkTable) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    server.workTableId = "WT00000002";
    d.selectSubPage(f.tshMatPrima);
    d.gotoDay(march(5));
    d.selectSubPage(f.tshAnaCusto);
    EXPECT_EQ(f.ctx.workTableId, "WT00000002");
    EXPECT_EQ(server.log->last("DelConsplan").at(0), Variant("WT00000001"));
    EXPECT_DOUBLE_EQ(f.selectedDay(), march(5));
    d.selectPage(f.tshCotDesatu);
    EXPECT_EQ(server.log->last("GetProdCotDesatu").at(0), Variant("WT00000002"));
  });
  EXPECT_EQ(server.log->last("DelConsplan").at(0), Variant("WT00000002"));
}

}  // namespace
}  // namespace screentest
