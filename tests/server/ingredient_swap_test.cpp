// What the server refuses in an ingredient swap whatever the client sends, that a swap changes
// exactly one recipe, and that concurrent swaps and writes neither lose an update nor fail on a
// lock.
#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "server/objects/other_objects.h"
#include "server/schema/migrations.h"
#include "server_fixture.h"
#include "write_fixture.h"

namespace servertest {
namespace {

using platform::Variant;
using server::db::OpenMode;

const char* const kBlocked =
    "Troca de ingrediente bloqueada pelos parâmetros de planejamento da filial.";
const char* const kStandard =
    "A receita padrão não tem troca de ingrediente: troque na receita local ou por serviço.";
const char* const kAmbiguous =
    "O código do prato pertence a mais de uma receita da filial: informe a filial do prato.";
const char* const kClosed =
    "Prato fora do cardápio dos dias abertos: a receita não pode mais ser alterada aqui.";
const char* const kNotInRecipe = "Produto não encontrado na receita.";
const char* const kChanged = "Receita alterada por outro usuário. Recarregue os produtos do dia.";

std::string tooLong(const char* field, int size) {
  return "Texto longo demais no campo " + std::string(field) + " (máximo " + std::to_string(size) +
         " caracteres).";
}

struct Swap {
  bool local = true;  // InfPrato's local form, else the per-service form
  std::string dish = "3001";
  std::string branch = "0001";
  std::string service = "";
  std::string from = "1003";
  std::string to = "1007";
  std::string unit = "KG";
  double factor = 1.0;
  std::string dishBranch = "";
  std::string kind = "";
};

Swap perService(std::string from, std::string to) {
  Swap s;
  s.local = false;
  s.dish = "L00011";
  s.service = "00001";
  s.from = std::move(from);
  s.to = std::move(to);
  return s;
}

Variant runSwap(server::db::Database& db, server::objects::AnaCustRevRec& object, const Swap& s) {
  server::objects::InfPrato dishInfo;
  std::vector<Variant> params = {s.dish, s.branch, s.service,    s.from, s.to,
                                 s.unit, s.factor, s.dishBranch, s.kind};
  return s.local ? call(dishInfo, db, "TrocaProduto", params)
                 : call(object, db, "TrocaProduto", params);
}

// The small company plus a second dish 3001 owned by the branch (0001/3001) with its own local
// recipe, and P/2001, with a local recipe, only on the closed day's menu.
class IngredientSwapTest : public WritesTest {
 public:
  void SetUp() override {
    WritesTest::SetUp();
    db_->exec(
        "INSERT INTO PRATO VALUES ('0001', '3001', 'BATATA DA CASA'), ('P', '2001', 'SOPA');"
        "INSERT INTO RECEITALOCAL VALUES ('0001', '0001', '3001', '1003', 0.3, 'KG'),"
        " ('0001', 'P', '2001', '1003', 0.1, 'KG');"
        "INSERT INTO RECEITA VALUES ('P', '2001', '1003', 0.1, 'KG');"
        "INSERT INTO CARDAPIO VALUES ('0001', '00001', " +
        std::to_string(static_cast<int>(day(2026, 3, 9))) + ", 'P', '2001', 'NORM', 50, 50, 1)");
  }
  Variant swap(const Swap& s) { return runSwap(*db_, object_, s); }
  // The products of a local recipe, in order.
  std::string localRecipe(const std::string& dishBranch, const std::string& dish) {
    auto st = db_->prepare(
        "SELECT CDPRODUTO || ':' || QTDERECE || ':' || SGUNIDRECE FROM RECEITALOCAL"
        " WHERE CDFILIAL = '0001' AND CDFILAUXPRAT = ?1 AND CDPRATO = ?2 ORDER BY 1");
    st->bindText(1, dishBranch);
    st->bindText(2, dish);
    std::string out;
    while (st->step())
      out += st->text(0) + ";";
    return out;
  }
};

TEST_F(IngredientSwapTest, RefusalsWriteNothing) {
  const std::string longUnit(5000, 'K');
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* label;
    const char* setup;  // SQL run first, "" for none
    Swap swap;
    std::string error;
  };
  auto with = [](Swap s, auto change) {
    change(s);
    return s;
  };
  const Case cases[] = {
      {"swap blocked by the planning parameter", "UPDATE PARAMPLANEJA SET IDBLOALTRELO = 'N'",
       with(Swap{}, [](Swap& s) { s.dishBranch = "P"; }), kBlocked},
      {"a value other than S blocks it too", "UPDATE PARAMPLANEJA SET IDBLOALTRELO = 'X'",
       with(perService("1002", "1003"), [](Swap&) {}), kBlocked},
      {"a branch without planning parameters", "DELETE FROM PARAMPLANEJA",
       with(Swap{}, [](Swap& s) { s.dishBranch = "P"; }), kBlocked},
      {"product only in the standard recipe", "",
       with(Swap{},
            [](Swap& s) {
              s.dish = "1001";
              s.from = "1001";
              s.to = "1002";
            }),
       kStandard},
      {"the client names the standard recipe", "",
       with(Swap{},
            [](Swap& s) {
              s.dishBranch = "P";
              s.kind = "P";
            }),
       kStandard},
      {"a recipe kind of the other form", "",
       with(Swap{},
            [](Swap& s) {
              s.dishBranch = "P";
              s.kind = "S";
            }),
       "Tipo de receita inválido: S"},
      {"a 5,000-character unit", "", with(Swap{}, [&](Swap& s) { s.unit = longUnit; }),
       tooLong("SGUNIDRECE", 10)},
      {"unit one over its column", "", with(Swap{}, [](Swap& s) { s.unit = "KILOGRAMASX"; }),
       tooLong("SGUNIDRECE", 10)},
      {"dish code", "", with(Swap{}, [](Swap& s) { s.dish = "30010000000"; }),
       tooLong("CDPRATO", 10)},
      {"branch", "", with(Swap{}, [](Swap& s) { s.branch = "00010"; }), tooLong("CDFILIAL", 4)},
      {"service", "", with(perService("1002", "1003"), [](Swap& s) { s.service = "000010"; }),
       tooLong("CDSERVFILI", 5)},
      {"old product", "", with(Swap{}, [](Swap& s) { s.from = "10030000000"; }),
       tooLong("CDPRODUTO", 10)},
      {"new product", "", with(Swap{}, [](Swap& s) { s.to = "10070000000"; }),
       tooLong("CDPRODUTO", 10)},
      {"dish branch", "", with(Swap{}, [](Swap& s) { s.dishBranch = "PPPPP"; }),
       tooLong("CDFILAUXPRAT", 4)},
      {"factor zero", "", with(Swap{}, [](Swap& s) { s.factor = 0; }),
       "Fator de correção inválido."},
      {"factor NaN", "", with(Swap{}, [&](Swap& s) { s.factor = nan; }),
       "Fator de correção inválido."},
      {"product outside the configured group", "UPDATE PARAMGERAL SET CDGRUPPROD = 'LIMP'",
       with(Swap{}, [](Swap& s) { s.dishBranch = "P"; }), "prod_inv_grup_prod"},
      {"dish code of two local recipes", "", Swap{}, kAmbiguous},
      {"dish only on a closed day's menu", "", with(Swap{}, [](Swap& s) { s.dish = "2001"; }),
       kClosed},
      {"per-service dish no longer on an open menu",
       "DELETE FROM CARDAPIO WHERE CDPRATO = 'L00011'", perService("1002", "1003"), kClosed},
      {"dish branch without that recipe", "", with(Swap{}, [](Swap& s) { s.dishBranch = "0002"; }),
       kNotInRecipe},
      {"new product already in the recipe",
       "INSERT INTO RECEITALOCAL VALUES ('0001', 'P', '3001', '1007', 0.01, 'KG')",
       with(Swap{}, [](Swap& s) { s.dishBranch = "P"; }),
       "Produto já cadastrado na receita local."},
      {"product not in the per-service recipe", "", perService("1003", "1007"), kNotInRecipe},
      {"per service: new product already there", "INSERT INTO PRODOPCIONAL VALUES ('1002', '1007')",
       perService("1002", "1007"), "Produto já cadastrado na receita por serviço."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    SetUp();
    if (*c.setup) db_->exec(c.setup);
    std::string before = snapshot(*db_);
    EXPECT_EQ(swap(c.swap), Variant(c.error));
    EXPECT_EQ(snapshot(*db_), before);
  }
}

TEST_F(IngredientSwapTest, ChangesExactlyTheNamedRecipeKeepingItsPerCapita) {
  Swap s;
  s.dishBranch = "P";
  s.unit = "";  // the new product's own unit
  ASSERT_EQ(swap(s), Variant(true));
  EXPECT_EQ(localRecipe("P", "3001"), "1007:0.18:KG;");
  EXPECT_EQ(localRecipe("0001", "3001"), "1003:0.3:KG;");

  s.dishBranch = "0001";
  s.to = "1006";
  // 1006 does not control stock: refused before the branch's own dish is touched.
  EXPECT_EQ(swap(s), Variant("Produto não controla estoque."));
  db_->exec("UPDATE PRODUTO SET IDCONTREST = 'S' WHERE CDPRODUTO = '1006'");
  db_->exec("INSERT INTO CARDAPIO VALUES ('0001', '00001', " +
            std::to_string(static_cast<int>(day(2026, 3, 17))) +
            ", '0001', '3001', 'NORM', 10, 10, 1)");
  s.unit = "G";
  ASSERT_EQ(swap(s), Variant(true));
  EXPECT_EQ(localRecipe("0001", "3001"), "1006:0.3:G;");
  EXPECT_EQ(localRecipe("P", "3001"), "1007:0.18:KG;");
}

// Another user's change landing between the swap's read of the line and its write: the write's
// condition catches it even where the database does not lock at the start of the transaction.
TEST_F(IngredientSwapTest, AChangeBetweenReadAndWriteRefusesTheSwap) {
  struct Case {
    const char* label;
    const char* change;
    const char* error;
  };
  const Case cases[] = {
      {"per capita changed",
       "UPDATE RECEITALOCAL SET QTDERECE = 0.25 WHERE CDFILAUXPRAT = 'P' AND CDPRATO = '3001'",
       kChanged},
      {"product swapped by another",
       "UPDATE RECEITALOCAL SET CDPRODUTO = '1002' WHERE CDFILAUXPRAT = 'P' AND CDPRATO = '3001'",
       kChanged},
      {"new product added by another",
       "INSERT INTO RECEITALOCAL VALUES ('0001', 'P', '3001', '1007', 0.01, 'KG')",
       "Produto já cadastrado na receita local."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    SetUp();
    bool fired = false;
    db_->onStatement([&](std::string_view sql) {
      if (fired || !sql.starts_with("UPDATE RECEITALOCAL ")) return;
      fired = true;
      db_->exec(c.change);
    });
    Swap s;
    s.dishBranch = "P";
    Variant r = swap(s);
    db_->onStatement(nullptr);
    ASSERT_TRUE(fired);
    EXPECT_EQ(r, Variant(c.error));
  }
}

// A database file shared by two connections, as two sessions of the server use it.
class SharedFile {
 public:
  SharedFile() : path_(tempDatabasePath("swap")) {
    auto db = connectTo(path_, OpenMode::Create);
    server::schema::migrate(*db, 1);
    loadSmallFixture(*db);
    db->exec("INSERT INTO PRODOPCIONAL VALUES ('1002', '1001'), ('1003', '1002')");
  }
  std::unique_ptr<server::db::Database> connect() const { return connectTo(path_); }

 private:
  std::string path_;
};

TEST(IngredientSwapSessions, TwoSessionsSwappingOneRecipeLoseNoUpdate) {
  SharedFile file;
  TestClock clock;
  server::objects::AnaCustRevRec object{testEnvironment(clock)};
  auto check = file.connect();
  constexpr int kRounds = 20;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE(round);
    // Both sessions saw FEIJAO in the per-service recipe and swap it for different optionals.
    check->exec(
        "UPDATE RECEITASERV SET CDPRODUTO = '1002' WHERE CDPRATO = 'L00011' AND CDPRODUTO IN"
        " ('1003', '1001')");
    std::vector<Variant> results(2);
    std::atomic<int> ready{0};
    std::vector<std::thread> sessions;
    const char* targets[2] = {"1003", "1001"};
    for (int t = 0; t < 2; ++t) {
      sessions.emplace_back([&, t] {
        auto db = file.connect();
        ready.fetch_add(1);
        while (ready.load() < 2) {
        }
        results[t] = runSwap(*db, object, perService("1002", targets[t]));
      });
    }
    for (auto& s : sessions)
      s.join();
    int done = (results[0] == Variant(true)) + (results[1] == Variant(true));
    ASSERT_EQ(done, 1) << results[0].debugString() << " / " << results[1].debugString();
    const Variant& refused = results[0] == Variant(true) ? results[1] : results[0];
    EXPECT_EQ(refused, Variant(kNotInRecipe));
    const char* winner = results[0] == Variant(true) ? targets[0] : targets[1];
    EXPECT_EQ(scalar(*check, std::string("SELECT COUNT(*) FROM RECEITASERV WHERE CDPRATO = "
                                         "'L00011' AND CDPRODUTO = '") +
                                 winner + "'"),
              1);
    EXPECT_EQ(scalar(*check,
                     "SELECT COUNT(*) FROM RECEITASERV WHERE CDPRATO = 'L00011' AND CDPRODUTO IN"
                     " ('1002', '1003', '1001')"),
              1);
  }
}

// A swap next to another session's unrelated writes waits its turn instead of failing with a
// locked database.
TEST(IngredientSwapSessions, ASwapBesideAnotherWriterWaitsItsTurn) {
  SharedFile file;
  TestClock clock;
  server::objects::AnaCustRevRec object{testEnvironment(clock)};
  constexpr int kRounds = 100;
  std::atomic<bool> swapping{true};
  std::atomic<int> dinerWrites{0};
  std::thread writer([&] {
    auto db = file.connect();
    for (int i = 0; i < 10 * kRounds && swapping.load(); ++i) {
      Variant r = call(object, *db, "AltComensais",
                       {"0001", "00001", Variant::date(day(2026, 3, 16)), "1001", "P",
                        static_cast<double>(100 + i % 7)});
      if (r == Variant(true)) dinerWrites.fetch_add(1);
    }
  });
  auto db = file.connect();
  std::vector<std::string> failures;
  for (int round = 0; round < kRounds; ++round) {
    bool forth = round % 2 == 0;
    Variant r = runSwap(*db, object, perService(forth ? "1002" : "1003", forth ? "1003" : "1002"));
    if (r != Variant(true)) failures.push_back(std::to_string(round) + ": " + r.debugString());
  }
  swapping = false;
  writer.join();
  EXPECT_TRUE(failures.empty()) << failures.size() << " failed, first " << failures.front();
  EXPECT_GT(dinerWrites.load(), 0);
  EXPECT_EQ(scalar(*db,
                   "SELECT COUNT(*) FROM RECEITASERV WHERE CDPRATO = 'L00011' AND CDPRODUTO ="
                   " '1002'"),
            1);
}

}  // namespace
}  // namespace servertest
