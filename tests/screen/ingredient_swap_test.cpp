// "Trocar Ingrediente" on the product grid: the optional products, the checks of the chosen one,
// the swap on the server of the recipe's kind and the reload of the day's products.
#include "recipe_edit_fixture.h"

namespace screentest {
namespace {

using platform::DataSetState;
using platform::Variant;
using screen::TfrmAnaCustRevRec;
using namespace platform::ui;

struct Optional {
  std::string code;  // CDARVPROD
  std::string product;
  std::string stock;
  double factor;
};

class IngredientSwapTest : public RecipeEditTest {
 protected:
  void SetUp() override {
    RecipeEditTest::SetUp();
    server.idBloAltRelo = "S";
    server.products.push_back({"AB.05.001.0003", "5005", "P", "111111111111", 0.1, 5, "L", "N"});
    Script& s = *server.script;
    s["PesqProdOpc"] = [this](const std::vector<Variant>&) {
      std::vector<platform::Row> rows;
      for (const Optional& o : optionals)
        rows.push_back({Variant(o.code), Variant("OPCIONAL " + o.code), Variant("LT"),
                        Variant(o.product), Variant(o.stock), Variant(o.factor)});
      return Variant(makePacket({{"CDARVPROD", platform::FieldType::Text, 20},
                                 {"NMPRODUTO", platform::FieldType::Text, 50},
                                 {"SGUNIDADE", platform::FieldType::Text, 10},
                                 {"CDPRODUTO", platform::FieldType::Text, 10},
                                 {"CDPRODESTO", platform::FieldType::Text, 10},
                                 {"VRPEFATOCORR", platform::FieldType::Float, 0}},
                                std::move(rows)));
    };
    s["Verif_Status_Prod"] = [this](const auto&) { return Variant(status); };
    s["GetVerifProd"] = [this](const auto&) { return verifProd; };
    s["TrocaProduto"] = [this](const std::vector<Variant>& p) {
      if (!swapRefusal.empty()) return Variant(swapRefusal);
      for (ProductRow& r : server.products)
        if (r.dish == p.at(0).toString() && r.code.substr(0, 10) == p.at(3).toString()) {
          for (const Optional& o : optionals)
            if (o.product == p.at(4).toString()) r.code = o.code;
          break;
        }
      return Variant(true);
    };
  }

  // On the local recipe of 06/03, the product grid on its first product, the user swaps it.
  // The call log and the busy animation's record start with it.
  bool swap(TfrmAnaCustRevRec& f, Driver& d) {
    if (!d.focus(*f.recipe.dbgPrato)) return false;
    server.log->clear();
    host->busy.clear();
    return d.click(*f.recipe.mnuTrocarIn);
  }

  std::vector<Optional> optionals{{"01.06.001.0001", "01.06.001.", "01.06.001.", 1.25},
                                  {"01.06.001.0002", "01.06.0012", "01.06.001.", 1.0},
                                  {"01.05.001.0002", "01.05.001.", "01.05.001.", 1.0},
                                  {"ab.05.001.0003", "ab.05.001.", "ab.05.001.", 1.0}};
  std::string status = "OK";
  Variant verifProd{false};
  std::string swapRefusal;
};

TEST_F(IngredientSwapTest, ALocalRecipeSwapGoesToTheDishServerAndReloadsTheDay) {
  openOn(march(6), [&](TfrmAnaCustRevRec& f, Driver& d) {
    host->search.chooseCode("01.06.001.0001");
    ASSERT_TRUE(swap(f, d));
    const ScriptedSearch::Shown& shown = host->search.shown().at(0);
    EXPECT_EQ(shown.caption, "Produto Opcional|Não há Produto Opcional cadastrado.");
    // Only products that are their own stock product are offered.
    EXPECT_EQ(shown.rows, 3);
    EXPECT_EQ(server.log->last("PesqProdOpc"),
              (std::vector<Variant>{Variant("01.05.001.0001"), Variant("4")}));
    EXPECT_EQ(server.log->last("Verif_Status_Prod"),
              (std::vector<Variant>{Variant("0001"), Variant("4"), Variant("01.06.001.0001")}));
    EXPECT_EQ(server.log->last("GetVerifProd"),
              (std::vector<Variant>{Variant("0001"), Variant("01.06.001.")}));
    EXPECT_EQ(server.log->last("TrocaProduto"),
              (std::vector<Variant>{Variant("5005"), Variant("0001"), Variant(""),
                                    Variant("01.05.001."), Variant("01.06.001."), Variant("LT"),
                                    Variant(1.25), Variant(""), Variant("")}));
    for (const Call& call : server.log->calls()) {
      if (call.method == "PesqProdOpc" || call.method == "TrocaProduto") {
        EXPECT_EQ(call.server, "Rcx00502.rdmInfPrato") << call.method;
      }
      if (call.method == "Verif_Status_Prod" || call.method == "GetVerifProd") {
        EXPECT_EQ(call.server, "Rcx00503.rdmReceitaPadrao") << call.method;
      }
    }
    // The day's products as the server now holds them, still filtered to the dish.
    EXPECT_EQ(column(f.recipe.cdsProduto, "CDARVPROD"),
              (std::vector<Variant>{Variant("01.06.001.0001"), Variant("01.05.001.0002"),
                                    Variant("AB.05.001.0003")}));
    EXPECT_EQ(f.recipe.cdsProduto.state(), DataSetState::Browse);
    EXPECT_EQ(f.recipe.cdsProduto.changeCount(), 0);
    EXPECT_TRUE(f.ctx.recipeChanged);
    EXPECT_TRUE(f.sbtCalcula->enabled());
    EXPECT_EQ(dialogsShown(), std::vector<std::string>{
                                  "Receita alterada com êxito. Custos devem ser recalculados."});
    EXPECT_EQ(host->busy.shows(), (std::vector<std::string>{"show 6", "show 6"}));
    EXPECT_FALSE(host->busy.visible());
  });
  EXPECT_TRUE(errorsShown().empty());
}

TEST_F(IngredientSwapTest, APerServiceRecipeSwapGoesToTheCostServerWithTheService) {
  for (ProductRow& r : server.products)
    if (r.dish == "5005") r.kind = "S";
  openOn(march(6), [&](TfrmAnaCustRevRec& f, Driver& d) {
    host->search.chooseCode("01.06.001.0001");
    ASSERT_TRUE(swap(f, d));
    EXPECT_EQ(server.log->last("TrocaProduto"),
              (std::vector<Variant>{Variant("5005"), Variant("0001"), Variant("00001"),
                                    Variant("01.05.001."), Variant("01.06.001."), Variant("LT"),
                                    Variant(1.25), Variant(""), Variant("")}));
    for (const Call& call : server.log->calls())
      if (call.method == "TrocaProduto") {
        EXPECT_EQ(call.server, "Rcx00500.rdmAnaCustRevRec");
      }
    EXPECT_EQ(f.recipe.cdsProduto.fieldByName("CDARVPROD").asString(), "01.06.001.0001");
    EXPECT_TRUE(f.ctx.recipeChanged);
  });
  EXPECT_TRUE(errorsShown().empty());
}

// Every way the action ends before the swap: nothing is saved and nothing is reloaded.
struct Rejection {
  const char* name;
  std::string kind = "L";
  std::string blocking = "S";
  std::string chosen = "01.06.001.0001";  // empty: the user closes the list
  std::string status = "OK";
  Variant verifProd{false};
  const char* error = "";
  bool searched = true;
  friend void PrintTo(const Rejection& r, std::ostream* os) { *os << r.name; }
};

class SwapRejectionTest : public IngredientSwapTest,
                          public ::testing::WithParamInterface<Rejection> {};

TEST_P(SwapRejectionTest, EndsBeforeTheSwapWithItsMessage) {
  const Rejection& c = GetParam();
  server.idBloAltRelo = c.blocking;
  status = c.status;
  verifProd = c.verifProd;
  for (ProductRow& r : server.products)
    if (r.dish == "5005") r.kind = c.kind;
  openOn(march(6), [&](TfrmAnaCustRevRec& f, Driver& d) {
    if (c.chosen.empty()) {
      host->search.cancel();
    } else {
      host->search.chooseCode(c.chosen);
    }
    swap(f, d);
    EXPECT_EQ(host->search.shown().size(), c.searched ? 1u : 0u);
    EXPECT_EQ(server.log->count("TrocaProduto"), 0);
    EXPECT_EQ(server.log->count("GetProduto"), 0);
    EXPECT_FALSE(f.ctx.recipeChanged);
    EXPECT_FALSE(host->busy.visible());
    EXPECT_EQ(f.recipe.cdsProduto.fieldByName("CDARVPROD").asString(), "01.05.001.0001");
  });
  EXPECT_EQ(errorsShown(),
            *c.error ? std::vector<std::string>{c.error} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SwapRejectionTest,
    ::testing::Values(Rejection{.name = "NoChoice", .chosen = ""},
                      Rejection{.name = "BlockingNeitherSNorN", .blocking = "X", .searched = false},
                      Rejection{.name = "Inactive",
                                .status = "PROD_INATIVO",
                                .error = "Produto não cadastrado para a filial ou inativo."},
                      Rejection{
                          .name = "ProductCheck", .verifProd = Variant(true), .error = "Prod_NEst"},
                      Rejection{.name = "ProductCheckFailed",
                                .verifProd = Variant("Falha na verificação"),
                                .error = "Falha na verificação"},
                      Rejection{.name = "LocalDuplicate",
                                .chosen = "01.05.001.0002",
                                .error = "Produto já cadastrado na receita local."},
                      Rejection{.name = "DuplicateInAnotherCase",
                                .chosen = "ab.05.001.0003",
                                .error = "Produto já cadastrado na receita local."},
                      Rejection{.name = "PerServiceDuplicate",
                                .kind = "S",
                                .chosen = "01.05.001.0002",
                                .error = "Produto já cadastrado na receita por serviço."}),
    [](const ::testing::TestParamInfo<Rejection>& param) { return std::string(param.param.name); });

TEST_F(IngredientSwapTest, AStandardRecipeProductIsNeverSwapped) {
  for (ProductRow& r : server.products)
    if (r.dish == "5005") r.kind = "P";
  openOn(march(6), [&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.focus(*f.recipe.dbgPrato));
    EXPECT_FALSE(f.recipe.mnuTrocarIn->visible());
    ASSERT_TRUE(d.dispatch([&] { f.recipe.mnuTrocarInClick(); }));
    EXPECT_EQ(server.log->count("PesqProdOpc"), 0);
    EXPECT_TRUE(host->search.shown().empty());
  });
}

TEST_F(IngredientSwapTest, AFailedSwapIsShownAndKeepsTheProducts) {
  swapRefusal = "Receita bloqueada";
  openOn(march(6), [&](TfrmAnaCustRevRec& f, Driver& d) {
    host->search.chooseCode("01.06.001.0001");
    EXPECT_FALSE(swap(f, d));
    EXPECT_EQ(server.log->count("GetProduto"), 0);
    EXPECT_FALSE(f.ctx.recipeChanged);
    EXPECT_FALSE(host->busy.visible());
  });
  EXPECT_EQ(errorsShown(), std::vector<std::string>{"Receita bloqueada"});
}

// The swap is saved before the reload: a reload that answers an error text shows it, keeps the
// old rows (the text is no product list) and still marks the costs stale.
TEST_F(IngredientSwapTest, AFailedReloadAfterTheSwapKeepsTheCostsStale) {
  openOn(march(6), [&](TfrmAnaCustRevRec& f, Driver& d) {
    (*server.script)["GetProduto"] = [](const auto&) { return Variant("Base indisponível"); };
    host->search.chooseCode("01.06.001.0001");
    EXPECT_FALSE(swap(f, d));
    EXPECT_EQ(server.log->count("TrocaProduto"), 1);
    EXPECT_EQ(column(f.recipe.cdsProduto, "CDARVPROD"),
              (std::vector<Variant>{Variant("01.05.001.0001"), Variant("01.05.001.0002"),
                                    Variant("AB.05.001.0003")}));
    EXPECT_TRUE(f.ctx.recipeChanged);
    EXPECT_TRUE(f.sbtCalcula->enabled());
    EXPECT_TRUE(dialogsShown().empty());
  });
  EXPECT_EQ(errorsShown(), std::vector<std::string>{"Base indisponível"});
}

}  // namespace
}  // namespace screentest
