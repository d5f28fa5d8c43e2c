// Recipe saves, diners and swaps: refusals write nothing, conflicts are detected, a database
// failure at any statement leaves the recipe as it was.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "platform/data_packet.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server/objects/database_messages.h"
#include "server/objects/other_objects.h"
#include "server/schema/migrations.h"
#include "server_fixture.h"
#include "write_fixture.h"

namespace servertest {
namespace {

using platform::Change;
using platform::ChangeKind;
using platform::DataPacket;
using platform::Row;
using platform::Variant;
using server::objects::AnaCustRevRec;

TEST_F(WritesTest, ASavedChangeAnswersTheDayAsGetProdutoWould) {
  DataPacket day16 = dayPacket(*db_, day(2026, 3, 16));
  Delta delta(day16);
  delta.modify("1001", "1001", 0.12);
  Variant r = save(*db_, day16, delta.packet(), day(2026, 3, 16), "analista");
  ASSERT_TRUE(r.isArray());
  ASSERT_EQ(r[0], Variant("")) << r.debugString();
  EXPECT_EQ(r[1].packet(), dayPacket(*db_, day(2026, 3, 16)));
  EXPECT_EQ(scalar(*db_,
                   "SELECT COUNT(*) FROM RECEITA WHERE CDPRODUTO = '1001' AND"
                   " QTDERECE = 0.12"),
            1);
}

TEST_F(WritesTest, RefusalsNameTheProductAndWriteNothing) {
  DataPacket day16 = dayPacket(*db_, day(2026, 3, 16));
  DataPacket day09 = dayPacket(*db_, day(2026, 3, 9));
  struct Case {
    const char* label;
    DataPacket delta;
    double day;
    const char* op;
    const char* kind;
    const char* error;
    const char* refused;
  };
  const Case cases[] = {
      {"closed day", Delta(day09).modify("1001", "1001", 0.2).packet(), day(2026, 3, 9), "analista",
       "P", "Dia fechado: o cardápio deste dia não pode mais ser alterado.", "01.01.001.0001"},
      {"standard recipe without the right", Delta(day16).modify("1001", "1001", 0.2).packet(),
       day(2026, 3, 16), "filial", "P", "Operador não autorizado a alterar a receita padrão.",
       "01.01.001.0001"},
      {"blocked revised local recipe, parameter not set",
       Delta(day16).insert("3001", "1003", "1007", "02.01.001.0004", 0.05).packet(),
       day(2026, 3, 16), "filial", "L", "recelocbloqalt", "02.01.001.0004"},
      {"blocked revised local recipe, parameter denied",
       Delta(day16).insert("3001", "1003", "1007", "02.01.001.0004", 0.05).packet(),
       day(2026, 3, 16), "consulta", "L", "opernaut", "02.01.001.0004"},
      {"purchase product",
       Delta(day16).insert("L00011", "1002", "1004", "01.01.001.5001", 0.05).packet(),
       day(2026, 3, 16), "filial", "S", "prod_compr", "01.01.001.5001"},
      {"inactive product",
       Delta(day16).insert("L00011", "1002", "1005", "02.01.001.0002", 0.05).packet(),
       day(2026, 3, 16), "filial", "S", "prod_inativo", "02.01.001.0002"},
      {"product inactive for the branch",
       Delta(day16).insert("L00011", "1002", "1011", "02.01.001.0006", 0.05).packet(),
       day(2026, 3, 16), "filial", "S", "prod_inativo", "02.01.001.0006"},
      {"unknown product",
       Delta(day16).insert("L00011", "1002", "", "55.55.555.5555", 0.05).packet(), day(2026, 3, 16),
       "filial", "S", "prod_inativo", "55.55.555.5555"},
      {"product not controlling stock",
       Delta(day16).insert("L00011", "1002", "1006", "02.01.001.0003", 0.05).packet(),
       day(2026, 3, 16), "filial", "S", "prod_n_ctrl_est", "02.01.001.0003"},
      {"product already in the recipe",
       Delta(day16).insert("L00011", "1002", "1007", "02.01.001.0004", 0.05).packet(),
       day(2026, 3, 16), "filial", "S", "prod_ja_cad", "02.01.001.0004"},
      {"row changed since it was loaded", Delta(day16).modify("1001", "1001", 0.2, 0.11).packet(),
       day(2026, 3, 16), "analista", "P",
       "Receita alterada por outro usuário. Recarregue os produtos do dia.", "01.01.001.0001"},
      {"per capita not above zero", Delta(day16).modify("1001", "1001", 0.000004).packet(),
       day(2026, 3, 16), "analista", "P", "qtde<0", "01.01.001.0001"},
      {"the last product of a recipe", Delta(day16).remove("3001", "1003").packet(),
       day(2026, 3, 16), "analista", "L", "nao_excluir", "02.01.001.0001"},
      {"a valid change before a refused one is not written",
       Delta(day16)
           .modify("L00011", "1002", 0.2)
           .insert("L00011", "1002", "1004", "01.01.001.5001", 0.05)
           .packet(),
       day(2026, 3, 16), "filial", "S", "prod_compr", "01.01.001.5001"},
      {"inserting into a recipe kind the dish does not have",
       Delta(day16).insert("L00011", "1002", "1003", "02.01.001.0001", 0.05, "P").packet(),
       day(2026, 3, 16), "analista", "P",
       "A receita deste tipo não existe para o prato; recarregue os produtos do dia.",
       "02.01.001.0001"},
  };
  std::string before = snapshot(*db_);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Variant r = save(*db_, day16, c.delta, c.day, c.op, c.kind);
    ASSERT_TRUE(r.isArray());
    EXPECT_EQ(r[0].toString(), c.error);
    EXPECT_EQ(r[1].toString(), c.refused);
    EXPECT_EQ(snapshot(*db_), before);
  }
}

TEST_F(WritesTest, RulesThatLetChangesThrough) {
  DataPacket day16 = dayPacket(*db_, day(2026, 3, 16));
  struct Case {
    const char* label;
    DataPacket delta;
    const char* op;
    const char* kind;
    const char* check;  // a query that must count 1 afterwards
  };
  const Case cases[] = {
      {"ARRV lets a blocked local recipe grow",
       Delta(day16).insert("3001", "1003", "1007", "02.01.001.0004", 0.05).packet(), "analista",
       "L", "SELECT COUNT(*) FROM RECEITALOCAL WHERE CDPRATO = '3001' AND CDPRODUTO = '1007'"},
      {"a branch's own dish is never blocked",
       Delta(day16).insert("L00011", "1002", "1003", "02.01.001.0001", 0.07).packet(), "filial",
       "S", "SELECT COUNT(*) FROM RECEITASERV WHERE CDPRATO = 'L00011' AND CDPRODUTO = '1003'"},
      {"changing a quantity of a blocked local recipe needs no parameter",
       Delta(day16).modify("3001", "1003", 0.25).packet(), "filial", "L",
       "SELECT COUNT(*) FROM RECEITALOCAL WHERE CDPRATO = '3001' AND QTDERECE = 0.25"},
      {"insert, modify and delete in one save",
       Delta(day16)
           .remove("L00011", "1007")
           .modify("L00011", "1002", 0.15)
           .insert("L00011", "1002", "1003", "02.01.001.0001", 0.04)
           .packet(),
       "filial", "S",
       "SELECT COUNT(*) FROM RECEITASERV WHERE CDPRATO = 'L00011' AND"
       " ((CDPRODUTO = '1002' AND QTDERECE = 0.15) OR CDPRODUTO = '1003') HAVING COUNT(*) = 2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    SetUp();
    Variant r = save(*db_, day16, c.delta, day(2026, 3, 16), c.op, c.kind);
    ASSERT_TRUE(r.isArray());
    EXPECT_EQ(r[0], Variant("")) << r.debugString();
    EXPECT_GE(scalar(*db_, c.check), 1);
  }
}

TEST_F(WritesTest, AFailingStatementAnywhereLeavesTheRecipeAsItWas) {
  DataPacket day16 = dayPacket(*db_, day(2026, 3, 16));
  DataPacket delta = Delta(day16)
                         .remove("L00011", "1007")
                         .modify("L00011", "1002", 0.15)
                         .insert("L00011", "1002", "1003", "02.01.001.0001", 0.04)
                         .packet();
  std::string before = snapshot(*db_);
  int n = 1;
  for (;; ++n) {
    ASSERT_LT(n, 200) << "the save never succeeded";
    db_->failNthStatement(n);
    Variant r = save(*db_, day16, delta, day(2026, 3, 16), "filial", "S");
    db_->failNthStatement(0);
    ASSERT_TRUE(r.isArray()) << r.debugString();
    if (r[0].toString().empty()) break;
    SCOPED_TRACE(n);
    // The user reads a sentence of their own, never the database's text.
    EXPECT_EQ(r[0].toString(), server::objects::databaseMessage("injected fault"));
    EXPECT_EQ(r[0].toString().find("injected fault"), std::string::npos);
    EXPECT_EQ(snapshot(*db_), before);
    EXPECT_FALSE(db_->inTransaction());
  }
  // Reads, begin, checks, three writes, the answer's reads and the commit all failed once.
  EXPECT_GT(n, 15);
  EXPECT_NE(snapshot(*db_), before);
  EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM RECEITASERV WHERE CDPRATO = 'L00011'"), 2);
}

TEST_F(WritesTest, TwoSessionsEditingTheSameRecipeLoseNoUpdate) {
  std::string path = tempDatabasePath("sessions");
  {
    auto setup = connectTo(path, server::db::OpenMode::Create);
    server::schema::migrate(*setup, 1);
    loadSmallFixture(*setup);
  }
  auto first = connectTo(path);
  auto second = connectTo(path);
  // Both screens load the day before either saves.
  DataPacket seenByFirst = dayPacket(*first, day(2026, 3, 16));
  DataPacket seenBySecond = dayPacket(*second, day(2026, 3, 16));
  DataPacket firstEdit = Delta(seenByFirst).modify("1001", "1001", 0.12).packet();
  DataPacket secondEdit = Delta(seenBySecond).modify("1001", "1001", 0.15).packet();

  Variant a, b;
  std::thread t1([&] { a = save(*first, seenByFirst, firstEdit, day(2026, 3, 16), "analista"); });
  std::thread t2(
      [&] { b = save(*second, seenBySecond, secondEdit, day(2026, 3, 16), "analista"); });
  t1.join();
  t2.join();
  ASSERT_TRUE(a.isArray() && b.isArray());
  bool firstWon = a[0].toString().empty();
  const Variant& loser = firstWon ? b : a;
  EXPECT_NE(a[0].toString().empty(), b[0].toString().empty()) << "exactly one save goes through";
  EXPECT_EQ(loser[0].toString(),
            "Receita alterada por outro usuário. Recarregue os produtos do dia.");
  EXPECT_EQ(loser[1].toString(), "01.01.001.0001");
  double kept = firstWon ? 0.12 : 0.15;
  EXPECT_DOUBLE_EQ(num(dayPacket(*first, day(2026, 3, 16)), 2, "QTDERECE"), kept);

  // A change of another product by the loser, made after reloading, goes through as well.
  DataPacket reloaded = dayPacket(*second, day(2026, 3, 16));
  Variant again = save(*second, reloaded, Delta(reloaded).modify("1001", "1010", 0.03).packet(),
                       day(2026, 3, 16), "analista");
  EXPECT_EQ(again[0], Variant(""));
  EXPECT_DOUBLE_EQ(num(dayPacket(*first, day(2026, 3, 16)), 2, "QTDERECE"), kept);
}

TEST_F(WritesTest, DinersOfADish) {
  struct Case {
    const char* label;
    double day;
    const char* dish;
    double diners;
    bool ok;
  };
  const Case cases[] = {
      {"open day", day(2026, 3, 16), "3001", 75, true},
      {"fractional diners", day(2026, 3, 16), "1001", 99.5, true},
      {"closed day", day(2026, 3, 9), "1001", 40, false},
      {"dish not on the menu", day(2026, 3, 16), "9999", 40, false},
      {"negative diners", day(2026, 3, 16), "1001", -1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    std::string before = snapshot(*db_);
    Variant r = call(object_, *db_, "AltComensais",
                     {"0001", "00001", Variant::date(c.day), c.dish, "P", c.diners});
    if (c.ok) {
      EXPECT_EQ(r, Variant(true));
      auto st =
          db_->prepare("SELECT COMENSPRATO FROM CARDAPIO WHERE CDPRATO = ?1 AND DTCARDAPIO = ?2");
      st->bindText(1, c.dish);
      st->bindReal(2, c.day);
      ASSERT_TRUE(st->step());
      EXPECT_DOUBLE_EQ(st->real(0), c.diners);
    } else {
      EXPECT_TRUE(r.isText()) << r.debugString();
      EXPECT_EQ(snapshot(*db_), before);
    }
  }
}

TEST_F(WritesTest, IngredientSwaps) {
  server::objects::InfPrato dishInfo;
  struct Case {
    const char* label;
    bool local;  // InfPrato's local form, else the per-service form
    const char* dish;
    const char* from;
    const char* to;
    const char* error;  // "" when the swap goes through
  };
  const Case cases[] = {
      {"per service: FEIJAO for its optional BATATA", false, "L00011", "1002", "1003", ""},
      {"local: BATATA for CHUCHU", true, "3001", "1003", "1007", ""},
      {"not an optional of the product", false, "L00011", "1007", "1001",
       "Produto não é opcional do produto trocado."},
      {"optional that does not control stock", true, "3001", "1003", "1006",
       "Produto não controla estoque."},
      {"product not in the recipe", true, "3001", "1002", "1003",
       "Produto não encontrado na receita."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    SetUp();
    std::string before = snapshot(*db_);
    std::vector<Variant> params = {c.dish, "0001", c.local ? "" : "00001", c.from, c.to, "KG", 1.0,
                                   "",     ""};
    Variant r = c.local ? call(dishInfo, *db_, "TrocaProduto", params)
                        : call(object_, *db_, "TrocaProduto", params);
    if (std::string(c.error).empty()) {
      EXPECT_EQ(r, Variant(true)) << r.debugString();
      std::string table = c.local ? "RECEITALOCAL" : "RECEITASERV";
      EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM " + table + " WHERE CDPRATO = '" + c.dish +
                                 "' AND CDPRODUTO = '" + c.to + "'"),
                1);
      EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM " + table + " WHERE CDPRATO = '" + c.dish +
                                 "' AND CDPRODUTO = '" + c.from + "'"),
                0);
    } else {
      EXPECT_EQ(r, Variant(c.error));
      EXPECT_EQ(snapshot(*db_), before);
    }
  }
}

// A save that lands while another is about to commit: the second must see the first's rows as
// committed, on a backend that does not lock at BEGIN as well.
TEST_F(WritesTest, ASaveOverlappingAnotherSeesItsCommittedRows) {
  using Edit = std::function<DataPacket(const DataPacket&)>;
  struct Case {
    const char* label;
    Edit first;
    Edit second;
    const char* secondAnswer;
    int64_t linesAfter;  // of the standard recipe of P/1001
  };
  const Case cases[] = {
      {"both insert the same product",
       [](const DataPacket& d) {
         return Delta(d).insert("1001", "1001", "1003", "02.01.001.0001", 0.05).packet();
       },
       [](const DataPacket& d) {
         return Delta(d).insert("1001", "1001", "1003", "02.01.001.0001", 0.07).packet();
       },
       "prod_ja_cad", 3},
      {"each deletes one of the two lines",
       [](const DataPacket& d) { return Delta(d).remove("1001", "1001").packet(); },
       [](const DataPacket& d) { return Delta(d).remove("1001", "1010").packet(); }, "nao_excluir",
       1},
      {"both change one line from the same value",
       [](const DataPacket& d) { return Delta(d).modify("1001", "1010", 0.03).packet(); },
       [](const DataPacket& d) { return Delta(d).modify("1001", "1010", 0.04).packet(); },
       "Receita alterada por outro usuário. Recarregue os produtos do dia.", 2},
  };
  const double d = day(2026, 3, 16);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TestDatabase shared = openShared("overlap");
    loadSmallFixture(*shared);
    auto first = shared.connect();
    auto second = shared.connect();
    DataPacket seenByFirst = dayPacket(*first, d);
    DataPacket seenBySecond = dayPacket(*second, d);
    DataPacket firstEdit = c.first(seenByFirst);
    DataPacket secondEdit = c.second(seenBySecond);

    Variant b;
    std::thread other;
    first->onStatement([&](std::string_view sql) {
      if (sql != "COMMIT" || other.joinable()) return;
      other = std::thread([&] { b = save(*second, seenBySecond, secondEdit, d, "analista"); });
      // Long enough for the second save to reach whatever it would read before ours commits.
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    });
    Variant a = save(*first, seenByFirst, firstEdit, d, "analista");
    first->onStatement(nullptr);
    ASSERT_TRUE(other.joinable());
    other.join();
    EXPECT_EQ(a[0], Variant(""));
    ASSERT_TRUE(b.isArray()) << b.debugString();
    EXPECT_EQ(b[0], Variant(c.secondAnswer));
    EXPECT_EQ(scalar(*first,
                     "SELECT COUNT(*) FROM RECEITA WHERE CDFILAUXPRAT = 'P' AND"
                     " CDPRATO = '1001'"),
              c.linesAfter);
  }
}

}  // namespace
}  // namespace servertest
