// Entering a product in the grid: the product-code check and its messages, the per capita, the
// characters each column takes, the grid's keys, paste, the search button and the key hint.
#include "recipe_edit_fixture.h"

namespace screentest {
namespace {

using platform::DataSetState;
using platform::Variant;
using screen::TfrmAnaCustRevRec;
using namespace platform::ui;

class ProductEntryTest : public RecipeEditTest {
 public:
  // Starts a new row in ARROZ (04/03, a standard recipe the operator may change).
  bool insertRow(TfrmAnaCustRevRec& f, Driver& d) {
    return key(d, *f.recipe.dbgPrato, VK_INSERT) &&
           f.recipe.cdsProduto.state() == DataSetState::Insert;
  }
  // Types a code, leaves its cell, types a per capita and stores with Ctrl+Enter, stopping at
  // the first refusal.
  void enter(TfrmAnaCustRevRec& f, Driver& d, const std::string& code,
             const std::string& perCapita) {
    DBGrid& grid = *f.recipe.dbgPrato;
    if (!code.empty() && !typeInto(d, grid, "CDARVPROD", code)) return;
    if (!moveToColumn(d, grid, "QTDERECE")) return;
    if (!typeInto(d, grid, "QTDERECE", perCapita)) return;
    key(d, grid, VK_RETURN, ssCtrl);
  }
  std::string text(TfrmAnaCustRevRec& f, const char* field) {
    return f.recipe.cdsProduto.fieldByName(field).asString();
  }
};

TEST_F(ProductEntryTest, EveryRefusalOfANewRowShowsItsMessageAndKeepsTheRowOpen) {
  const struct {
    const char* code;
    const char* perCapita;
    const char* group;
    const char* verifAnswer;  // VerifProd's element 0
    const char* message;
    bool emptied;  // name, per capita, cost and unit emptied, focus on the code
  } kCases[] = {
      {"", "0,1", "", "", "Produto deve ser informado.", true},
      {"12.3", "0,1", "", "",
       "Código \"12.3\" não corresponde à máscara de produto 99.99.999.9999.", true},
      {"01.07.001.0001", "0,1", "", "", "Produto é de compra ou não está cadastrado.", true},
      {"01.09.009.0009", "0,1", "", "", "Produto é de compra ou não está cadastrado.", true},
      {"01.06.001.0001", "0,1", "HORTI", "",
       "Produto é de compra, não está cadastrado ou não pertence ao agrupamento de produtos "
       "parametrizado.",
       true},
      {"01.01.001.0002", "0,1", "", "", "Produto já cadastrado na receita.", true},
      {"01010010002", "0,1", "", "", "Produto já cadastrado na receita.", true},
      {"01.06.001.0001", "0,1", "", "prod_inativo",
       "Produto não cadastrado para a filial ou inativo.", true},
      {"01.06.001.0001", "0,1", "", "Produto sem custo na data.", "Produto sem custo na data.",
       true},
      {"01.06.001.0001", "0,000004", "", "", "Quantidade Per Capita deve ser maior que zero.",
       false},
      {"01.06.001.0001", "0", "", "", "Quantidade Per Capita deve ser maior que zero.", false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.code) + " " + c.perCapita);
    productGroup = c.group;
    verifRefusal = c.verifAnswer;
    host->errors.clear();
    openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
      ASSERT_TRUE(insertRow(f, d));
      enter(f, d, c.code, c.perCapita);
      EXPECT_EQ(f.recipe.cdsProduto.state(), DataSetState::Insert);
      EXPECT_EQ(f.recipe.cdsProduto.changeCount(), 0);
      const Column* selected = f.recipe.dbgPrato->selectedColumn();
      ASSERT_NE(selected, nullptr);
      EXPECT_EQ(selected->fieldName(), c.emptied ? "CDARVPROD" : "QTDERECE");
      EXPECT_TRUE(f.recipe.dbgPrato->focused());
      if (c.emptied) {
        for (const char* field : {"NMPRODUTO", "QTDERECE", "CUSTOPROD", "SGUNIDRECE"})
          EXPECT_TRUE(f.recipe.cdsProduto.fieldByName(field).isNull()) << field;
      }
      d.dispatch([&] { f.recipe.discardPendingChanges(); });
    });
    EXPECT_EQ(errorsShown(), std::vector<std::string>{c.message});
  }
}

TEST_F(ProductEntryTest, ANewProductTakesItsDataAndCostsAndWaitsForTheSave) {
  const struct {
    const char* typed;
    const char* code;
    const char* group;
    const char* unit;
    double cost;
    double previous;
    const char* perCapita;
    double stored;
  } kCases[] = {
      {"01060010001", "01.06.001.0001", "", "KG", 4.5, 4.0, "0,00001", 0.00001},
      {"01.06.001.0002", "01.06.001.0002", "HORTI", "LT", 2.0, 1.5, "1,5", 1.5},
      // The code of another dish of the day is not a duplicate.
      {"01.02.001.0001", "01.02.001.0001", "", "KG", 8, 8, "0,2", 0.2},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.typed);
    productGroup = c.group;
    server.log->clear();
    host->dialogs.answer(platform::mrNo);  // "Confirma operação?": keep the change pending
    openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
      ASSERT_TRUE(insertRow(f, d));
      ASSERT_TRUE(typeInto(d, *f.recipe.dbgPrato, "CDARVPROD", c.typed));
      ASSERT_TRUE(moveToColumn(d, *f.recipe.dbgPrato, "QTDERECE"));
      EXPECT_EQ(text(f, "CDARVPROD"), c.code);
      EXPECT_EQ(text(f, "NMPRODUTO"), std::string("PRODUTO ") + c.code);
      EXPECT_EQ(text(f, "SGUNIDRECE"), c.unit);
      EXPECT_EQ(text(f, "SGUNIDPROD"), c.unit);
      EXPECT_DOUBLE_EQ(f.recipe.cdsProduto.fieldByName("CUSTOPROD").asFloat(), c.cost);
      EXPECT_DOUBLE_EQ(f.recipe.cdsProduto.fieldByName("CUSTOPRODANT").asFloat(), c.previous);
      EXPECT_EQ(
          server.log->last("VerifProd"),
          (std::vector<Variant>{Variant("0001"), Variant("00001"), Variant("4"), Variant(c.code),
                                Variant(6), Variant::date(march(4)), Variant::date(march(1)),
                                Variant::date(march(4)), Variant("")}));
      ASSERT_TRUE(typeInto(d, *f.recipe.dbgPrato, "QTDERECE", c.perCapita));
      ASSERT_TRUE(key(d, *f.recipe.dbgPrato, VK_RETURN, ssCtrl));
      EXPECT_EQ(f.recipe.cdsProduto.state(), DataSetState::Browse);
      EXPECT_EQ(f.recipe.cdsProduto.changeCount(), 1);
      ASSERT_TRUE(f.recipe.cdsProduto.locate("CDARVPROD", Variant(c.code)));
      EXPECT_EQ(text(f, "CDPRATO"), "1001");
      EXPECT_EQ(text(f, "CDFILAUXPRAT"), "P");
      EXPECT_EQ(text(f, "TIPO"), "P");
      EXPECT_DOUBLE_EQ(f.recipe.cdsProduto.fieldByName("QTDEBRUTA").asFloat(), c.stored);
      EXPECT_TRUE(f.sbtConfirma->enabled());
      EXPECT_FALSE(f.recipe.dbgCardapio->enabled());
      d.dispatch([&] { f.recipe.discardPendingChanges(); });
    });
    // Checked when the code cell is left and again when the row is stored.
    EXPECT_EQ(server.log->count("VerifProd"), 2);
    EXPECT_EQ(server.log->count("getVdProduto"), *c.group ? 2 : 0);
    EXPECT_EQ(server.log->count("GravaReceita"), 0);
    EXPECT_TRUE(errorsShown().empty());
    if (*c.group) {
      EXPECT_EQ(server.log->last("getVdProduto"),
                (std::vector<Variant>{Variant(c.code), Variant("4"), Variant(c.group)}));
    }
  }
}

TEST_F(ProductEntryTest, AnEditedRowIsCheckedAgainButKeepsItsCosts) {
  host->dialogs.answer(platform::mrNo);
  openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
    DBGrid& grid = *f.recipe.dbgPrato;
    ASSERT_TRUE(typeInto(d, grid, "QTDERECE", "0,25"));
    f.recipe.cdsProduto.fieldByName("NMPRODUTO").setAsString("NOME ANTIGO");
    // Leaving the per capita copies it into the required quantity at once.
    ASSERT_TRUE(moveToColumn(d, grid, "SGUNIDRECE"));
    EXPECT_DOUBLE_EQ(f.recipe.cdsProduto.fieldByName("QTDEBRUTA").asFloat(), 0.25);
    ASSERT_TRUE(key(d, grid, VK_RETURN, ssCtrl));
    EXPECT_EQ(text(f, "NMPRODUTO"), "PRODUTO 01.01.001.0001");
    EXPECT_DOUBLE_EQ(f.recipe.cdsProduto.fieldByName("CUSTOPROD").asFloat(), 5);
    EXPECT_EQ(f.recipe.cdsProduto.changeCount(), 1);
    d.dispatch([&] { f.recipe.discardPendingChanges(); });
  });
  EXPECT_EQ(server.log->count("VerifProd"), 0);
  EXPECT_TRUE(errorsShown().empty());
}

TEST_F(ProductEntryTest, OnlyThePerCapitaAndANewRowsCodeTakeCharacters) {
  const struct {
    const char* field;
    bool inBrowsedRow;
    bool inNewRow;
  } kCases[] = {
      {"CDARVPROD", false, true},   {"NMPRODUTO", false, false}, {"QTDERECE", true, true},
      {"SGUNIDRECE", false, false}, {"QTDEBRUTA", false, false}, {"CUSTOPRODANT", false, false},
      {"CUSTOPROD", false, false},  {"QtdeTotal", false, false}, {"CustoTotal", false, false},
      {"Safra", false, false},      {"percDia", false, false},   {"custoPercDia", false, false},
  };
  openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
    DBGrid& grid = *f.recipe.dbgPrato;
    for (const auto& c : kCases) {
      SCOPED_TRACE(c.field);
      for (bool newRow : {false, true}) {
        if (newRow) {
          ASSERT_TRUE(insertRow(f, d));
        }
        const Variant before = f.recipe.cdsProduto.fieldByName(c.field).value();
        ASSERT_TRUE(d.dispatch([&] { grid.setSelectedIndex(grid.columnIndexOf(c.field)); }));
        ASSERT_TRUE(d.type(grid, "1a,"));
        const bool takes = newRow ? c.inNewRow : c.inBrowsedRow;
        EXPECT_EQ(grid.editorMode(), takes) << newRow;
        if (takes) {
          EXPECT_EQ(grid.editorText(), "1a,");
        }
        EXPECT_EQ(f.recipe.cdsProduto.fieldByName(c.field).value(), before);
        d.dispatch([&] {
          grid.hideEditor();
          f.recipe.discardPendingChanges();
        });
      }
    }
    // The dish grid takes characters in its diners column only.
    DBGrid& dishes = *f.recipe.dbgCardapio;
    for (int i = 0; i < dishes.columnCount(); ++i) {
      const std::string field = dishes.column(i).fieldName();
      ASSERT_TRUE(d.dispatch([&] { dishes.setSelectedIndex(i); }));
      ASSERT_TRUE(d.type(dishes, "7"));
      EXPECT_EQ(dishes.editorMode(), field == "COMENSPRATO") << field;
      d.dispatch([&] {
        dishes.hideEditor();
        f.recipe.discardPendingChanges();
      });
    }
    EXPECT_EQ(f.recipe.cdsCardapio.changeCount(), 0);
  });
}

TEST_F(ProductEntryTest, GridKeysEditOnlyWhatTheRulesLet) {
  shell.allow = true;
  openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
    DBGrid& grid = *f.recipe.dbgPrato;
    const struct {
      Key key;
      ShiftState shift;
      bool newRow;
      bool leftForTheGrid;
    } kCases[] = {
        {VK_BACK, ssNone, false, false}, {VK_DELETE, ssNone, false, false},
        {VK_BACK, ssNone, true, true},   {VK_DELETE, ssNone, true, true},
        {VK_BACK, ssShift, false, true},  // with a modifier the rule does not apply
    };
    bool left = false;
    for (const auto& c : kCases) {
      SCOPED_TRACE(std::to_string(c.key) + (c.newRow ? " new row" : ""));
      if (c.newRow) {
        ASSERT_TRUE(insertRow(f, d));
      }
      ASSERT_TRUE(key(d, grid, c.key, c.shift, &left));
      EXPECT_EQ(left, c.leftForTheGrid);
      d.dispatch([&] { f.recipe.discardPendingChanges(); });
    }
    // Ctrl+Delete is the menu's: it deletes through the rules (here refused by the user),
    // never as the grid's own key.
    host->dialogs.answer(platform::mrNo);
    EXPECT_FALSE(key(d, grid, VK_DELETE, ssCtrl));
    EXPECT_EQ(f.recipe.cdsProduto.recordCount(), 2);
    Key ctrlDelete = VK_DELETE;
    d.dispatch([&] { f.recipe.dbgPratoKeyDown(ctrlDelete, ssCtrl); });
    EXPECT_EQ(ctrlDelete, kNoKey);
    // Alt+PgUp gives the dish grid the focus.
    ASSERT_TRUE(key(d, grid, VK_PRIOR, ssAlt, &left));
    EXPECT_FALSE(left);
    EXPECT_TRUE(f.recipe.dbgCardapio->focused());
  });
  EXPECT_EQ(dialogsShown(), std::vector<std::string>{"Confirma exclusão?"});
}

TEST_F(ProductEntryTest, PasteFillsOnlyANewRowsCode) {
  host->clipboard.setText("01060010001");
  openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
    DBGrid& grid = *f.recipe.dbgPrato;
    // Browsing: the key goes on to the grid and the code stays.
    bool left = false;
    ASSERT_TRUE(moveToColumn(d, grid, "CDARVPROD"));
    ASSERT_TRUE(key(d, grid, keyOf('V'), ssCtrl, &left));
    EXPECT_TRUE(left);
    EXPECT_EQ(text(f, "CDARVPROD"), "01.01.001.0001");

    ASSERT_TRUE(insertRow(f, d));
    ASSERT_TRUE(key(d, grid, keyOf('V'), ssCtrl, &left));
    EXPECT_FALSE(left);
    EXPECT_EQ(grid.editorText(), "01060010001");
    EXPECT_EQ(text(f, "CDARVPROD"), "01060010001");
    // Leaving the cell checks the pasted code and writes it as the picture does.
    ASSERT_TRUE(moveToColumn(d, grid, "QTDERECE"));
    EXPECT_EQ(text(f, "CDARVPROD"), "01.06.001.0001");
    EXPECT_EQ(text(f, "NMPRODUTO"), "PRODUTO 01.06.001.0001");
    d.dispatch([&] { f.recipe.discardPendingChanges(); });
  });
  EXPECT_TRUE(errorsShown().empty());
}

TEST_F(ProductEntryTest, TheSearchButtonShowsOnlyForANewRowAndFillsItsCode) {
  openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
    DBGrid& grid = *f.recipe.dbgPrato;
    Column& code = grid.column(grid.columnIndexOf("CDARVPROD"));
    EXPECT_EQ(code.buttonStyle(), ColumnButtonStyle::Auto);
    ASSERT_TRUE(insertRow(f, d));
    EXPECT_EQ(code.buttonStyle(), ColumnButtonStyle::Ellipsis);
    // Pressed in another column, it does nothing.
    ASSERT_TRUE(d.dispatch([&] { grid.setSelectedIndex(grid.columnIndexOf("NMPRODUTO")); }));
    ASSERT_TRUE(d.dispatch([&] { grid.editButtonClick(); }));
    EXPECT_EQ(server.log->count("getPesqProd"), 0);

    ASSERT_TRUE(d.dispatch([&] { grid.setSelectedIndex(grid.columnIndexOf("CDARVPROD")); }));
    host->search.chooseTyped("0106001");
    ASSERT_TRUE(d.pressEditButton(grid));
    EXPECT_EQ(server.log->last("getPesqProd"), (std::vector<Variant>{Variant("4"), Variant("")}));
    ASSERT_EQ(host->search.shown().size(), 1u);
    const ScriptedSearch::Shown& shown = host->search.shown()[0];
    EXPECT_EQ(shown.caption, "Produto|Não há produto cadastrado.");
    EXPECT_FALSE(shown.editable);
    EXPECT_TRUE(shown.filterAsTyped);
    EXPECT_EQ(shown.visibleFields,
              (std::vector<std::string>{"CDARVPROD", "NMPRODUTO", "SGUNIDADE"}));
    // The chosen product fills the same new row and is checked at once.
    EXPECT_EQ(f.recipe.cdsProduto.state(), DataSetState::Insert);
    EXPECT_EQ(text(f, "CDARVPROD"), "01.06.001.0001");
    EXPECT_DOUBLE_EQ(f.recipe.cdsProduto.fieldByName("CUSTOPROD").asFloat(), 4.5);
    EXPECT_EQ(server.log->count("VerifProd"), 1);

    // Cancelled: the row stays as it was.
    host->search.cancel();
    ASSERT_TRUE(d.pressEditButton(grid));
    EXPECT_EQ(text(f, "CDARVPROD"), "01.06.001.0001");
    EXPECT_EQ(server.log->count("VerifProd"), 1);
    d.dispatch([&] { f.recipe.discardPendingChanges(); });
    EXPECT_EQ(code.buttonStyle(), ColumnButtonStyle::Auto);
  });
  EXPECT_TRUE(errorsShown().empty());
}

TEST_F(ProductEntryTest, TheSearchWithComplementsFillsTheCodeForTheCellExitToCheck) {
  queries.searchWithComplements = "S";
  openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
    DBGrid& grid = *f.recipe.dbgPrato;
    ASSERT_TRUE(insertRow(f, d));
    host->search.chooseCode("01.06.001.0002");
    ASSERT_TRUE(d.pressEditButton(grid));
    const ScriptedSearch::Shown& shown = host->search.shown().at(0);
    EXPECT_EQ(shown.caption, "Produto|P_NCad");
    EXPECT_EQ(shown.visibleFields,
              (std::vector<std::string>{"CDARVPROD", "NMPRODUTO", "SGUNIDADE", "DSCOMPLNOME"}));
    EXPECT_EQ(text(f, "CDARVPROD"), "01.06.001.0002");
    EXPECT_EQ(text(f, "NMPRODUTO"), "PRODUTO 01.06.001.0002");
    EXPECT_TRUE(f.recipe.cdsProduto.fieldByName("CUSTOPROD").isNull());
    EXPECT_EQ(server.log->count("VerifProd"), 0);
    ASSERT_TRUE(moveToColumn(d, grid, "QTDERECE"));
    EXPECT_DOUBLE_EQ(f.recipe.cdsProduto.fieldByName("CUSTOPROD").asFloat(), 2.0);
    d.dispatch([&] { f.recipe.discardPendingChanges(); });
  });
}

TEST_F(ProductEntryTest, AFailedProductListEndsTheSearchWithTheServersText) {
  openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(insertRow(f, d));
    (*server.script)["getPesqProd"] = [](const auto&) { return Variant("Sem acesso ao cadastro"); };
    EXPECT_FALSE(d.pressEditButton(*f.recipe.dbgPrato));
    EXPECT_TRUE(host->search.shown().empty());
    EXPECT_TRUE(f.recipe.cdsProduto.fieldByName("CDARVPROD").isNull());
    d.dispatch([&] { f.recipe.discardPendingChanges(); });
  });
  EXPECT_EQ(errorsShown(), std::vector<std::string>{"Sem acesso ao cadastro"});
}

TEST_F(ProductEntryTest, TheKeyHintFollowsTheRecipeKind) {
  const std::string standard =
      "INSERT = Incluir Produto; CTRL+DEL = Excluir Produto; CTRL+ENTER = Confirmar; ESC = "
      "Cancelar";
  const std::string local =
      "INSERT = Incluir Produto; CTRL+DEL = Excluir Produto; CTRL+T = Trocar Ingrediente; "
      "CTRL+ENTER = Confirmar; ESC = Cancelar";
  server.dishes.push_back({"VAZIO", "6006", "0001", march(4), 10, 80, 60, 0});
  openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.dispatch([&] { f.recipe.dbgPrato->setFocus(); }));
    EXPECT_EQ(f.recipe.Label18->caption(), standard);
    ASSERT_TRUE(gotoDish(d, f, "FEIJAO"));
    EXPECT_EQ(f.recipe.Label18->caption(), local);
    ASSERT_TRUE(gotoDish(d, f, "VAZIO"));
    EXPECT_EQ(f.recipe.Label18->caption(), "   ");
    ASSERT_TRUE(gotoDish(d, f, "ARROZ"));
    EXPECT_EQ(f.recipe.Label18->caption(), standard);
  });
}

TEST_F(ProductEntryTest, MovingTheSplitterShowsTheDishsProductsFromTheFirst) {
  openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.dispatch([&] {
      f.recipe.cdsProduto.setFiltered(false);
      f.recipe.cdsProduto.last();
      f.recipe.splMatPrim->move(*f.recipe.dbgCardapio->parent(), 150);
    }));
    EXPECT_EQ(f.recipe.cdsProduto.filter(), "CDPRATO = '1001' AND CDFILAUXPRAT = 'P'");
    EXPECT_TRUE(f.recipe.cdsProduto.filtered());
    EXPECT_EQ(f.recipe.cdsProduto.recNo(), 1);
    EXPECT_EQ(f.recipe.cdsProduto.recordCount(), 2);
  });
}

}  // namespace
}  // namespace screentest
