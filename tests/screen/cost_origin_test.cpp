// Where a cost came from: a double click on a consumption item or a recipe product asks the cost
// server and opens the origin screen, only in the cost modes taken from quotations.
#include "screen_fixture.h"

namespace screentest {
namespace {

using platform::Variant;
using screen::TfrmAnaCustRevRec;

class CostOriginTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    (*server.script)["GetOrigemCusto"] = [this](const std::vector<Variant>& p) {
      if (!refusal.empty()) return Variant(refusal);
      return Variant(
          makePacket({{"CDFORNECED", platform::FieldType::Text, 21},
                      {"CDPRODUTO", platform::FieldType::Text, 10},
                      {"NMMARCA", platform::FieldType::Text, 20}},
                     {{Variant("F001"), Variant(p.at(1).toString()), Variant("MARCA")}}));
    };
  }

  // Opens the month with the given opening values, goes to 04/03 on the page of `grid` and
  // double-clicks its current row. Returns the product code of that row.
  std::string doubleClick(bool recipeGrid, int costMode, const std::string& costBranch,
                          bool fixedDate) {
    std::string code;
    host->modal.steps = [&](TfrmAnaCustRevRec& f, Driver& d) {
      ASSERT_TRUE(d.selectSubPage(recipeGrid ? f.tshMatPrima : f.tshConsumoServico));
      ASSERT_TRUE(d.gotoDay(march(4)));
      platform::ui::DBGrid& grid = recipeGrid ? *f.recipe.dbgPrato : *f.consumption.dbgConsPerc;
      code = (recipeGrid ? f.recipe.cdsProduto : f.consumption.cdsConsServ)
                 .fieldByName("CDPRODUTO")
                 .asString();
      ASSERT_FALSE(code.empty());
      ASSERT_TRUE(d.focus(grid));
      server.log->clear();
      host->busy.clear();
      d.dispatch([&] { grid.dblClick(); });
      EXPECT_FALSE(host->busy.visible());
      calls = server.log->calls();
    };
    IniProc(openingParams(costBranch, "0001", "00001", costMode, 1, march(15),
                          fixedDate ? march(10) : 0, fixedDate));
    return code;
  }

  std::string refusal;
  // The remote calls of the double click alone.
  std::vector<Call> calls;
};

TEST_F(CostOriginTest, OnlyQuotationModesAskTheServerAndOpenTheOriginScreen) {
  const struct {
    bool recipeGrid;
    int costMode;
    const char* costBranch;
    bool fixedDate;
    const char* branchSent;
    double dateSent;
  } cases[] = {
      {false, 44, "", false, "0001", march(4)},
      {true, 44, "", false, "0001", march(4)},
      {false, 44, "0002", true, "0002", march(10)},
      {true, 6, "0002", true, "0002", march(10)},
      {false, 10, "", false, "", 0},
      {true, 10, "0002", true, "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.recipeGrid ? "recipe " : "consumption ") +
                 std::to_string(c.costMode) + " '" + c.costBranch + "'" +
                 (c.fixedDate ? " fixed" : ""));
    shell.screensOpened.clear();
    const std::string code = doubleClick(c.recipeGrid, c.costMode, c.costBranch, c.fixedDate);
    if (*c.branchSent == '\0') {
      EXPECT_TRUE(calls.empty());
      EXPECT_TRUE(host->busy.events().empty());
      EXPECT_TRUE(shell.screensOpened.empty());
      continue;
    }
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].method, "GetOrigemCusto");
    EXPECT_EQ(calls[0].server, "Rcx00500.rdmAnaCustRevRec");
    EXPECT_EQ(calls[0].params,
              (std::vector<Variant>{Variant(c.branchSent), Variant(code), Variant(c.costMode),
                                    Variant::date(c.dateSent)}));
    EXPECT_EQ(host->busy.shows(), std::vector<std::string>{"show 6 Buscando origem do custo..."});
    ASSERT_EQ(shell.screensOpened.size(), 1u);
    EXPECT_EQ(shell.screensOpened[0].first, "RCX00514");
    const Variant& params = shell.screensOpened[0].second;
    ASSERT_TRUE(params.isArray());
    ASSERT_EQ(params.size(), 3u);
    ASSERT_TRUE(params[0].isPacket());
    EXPECT_EQ(params[0].packet().rows.size(), 1u);
    EXPECT_EQ(params[0].packet().value(0, "CDPRODUTO"), Variant(code));
    EXPECT_EQ(params[1], Variant("0001"));
    EXPECT_EQ(params[2], Variant(code));
  }
  EXPECT_TRUE(host->errors.texts().empty());
}

TEST_F(CostOriginTest, ARefusalIsShownOnceAndOpensNothing) {
  refusal = "Produto sem cotação";
  doubleClick(false, 44, "", false);
  EXPECT_EQ(server.log->count("GetOrigemCusto"), 1);
  EXPECT_TRUE(shell.screensOpened.empty());
  EXPECT_EQ(host->errors.texts(), std::vector<std::string>{"Produto sem cotação"});
}

}  // namespace
}  // namespace screentest
