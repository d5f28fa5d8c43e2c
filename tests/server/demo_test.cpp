// The demo company: its shape, its determinism, and the invariant the screen relies on: what it
// adds up for a day from GetProduto, GetCardapio and GetConsServ equals GetTrabCusto's day.
#include <gtest/gtest.h>

#include "platform/data_packet.h"
#include "platform/date.h"
#include "platform/format.h"
#include "server/demo/demo_data.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server_fixture.h"

namespace servertest {
namespace {

using platform::roundDec;
using platform::Variant;

const double kReference = platform::encodeDate(2026, 3, 18);

class DemoTest : public ::testing::Test {
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
  static TestDatabase* store_;
  static server::db::Database* db_;
  TestClock clock_;
  server::objects::AnaCustRevRec object_{testEnvironment(clock_)};
};
TestDatabase* DemoTest::store_ = nullptr;
server::db::Database* DemoTest::db_ = nullptr;

std::string dump(server::db::Database& db) {
  std::string out;
  auto tables = db.prepare(
      onPostgres() ? "SELECT table_name FROM information_schema.tables WHERE table_schema ="
                     " current_schema() AND table_name <> 'schema_version' ORDER BY table_name"
                   : "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE"
                     " 'sqlite%' AND name <> 'schema_version' ORDER BY name");
  while (tables->step()) {
    auto rows = db.prepare("SELECT * FROM " + tables->text(0));
    out += tables->text(0) + ":";
    while (rows->step()) {
      for (int c = 0; c < rows->columnCount(); ++c)
        out += rows->text(c) + ",";
      out += ";";
    }
  }
  return out;
}

TEST_F(DemoTest, ShapeOfTheCompany) {
  struct Case {
    const char* what;
    const char* sql;
    int64_t min;
    int64_t max;
  };
  const Case cases[] = {
      {"branches", "SELECT COUNT(*) FROM FILIAL", 2, 2},
      {"services", "SELECT COUNT(*) FROM SERVICO", 6, 6},
      {"products", "SELECT COUNT(*) FROM PRODUTO", 350, 450},
      {"tree levels", "SELECT COUNT(DISTINCT CDNVPRODUTO) FROM PRODUTO", 4, 4},
      {"purchase products", "SELECT COUNT(*) FROM PRODUTO WHERE CDPRODESTO <> CDPRODUTO", 60, 200},
      {"dishes", "SELECT COUNT(*) FROM PRATO", 110, 140},
      {"optional products", "SELECT COUNT(*) FROM PRODOPCIONAL", 30, 400},
      {"local recipes of standard dishes",
       "SELECT COUNT(DISTINCT CDFILIAL || CDPRATO) FROM RECEITALOCAL WHERE CDFILAUXPRAT = 'P'", 6,
       60},
      {"per-service recipes",
       "SELECT COUNT(DISTINCT CDFILIAL || CDSERVFILI || CDPRATO) FROM"
       " RECEITASERV",
       6, 80},
      {"stock products without any cost",
       "SELECT COUNT(*) FROM PRODUTO P WHERE CDPRODUTO = CDPRODESTO AND NOT EXISTS (SELECT 1"
       " FROM COTACAO C JOIN PRODUTO Q ON Q.CDPRODUTO = C.CDPRODUTO WHERE Q.CDPRODESTO ="
       " P.CDPRODUTO) AND NOT EXISTS (SELECT 1 FROM CUSTOHIST H WHERE H.CDPRODUTO = P.CDPRODUTO)",
       5, 20},
      {"suppliers", "SELECT COUNT(*) FROM FORNECEDOR", 8, 8},
      {"menu months", "SELECT COUNT(DISTINCT CAST(DTCARDAPIO AS INTEGER)) FROM CARDAPIODIA", 85,
       92},
      {"realized only up to the reference day",
       "SELECT COUNT(*) FROM RETIRADA WHERE DTRETIRADA > 46099", 0, 0},
      {"realized days", "SELECT COUNT(DISTINCT DTCARDAPIO) FROM COMENSEFET", 40, 50},
      {"holidays", "SELECT COUNT(*) FROM FERIFILI", 2, 20},
      {"operators", "SELECT COUNT(*) FROM OPERADOR", 3, 3},
      {"season bands", "SELECT COUNT(*) FROM SINASAFRA", 3, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    int64_t n = scalar(*db_, c.sql);
    EXPECT_GE(n, c.min);
    EXPECT_LE(n, c.max);
  }
  EXPECT_EQ(day(2026, 3, 18), 46099);
}

TEST_F(DemoTest, SameArgumentsSameDatabase) {
  auto other = openMemory();
  server::demo::createDemo(*other, kReference, 1);
  EXPECT_EQ(dump(*other), dump(*db_));
  EXPECT_THROW(server::demo::createDemo(*other, kReference, 1), std::invalid_argument);
}

TEST_F(DemoTest, ScaleMultipliesBranchesAndHistory) {
  auto other = openMemory();
  server::demo::createDemo(*other, kReference, 2);
  EXPECT_EQ(scalar(*other, "SELECT COUNT(*) FROM FILIAL"), 4);
  EXPECT_LT(scalar(*other, "SELECT MIN(DTCUSTO) FROM CUSTOHIST"),
            scalar(*db_, "SELECT MIN(DTCUSTO) FROM CUSTOHIST") - 150);
  // A branch's menus do not depend on the scale.
  const char* menu = "SELECT COUNT(*), SUM(COMENSPRATO) FROM CARDAPIO WHERE CDFILIAL = '0001'";
  auto a = other->prepare(menu);
  auto b = db_->prepare(menu);
  ASSERT_TRUE(a->step() && b->step());
  EXPECT_EQ(a->integer(0), b->integer(0));
  EXPECT_EQ(a->real(1), b->real(1));
}

struct InvariantCase {
  const char* label;
  const char* branch;
  const char* service;
  int mode;
  bool useFixed;
  double fixed;
  const char* costBranch;
};

TEST_F(DemoTest, DailyCostsEqualWhatTheScreenAddsUp) {
  const InvariantCase cases[] = {
      {"lunch, lowest quotation", "0001", "00001", 6, false, 0, ""},
      {"dinner, average quotation", "0001", "00002", 44, false, 0, ""},
      {"breakfast, latest quotation", "0001", "00003", 48, false, 0, ""},
      {"lunch of branch 2, average stock cost", "0002", "00001", 10, false, 0, ""},
      {"fixed cost date", "0001", "00001", 30, true, day(2026, 3, 2), ""},
      {"costs of the other branch", "0002", "00002", 6, false, 0, "0001"},
  };
  const double first = day(2026, 3, 1), last = day(2026, 3, 31);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Variant month = call(object_, *db_, "GetTrabCusto",
                         {c.branch, c.service, Variant::date(first), Variant::date(last), c.mode,
                          "analista", c.useFixed, Variant::date(c.fixed), c.costBranch, false});
    ASSERT_TRUE(month.isArray()) << month.debugString();
    const auto& days = month[1].packet();
    ASSERT_EQ(days.rows.size(), 31u);
    Variant menuResult =
        call(object_, *db_, "GetCardapio", {c.branch, c.service, Variant::date(first)});
    const auto& menu = menuResult.packet();
    int checkedDishes = 0;
    double monthMaterial = 0;
    for (size_t i = 0; i < days.rows.size(); ++i) {
      double d = num(days, i, "DTDATA");
      SCOPED_TRACE(platform::shortDate(d));
      double costDate = c.useFixed ? c.fixed : d;
      Variant productsResult = call(object_, *db_, "GetProduto",
                                    {c.branch, c.service, Variant::date(d), c.mode, c.useFixed,
                                     Variant::date(costDate), Variant::date(first), c.costBranch});
      const auto& products = productsResult.packet();
      double material = 0;
      for (size_t m = 0; m < menu.rows.size(); ++m) {
        if (num(menu, m, "DTCARDAPIO") != d) continue;
        ++checkedDishes;
        double diners = num(menu, m, "COMENSPRATO");
        for (size_t p = 0; p < products.rows.size(); ++p) {
          if (text(products, p, "CDPRATO") != text(menu, m, "CDPRATO") ||
              text(products, p, "CDFILAUXPRAT") != text(menu, m, "CDFILAUXPRAT")) {
            continue;
          }
          double quantity = roundDec(num(products, p, "QTDEBRUTA") * diners, 5);
          material += roundDec(num(products, p, "CUSTOPROD") * quantity, 5);
        }
      }
      EXPECT_EQ(roundDec(material, 5), num(days, i, "VRCUSTPRODMAT"));
      monthMaterial += material;

      // The day type the screen sends: "8" on a branch holiday, else the weekday.
      std::string dayType = std::to_string(platform::dayOfWeek(d));
      auto holiday = db_->prepare(
          "SELECT COUNT(*) FROM FERIFILI WHERE CDFILIAL = ?1 AND"
          " DTFERIFILI = ?2");
      holiday->bindText(1, c.branch);
      holiday->bindReal(2, d);
      if (holiday->step() && holiday->integer(0) > 0) dayType = "8";
      Variant cons = call(object_, *db_, "GetConsServ",
                          {c.branch, c.service, Variant::date(d), c.mode, dayType,
                           Variant::date(costDate), c.costBranch});
      const auto& items = cons[1].packet();
      double diners = num(cons[2].packet(), 0, "QTCOMESTICAR");
      double consumption = 0;
      for (size_t k = 0; k < items.rows.size(); ++k) {
        double m = text(items, k, "IDCONSUMO") == "P" ? diners : 1.0;
        double quantity = roundDec(num(items, k, "QTCONSSERV") * m, 5);
        consumption += roundDec(quantity * num(items, k, "CustoUnit"), 5);
      }
      EXPECT_EQ(roundDec(consumption, 5), num(days, i, "VRCUSTOCONS"));
      EXPECT_EQ(diners, num(days, i, "QTCOMESTICAR"));
    }
    EXPECT_GT(checkedDishes, 60);
    EXPECT_GT(monthMaterial, 1000);
  }
}

TEST_F(DemoTest, TheMonthShowsOutdatedAndZeroCosts) {
  clock_.keys = 1000;  // the suite shares one database; earlier tests took the first keys
  Variant month =
      call(object_, *db_, "GetTrabCusto",
           {"0001", "00001", Variant::date(day(2026, 3, 1)), Variant::date(day(2026, 3, 31)), 6,
            "analista", false, Variant::date(0.0), "", false});
  EXPECT_GT(month[2].packet().rows.size(), 5u);
  Variant outdated = call(object_, *db_, "GetProdCotDesatu",
                          {month[0], "0001", "", "00001", 6, Variant::date(day(2026, 3, 1)),
                           Variant::date(day(2026, 3, 31)), Variant::date(0.0), false});
  EXPECT_GT(outdated.packet().rows.size(), 5u);
  Variant zero = call(object_, *db_, "GetProdCustZero",
                      {"", 6, Variant::date(0.0), "0001", "00001", Variant::date(day(2026, 3, 1)),
                       Variant::date(day(2026, 3, 31)), false});
  EXPECT_GT(zero.packet().rows.size(), 0u);
  Variant realized =
      call(object_, *db_, "GetRealizado",
           {"0001", "00001", Variant::date(day(2026, 3, 1)), 1, false, Variant::date(0.0), ""});
  const auto& r = realized.packet();
  ASSERT_EQ(r.rows.size(), 18u);
  EXPECT_GT(num(r, 17, "CUSTO"), 0);
}

}  // namespace
}  // namespace servertest
