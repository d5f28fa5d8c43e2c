// What the server refuses in a recipe save or a diners change whatever the client sends, the
// conditional writes that catch another user's change, and faults at every statement of a save.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "platform/data_packet.h"
#include "server/objects/write_limits.h"
#include "server_fixture.h"
#include "write_fixture.h"

namespace servertest {
namespace {

using platform::DataPacket;
using platform::Variant;
namespace limits = server::objects::limits;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
const char* const kAlterada = "Receita alterada por outro usuário. Recarregue os produtos do dia.";
const char* const kNotOnMenu = "Prato não encontrado no cardápio do dia.";

std::string tooLong(const char* field, int size) {
  return "Texto longo demais no campo " + std::string(field) + " (máximo " + std::to_string(size) +
         " caracteres).";
}

// Element 1 of GravaReceita's answer: the refused product, or a mark for the day's packet.
std::string refusedCode(const Variant& answer) {
  return answer[1].isText() ? answer[1].toString() : "<packet>";
}

// The small company plus P/2001 SOPA, only on the closed day's menu (09/03), and P/2002, on no
// menu at all, both with a standard recipe.
class WriteChecksTest : public WritesTest {
 public:
  void SetUp() override {
    WritesTest::SetUp();
    db_->exec(
        "INSERT INTO PRATO VALUES ('P', '2001', 'SOPA'), ('P', '2002', 'SALADA');"
        "INSERT INTO RECEITA VALUES ('P', '2001', '1002', 0.1, 'KG'), ('P', '2001', '1003', 0.2,"
        " 'KG'), ('P', '2002', '1007', 0.1, 'KG');"
        "INSERT INTO CARDAPIO VALUES ('0001', '00001', " +
        std::to_string(static_cast<int>(kDay09)) + ", 'P', '2001', 'NORM', 50, 50, 1)");
    day16_ = dayPacket(*db_, kDay16);
    day09_ = dayPacket(*db_, kDay09);
  }
  // The daily cost table of March 2026, raw material of `d`.
  double rawMaterial(double d) {
    Variant r =
        call(object_, *db_, "GetTrabCusto",
             {"0001", "00001", Variant::date(day(2026, 3, 1)), Variant::date(day(2026, 3, 31)), 6,
              "analista", false, Variant::date(0.0), "", false});
    const DataPacket& table = r[1].packet();
    for (size_t i = 0; i < table.rows.size(); ++i) {
      if (num(table, i, "DTDATA") == d) {
        EXPECT_FALSE(table.value(i, "VRCUSTPRODMAT").isNull());
        return num(table, i, "VRCUSTPRODMAT");
      }
    }
    ADD_FAILURE() << "no day " << d;
    return 0;
  }
  Variant diners(const std::string& branch, const std::string& service, double d,
                 const std::string& dish, const std::string& dishBranch, double value) {
    return call(object_, *db_, "AltComensais",
                {branch, service, Variant::date(d), dish, dishBranch, value});
  }

  const double kDay16 = day(2026, 3, 16);
  const double kDay09 = day(2026, 3, 9);
  DataPacket day16_;
  DataPacket day09_;
};

// A chain of `n` changes of one per capita, each starting where the last one left it.
DataPacket chainOfChanges(const DataPacket& day16, int n) {
  Delta delta(day16);
  for (int i = 0; i < n; ++i)
    delta.modify("1001", "1001", 0.1 + 0.001 * (i + 1), 0.1 + 0.001 * i);
  return delta.packet();
}

TEST_F(WriteChecksTest, GravaReceitaRefusesWhatTheScreenNeverSends) {
  struct Case {
    const char* label;
    const char* setup;  // SQL run before the save, "" for none
    std::function<DataPacket(WriteChecksTest&)> delta;
    const char* op;
    const char* kind;
    std::function<void(std::vector<Variant>&)> args;  // changes the arguments, may be empty
    std::string error;
    std::string refused;
  };
  using T = WriteChecksTest;
  const std::string fiveThousand(5000, 'x');
  const std::string elevenCedillas = [] {
    std::string s;
    for (int i = 0; i < 11; ++i)
      s += "Ç";
    return s;
  }();
  const Case cases[] = {
      // The product group.
      {"a product outside the configured group", "UPDATE PARAMGERAL SET CDGRUPPROD = 'ALIM'",
       [](T& t) {
         return Delta(t.day16_).insert("L00011", "1002", "1008", "07.01.001.0001", 0.05).packet();
       },
       "filial", "S", nullptr, "prod_inv_grup_prod", "07.01.001.0001"},
      {"a recipe product left outside the group, edited",
       "UPDATE PARAMGERAL SET CDGRUPPROD = 'ALIM'; UPDATE PRODUTO SET CDGRUPPROD = 'HORTI'"
       " WHERE CDPRODUTO = '1002'",
       [](T& t) { return Delta(t.day16_).modify("L00011", "1002", 0.15).packet(); }, "filial", "S",
       nullptr, "prod_inv_grup_prod", "01.01.001.0002"},
      // Texts of the change rows.
      {"a unit of eleven characters", "",
       [](T& t) {
         return Delta(t.day16_)
             .insert("L00011", "1002", "1003", "02.01.001.0001", 0.05)
             .set("SGUNIDRECE", "KGKGKGKGKGK")
             .packet();
       },
       "filial", "S", nullptr, tooLong("SGUNIDRECE", 10), "02.01.001.0001"},
      {"a unit of eleven two-byte characters", "",
       [&](T& t) {
         return Delta(t.day16_)
             .modify("1001", "1001", 0.1)
             .set("SGUNIDRECE", elevenCedillas)
             .packet();
       },
       "analista", "P", nullptr, tooLong("SGUNIDRECE", 10), "01.01.001.0001"},
      {"a unit of 5,000 characters", "",
       [&](T& t) {
         return Delta(t.day16_)
             .modify("1001", "1001", 0.1)
             .set("SGUNIDRECE", fiveThousand)
             .packet();
       },
       "analista", "P", nullptr, tooLong("SGUNIDRECE", 10), "01.01.001.0001"},
      {"an original unit of 5,000 characters", "",
       [&](T& t) {
         return Delta(t.day16_)
             .remove("L00011", "1007")
             .setOriginal("SGUNIDRECE", fiveThousand)
             .packet();
       },
       "filial", "S", nullptr, tooLong("SGUNIDRECE", 10), "02.01.001.0004"},
      {"a product code of eleven characters", "",
       [](T& t) {
         return Delta(t.day16_)
             .insert("L00011", "1002", "10030000000", "02.01.001.0001", 0.05)
             .packet();
       },
       "filial", "S", nullptr, tooLong("CDPRODUTO", 10), "02.01.001.0001"},
      {"a tree code beyond its 20 characters is quoted cut", "",
       [&](T& t) {
         return Delta(t.day16_)
             .insert("L00011", "1002", "1003", "02.01.001.0001" + fiveThousand, 0.05)
             .packet();
       },
       "filial", "S", nullptr, tooLong("CDARVPROD", 20), "02.01.001.0001xxxxxx"},
      {"a dish code of eleven characters", "",
       [](T& t) {
         return Delta(t.day16_).modify("1001", "1001", 0.2).set("CDPRATO", "10010000000").packet();
       },
       "analista", "P", nullptr, tooLong("CDPRATO", 10), "01.01.001.0001"},
      {"a dish branch of five characters", "",
       [](T& t) {
         return Delta(t.day16_).modify("1001", "1001", 0.2).set("CDFILAUXPRAT", "PPPPP").packet();
       },
       "analista", "P", nullptr, tooLong("CDFILAUXPRAT", 4), "01.01.001.0001"},
      {"a recipe kind of two letters", "",
       [](T& t) { return Delta(t.day16_).modify("1001", "1001", 0.2).set("TIPO", "PL").packet(); },
       "analista", "P", nullptr, tooLong("TIPO", 1), "01.01.001.0001"},
      {"a per capita that is no number", "",
       [](T& t) {
         return Delta(t.day16_).modify("1001", "1001", 0.2).set("QTDERECE", "abc").packet();
       },
       "analista", "P", nullptr, "Pacote de alterações inválido: valor inválido no campo QTDERECE",
       "01.01.001.0001"},
      // Texts of the arguments.
      {"a branch of five characters", "",
       [](T& t) { return Delta(t.day16_).modify("1001", "1001", 0.2).packet(); }, "analista", "P",
       [](std::vector<Variant>& a) { a[2] = "00011"; }, tooLong("CDFILIAL", 4), ""},
      {"a service of six characters", "",
       [](T& t) { return Delta(t.day16_).modify("1001", "1001", 0.2).packet(); }, "analista", "P",
       [](std::vector<Variant>& a) { a[3] = "000011"; }, tooLong("CDSERVFILI", 5), ""},
      {"a recipe kind argument of two letters", "",
       [](T& t) { return Delta(t.day16_).modify("1001", "1001", 0.2).packet(); }, "analista", "P",
       [](std::vector<Variant>& a) { a[9] = "PP"; }, tooLong("TIPO", 1), ""},
      {"a dish argument of eleven characters", "",
       [](T& t) { return Delta(t.day16_).modify("1001", "1001", 0.2).packet(); }, "analista", "P",
       [](std::vector<Variant>& a) { a[11] = "10010000000"; }, tooLong("CDPRATO", 10), ""},
      {"a cost branch of 5,000 characters", "",
       [](T& t) { return Delta(t.day16_).modify("1001", "1001", 0.2).packet(); }, "analista", "P",
       [&](std::vector<Variant>& a) { a[13] = fiveThousand; }, tooLong("CDFILIAL", 4), ""},
      // Per capita.
      {"a per capita of 1e308", "",
       [](T& t) { return Delta(t.day16_).modify("1001", "1001", 1e308).packet(); }, "analista", "P",
       nullptr, "Quantidade Per Capita acima do limite de 1.000 por comensal.", "01.01.001.0001"},
      {"a per capita just above the limit", "",
       [](T& t) {
         return Delta(t.day16_)
             .insert("L00011", "1002", "1003", "02.01.001.0001", 1000.001)
             .packet();
       },
       "filial", "S", nullptr, "Quantidade Per Capita acima do limite de 1.000 por comensal.",
       "02.01.001.0001"},
      {"an infinite per capita", "",
       [](T& t) { return Delta(t.day16_).modify("1001", "1001", kInf).packet(); }, "analista", "P",
       nullptr, "Quantidade Per Capita acima do limite de 1.000 por comensal.", "01.01.001.0001"},
      {"a per capita that is not a number", "",
       [](T& t) { return Delta(t.day16_).modify("1001", "1001", kNaN).packet(); }, "analista", "P",
       nullptr, "qtde<0", "01.01.001.0001"},
      {"a negative per capita joining a recipe", "",
       [](T& t) {
         return Delta(t.day16_).insert("L00011", "1002", "1003", "02.01.001.0001", -0.5).packet();
       },
       "filial", "S", nullptr, "qtde<0", "02.01.001.0001"},
      // The day's menu.
      {"a dish only on a closed day's menu, saved on an open day", "",
       [](T& t) { return Delta(t.day09_).modify("2001", "1002", 0.2).packet(); }, "analista", "P",
       nullptr, kNotOnMenu, "01.01.001.0002"},
      {"a dish on no menu", "",
       [](T& t) {
         return Delta(t.day16_).modify("1001", "1001", 0.2).set("CDPRATO", "2002").packet();
       },
       "analista", "P", nullptr, kNotOnMenu, "01.01.001.0001"},
      // The size of a save.
      {"501 changes in one save", "", [](T& t) { return chainOfChanges(t.day16_, 501); },
       "analista", "P", nullptr,
       "Alterações demais em uma só gravação: grave no máximo 500 produtos por vez.", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    SetUp();
    if (*c.setup != '\0') db_->exec(c.setup);
    std::string before = snapshot(*db_);
    std::vector<Variant> args = saveArgs(day16_, c.delta(*this), kDay16, c.kind);
    if (c.args) c.args(args);
    Variant r = call(object_, *db_, "GravaReceita", args, c.op);
    ASSERT_TRUE(r.isArray()) << r.debugString();
    EXPECT_EQ(r[0].toString(), c.error);
    EXPECT_EQ(refusedCode(r), c.refused);
    EXPECT_EQ(snapshot(*db_), before);
  }
}

TEST_F(WriteChecksTest, GravaReceitaLetsThroughWhatIsWithinBounds) {
  struct Case {
    const char* label;
    const char* setup;
    std::function<DataPacket(WriteChecksTest&)> delta;
    const char* op;
    const char* kind;
    const char* check;  // a query that must count 1 afterwards
  };
  using T = WriteChecksTest;
  const Case cases[] = {
      {"a blank product group restricts nothing", "UPDATE PARAMGERAL SET CDGRUPPROD = '   '",
       [](T& t) {
         return Delta(t.day16_).insert("L00011", "1002", "1008", "07.01.001.0001", 0.05).packet();
       },
       "filial", "S", "SELECT COUNT(*) FROM RECEITASERV WHERE CDPRODUTO = '1008'"},
      {"a product of the configured group", "UPDATE PARAMGERAL SET CDGRUPPROD = 'ALIM'",
       [](T& t) {
         return Delta(t.day16_).insert("L00011", "1002", "1003", "02.01.001.0001", 0.05).packet();
       },
       "filial", "S", "SELECT COUNT(*) FROM RECEITASERV WHERE CDPRODUTO = '1003'"},
      {"a unit of ten two-byte characters", "",
       [](T& t) {
         return Delta(t.day16_)
             .modify("1001", "1001", 0.1)
             .set("SGUNIDRECE", "ÇÇÇÇÇÇÇÇÇÇ")
             .packet();
       },
       "analista", "P",
       "SELECT COUNT(*) FROM RECEITA WHERE CDPRODUTO = '1001' AND SGUNIDRECE = 'ÇÇÇÇÇÇÇÇÇÇ'"},
      {"a per capita at the limit", "",
       [](T& t) { return Delta(t.day16_).modify("1001", "1001", 1000).packet(); }, "analista", "P",
       "SELECT COUNT(*) FROM RECEITA WHERE CDPRATO = '1001' AND QTDERECE = 1000"},
      {"a per capita stored at 5 decimals", "",
       [](T& t) { return Delta(t.day16_).modify("1001", "1001", 0.1234567).packet(); }, "analista",
       "P", "SELECT COUNT(*) FROM RECEITA WHERE CDPRATO = '1001' AND QTDERECE = 0.12346"},
      {"500 changes in one save", "", [](T& t) { return chainOfChanges(t.day16_, 500); },
       "analista", "P", "SELECT COUNT(*) FROM RECEITA WHERE CDPRATO = '1001' AND QTDERECE = 0.6"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    SetUp();
    if (*c.setup != '\0') db_->exec(c.setup);
    Variant r = save(*db_, day16_, c.delta(*this), kDay16, c.op, c.kind);
    ASSERT_TRUE(r.isArray());
    EXPECT_EQ(r[0], Variant("")) << r.debugString();
    EXPECT_EQ(scalar(*db_, c.check), 1);
  }
}

TEST_F(WriteChecksTest, AltComensaisRefusesWhatTheScreenNeverSends) {
  struct Case {
    const char* label;
    const char* branch;
    const char* service;
    double day;
    const char* dish;
    const char* dishBranch;
    double diners;
    std::string error;
  };
  const std::string limit = "Número de comensais acima do limite de 1.000.000 por prato.";
  const Case cases[] = {
      {"a branch of five characters", "00011", "00001", kDay16, "1001", "P", 10,
       tooLong("CDFILIAL", 4)},
      {"a service of six characters", "0001", "000011", kDay16, "1001", "P", 10,
       tooLong("CDSERVFILI", 5)},
      {"a dish of eleven characters", "0001", "00001", kDay16, "10010000000", "P", 10,
       tooLong("CDPRATO", 10)},
      {"a dish branch of five characters", "0001", "00001", kDay16, "1001", "PPPPP", 10,
       tooLong("CDFILAUXPRAT", 4)},
      {"diners above a million", "0001", "00001", kDay16, "1001", "P", 1'000'000.5, limit},
      {"diners of 1e308", "0001", "00001", kDay16, "1001", "P", 1e308, limit},
      {"infinite diners", "0001", "00001", kDay16, "1001", "P", kInf, limit},
      {"diners that are not a number", "0001", "00001", kDay16, "1001", "P", kNaN,
       "Número de comensais inválido."},
      {"a dish only on a closed day's menu, on an open day", "0001", "00001", kDay16, "2001", "P",
       10, kNotOnMenu},
      {"the dish on its closed day", "0001", "00001", kDay09, "2001", "P", 10,
       "Dia fechado: o cardápio deste dia não pode mais ser alterado."},
  };
  std::string before = snapshot(*db_);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Variant r = diners(c.branch, c.service, c.day, c.dish, c.dishBranch, c.diners);
    EXPECT_EQ(r, Variant(c.error));
    EXPECT_EQ(snapshot(*db_), before);
  }
  for (double bound : {0.0, 1'000'000.0}) {
    EXPECT_EQ(diners("0001", "00001", kDay16, "1001", "P", bound), Variant(true));
    EXPECT_EQ(
        scalar(*db_, "SELECT COUNT(*) FROM CARDAPIO WHERE CDPRATO = '1001' AND COMENSPRATO = " +
                         std::to_string(static_cast<int64_t>(bound))),
        1);
  }
}

// The three saves a probe of the server once got through, and what each of them broke.
TEST_F(WriteChecksTest, AFiveThousandCharacterUnitLeavesTheDayLoadableAndSavable) {
  DataPacket long_ =
      Delta(day16_).modify("1001", "1001", 0.1).set("SGUNIDRECE", std::string(5000, 'U')).packet();
  Variant r = save(*db_, day16_, long_, kDay16, "analista");
  EXPECT_EQ(r[0].toString(), tooLong("SGUNIDRECE", 10));

  DataPacket reloaded = dayPacket(*db_, kDay16);
  EXPECT_NO_THROW(reloaded.validate());
  Variant again = save(*db_, reloaded, Delta(reloaded).modify("1001", "1001", 0.11).packet(),
                       kDay16, "analista");
  EXPECT_EQ(again[0], Variant("")) << again.debugString();
  EXPECT_NO_THROW(again[1].packet().validate());
}

TEST_F(WriteChecksTest, AnImplausiblePerCapitaLeavesTheMonthsTotalsNumbers) {
  double before = rawMaterial(kDay16);
  Variant r =
      save(*db_, day16_, Delta(day16_).modify("1001", "1001", 1e308).packet(), kDay16, "analista");
  EXPECT_EQ(r[0].toString(), "Quantidade Per Capita acima do limite de 1.000 por comensal.");
  double after = rawMaterial(kDay16);
  EXPECT_TRUE(std::isfinite(after));
  EXPECT_DOUBLE_EQ(after, before);
}

TEST_F(WriteChecksTest, AnOpenDayCannotReachAClosedDaysDish) {
  double closedDay = rawMaterial(kDay09);
  ASSERT_GT(closedDay, 0);
  Variant r =
      save(*db_, day16_, Delta(day09_).modify("2001", "1002", 0.9).packet(), kDay16, "analista");
  EXPECT_EQ(r[0].toString(), kNotOnMenu);
  EXPECT_DOUBLE_EQ(rawMaterial(kDay09), closedDay);
}

// Another user's change landing between the save's checks and its write, as it can on a backend
// that does not lock at the start of a transaction: the write itself must notice it.
TEST_F(WriteChecksTest, TheConditionalWriteCatchesAConcurrentChange) {
  struct Case {
    const char* label;
    std::function<DataPacket(WriteChecksTest&)> delta;
    const char* op;
    const char* kind;
    const char* table;  // the other write lands right before the save's first write to it
    const char* other;
    const char* error;
    const char* refused;
  };
  using T = WriteChecksTest;
  const Case cases[] = {
      {"a per capita changed meanwhile",
       [](T& t) { return Delta(t.day16_).modify("1001", "1001", 0.12).packet(); }, "analista", "P",
       "RECEITA",
       "UPDATE RECEITA SET QTDERECE = 0.33 WHERE CDPRATO = '1001' AND CDPRODUTO = '1001'",
       kAlterada, "01.01.001.0001"},
      {"a unit changed meanwhile",
       [](T& t) { return Delta(t.day16_).modify("1001", "1001", 0.12).packet(); }, "analista", "P",
       "RECEITA",
       "UPDATE RECEITA SET SGUNIDRECE = 'G' WHERE CDPRATO = '1001' AND CDPRODUTO = '1001'",
       kAlterada, "01.01.001.0001"},
      {"a local per capita changed meanwhile",
       [](T& t) { return Delta(t.day16_).modify("3001", "1003", 0.25).packet(); }, "filial", "L",
       "RECEITALOCAL", "UPDATE RECEITALOCAL SET QTDERECE = 0.3 WHERE CDPRATO = '3001'", kAlterada,
       "02.01.001.0001"},
      {"a deleted row changed meanwhile",
       [](T& t) { return Delta(t.day16_).remove("L00011", "1007").packet(); }, "filial", "S",
       "RECEITASERV", "UPDATE RECEITASERV SET QTDERECE = 0.06 WHERE CDPRODUTO = '1007'", kAlterada,
       "02.01.001.0004"},
      {"a deleted row already deleted",
       [](T& t) { return Delta(t.day16_).remove("L00011", "1007").packet(); }, "filial", "S",
       "RECEITASERV", "DELETE FROM RECEITASERV WHERE CDPRODUTO = '1007'", kAlterada,
       "02.01.001.0004"},
      {"an inserted product inserted meanwhile",
       [](T& t) {
         return Delta(t.day16_).insert("L00011", "1002", "1003", "02.01.001.0001", 0.04).packet();
       },
       "filial", "S", "RECEITASERV",
       "INSERT INTO RECEITASERV VALUES ('0001', '00001', '0001', 'L00011', '1003', 0.07, 'KG')",
       "prod_ja_cad", "02.01.001.0001"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    SetUp();
    std::string before = snapshot(*db_);
    DataPacket delta = c.delta(*this);
    std::string table = c.table;
    bool fired = false;
    db_->onStatement([&](std::string_view sql) {
      bool writes = sql.starts_with("INSERT INTO " + table + " ") ||
                    sql.starts_with("UPDATE " + table + " ") ||
                    sql.starts_with("DELETE FROM " + table + " ");
      if (fired || !writes) return;
      fired = true;
      db_->exec(c.other);
    });
    Variant r = save(*db_, day16_, delta, kDay16, c.op, c.kind);
    db_->onStatement(nullptr);
    ASSERT_TRUE(fired);
    ASSERT_TRUE(r.isArray());
    EXPECT_EQ(r[0].toString(), c.error);
    EXPECT_EQ(refusedCode(r), c.refused);
    // The other write shared the refused save's transaction here, so it went with it.
    EXPECT_EQ(snapshot(*db_), before);
    EXPECT_FALSE(db_->inTransaction());

    // Left alone, the same save goes through.
    Variant alone = save(*db_, day16_, delta, kDay16, c.op, c.kind);
    EXPECT_EQ(alone[0], Variant("")) << alone.debugString();
  }
}

TEST_F(WriteChecksTest, AFailingStatementAnywhereInAWriteLeavesNothingHalfDone) {
  struct Case {
    const char* label;
    std::function<std::string(WriteChecksTest&)> write;  // "" when done, else the error
  };
  using T = WriteChecksTest;
  auto saving = [](std::function<DataPacket(T&)> delta, const char* op, const char* kind) {
    return [=](T& t) {
      Variant r = t.save(*t.db_, t.day16_, delta(t), t.kDay16, op, kind);
      return r[0].toString();
    };
  };
  const Case cases[] = {
      {"standard recipe: change, insert and delete", saving(
                                                         [](T& t) {
                                                           return Delta(t.day16_)
                                                               .modify("1001", "1001", 0.15)
                                                               .insert("1001", "1001", "1003",
                                                                       "02.01.001.0001", 0.04)
                                                               .remove("1001", "1010")
                                                               .packet();
                                                         },
                                                         "analista", "P")},
      {"local recipe: a per capita",
       saving([](T& t) { return Delta(t.day16_).modify("3001", "1003", 0.25).packet(); }, "filial",
              "L")},
      {"diners of a dish",
       [](T& t) {
         try {
           Variant r = t.diners("0001", "00001", t.kDay16, "1001", "P", 120);
           return r == Variant(true) ? std::string() : r.toString();
         } catch (const server::db::DbError& e) {
           return std::string(e.what());
         }
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    SetUp();
    std::string before = snapshot(*db_);
    int n = 1;
    for (;; ++n) {
      ASSERT_LT(n, 200) << "the write never succeeded";
      db_->failNthStatement(n);
      std::string error = c.write(*this);
      db_->failNthStatement(0);
      if (error.empty()) break;
      SCOPED_TRACE(n);
      EXPECT_NE(error.find("injected fault"), std::string::npos) << error;
      EXPECT_EQ(snapshot(*db_), before);
      EXPECT_FALSE(db_->inTransaction());
    }
    EXPECT_GT(n, 3);
    EXPECT_NE(snapshot(*db_), before);
  }
}

TEST(WriteLimits, ColumnSizesAreTheSchemas) {
  struct Case {
    const char* table;
    const char* column;
    int size;
  };
  const Case cases[] = {
      {"RECEITASERV", "CDFILIAL", limits::kBranch},
      {"RECEITASERV", "CDSERVFILI", limits::kService},
      {"RECEITASERV", "CDFILAUXPRAT", limits::kDishBranch},
      {"RECEITASERV", "CDPRATO", limits::kDish},
      {"RECEITASERV", "CDPRODUTO", limits::kProduct},
      {"RECEITASERV", "SGUNIDRECE", limits::kUnit},
      {"RECEITA", "SGUNIDRECE", limits::kUnit},
      {"RECEITALOCAL", "SGUNIDRECE", limits::kUnit},
      {"PRODUTO", "CDARVPROD", limits::kTreeCode},
      {"CARDAPIO", "CDPRATO", limits::kDish},
  };
  auto db = openMemory();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.table) + "." + c.column);
    auto st = db->prepare(std::string("SELECT type FROM pragma_table_info('") + c.table +
                          "') WHERE name = ?1");
    st->bindText(1, c.column);
    ASSERT_TRUE(st->step());
    EXPECT_EQ(st->text(0), "VARCHAR(" + std::to_string(c.size) + ")");
  }
}

TEST(WriteLimits, QuotesAreCutByCharacters) {
  struct Case {
    const char* text;
    int size;
    size_t chars;
    const char* clipped;
  };
  const Case cases[] = {
      {"", 4, 0, ""},       {"0001", 4, 4, "0001"}, {"00011", 4, 5, "0001"},
      {"ÇÃOÉ", 2, 4, "ÇÃ"}, {"AÇ", 1, 2, "A"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(limits::charCount(c.text), c.chars);
    EXPECT_EQ(limits::clip(c.text, c.size), c.clipped);
    EXPECT_EQ(limits::sizeRefusal("F", c.text, c.size).empty(), c.chars <= size_t(c.size));
  }
}

}  // namespace
}  // namespace servertest
