// The shared cost path: a resolver limited to the products a call prices answers exactly as one
// over the whole catalogue, and recipes in force list their products by tree code.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/date.h"
#include "server/cost/menu.h"
#include "server/cost/unit_cost.h"
#include "server/demo/demo_data.h"
#include "server_fixture.h"

namespace servertest {
namespace {

using server::cost::CostResolver;
using server::cost::UnitCost;

const double kReference = platform::encodeDate(2026, 3, 18);

class CostPathTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    store_ = new TestDatabase(openMemory());
    db_ = store_->get();
    server::demo::createDemo(*db_, kReference, 1);
  }
  static void TearDownTestSuite() {
    delete store_;
    store_ = nullptr;
    db_ = nullptr;
  }
  static std::vector<std::string> stockProducts() {
    std::vector<std::string> codes;
    auto st = db_->prepare(
        "SELECT CDPRODUTO FROM PRODUTO WHERE CDPRODUTO = CDPRODESTO ORDER BY CDPRODUTO");
    while (st->step())
      codes.push_back(st->text(0));
    return codes;
  }
  static TestDatabase* store_;
  static server::db::Database* db_;
};
TestDatabase* CostPathTest::store_ = nullptr;
server::db::Database* CostPathTest::db_ = nullptr;

std::string describe(const UnitCost& c) {
  return std::to_string(c.value) + (c.outdated ? " outdated" : "") +
         (c.hasValidity ? " " + std::to_string(c.validFrom) + ".." + std::to_string(c.validTo)
                        : "");
}

std::vector<int64_t> originIds(const CostResolver& r, const std::string& product, double date) {
  std::vector<int64_t> ids;
  for (const auto& q : r.origin(product, date))
    ids.push_back(q.id);
  return ids;
}

TEST_F(CostPathTest, ALimitedResolverAnswersAsTheWholeCatalogue) {
  double firstQuote = static_cast<double>(scalar(*db_, "SELECT MIN(DTINIVALITM) FROM COTACAO"));
  double lastQuote = static_cast<double>(scalar(*db_, "SELECT MAX(DTFINVALITM) FROM COTACAO"));
  struct Case {
    const char* label;
    const char* branch;
    int mode;
    double from;
    double to;
  };
  const Case cases[] = {
      {"lowest quotation, the month", "0001", 6, kReference - 17, kReference + 13},
      {"average quotation, other branch", "0002", 44, kReference - 17, kReference + 13},
      {"latest quotation", "0001", 48, kReference - 5, kReference + 5},
      {"every quotation ended: outdated", "0001", 6, lastQuote + 3, lastQuote + 12},
      {"before any quotation", "0001", 44, firstQuote - 8, firstQuote - 1},
      {"average stock cost", "0001", 10, kReference - 20, kReference + 5},
      {"last purchase cost", "0002", 30, kReference - 20, kReference + 5},
      {"higher of both", "0001", 31, kReference - 3, kReference + 3},
      {"average at the previous close", "0001", 61, kReference - 3, kReference + 3},
      {"purchase at the previous close", "0001", 62, kReference - 3, kReference + 3},
      {"reference price", "0001", 7, kReference, kReference},
  };
  std::vector<std::string> all = stockProducts();
  ASSERT_GT(all.size(), 100u);
  std::vector<std::string> some;  // a short list, with a repeat
  for (size_t i = 0; i < all.size(); i += 9)
    some.push_back(all[i]);
  some.push_back(all.front());
  // Beyond what a statement binds at once: the catalogue is loaded whole and still limited.
  std::vector<std::string> many = all;
  for (int i = 0; i < 600; ++i)
    many.push_back("X" + std::to_string(i));

  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    CostResolver whole(*db_, c.branch, c.mode, c.from, c.to);
    int nonZero = 0;
    for (const auto* list : {&all, &some, &many}) {
      CostResolver limited(*db_, c.branch, c.mode, c.from, c.to, *list);
      for (const auto& product : *list) {
        for (double d = c.from; d <= c.to; d += 1) {
          UnitCost a = whole.at(product, d);
          UnitCost b = limited.at(product, d);
          ASSERT_EQ(describe(b), describe(a)) << product << " on " << d;
          ASSERT_EQ(originIds(limited, product, d), originIds(whole, product, d))
              << product << " on " << d;
          nonZero += a.value != 0;
        }
      }
    }
    if (c.from > firstQuote) {
      EXPECT_GT(nonZero, 0);
    }
  }
}

TEST_F(CostPathTest, ALimitedResolverRefusesProductsOutsideItsList) {
  std::vector<std::string> all = stockProducts();
  struct Case {
    const char* label;
    int mode;
    std::vector<std::string> listed;
    std::string asked;
  };
  const Case cases[] = {
      {"quotation mode", 6, {all[0], all[1]}, all[2]},
      {"stock history mode", 10, {all[0]}, all[1]},
      {"reference price", 7, {all[3]}, all[0]},
      {"empty list", 44, {}, all[0]},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    CostResolver limited(*db_, "0001", c.mode, kReference, kReference, c.listed);
    EXPECT_THROW(limited.at(c.asked, kReference), std::logic_error);
    EXPECT_THROW(limited.origin(c.asked, kReference), std::logic_error);
    for (const auto& product : c.listed)
      EXPECT_NO_THROW(limited.at(product, kReference));
  }
}

TEST(RecipesInForceTest, ProductsComeByTreeCodeWhateverTheirCodes) {
  auto db = openMemory();
  loadSmallFixture(*db);
  // A product whose code sorts first but whose tree code sorts last in the standard recipe, and
  // one in between.
  db->exec(
      "INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, CDNVPRODUTO, NMPRODUTO, SGUNIDADE, CDPRODESTO)"
      " VALUES ('0001', '09.09.009.0009', 4, 'SAL', 'KG', '0001'),"
      " ('9999', '01.09.001.0001', 4, 'OLEO', 'L', '9999');"
      "INSERT INTO RECEITA VALUES ('P', '1001', '0001', 0.001, 'KG'),"
      " ('P', '1001', '9999', 0.005, 'L')");
  auto recipes =
      server::cost::loadRecipesInForce(*db, "0001", "00001", day(2026, 3, 1), day(2026, 3, 31));
  struct Case {
    server::cost::DishKey dish;
    std::vector<std::string> products;
  };
  const Case cases[] = {
      {{"P", "1001"}, {"1001", "9999", "1010", "0001"}},
      {{"P", "3001"}, {"1003"}},
      {{"0001", "L00011"}, {"1002", "1007"}},
  };
  ASSERT_EQ(recipes.size(), std::size(cases));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dish.second);
    ASSERT_EQ(recipes.count(c.dish), 1u);
    std::vector<std::string> products;
    for (const auto& p : recipes.at(c.dish))
      products.push_back(p.product);
    EXPECT_EQ(products, c.products);
  }
}

}  // namespace
}  // namespace servertest
