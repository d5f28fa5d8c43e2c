// The rules before a recipe product is inserted, edited or deleted: the closed day, the standard
// recipe (branch module, rights), the local-recipe block, the last product of a recipe.
#include "recipe_edit_fixture.h"

namespace screentest {
namespace {

using platform::DataSetState;
using platform::Variant;
using screen::TfrmAnaCustRevRec;
using namespace platform::ui;

enum class Action { Edit, Insert, Delete };

const char* nameOf(Action a) {
  return a == Action::Edit ? "edit" : a == Action::Insert ? "insert" : "delete";
}

class ProductRulesTest : public RecipeEditTest {
 public:
  bool run(TfrmAnaCustRevRec& f, Driver& d, Action action) {
    switch (action) {
      case Action::Edit:
        return typeInto(d, *f.recipe.dbgPrato, "QTDERECE", "0,5");
      case Action::Insert:
        return key(d, *f.recipe.dbgPrato, VK_INSERT);
      case Action::Delete:
        return key(d, *f.recipe.dbgPrato, VK_DELETE, ssCtrl);
    }
    return false;
  }
};

TEST_F(ProductRulesTest, OnAClosedDayNothingChangesAndNothingIsShown) {
  for (Action action : {Action::Edit, Action::Insert, Action::Delete}) {
    SCOPED_TRACE(nameOf(action));
    server.log->clear();
    openOn(march(3), [&](TfrmAnaCustRevRec& f, Driver& d) {
      ASSERT_EQ(f.recipe.cdsProduto.recordCount(), 2);
      const Variant before = f.recipe.cdsProduto.fieldByName("QTDERECE").value();
      run(f, d, action);
      // The rule itself, whatever the menu offers: the dataset refuses too.
      d.dispatch([&] {
        if (action == Action::Insert) f.recipe.cdsProduto.insert();
        if (action == Action::Delete) f.recipe.cdsProduto.deleteRecord();
        if (action == Action::Edit) f.recipe.cdsProduto.edit();
      });
      EXPECT_EQ(f.recipe.cdsProduto.state(), DataSetState::Browse);
      EXPECT_EQ(f.recipe.cdsProduto.changeCount(), 0);
      EXPECT_EQ(f.recipe.cdsProduto.recordCount(), 2);
      EXPECT_EQ(f.recipe.cdsProduto.fieldByName("QTDERECE").value(), before);
      EXPECT_FALSE(f.sbtConfirma->enabled());
    });
    EXPECT_TRUE(errorsShown().empty());
    EXPECT_TRUE(dialogsShown().empty());
    EXPECT_TRUE(shell.asked.empty());
  }
}

TEST_F(ProductRulesTest, StandardRecipeInTheBranchModuleOrWithoutTheRight) {
  const struct {
    bool branchModule;
    bool allow;
    Action action;
    const char* message;  // shown as an error; "" none
    const char* askedKey;
  } kCases[] = {
      {true, true, Action::Edit, "Receita padrão não pode ser alterada em módulo filial.", ""},
      {true, true, Action::Insert, "Receita padrão não pode ser incluída em módulo filial.", ""},
      {true, true, Action::Delete, "Receita padrão não pode ser excluída em módulo filial.", ""},
      {false, false, Action::Edit, "", "ALTERACAO_PRODUTO_RECEITA_PADRAO"},
      {false, false, Action::Insert, "", "INCLUSAO_PRODUTO_RECEITA_PADRAO"},
      {false, false, Action::Delete, "", "EXCLUSAO_PRODUTO_RECEITA_PADRAO"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(nameOf(c.action)) + (c.branchModule ? " in branch" : " refused"));
    shell.branchModule = c.branchModule;
    shell.allow = c.allow;
    shell.asked.clear();
    host->errors.clear();
    server.log->clear();
    openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
      ASSERT_EQ(f.ctx.recipeKind, "P");  // ARROZ
      const Variant before = f.recipe.cdsProduto.fieldByName("QTDERECE").value();
      run(f, d, c.action);
      EXPECT_EQ(f.recipe.cdsProduto.state(), DataSetState::Browse);
      EXPECT_EQ(f.recipe.cdsProduto.changeCount(), 0);
      EXPECT_EQ(f.recipe.cdsProduto.recordCount(), 2);
      EXPECT_EQ(f.recipe.cdsProduto.fieldByName("QTDERECE").value(), before);
      EXPECT_TRUE(f.recipe.dbgCardapio->enabled());
    });
    EXPECT_EQ(errorsShown(),
              *c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
    EXPECT_EQ(shell.asked,
              *c.askedKey ? std::vector<std::string>{c.askedKey} : std::vector<std::string>{});
    // A standard recipe never asks for the operator's parameter.
    EXPECT_EQ(server.log->count("GetParamGrup"), 0);
  }
}

TEST_F(ProductRulesTest, StandardRecipeWithTheRightOpensTheRowAndLocksTheScreen) {
  for (Action action : {Action::Edit, Action::Insert, Action::Delete}) {
    SCOPED_TRACE(nameOf(action));
    server.log->clear();
    server.log->connects.clear();
    if (action == Action::Delete) host->dialogs.answer(platform::mrYes);
    openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
      EXPECT_TRUE(run(f, d, action));
      if (action == Action::Delete) {
        EXPECT_EQ(f.recipe.cdsProduto.recordCount(), 1);
        EXPECT_EQ(f.recipe.cdsProduto.changeCount(), 1);
      } else {
        EXPECT_EQ(f.recipe.cdsProduto.state(),
                  action == Action::Edit ? DataSetState::Edit : DataSetState::Insert);
        EXPECT_FALSE(f.recipe.dbgCardapio->enabled());  // the dish grid waits for the row
      }
      EXPECT_TRUE(f.sbtConfirma->enabled());
      EXPECT_TRUE(f.sbtCancela->enabled());
      EXPECT_FALSE(f.tshAnaCusto->enabled());
      EXPECT_FALSE(f.cost.dbnCusto->enabled());
      // The authorisation server is connected on its first use, before it is asked.
      EXPECT_TRUE(shell.connectedWhenAsked);
      d.dispatch([&] { f.recipe.discardPendingChanges(); });
    });
    EXPECT_EQ(std::count(server.log->connects.begin(), server.log->connects.end(),
                         std::string("Inv.rdmAutoriza")),
              1);
  }
  EXPECT_EQ(dialogsShown(), std::vector<std::string>{"Confirma exclusão?"});
}

TEST_F(ProductRulesTest, ALocalRecipeIsEditedInTheBranchModule) {
  shell.branchModule = true;
  openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(gotoDish(d, f, "FEIJAO"));
    EXPECT_TRUE(typeInto(d, *f.recipe.dbgPrato, "QTDERECE", "0,5"));
    EXPECT_EQ(f.recipe.cdsProduto.state(), DataSetState::Edit);
    EXPECT_EQ(f.ctx.recipeKind, "L");
    EXPECT_DOUBLE_EQ(f.recipe.cdsProduto.fieldByName("QTDERECE").asFloat(), 0.5);
    d.dispatch([&] { f.recipe.discardPendingChanges(); });
  });
  EXPECT_TRUE(errorsShown().empty());
  EXPECT_TRUE(shell.asked.empty());
}

TEST_F(ProductRulesTest, LocalRecipeBlockByPlanningParameterAndOperatorRight) {
  const struct {
    const char* block;  // IDBLOALTRELO
    int answer;         // the operator's "ARRV"
    Action action;
    const char* message;
    bool opens;
  } kCases[] = {
      {"S", 0, Action::Insert, "Receita local bloqueada para inclusão / exclusão.", false},
      {"S", -1, Action::Insert,
       "Operador não autorizado a incluir / excluir produto em receita revisada.", false},
      {"S", 1, Action::Insert, "", true},
      {"N", 0, Action::Insert, "", true},
      {"N", -1, Action::Insert, "", true},
      {"S", 0, Action::Delete, "Receita local bloqueada para inclusão / exclusão.", false},
      {"S", -1, Action::Delete,
       "Operador não autorizado a incluir / excluir produto em receita revisada.", false},
      {"S", 1, Action::Delete, "", true},
      {"S", 0, Action::Edit, "", true},  // an edit is never blocked, nor asks
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(nameOf(c.action)) + " " + c.block + " " + std::to_string(c.answer));
    server.idBloAltRelo = c.block;
    operatorParam = c.answer;
    host->errors.clear();
    server.log->clear();
    if (c.action == Action::Delete && c.opens) host->dialogs.answer(platform::mrYes);
    openOn(march(6), [&](TfrmAnaCustRevRec& f, Driver& d) {
      ASSERT_EQ(f.recipe.cdsCardapio.fieldByName("NMPRATO").asString(), "SALADA");
      run(f, d, c.action);
      const bool opened = f.recipe.cdsProduto.state() != DataSetState::Browse ||
                          f.recipe.cdsProduto.changeCount() > 0;
      EXPECT_EQ(opened, c.opens);
      d.dispatch([&] { f.recipe.discardPendingChanges(); });
    });
    EXPECT_EQ(errorsShown(),
              *c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
    if (c.action == Action::Edit) {
      EXPECT_EQ(server.log->count("GetParamGrup"), 0);
    } else {
      ASSERT_EQ(server.log->count("GetParamGrup"), 1);
      EXPECT_EQ(server.log->last("GetParamGrup"),
                (std::vector<Variant>{Variant("analista"), Variant("ARRV")}));
      for (const Call& call : server.log->calls())
        if (call.method == "GetParamGrup") {
          EXPECT_EQ(call.server, "Rcx00503.rdmReceitaPadrao");
        }
    }
  }
}

TEST_F(ProductRulesTest, TheOperatorParameterFailureEndsTheInsertWithItsMessage) {
  server.idBloAltRelo = "S";
  openOn(march(6), [&](TfrmAnaCustRevRec& f, Driver& d) {
    (*server.script)["GetParamGrup"] = [](const auto&) { return Variant("Operador inexistente"); };
    run(f, d, Action::Insert);
    EXPECT_EQ(f.recipe.cdsProduto.state(), DataSetState::Browse);
  });
  EXPECT_EQ(errorsShown(), std::vector<std::string>{"Operador inexistente"});
}

TEST_F(ProductRulesTest, ARecipeKeepsItsLastProductAndDeletesOnlyWhenConfirmed) {
  const struct {
    int day;
    int answer;  // to "Confirma exclusão?"; 0 not asked
    int rowsAfter;
    const char* error;
  } kCases[] = {
      {5, 0, 1, "Exclusão bloqueada. Receita deve possuir no mínimo 1 produto."},  // BIFE
      {4, platform::mrNo, 2, ""},                                                  // ARROZ
      {4, platform::mrYes, 1, ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.answer);
    host->errors.clear();
    if (c.answer != 0) host->dialogs.answer(c.answer);
    const size_t asked = dialogsShown().size();
    openOn(march(c.day), [&](TfrmAnaCustRevRec& f, Driver& d) {
      run(f, d, Action::Delete);
      EXPECT_EQ(f.recipe.cdsProduto.recordCount(), c.rowsAfter);
      EXPECT_EQ(f.sbtConfirma->enabled(), c.rowsAfter == 1 && c.day == 4);
      d.dispatch([&] { f.recipe.discardPendingChanges(); });
    });
    EXPECT_EQ(dialogsShown().size(), asked + (c.answer != 0 ? 1 : 0));
    EXPECT_EQ(errorsShown(),
              *c.error ? std::vector<std::string>{c.error} : std::vector<std::string>{});
  }
}

TEST_F(ProductRulesTest, ADishWithoutProductsTakesNone) {
  server.dishes.push_back({"VAZIO", "6006", "0001", march(6), 10, 70, 60, 0});
  openOn(march(6), [&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(gotoDish(d, f, "VAZIO"));
    ASSERT_TRUE(f.recipe.cdsProduto.isEmpty());
    run(f, d, Action::Insert);
    d.dispatch([&] { f.recipe.cdsProduto.insert(); });
    EXPECT_EQ(f.recipe.cdsProduto.state(), DataSetState::Browse);
    EXPECT_FALSE(f.recipe.mnuIncluir->enabled());
  });
  EXPECT_TRUE(errorsShown().empty());
}

}  // namespace
}  // namespace screentest
