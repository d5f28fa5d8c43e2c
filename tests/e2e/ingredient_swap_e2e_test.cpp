// The ingredient swap against the real server: an optional product replaces a product of a
// local recipe, and the screen shows the recipe as the server then holds it.
#include "e2e_fixture.h"
#include "screen/connections.h"

namespace e2e {
namespace {

using platform::DataPacket;
using platform::Variant;
using screen::TfrmAnaCustRevRec;
using screentest::Driver;

constexpr double kOpenDay = kApril1 + 16;

// A suite of its own: its swap changes its own demo database only.
class IngredientSwapE2E : public E2ETest {
 protected:
  void SetUp() override {
    E2ETest::SetUp();
    screen::setConnectionFactory([calls = log](const std::string& serverName) {
      return std::make_unique<screentest::CountingConnection>(serverName, calls);
    });
  }

  static DataPacket dayProducts() {
    return call("GetProduto",
                {Variant("0001"), Variant("00001"), Variant::date(kOpenDay), Variant(6),
                 Variant(false), Variant::date(kOpenDay), Variant::date(kApril1), Variant("")})
        .packet();
  }
  static bool dishHas(const DataPacket& products, const std::string& dish,
                      const std::string& branch, const std::string& product) {
    for (size_t i = 0; i < products.rows.size(); ++i)
      if (products.value(i, "CDPRATO").toString() == dish &&
          products.value(i, "CDFILAUXPRAT").toString() == branch &&
          products.value(i, "CDPRODUTO").toString() == product)
        return true;
    return false;
  }
};

TEST_F(IngredientSwapE2E, AnOptionalProductReplacesTheLocalRecipesProduct) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.selectSubPage(f.tshMatPrima));
    ASSERT_TRUE(d.gotoDay(kOpenDay));
    const DataPacket before = dayProducts();
    std::string dish, branch, oldProduct, chosenCode, chosen;
    // The first product of a local or per-service recipe with a usable optional product.
    for (int row = 0; row < f.recipe.cdsCardapio.recordCount() && chosen.empty(); ++row) {
      ASSERT_TRUE(d.selectRow(*f.recipe.dbgCardapio, row));
      for (int p = 0; p < f.recipe.cdsProduto.recordCount() && chosen.empty(); ++p) {
        ASSERT_TRUE(d.selectRow(*f.recipe.dbgPrato, p));
        const platform::ClientDataSet& ds = f.recipe.cdsProduto;
        const std::string kind = ds.fieldByName("TIPO").asString();
        if (kind != "L" && kind != "S") continue;
        dish = ds.fieldByName("CDPRATO").asString();
        branch = ds.fieldByName("CDFILAUXPRAT").asString();
        const DataPacket optionals =
            f.netInfPrato->call("PesqProdOpc", ds.fieldByName("CDARVPROD").asString(), "4")
                .packet();
        for (size_t i = 0; i < optionals.rows.size(); ++i) {
          const std::string product = optionals.value(i, "CDPRODUTO").toString();
          const std::string code = optionals.value(i, "CDARVPROD").toString();
          if (product != optionals.value(i, "CDPRODESTO").toString() ||
              dishHas(before, dish, branch, product) ||
              f.netReceitaPadrao->call("Verif_Status_Prod", "0001", "4", code).toString() ==
                  "PROD_INATIVO" ||
              f.netReceitaPadrao->call("GetVerifProd", "0001", product).toBool())
            continue;
          oldProduct = ds.fieldByName("CDPRODUTO").asString();
          chosenCode = code;
          chosen = product;
          break;
        }
      }
    }
    ASSERT_FALSE(chosen.empty()) << "no product with a usable optional product";

    host->search.chooseCode(chosenCode);
    ASSERT_TRUE(d.focus(*f.recipe.dbgPrato));
    ASSERT_TRUE(d.click(*f.recipe.mnuTrocarIn));

    const DataPacket after = dayProducts();
    EXPECT_TRUE(dishHas(after, dish, branch, chosen));
    EXPECT_FALSE(dishHas(after, dish, branch, oldProduct));
    EXPECT_EQ(after.rows.size(), before.rows.size());
    EXPECT_TRUE(f.recipe.cdsProduto.locate("CDARVPROD", Variant(chosenCode)));
    EXPECT_TRUE(f.ctx.recipeChanged);
    EXPECT_TRUE(f.sbtCalcula->enabled());
    EXPECT_EQ(
        host->dialogs.texts(),
        std::vector<std::string>{"Receita alterada com êxito. Custos devem ser recalculados."});
  });
  EXPECT_TRUE(host->modal.errors.empty());
  EXPECT_TRUE(host->errors.texts().empty());
}

}  // namespace
}  // namespace e2e
