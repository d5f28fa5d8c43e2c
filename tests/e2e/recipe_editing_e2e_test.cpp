// Editing recipes on the screen against the real server: every save is read back from the
// server, and the day's raw material still adds up after the recalculation.
#include <functional>
#include <map>
#include <set>

#include "e2e_fixture.h"
#include "platform/consiste.h"
#include "platform/format.h"
#include "remote/remote_error.h"
#include "screen/connections.h"

namespace e2e {
namespace {

using platform::DataPacket;
using platform::Variant;
using screen::TfrmAnaCustRevRec;
using screentest::column;
using screentest::Driver;
using namespace platform::ui;

// 17/04/2026, an open day (the demo's days up to its processing date, 15/04, are closed).
constexpr double kOpenDay = kApril1 + 16;
constexpr double kClosedDay = kApril1 + 5;

const char* const kRecalcular = "Receita alterada com êxito. Custos devem ser recalculados.";

using Faults = std::map<std::string, std::function<Variant()>>;

// The screen's connection to the real server, except for the methods a test makes fail.
class FaultyConnection : public screentest::CountingConnection {
 public:
  FaultyConnection(std::string serverName, std::shared_ptr<screentest::CallLog> log,
                   const Faults& faults)
      : CountingConnection(std::move(serverName), std::move(log)), faults_(faults) {}

 protected:
  Variant invoke(const std::string& method, const std::vector<Variant>& params) override {
    auto fault = faults_.find(method);
    if (fault != faults_.end()) return fault->second();
    return CountingConnection::invoke(method, params);
  }

 private:
  const Faults& faults_;
};

// A suite of its own: its saves change its own demo database only.
class RecipeEditingE2E : public E2ETest {
 protected:
  void SetUp() override {
    E2ETest::SetUp();
    screen::setConnectionFactory([calls = log, this](const std::string& serverName) {
      return std::make_unique<FaultyConnection>(serverName, calls, faults);
    });
  }

  // The day's products as the server computes them now.
  static DataPacket dayProducts(double day) {
    return call("GetProduto",
                {Variant("0001"), Variant("00001"), Variant::date(day), Variant(6), Variant(false),
                 Variant::date(day), Variant::date(kApril1), Variant("")})
        .packet();
  }
  // The row of `code` in `dish` of a products packet; -1 when there is none.
  static int rowOf(const DataPacket& products, const std::string& dish, const std::string& code) {
    for (size_t i = 0; i < products.rows.size(); ++i)
      if (products.value(i, "CDPRATO").toString() == dish &&
          products.value(i, "CDARVPROD").toString() == code)
        return static_cast<int>(i);
    return -1;
  }
  static std::string perCapitaText(double value) { return platform::formatFloat("0.00000", value); }
  // Opens "Matéria Prima" on `day` and moves to the first dish with at least `products` products.
  static void openDish(TfrmAnaCustRevRec& f, Driver& d, double day, int products) {
    ASSERT_TRUE(d.selectSubPage(f.tshMatPrima));
    ASSERT_TRUE(d.gotoDay(day));
    for (int row = 0; row < f.recipe.cdsCardapio.recordCount(); ++row) {
      ASSERT_TRUE(d.selectRow(*f.recipe.dbgCardapio, row));
      if (f.recipe.cdsProduto.recordCount() >= products) return;
    }
    FAIL() << "no dish with " << products << " products on " << platform::shortDate(day);
  }
  static std::string text(TfrmAnaCustRevRec& f, const char* field) {
    return f.recipe.cdsProduto.fieldByName(field).asString();
  }
  // A stock product the server accepts for a new row and that `dish` does not have yet.
  static std::string newProductFor(const DataPacket& products, const std::string& dish) {
    const DataPacket list = call("getPesqProd", {Variant("4"), Variant("")}).packet();
    for (size_t i = 0; i < list.rows.size(); ++i) {
      const std::string code = list.value(i, "CDARVPROD").toString();
      if (rowOf(products, dish, code) >= 0) continue;
      const Variant check =
          call("VerifProd", {Variant("0001"), Variant("00001"), Variant("4"), Variant(code),
                             Variant(6), Variant::date(kOpenDay), Variant::date(kApril1),
                             Variant::date(kOpenDay), Variant("")});
      if (check[0].toString().empty()) return code;
    }
    return "";
  }
  bool confirm(TfrmAnaCustRevRec& f, Driver& d, int answer) {
    host->dialogs.answer(answer);
    return d.pressKey(*f.recipe.dbgPrato, VK_RETURN, ssCtrl);
  }

  Faults faults;
};

TEST_F(RecipeEditingE2E, ASavedPerCapitaShowsTheServersRowsAndAddsUpAfterRecalculating) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    openDish(f, d, kOpenDay, 1);
    const std::string dish = f.recipe.cdsCardapio.fieldByName("CDPRATO").asString();
    const std::string code = text(f, "CDARVPROD");
    const double changed =
        Consiste::RoundDec(f.recipe.cdsProduto.fieldByName("QTDERECE").asFloat() + 0.01234, 5);
    ASSERT_TRUE(d.typeIntoCell(*f.recipe.dbgPrato, "QTDERECE", perCapitaText(changed)));
    ASSERT_TRUE(confirm(f, d, platform::mrYes));
    EXPECT_EQ(log->count("GravaReceita"), 1);

    const DataPacket server = dayProducts(kOpenDay);
    const int saved = rowOf(server, dish, code);
    ASSERT_GE(saved, 0);
    EXPECT_DOUBLE_EQ(num(server, static_cast<size_t>(saved), "QTDERECE"), changed);
    // The grid shows the server's rows of the same dish.
    EXPECT_EQ(f.recipe.cdsProduto.changeCount(), 0);
    EXPECT_EQ(f.recipe.cdsCardapio.fieldByName("CDPRATO").asString(), dish);
    for (int row = 1; row <= f.recipe.cdsProduto.recordCount(); ++row) {
      f.recipe.cdsProduto.withDisplayRow(row, [&] {
        const int i = rowOf(server, dish, text(f, "CDARVPROD"));
        ASSERT_GE(i, 0);
        for (const char* field : {"QTDERECE", "QTDEBRUTA", "CUSTOPROD"})
          EXPECT_EQ(f.recipe.cdsProduto.fieldByName(field).value(),
                    server.value(static_cast<size_t>(i), field))
              << field;
      });
    }
    EXPECT_TRUE(f.sbtCalcula->enabled());
    EXPECT_TRUE(f.ctx.recipeChanged);

    ASSERT_TRUE(d.press(f.sbtCalcula));
    EXPECT_FALSE(f.ctx.recipeChanged);
    EXPECT_DOUBLE_EQ(f.selectedDay(), kOpenDay);
    const platform::Field& material = f.cost.cdsTrabCusto.fieldByName("VRCUSTPRODMAT");
    double dishes = 0;
    for (const Variant& cost : column(f.recipe.cdsCardapio, "CustoPrato"))
      dishes += cost.toDouble();
    EXPECT_EQ(material.displayText(), platform::formatFloat(material.displayFormat(), dishes));
    EXPECT_NEAR(material.asFloat(), dishes, 1e-6);
  });
  EXPECT_EQ(host->dialogs.texts(), (std::vector<std::string>{"Confirma operação?", kRecalcular}));
  EXPECT_TRUE(host->modal.errors.empty());
  EXPECT_FALSE(host->busy.visible());
}

TEST_F(RecipeEditingE2E, AProductInsertedThroughTheSearchIsSaved) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    openDish(f, d, kOpenDay, 1);
    const std::string dish = f.recipe.cdsCardapio.fieldByName("CDPRATO").asString();
    const std::string code = newProductFor(dayProducts(kOpenDay), dish);
    ASSERT_FALSE(code.empty());
    ASSERT_TRUE(d.pressKey(*f.recipe.dbgPrato, VK_INSERT));
    ASSERT_EQ(f.recipe.cdsProduto.state(), platform::DataSetState::Insert);
    host->search.chooseCode(code);
    ASSERT_TRUE(d.pressEditButton(*f.recipe.dbgPrato));
    EXPECT_EQ(text(f, "CDARVPROD"), code);
    EXPECT_FALSE(text(f, "SGUNIDRECE").empty());
    ASSERT_TRUE(d.typeIntoCell(*f.recipe.dbgPrato, "QTDERECE", "0,05"));
    ASSERT_TRUE(confirm(f, d, platform::mrYes));

    const DataPacket server = dayProducts(kOpenDay);
    const int saved = rowOf(server, dish, code);
    ASSERT_GE(saved, 0);
    EXPECT_DOUBLE_EQ(num(server, static_cast<size_t>(saved), "QTDERECE"), 0.05);
    EXPECT_TRUE(f.recipe.cdsProduto.locate("CDARVPROD", Variant(code)));
  });
  EXPECT_TRUE(host->modal.errors.empty());
}

TEST_F(RecipeEditingE2E, AProductDeletedAfterConfirmationLeavesTheRecipe) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    openDish(f, d, kOpenDay, 2);
    const std::string dish = f.recipe.cdsCardapio.fieldByName("CDPRATO").asString();
    const std::string code = text(f, "CDARVPROD");
    const int before = f.recipe.cdsProduto.recordCount();
    host->dialogs.answer(platform::mrYes);  // "Confirma exclusão?"
    ASSERT_TRUE(d.pressKey(*f.recipe.dbgPrato, VK_DELETE, ssCtrl));
    EXPECT_EQ(f.recipe.cdsProduto.recordCount(), before - 1);
    ASSERT_TRUE(rowOf(dayProducts(kOpenDay), dish, code) >= 0);  // not saved yet
    ASSERT_TRUE(confirm(f, d, platform::mrYes));
    EXPECT_LT(rowOf(dayProducts(kOpenDay), dish, code), 0);
    EXPECT_EQ(f.recipe.cdsProduto.recordCount(), before - 1);
  });
  EXPECT_EQ(host->dialogs.texts(),
            (std::vector<std::string>{"Confirma exclusão?", "Confirma operação?", kRecalcular}));
  EXPECT_TRUE(host->modal.errors.empty());
}

TEST_F(RecipeEditingE2E, ADishsDinersAreSavedAtOnce) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    openDish(f, d, kOpenDay, 1);
    const std::string dish = f.recipe.cdsCardapio.fieldByName("CDPRATO").asString();
    ASSERT_TRUE(d.typeIntoCell(*f.recipe.dbgCardapio, "COMENSPRATO", "123"));
    ASSERT_TRUE(d.pressKey(*f.recipe.dbgCardapio, VK_RETURN, ssCtrl));
    EXPECT_EQ(scalar("SELECT COMENSPRATO FROM CARDAPIO WHERE CDFILIAL = '0001' AND CDSERVFILI = "
                     "'00001' AND DTCARDAPIO = " +
                     std::to_string(static_cast<int>(kOpenDay)) + " AND CDPRATO = '" + dish + "'")
                  .toDouble(),
              123);
    EXPECT_EQ(f.recipe.cdsCardapio.changeCount(), 0);
    EXPECT_TRUE(f.sbtCalcula->enabled());
  });
  EXPECT_EQ(host->dialogs.texts(), std::vector<std::string>{kRecalcular});
  EXPECT_TRUE(host->modal.errors.empty());
}

TEST_F(RecipeEditingE2E, ASaveThatConflictsWithAnotherSessionNamesTheProductAndKeepsTheChange) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    openDish(f, d, kOpenDay, 2);
    ASSERT_TRUE(d.selectRow(*f.recipe.dbgPrato, 1));
    const std::string dish = f.recipe.cdsCardapio.fieldByName("CDPRATO").asString();
    const std::string dishBranch = f.recipe.cdsCardapio.fieldByName("CDFILAUXPRAT").asString();
    const std::string code = text(f, "CDARVPROD");
    const std::string kind = text(f, "TIPO");
    ASSERT_TRUE(d.typeIntoCell(*f.recipe.dbgPrato, "QTDERECE", "0,5"));
    ASSERT_TRUE(confirm(f, d, platform::mrNo));
    ASSERT_TRUE(d.selectRow(*f.recipe.dbgPrato, 0));

    // Meanwhile another session changes the same product and saves.
    platform::ClientDataSet other;
    other.setData(dayProducts(kOpenDay));
    ASSERT_TRUE(other.locate("CDPRATO;CDARVPROD", Variant::array({Variant(dish), Variant(code)})));
    other.edit();
    other.fieldByName("QTDERECE").setAsFloat(0.7);
    other.post();
    const Variant theirs = call(
        "GravaReceita",
        {Variant(other.data()), Variant(other.delta()), Variant("0001"), Variant("00001"),
         Variant::date(kOpenDay), Variant(6), Variant(false), Variant::date(kOpenDay), Variant("4"),
         Variant(kind), Variant(dishBranch), Variant(dish), Variant::date(kApril1), Variant("")});
    ASSERT_EQ(theirs[0], Variant(""));

    EXPECT_FALSE(confirm(f, d, platform::mrYes));
    EXPECT_EQ(text(f, "CDARVPROD"), code);  // the cursor on the refused product
    EXPECT_EQ(f.recipe.cdsProduto.changeCount(), 1);
    EXPECT_TRUE(f.sbtConfirma->enabled());
    EXPECT_FALSE(f.ctx.recipeChanged);
    EXPECT_DOUBLE_EQ(num(dayProducts(kOpenDay),
                         static_cast<size_t>(rowOf(dayProducts(kOpenDay), dish, code)), "QTDERECE"),
                     0.7);
    host->dialogs.answer(platform::mrYes);  // "Cancela operação?" when the screen closes
  });
  ASSERT_EQ(host->errors.texts().size(), 1u);
  EXPECT_EQ(host->errors.texts()[0].rfind("Receita alterada por outro usuário", 0), 0u)
      << host->errors.texts()[0];
}

TEST_F(RecipeEditingE2E, CancelAndCloseDropPendingChangesOnlyWhenTheUserSaysSo) {
  double original = 0;
  std::string dish, code;
  host->modal.closeAtEnd = false;
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    openDish(f, d, kOpenDay, 1);
    dish = f.recipe.cdsCardapio.fieldByName("CDPRATO").asString();
    code = text(f, "CDARVPROD");
    original = f.recipe.cdsProduto.fieldByName("QTDERECE").asFloat();
    ASSERT_TRUE(d.typeIntoCell(*f.recipe.dbgPrato, "QTDERECE", "0,9"));
    ASSERT_TRUE(confirm(f, d, platform::mrNo));
    // Cancel: "Não" keeps the change, "Sim" drops it.
    host->dialogs.answer(platform::mrNo);
    ASSERT_TRUE(d.press(f.sbtCancela));
    EXPECT_EQ(f.recipe.cdsProduto.changeCount(), 1);
    host->dialogs.answer(platform::mrYes);
    ASSERT_TRUE(d.press(f.sbtCancela));
    EXPECT_EQ(f.recipe.cdsProduto.changeCount(), 0);
    EXPECT_DOUBLE_EQ(f.recipe.cdsProduto.fieldByName("QTDERECE").asFloat(), original);
    // Closing with a change pending: "Não" keeps the screen open, "Sim" closes it.
    ASSERT_TRUE(d.typeIntoCell(*f.recipe.dbgPrato, "QTDERECE", "0,9"));
    host->dialogs.answer(platform::mrNo);
    ASSERT_TRUE(d.press(f.sbtSair));
    EXPECT_TRUE(f.visible());
    EXPECT_EQ(f.recipe.cdsProduto.state(), platform::DataSetState::Edit);
    host->dialogs.answer(platform::mrYes);
    ASSERT_TRUE(d.press(f.sbtSair));
    EXPECT_FALSE(f.visible());
  });
  EXPECT_TRUE(host->modal.closed);
  EXPECT_EQ(log->count("GravaReceita"), 0);
  const DataPacket server = dayProducts(kOpenDay);
  EXPECT_DOUBLE_EQ(num(server, static_cast<size_t>(rowOf(server, dish, code)), "QTDERECE"),
                   original);
  EXPECT_EQ(
      host->dialogs.texts(),
      (std::vector<std::string>{"Confirma operação?", "Cancela operação?", "Cancela operação?",
                                "Cancela operação?", "Cancela operação?"}));
}

TEST_F(RecipeEditingE2E, OnAClosedDayNothingCanBeTyped) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    openDish(f, d, kClosedDay, 1);
    const Variant perCapita = f.recipe.cdsProduto.fieldByName("QTDERECE").value();
    const Variant diners = f.recipe.cdsCardapio.fieldByName("COMENSPRATO").value();
    d.typeIntoCell(*f.recipe.dbgPrato, "QTDERECE", "0,9");
    d.pressKey(*f.recipe.dbgPrato, VK_INSERT);
    d.typeIntoCell(*f.recipe.dbgCardapio, "COMENSPRATO", "99");
    d.pressKey(*f.recipe.dbgCardapio, VK_F3);
    EXPECT_EQ(f.recipe.cdsProduto.fieldByName("QTDERECE").value(), perCapita);
    EXPECT_EQ(f.recipe.cdsCardapio.fieldByName("COMENSPRATO").value(), diners);
    EXPECT_FALSE(f.recipe.hasPendingRecipeChanges());
    EXPECT_FALSE(f.sbtConfirma->enabled());
  });
  EXPECT_TRUE(host->modal.errors.empty());
  EXPECT_TRUE(host->dialogs.texts().empty());
  EXPECT_EQ(log->count("GravaReceita") + log->count("AltComensais"), 0);
}

// GravaReceita and AltComensais fail as the screen calls them: the changes stay pending with the
// failure shown, and the next confirm saves them.
TEST_F(RecipeEditingE2E, AFailedSaveKeepsTheChangesForTheNextConfirm) {
  const struct {
    const char* method;
    std::function<Variant()> fault;
    const char* shown;
  } kCases[] = {
      {"GravaReceita",
       [] {
         return Variant::array({Variant("Banco de dados indisponível."), Variant("")});
       },
       "Banco de dados indisponível."},
      {"GravaReceita",
       []() -> Variant {
         throw remote::RemoteError(remote::RemoteError::Kind::Transport, 0, "Conexão perdida");
       },
       "Conexão perdida"},
      {"AltComensais", [] { return Variant("Banco de dados indisponível."); },
       "Banco de dados indisponível."},
      {"AltComensais",
       []() -> Variant {
         throw remote::RemoteError(remote::RemoteError::Kind::Transport, 0, "Conexão perdida");
       },
       "Conexão perdida"},
  };
  double diners = 200;
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.method) + " " + c.shown);
    host->errors.clear();
    const bool products = std::string(c.method) == "GravaReceita";
    diners += 1;
    open([&](TfrmAnaCustRevRec& f, Driver& d) {
      openDish(f, d, kOpenDay, 1);
      const std::string dish = f.recipe.cdsCardapio.fieldByName("CDPRATO").asString();
      const std::string code = text(f, "CDARVPROD");
      const double value = Consiste::RoundDec(diners / 1000, 5);
      faults[c.method] = c.fault;
      if (products) {
        ASSERT_TRUE(d.typeIntoCell(*f.recipe.dbgPrato, "QTDERECE", perCapitaText(value)));
        EXPECT_FALSE(confirm(f, d, platform::mrYes));
        EXPECT_EQ(f.recipe.cdsProduto.changeCount(), 1);
      } else {
        ASSERT_TRUE(d.typeIntoCell(*f.recipe.dbgCardapio, "COMENSPRATO",
                                   platform::formatFloat("0", diners)));
        EXPECT_FALSE(d.pressKey(*f.recipe.dbgCardapio, VK_RETURN, ssCtrl));
        EXPECT_EQ(f.recipe.cdsCardapio.changeCount(), 1);
      }
      EXPECT_TRUE(f.sbtConfirma->enabled());
      EXPECT_FALSE(f.ctx.recipeChanged);
      EXPECT_FALSE(host->busy.visible());
      faults.clear();
      host->dialogs.answer(platform::mrYes);
      ASSERT_TRUE(d.press(f.sbtConfirma));
      EXPECT_FALSE(f.recipe.hasPendingRecipeChanges());
      EXPECT_TRUE(f.ctx.recipeChanged);
      if (products) {
        const DataPacket server = dayProducts(kOpenDay);
        EXPECT_DOUBLE_EQ(num(server, static_cast<size_t>(rowOf(server, dish, code)), "QTDERECE"),
                         value);
      } else {
        EXPECT_EQ(
            scalar("SELECT COMENSPRATO FROM CARDAPIO WHERE CDFILIAL = '0001' AND "
                   "CDSERVFILI = '00001' AND DTCARDAPIO = " +
                   std::to_string(static_cast<int>(kOpenDay)) + " AND CDPRATO = '" + dish + "'")
                .toDouble(),
            diners);
      }
    });
    EXPECT_EQ(host->errors.texts(), std::vector<std::string>{c.shown});
  }
}

}  // namespace
}  // namespace e2e
