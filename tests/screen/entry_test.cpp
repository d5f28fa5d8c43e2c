// Entry points, creation, the message catalogue, close and the form's keys.
#include <map>

#include "screen/message_catalogue.h"
#include "screen_fixture.h"

namespace screentest {
namespace {

using platform::Variant;
using screen::TfrmAnaCustRevRec;

TEST_F(ScreenTest, IniProcWithNullCreatesNoScreen) {
  IniProc(Variant::null());
  EXPECT_EQ(host->modal.runs, 0);
  EXPECT_TRUE(server.log->connects.empty());
}

TEST_F(ScreenTest, IniProcFillsTheContextAndReleasesTheScreenAfterClosing) {
  screen::AnalysisContext seen;
  TfrmAnaCustRevRec* during = nullptr;
  host->modal.steps = [&](TfrmAnaCustRevRec& f, Driver&) {
    seen = f.ctx;
    during = frmAnaCustRevRec;
  };
  IniProc(openingParams("0002", "0001", "00001", 44, 2, march(15) + 0.75, march(10), true));
  EXPECT_NE(during, nullptr);
  EXPECT_EQ(frmAnaCustRevRec, nullptr);
  EXPECT_EQ(seen.costBranch, "0002");
  EXPECT_EQ(seen.branchCode, "0001");
  EXPECT_EQ(seen.serviceCode, "00001");
  EXPECT_EQ(seen.costMode, 44);
  EXPECT_EQ(seen.calcMode, 2);
  EXPECT_DOUBLE_EQ(seen.referenceDate, march(15) + 0.75);
  EXPECT_DOUBLE_EQ(seen.fixedCostDate, march(10));
  EXPECT_TRUE(seen.useFixedCostDate);
  EXPECT_DOUBLE_EQ(seen.monthStart, march(1));
  EXPECT_TRUE(host->modal.closed);
}

TEST_F(ScreenTest, IniProcRefusesParametersThatDoNotConvert) {
  Variant params = openingParams("", "0001", "00001", 6, 1, march(15));
  params[3] = Variant("abc");
  EXPECT_THROW(IniProc(params), platform::ConversionError);
  EXPECT_EQ(host->modal.runs, 0);
}

TEST_F(ScreenTest, CreationConnectsThreeServersUnderTheBusyAnimation) {
  open([&](TfrmAnaCustRevRec& f, Driver&) {
    EXPECT_FALSE(f.netAutoriza->Connected());
    EXPECT_EQ(f.pgcPadrao->activePage(), f.tshPlanejado);
    EXPECT_EQ(f.pgcPlanejado->activePage(), f.tshAnaCusto);
    for (auto* local : {&f.cost.cdsTotalMes, &f.charts.cdsGrafCust, &f.charts.cdsGrafPlanReal,
                        &f.charts.cdsCustoAcum, &f.realized.cdsPlanReal, &f.recipe.cdsProdutoAux})
      EXPECT_TRUE(local->active()) << local->name();
    for (auto* code : {f.recipe.cdsProdutoCDARVPROD, f.recipe.qryPesqProdCDARVPROD,
                       f.recipe.cdsPesqProdCDARVPROD, f.recipe.cdsPesqProdOpcCDARVPROD})
      EXPECT_EQ(code->editMask(), "99.99.999.9999");
    EXPECT_EQ(f.lblCodTela->caption(), "RCX00500");
  });
  const std::vector<std::string> first3(server.log->connects.begin(),
                                        server.log->connects.begin() + 3);
  EXPECT_EQ(first3,
            (std::vector<std::string>{"Rcx00500.rdmAnaCustRevRec", "Rcx00503.rdmReceitaPadrao",
                                      "Rcx00502.rdmInfPrato"}));
  EXPECT_EQ(host->busy.events().front(), "show 0");
  EXPECT_EQ(host->busy.events()[1], "hide");
}

TEST_F(ScreenTest, BranchModulesAre27And43) {
  const struct {
    char module;
    bool branch;
  } cases[] = {{27, true}, {43, true}, {'Q', false}, {'C', false}, {26, false}};
  for (const auto& c : cases) {
    shell.module = c.module;
    bool seen = !c.branch;
    open([&](TfrmAnaCustRevRec& f, Driver&) { seen = f.ctx.isBranchModule; });
    EXPECT_EQ(seen, c.branch) << int(c.module);
    EXPECT_EQ(server.log->last("GetTrabCusto").at(9), Variant(c.branch));
  }
}

TEST(MessageCatalogue, HoldsTheFortySixEntriesInOrder) {
  const auto entries = screen::messageCatalogue();
  ASSERT_EQ(entries.size(), 46u);
  EXPECT_EQ(entries.front().key, "Come");
  EXPECT_EQ(entries[8].text, "(Custo) Referência: %s");
  EXPECT_EQ(entries.back().key, "prod_inv_grup_prod");
  const std::map<std::string_view, std::string_view> spotChecks{
      {"RECELABELVAZIA", "   "}, {"DIA", "Dia "}, {"ACUM_ATE", "Acumulado até "}};
  int checked = 0;
  for (const auto& e : entries) {
    auto it = spotChecks.find(e.key);
    if (it == spotChecks.end()) continue;
    EXPECT_EQ(e.text, it->second);
    ++checked;
  }
  EXPECT_EQ(checked, 3);
}

TEST_F(ScreenTest, CatalogueKeysMatchWithoutRegardToCase) {
  open([&](TfrmAnaCustRevRec& f, Driver&) {
    EXPECT_EQ(f.msgPadrao.size(), 46u);
    EXPECT_EQ(f.msgPadrao.Msg("PROD_INATIVO"), "Produto não cadastrado para a filial ou inativo.");
    EXPECT_EQ(f.msgPadrao.Msg("recelabelvazia"), "   ");
  });
}

TEST_F(ScreenTest, CloseReleasesTheWorkTableThenDisconnectsInOrder) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    d.dispatch([&] { f.netAutoriza->open(); });
    server.log->disconnects.clear();
  });
  EXPECT_EQ(server.log->last("DelConsplan"),
            (std::vector<Variant>{Variant("WT00000001"), Variant("0001")}));
  EXPECT_EQ(server.log->disconnects,
            (std::vector<std::string>{"Rcx00500.rdmAnaCustRevRec", "Inv.rdmAutoriza",
                                      "Rcx00503.rdmReceitaPadrao", "Rcx00502.rdmInfPrato"}));
  EXPECT_TRUE(host->modal.closed);
}

// A failed release is shown, and the screen still closes: the user is never kept in it.
TEST_F(ScreenTest, CloseGoesOnWhenTheWorkTableCannotBeReleased) {
  const struct {
    const char* name;
    std::function<Variant(const std::vector<Variant>&)> answer;
    std::string shown;
  } cases[] = {
      {"error text", [](const auto&) { return Variant("Tabela de trabalho em uso"); },
       "Tabela de trabalho em uso"},
      {"transport failure",
       [](const auto&) -> Variant {
         throw remote::RemoteError(remote::RemoteError::Kind::Transport, 0, "Servidor fora do ar");
       },
       "Servidor fora do ar"},
  };
  for (const auto& c : cases) {
    (*server.script)["DelConsplan"] = c.answer;
    host->errors.clear();
    server.log->disconnects.clear();
    open([](TfrmAnaCustRevRec&, Driver&) {});
    EXPECT_TRUE(host->modal.closed) << c.name;
    EXPECT_EQ(host->errors.texts(), std::vector<std::string>{c.shown}) << c.name;
    EXPECT_EQ(server.log->disconnects.size(), 3u) << c.name;
  }
}

TEST_F(ScreenTest, ClosingBeforeAnyLoadReleasesAnEmptyWorkTable) {
  (*server.script)["GetParams"] = [](const auto&) { return Variant("Filial inexistente"); };
  const auto errors = open([](TfrmAnaCustRevRec&, Driver&) {});
  EXPECT_EQ(errors.front(), "Filial inexistente");
  EXPECT_EQ(server.log->last("DelConsplan").at(0), Variant(""));
}

TEST_F(ScreenTest, EscapeClosesAndEnterMovesToTheNextControl) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    f.cost.dbeVrTotPerc->setTabStop(true);
    ASSERT_TRUE(f.cost.dbeVrTotPerc->setFocus());
    char32_t enter = 13;
    d.dispatch([&] { enter = f.keyPress(enter); });
    EXPECT_EQ(enter, 0u);
    EXPECT_NE(f.activeControl(), f.cost.dbeVrTotPerc);
    d.dispatch([&] { f.keyPress(27); });
    EXPECT_FALSE(f.visible());
  });
}

TEST_F(ScreenTest, ResizeKeepsTheCostSubPanelCentred) {
  open([&](TfrmAnaCustRevRec& f, Driver&) {
    for (int width : {900, 771, 1201}) {
      f.cost.panCusto->setWidth(width);
      f.FormResize();
      EXPECT_EQ(f.cost.subPanCusto->left(), (width - f.cost.subPanCusto->width()) / 2) << width;
    }
  });
}

}  // namespace
}  // namespace screentest
