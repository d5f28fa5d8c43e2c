// What the server refuses in a recipe save or a diners change whatever the client sends, the
// conditional writes that catch another user's change, and faults at every statement of a save.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "platform/data_packet.h"
#include "server/objects/database_messages.h"
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

// The saves the tables below vary, each with its operator, recipe kind and refused product.
enum class Base {
  Modify,      // P/1001 ARROZ to 0.2, standard recipe
  Insert,      // CHUCHU's row in 0001/L00011 becomes BATATA at 0.05, per-service recipe
  Delete,      // CHUCHU out of 0001/L00011
  ClosedDish,  // SOPA's FEIJAO to 0.2: P/2001 is only on the closed day's menu
  Chain,       // ARROZ changed `chain` times in one save, each change from the last one's value
  Local,       // BATATA of P/3001 to 0.25, local recipe
  Mixed,       // P/1001: ARROZ to 0.15, BATATA in at 0.04, VAGEM out
};

struct Save {
  Base base = Base::Modify;
  // Fields of the changed row (of the original row for Delete) and their values.
  std::vector<std::pair<const char*, Variant>> fields = {};
  int chain = 0;
  int arg = -1;  // an argument replaced by argValue
  Variant argValue = {};
  const char* setup = "";  // SQL run before the save

  DataPacket delta(const DataPacket& day16, const DataPacket& day09) const {
    Delta d(base == Base::ClosedDish ? day09 : day16);
    switch (base) {
      case Base::Modify:
        d.modify("1001", "1001", 0.2);
        break;
      case Base::Insert:
        d.insert("L00011", "1007", "1003", "02.01.001.0001", 0.05);
        break;
      case Base::Delete:
        d.remove("L00011", "1007");
        break;
      case Base::ClosedDish:
        d.modify("2001", "1002", 0.2);
        break;
      case Base::Chain:
        for (int i = 0; i < chain; ++i)
          d.modify("1001", "1001", 0.1 + 0.001 * (i + 1), 0.1 + 0.001 * i);
        break;
      case Base::Local:
        d.modify("3001", "1003", 0.25);
        break;
      case Base::Mixed:
        d.modify("1001", "1001", 0.15)
            .insert("1001", "1001", "1003", "02.01.001.0001", 0.04)
            .remove("1001", "1010");
        break;
    }
    for (const auto& [field, value] : fields) {
      if (base == Base::Delete) {
        d.setOriginal(field, value);
      } else {
        d.set(field, value);
      }
    }
    return d.packet();
  }
  bool perService() const { return base == Base::Insert || base == Base::Delete; }
  const char* op() const { return perService() || base == Base::Local ? "filial" : "analista"; }
  const char* kind() const { return perService() ? "S" : base == Base::Local ? "L" : "P"; }
};

// Tree codes of the products the saves refuse.
const char* const kArroz = "01.01.001.0001";
const char* const kBatata = "02.01.001.0001";

TEST_F(WriteChecksTest, GravaReceitaRefusesWhatTheScreenNeverSends) {
  struct Case {
    const char* label;
    Save save;
    std::string error;
    std::string refused;
  };
  const std::string x5000(5000, 'x');
  std::string cedillas11;
  for (int i = 0; i < 11; ++i)
    cedillas11 += "Ç";
  const std::string perCapitaLimit = "Quantidade Per Capita acima do limite de 1.000 por comensal.";
  const std::string unitTooLong = tooLong("SGUNIDRECE", 10);
  const Save outsideGroup{.base = Base::Insert,
                          .fields = {{"CDPRODUTO", "1008"}, {"CDARVPROD", "07.01.001.0001"}},
                          .setup = "UPDATE PARAMGERAL SET CDGRUPPROD = 'ALIM'"};
  const Case cases[] = {
      {"a product outside the configured group", outsideGroup, "prod_inv_grup_prod",
       "07.01.001.0001"},
      {"a recipe product left outside the group, edited",
       {.setup = "UPDATE PARAMGERAL SET CDGRUPPROD = 'HORTI'"},
       "prod_inv_grup_prod",
       kArroz},
      // Texts of the change rows, in characters, and quoted cut.
      {"a unit of eleven characters",
       {Base::Insert, {{"SGUNIDRECE", "KGKGKGKGKGK"}}},
       unitTooLong,
       kBatata},
      {"a unit of eleven two-byte characters",
       {Base::Modify, {{"SGUNIDRECE", cedillas11}}},
       unitTooLong,
       kArroz},
      {"a unit of 5,000 characters", {Base::Modify, {{"SGUNIDRECE", x5000}}}, unitTooLong, kArroz},
      {"an original unit of 5,000 characters",
       {Base::Delete, {{"SGUNIDRECE", x5000}}},
       unitTooLong,
       "02.01.001.0004"},
      {"a product code of eleven characters",
       {Base::Insert, {{"CDPRODUTO", "10030000000"}}},
       tooLong("CDPRODUTO", 10),
       kBatata},
      {"a tree code of 5,014 characters",
       {Base::Insert, {{"CDARVPROD", kBatata + x5000}}},
       tooLong("CDARVPROD", 20),
       "02.01.001.0001xxxxxx"},
      {"a dish code of eleven characters",
       {Base::Modify, {{"CDPRATO", "10010000000"}}},
       tooLong("CDPRATO", 10),
       kArroz},
      {"a dish branch of five characters",
       {Base::Modify, {{"CDFILAUXPRAT", "PPPPP"}}},
       tooLong("CDFILAUXPRAT", 4),
       kArroz},
      {"a recipe kind of two letters",
       {Base::Modify, {{"TIPO", "PL"}}},
       tooLong("TIPO", 1),
       kArroz},
      {"a per capita that is no number",
       {Base::Modify, {{"QTDERECE", "abc"}}},
       "Pacote de alterações inválido: valor inválido no campo QTDERECE",
       kArroz},
      // Texts of the arguments.
      {"a branch of five characters", {.arg = 2, .argValue = "00011"}, tooLong("CDFILIAL", 4), ""},
      {"a service of six characters",
       {.arg = 3, .argValue = "000011"},
       tooLong("CDSERVFILI", 5),
       ""},
      {"a recipe kind argument of two letters",
       {.arg = 9, .argValue = "PP"},
       tooLong("TIPO", 1),
       ""},
      {"a dish argument of eleven characters",
       {.arg = 11, .argValue = "10010000000"},
       tooLong("CDPRATO", 10),
       ""},
      {"a cost branch of 5,000 characters",
       {.arg = 13, .argValue = x5000},
       tooLong("CDFILIAL", 4),
       ""},
      // Per capita.
      {"a per capita of 1e308", {Base::Modify, {{"QTDERECE", 1e308}}}, perCapitaLimit, kArroz},
      {"a per capita just above the limit",
       {Base::Insert, {{"QTDERECE", 1000.001}}},
       perCapitaLimit,
       kBatata},
      {"an infinite per capita", {Base::Modify, {{"QTDERECE", kInf}}}, perCapitaLimit, kArroz},
      {"a per capita that is not a number", {Base::Modify, {{"QTDERECE", kNaN}}}, "qtde<0", kArroz},
      {"a negative per capita joining a recipe",
       {Base::Insert, {{"QTDERECE", -0.5}}},
       "qtde<0",
       kBatata},
      // The day's menu.
      {"a dish only on a closed day's menu, saved on an open day",
       {Base::ClosedDish},
       kNotOnMenu,
       "01.01.001.0002"},
      {"a dish on no menu", {Base::Modify, {{"CDPRATO", "2002"}}}, kNotOnMenu, kArroz},
      // The size of a save.
      {"501 changes in one save",
       {Base::Chain, {}, 501},
       "Alterações demais em uma só gravação: grave no máximo 500 produtos por vez.",
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    SetUp();
    if (*c.save.setup != '\0') db_->exec(c.save.setup);
    std::string before = snapshot(*db_);
    std::vector<Variant> args =
        saveArgs(day16_, c.save.delta(day16_, day09_), kDay16, c.save.kind());
    if (c.save.arg >= 0) args[static_cast<size_t>(c.save.arg)] = c.save.argValue;
    Variant r = call(object_, *db_, "GravaReceita", args, c.save.op());
    ASSERT_TRUE(r.isArray()) << r.debugString();
    EXPECT_EQ(r[0].toString(), c.error);
    EXPECT_EQ(refusedCode(r), c.refused);
    EXPECT_EQ(snapshot(*db_), before);
  }
}

TEST_F(WriteChecksTest, GravaReceitaLetsThroughWhatIsWithinBounds) {
  struct Case {
    const char* label;
    Save save;
    const char* check;  // a query that must count 1 afterwards
  };
  Save blankGroup{.base = Base::Insert,
                  .fields = {{"CDPRODUTO", "1008"}, {"CDARVPROD", "07.01.001.0001"}},
                  .setup = "UPDATE PARAMGERAL SET CDGRUPPROD = '   '"};
  const Case cases[] = {
      {"a blank product group restricts nothing", blankGroup,
       "SELECT COUNT(*) FROM RECEITASERV WHERE CDPRODUTO = '1008'"},
      {"a product of the configured group",
       {.base = Base::Insert, .setup = "UPDATE PARAMGERAL SET CDGRUPPROD = 'ALIM'"},
       "SELECT COUNT(*) FROM RECEITASERV WHERE CDPRODUTO = '1003'"},
      {"a unit of ten two-byte characters",
       {Base::Modify, {{"SGUNIDRECE", "ÇÇÇÇÇÇÇÇÇÇ"}}},
       "SELECT COUNT(*) FROM RECEITA WHERE CDPRODUTO = '1001' AND SGUNIDRECE = 'ÇÇÇÇÇÇÇÇÇÇ'"},
      {"a per capita at the limit",
       {Base::Modify, {{"QTDERECE", 1000}}},
       "SELECT COUNT(*) FROM RECEITA WHERE CDPRATO = '1001' AND QTDERECE = 1000"},
      {"a per capita stored at 5 decimals",
       {Base::Modify, {{"QTDERECE", 0.1234567}}},
       "SELECT COUNT(*) FROM RECEITA WHERE CDPRATO = '1001' AND QTDERECE = 0.12346"},
      {"500 changes in one save",
       {Base::Chain, {}, 500},
       "SELECT COUNT(*) FROM RECEITA WHERE CDPRATO = '1001' AND QTDERECE = 0.6"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    SetUp();
    if (*c.save.setup != '\0') db_->exec(c.save.setup);
    Variant r =
        save(*db_, day16_, c.save.delta(day16_, day09_), kDay16, c.save.op(), c.save.kind());
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
    Save save;
    const char* table;  // the other write lands right before the save's first write to it
    const char* other;
    const char* error;
    const char* refused;
  };
  const Case cases[] = {
      {"a per capita changed meanwhile",
       {Base::Modify},
       "RECEITA",
       "UPDATE RECEITA SET QTDERECE = 0.33 WHERE CDPRATO = '1001' AND CDPRODUTO = '1001'",
       kAlterada,
       kArroz},
      {"a unit changed meanwhile",
       {Base::Modify},
       "RECEITA",
       "UPDATE RECEITA SET SGUNIDRECE = 'G' WHERE CDPRATO = '1001' AND CDPRODUTO = '1001'",
       kAlterada,
       kArroz},
      {"a local per capita changed meanwhile",
       {Base::Local},
       "RECEITALOCAL",
       "UPDATE RECEITALOCAL SET QTDERECE = 0.3 WHERE CDPRATO = '3001'",
       kAlterada,
       kBatata},
      {"a deleted row changed meanwhile",
       {Base::Delete},
       "RECEITASERV",
       "UPDATE RECEITASERV SET QTDERECE = 0.06 WHERE CDPRODUTO = '1007'",
       kAlterada,
       "02.01.001.0004"},
      {"a deleted row already deleted",
       {Base::Delete},
       "RECEITASERV",
       "DELETE FROM RECEITASERV WHERE CDPRODUTO = '1007'",
       kAlterada,
       "02.01.001.0004"},
      {"an inserted product inserted meanwhile",
       {Base::Insert},
       "RECEITASERV",
       "INSERT INTO RECEITASERV VALUES ('0001', '00001', '0001', 'L00011', '1003', 0.07, 'KG')",
       "prod_ja_cad",
       kBatata},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    SetUp();
    std::string before = snapshot(*db_);
    DataPacket delta = c.save.delta(day16_, day09_);
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
    Variant r = save(*db_, day16_, delta, kDay16, c.save.op(), c.save.kind());
    db_->onStatement(nullptr);
    ASSERT_TRUE(fired);
    ASSERT_TRUE(r.isArray());
    EXPECT_EQ(r[0].toString(), c.error);
    EXPECT_EQ(refusedCode(r), c.refused);
    // The other write shared the refused save's transaction here, so it went with it.
    EXPECT_EQ(snapshot(*db_), before);
    EXPECT_FALSE(db_->inTransaction());

    // Left alone, the same save goes through.
    Variant alone = save(*db_, day16_, delta, kDay16, c.save.op(), c.save.kind());
    EXPECT_EQ(alone[0], Variant("")) << alone.debugString();
  }
}

TEST_F(WriteChecksTest, AFailingStatementAnywhereInAWriteLeavesNothingHalfDone) {
  // Each write answers "" when done, else its error.
  std::vector<std::pair<const char*, std::function<std::string()>>> writes;
  for (Base base : {Base::Mixed, Base::Local}) {
    writes.push_back({base == Base::Mixed ? "standard recipe: change, insert and delete"
                                          : "local recipe: a per capita",
                      [this, base] {
                        Save s{base};
                        return save(*db_, day16_, s.delta(day16_, day09_), kDay16, s.op(),
                                    s.kind())[0]
                            .toString();
                      }});
  }
  writes.push_back({"diners of a dish", [this] {
                      try {
                        Variant r = diners("0001", "00001", kDay16, "1001", "P", 120);
                        return r == Variant(true) ? std::string() : r.toString();
                      } catch (const server::db::DbError& e) {
                        return std::string(e.what());
                      }
                    }});
  for (const auto& [label, write] : writes) {
    SCOPED_TRACE(label);
    SetUp();
    std::string before = snapshot(*db_);
    int n = 1;
    for (;; ++n) {
      ASSERT_LT(n, 200) << "the write never succeeded";
      db_->failNthStatement(n);
      std::string error = write();
      db_->failNthStatement(0);
      if (error.empty()) break;
      SCOPED_TRACE(n);
      // Raised as the fault itself, or answered in the user's words for it.
      EXPECT_TRUE(error.find("injected fault") != std::string::npos ||
                  error == server::objects::databaseMessage("injected fault"))
          << error;
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
    auto st = db->prepare(
        onPostgres()
            ? std::string("SELECT 'VARCHAR(' || character_maximum_length || ')' FROM"
                          " information_schema.columns WHERE table_schema ="
                          " current_schema() AND table_name = lower('") +
                  c.table + "') AND column_name = lower(?1)"
            : std::string("SELECT type FROM pragma_table_info('") + c.table + "') WHERE name = ?1");
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
