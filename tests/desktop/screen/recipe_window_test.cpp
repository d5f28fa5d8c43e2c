// Editing recipes in the real window, with real keys and clicks, against the embedded server: what
// the user types reaches the screen's handlers and the server, and the window shows the result.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <set>
#include <string>

#include "desktop/dialog_driver.h"
#include "desktop/form_renderer.h"
#include "desktop/grid_view.h"
#include "desktop/screen/desktop_screen_fixture.h"
#include "desktop/screen/window_test_support.h"
#include "desktop/search_dialog.h"
#include "desktop/shell/screenshot.h"
#include "platform/format.h"
#include "platform/ui/user_event.h"

namespace desktop::testing {
namespace {

using screen::TfrmAnaCustRevRec;

constexpr double kApril1 = 46113;
// 17/04/2026 is open; 06/04/2026 is closed (up to the processing date, 15/04).
constexpr double kOpenDay = kApril1 + 16;
constexpr double kClosedDay = kApril1 + 5;

const char* const kRecalcular = "Receita alterada com êxito. Custos devem ser recalculados.";

QWidget* focusTarget(FormWindow& window) {
  activate(window);
  QWidget* focused = QApplication::focusWidget();
  return focused != nullptr ? focused : &window;
}

void pressKey(FormWindow& window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::keyClick(focusTarget(window), key, modifiers);
  QApplication::processEvents();
}

void typeText(FormWindow& window, const QString& text) {
  for (const QChar c : text) {
    QTest::keyClick(focusTarget(window), c.toLatin1());
    QApplication::processEvents();
  }
}

QToolButton* buttonOf(FormWindow& window, platform::ui::Control* control) {
  return dynamic_cast<QToolButton*>(window.renderer().widgetOf(*control));
}

// Materials page, `day`, and the first dish with at least `products` products.
void openDish(FormWindow& window, TfrmAnaCustRevRec& form, double day, int products) {
  // Keys go to the focused widget, which only an active window has.
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  // The day is chosen on another page; what matters here is the materials page.
  platform::ui::runUserEvent(
      [&] { form.cost.cdsTrabCusto.locate("DTDATA", platform::Variant::date(day)); });
  ASSERT_TRUE(showPage(*form.tshMatPrima));
  ASSERT_EQ(form.cost.cdsTrabCusto.fieldByName("DTDATA").asDateTime(), day);
  GridView& dishes = viewOf(window, *form.recipe.dbgCardapio);
  for (int row = 0; row < dishes.gridModel().rowCount(); ++row) {
    clickCell(dishes, row, 0);
    if (form.recipe.cdsProduto.recordCount() >= products) return;
  }
  FAIL() << "no dish with " << products << " products";
}

std::string productText(TfrmAnaCustRevRec& form, const char* field) {
  return form.recipe.cdsProduto.fieldByName(field).asString();
}

// Types `text` into a product cell and leaves it with Enter.
void typeIntoCell(FormWindow& window, GridView& view, int row, const char* field,
                  const QString& text) {
  clickCell(view, row, columnOf(view, field));
  typeText(window, text);
  pressKey(window, Qt::Key_Return);
}

QStringList texts(const std::vector<SeenDialog>& seen) {
  QStringList list;
  for (const SeenDialog& d : seen)
    list << d.text;
  return list;
}

class RecipeWindowTest : public DesktopScreenTest {
 protected:
  // A test that stops half-way leaves its changes pending: closing the screen then asks, and
  // nobody would answer.
  std::vector<std::string> open(const Steps& steps) {
    return DesktopScreenTest::open([&](FormWindow& window, TfrmAnaCustRevRec& form) {
      steps(window, form);
      if (form.visible() && form.recipe.hasPendingRecipeChanges()) answerDialogs({"Sim"});
    });
  }
};

TEST_F(RecipeWindowTest, APerCapitaTypedWithADecimalCommaIsSavedAndAddsUpAfterRecalculating) {
  const auto errors = open([](FormWindow& window, TfrmAnaCustRevRec& form) {
    openDish(window, form, kOpenDay, 1);
    GridView& products = viewOf(window, *form.recipe.dbgPrato);
    const std::string dish = form.recipe.cdsCardapio.fieldByName("CDPRATO").asString();
    const std::string code = productText(form, "CDARVPROD");
    const bool already = form.recipe.cdsProduto.fieldByName("QTDERECE").asFloat() == 0.15;
    const QString typed = already ? "0,151" : "0,150";
    const double expected = already ? 0.151 : 0.15;

    typeIntoCell(window, products, 0, "QTDERECE", typed);
    ASSERT_TRUE(form.recipe.hasPendingRecipeChanges());
    EXPECT_DOUBLE_EQ(form.recipe.cdsProduto.fieldByName("QTDERECE").asFloat(), expected);

    auto seen = answerDialogs({"Sim", "OK"});
    pressKey(window, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(texts(*seen), QStringList({QString::fromUtf8("Confirma operação?"),
                                         QString::fromUtf8(kRecalcular)}));
    ASSERT_FALSE(seen->empty());
    EXPECT_EQ(seen->front().buttons, QStringList({"Sim", QString::fromUtf8("Não")}));

    // The grid shows the rows read back from the server.
    EXPECT_EQ(form.recipe.cdsProduto.changeCount(), 0);
    ASSERT_TRUE(form.recipe.cdsProduto.locate("CDARVPROD", platform::Variant(code)));
    EXPECT_DOUBLE_EQ(form.recipe.cdsProduto.fieldByName("QTDERECE").asFloat(), expected);
    const int row = form.recipe.cdsProduto.recNo() - 1;
    EXPECT_EQ(products.gridModel()
                  .data(products.gridModel().index(row, columnOf(products, "QTDERECE")))
                  .toString()
                  .toStdString(),
              form.recipe.cdsProduto.fieldByName("QTDERECE").displayText());
    const platform::DataPacket stored = queries().execute(
        "SELECT COUNT(*) AS N FROM (SELECT CDPRATO, QTDERECE FROM RECEITA UNION ALL "
        "SELECT CDPRATO, QTDERECE FROM RECEITALOCAL UNION ALL SELECT CDPRATO, QTDERECE FROM "
        "RECEITASERV) WHERE CDPRATO = :PRATO AND ABS(QTDERECE - :QTDE) < 1e-9",
        {{"PRATO", platform::Variant(dish)}, {"QTDE", platform::Variant(expected)}});
    ASSERT_EQ(stored.rows.size(), 1u);
    EXPECT_GE(stored.value(0, "N").toDouble(), 1);

    QToolButton* recalc = buttonOf(window, form.sbtCalcula);
    ASSERT_NE(recalc, nullptr);
    ASSERT_TRUE(recalc->isEnabled());
    EXPECT_EQ(recalc->toolTip(), "Recalcular Custos");
    recalc->click();
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(form.selectedDay(), kOpenDay);
    const platform::Field& material = form.cost.cdsTrabCusto.fieldByName("VRCUSTPRODMAT");
    double dishes = 0;
    for (int r = 1; r <= form.recipe.cdsCardapio.recordCount(); ++r)
      form.recipe.cdsCardapio.withDisplayRow(
          r, [&] { dishes += form.recipe.cdsCardapio.fieldByName("CustoPrato").asFloat(); });
    EXPECT_EQ(material.displayText(), platform::formatFloat(material.displayFormat(), dishes));
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(RecipeWindowTest, AProductInsertedThroughTheSearchDialogHasItsUnitAndCosts) {
  const auto errors = open([](FormWindow& window, TfrmAnaCustRevRec& form) {
    openDish(window, form, kOpenDay, 1);
    GridView& products = viewOf(window, *form.recipe.dbgPrato);
    std::set<std::string> present;
    for (int r = 1; r <= form.recipe.cdsProduto.recordCount(); ++r)
      form.recipe.cdsProduto.withDisplayRow(
          r, [&] { present.insert(productText(form, "CDARVPROD")); });

    clickCell(products, 0, columnOf(products, "QTDERECE"));
    pressKey(window, Qt::Key_Insert);
    ASSERT_EQ(form.recipe.cdsProduto.state(), platform::DataSetState::Insert);
    const int codeColumn = columnOf(products, "CDARVPROD");
    if (products.currentIndex().column() != codeColumn)
      clickCell(products, products.currentIndex().row(), codeColumn);
    if (products.delegate().openEditor() == nullptr) pressKey(window, Qt::Key_F2);
    QLineEdit* editor = products.delegate().openEditor();
    ASSERT_NE(editor, nullptr);
    auto* button = editor->findChild<QAction*>("editButton");
    ASSERT_NE(button, nullptr) << "the product code cell has no ellipsis button";
    ASSERT_FALSE(button->associatedObjects().isEmpty());
    auto* face = qobject_cast<QWidget*>(button->associatedObjects().constLast());
    ASSERT_NE(face, nullptr);
    EXPECT_TRUE(face->isVisible());

    std::string chosen;
    int listed = 0;
    whenSearchOpens([&](SearchDialog& dialog) {
      listed = dialog.rows().rowCount();
      for (int r = 0; r < dialog.rows().rowCount() && chosen.empty(); ++r)
        if (!present.contains(dialog.rows().row(r).code)) chosen = dialog.rows().row(r).code;
      QTest::keyClicks(&dialog.filterEdit(), QString::fromStdString(chosen));
      EXPECT_EQ(dialog.filtered().rowCount(), 1);
      QTest::keyClick(&dialog.filterEdit(), Qt::Key_Return);
    });
    QTest::mouseClick(face, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_GT(listed, 100);
    ASSERT_FALSE(chosen.empty());
    EXPECT_EQ(productText(form, "CDARVPROD"), chosen);
    EXPECT_FALSE(productText(form, "SGUNIDRECE").empty());
    EXPECT_FALSE(form.recipe.cdsProduto.fieldByName("CUSTOPROD").isNull());

    // The per capita, then saved.
    clickCell(products, products.currentIndex().row(), columnOf(products, "QTDERECE"));
    typeText(window, "0,05");
    pressKey(window, Qt::Key_Return);
    auto seen = answerDialogs({"Sim", "OK"});
    pressKey(window, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(texts(*seen).value(0), QString::fromUtf8("Confirma operação?"));
    EXPECT_EQ(form.recipe.cdsProduto.changeCount(), 0);
    ASSERT_TRUE(form.recipe.cdsProduto.locate("CDARVPROD", platform::Variant(chosen)));
    EXPECT_DOUBLE_EQ(form.recipe.cdsProduto.fieldByName("QTDERECE").asFloat(), 0.05);
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

std::string digits(const std::string& code) {
  std::string only;
  for (char c : code)
    if (c >= '0' && c <= '9') only += c;
  return only;
}

TEST_F(RecipeWindowTest, CtrlVPastesAProductCodeIntoTheNewRow) {
  const auto errors = open([](FormWindow& window, TfrmAnaCustRevRec& form) {
    openDish(window, form, kOpenDay, 1);
    GridView& products = viewOf(window, *form.recipe.dbgPrato);
    std::set<std::string> present;
    for (int r = 1; r <= form.recipe.cdsProduto.recordCount(); ++r)
      form.recipe.cdsProduto.withDisplayRow(
          r, [&] { present.insert(digits(productText(form, "CDARVPROD"))); });
    const platform::DataPacket stock = queries().execute(
        "SELECT CDARVPROD FROM PRODUTO WHERE IDATIVO = 'S' AND CDNVPRODUTO = "
        "(SELECT MAX(CDNVPRODUTO) FROM PRODUTO) ORDER BY CDARVPROD",
        {});
    std::string code;
    for (size_t i = 0; i < stock.rows.size() && code.empty(); ++i)
      if (!present.contains(digits(stock.value(i, "CDARVPROD").toString())))
        code = stock.value(i, "CDARVPROD").toString();
    ASSERT_FALSE(code.empty());

    clickCell(products, 0, columnOf(products, "QTDERECE"));
    pressKey(window, Qt::Key_Insert);
    ASSERT_EQ(form.recipe.cdsProduto.state(), platform::DataSetState::Insert);
    const int codeColumn = columnOf(products, "CDARVPROD");
    if (products.currentIndex().column() != codeColumn)
      clickCell(products, products.currentIndex().row(), codeColumn);
    QApplication::clipboard()->setText(QString::fromStdString(code));
    pressKey(window, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(digits(productText(form, "CDARVPROD")), digits(code));
    // The code is checked, and the product's data filled, when the user leaves the cell.
    pressKey(window, Qt::Key_Tab);
    EXPECT_FALSE(productText(form, "SGUNIDRECE").empty());

    // A row still being typed is dropped without asking; a posted one is kept until the user
    // agrees to drop it.
    typeIntoCell(window, products, products.currentIndex().row(), "QTDERECE", "0,1");
    auto notNow = answerDialogs({"Não"});
    pressKey(window, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(texts(*notNow), QStringList({QString::fromUtf8("Confirma operação?")}));
    ASSERT_TRUE(form.recipe.hasPendingRecipeChanges());

    auto seen = answerDialogs({"Sim"});
    buttonOf(window, form.sbtCancela)->click();
    QApplication::processEvents();
    EXPECT_EQ(texts(*seen), QStringList({QString::fromUtf8("Cancela operação?")}));
    EXPECT_FALSE(form.recipe.hasPendingRecipeChanges());
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(RecipeWindowTest, AProductIsDeletedAfterConfirmation) {
  const auto errors = open([](FormWindow& window, TfrmAnaCustRevRec& form) {
    openDish(window, form, kOpenDay, 2);
    GridView& products = viewOf(window, *form.recipe.dbgPrato);
    const int before = form.recipe.cdsProduto.recordCount();
    clickCell(products, 0, columnOf(products, "QTDERECE"));
    const std::string code = productText(form, "CDARVPROD");
    auto seen = answerDialogs({"Sim"});
    pressKey(window, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(texts(*seen), QStringList({QString::fromUtf8("Confirma exclusão?")}));
    EXPECT_EQ(form.recipe.cdsProduto.recordCount(), before - 1);
    auto saved = answerDialogs({"Sim", "OK"});
    pressKey(window, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(texts(*saved).value(0), QString::fromUtf8("Confirma operação?"));
    EXPECT_EQ(form.recipe.cdsProduto.recordCount(), before - 1);
    EXPECT_FALSE(form.recipe.cdsProduto.locate("CDARVPROD", platform::Variant(code)));
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(RecipeWindowTest, F3EditsTheDinersWhichAreSavedAtOnce) {
  const auto errors = open([](FormWindow& window, TfrmAnaCustRevRec& form) {
    openDish(window, form, kOpenDay, 1);
    GridView& products = viewOf(window, *form.recipe.dbgPrato);
    GridView& dishes = viewOf(window, *form.recipe.dbgCardapio);
    clickCell(products, 0, columnOf(products, "QTDERECE"));
    // F3 is the dish grid's key: the menu offers the diners only while that grid has the focus.
    pressKey(window, Qt::Key_F3);
    EXPECT_EQ(form.recipe.cdsCardapio.state(), platform::DataSetState::Browse);
    clickCell(dishes, dishes.currentIndex().row(), 0);
    pressKey(window, Qt::Key_F3);
    EXPECT_TRUE(dishes.hasFocus() || dishes.isAncestorOf(QApplication::focusWidget()));
    EXPECT_EQ(dishes.currentIndex().column(), columnOf(dishes, "COMENSPRATO"));
    const std::string dish = form.recipe.cdsCardapio.fieldByName("CDPRATO").asString();
    auto seen = answerDialogs({"OK"});
    typeText(window, "123");
    // Confirming posts the dish, which saves its diners without asking.
    pressKey(window, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(texts(*seen), QStringList({QString::fromUtf8(kRecalcular)}));
    EXPECT_EQ(form.recipe.cdsCardapio.changeCount(), 0);
    const platform::DataPacket stored = queries().execute(
        "SELECT COMENSPRATO FROM CARDAPIO WHERE CDFILIAL = '0001' AND CDSERVFILI = '00001' AND "
        "DTCARDAPIO = :DIA AND CDPRATO = :PRATO",
        {{"DIA", platform::Variant(kOpenDay)}, {"PRATO", platform::Variant(dish)}});
    ASSERT_EQ(stored.rows.size(), 1u);
    EXPECT_EQ(stored.value(0, "COMENSPRATO").toDouble(), 123);
    EXPECT_TRUE(buttonOf(window, form.sbtCalcula)->isEnabled());
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(RecipeWindowTest, CancelAndCloseAskBeforeDroppingPendingChanges) {
  const auto errors = open([](FormWindow& window, TfrmAnaCustRevRec& form) {
    openDish(window, form, kOpenDay, 1);
    GridView& products = viewOf(window, *form.recipe.dbgPrato);
    const double original = form.recipe.cdsProduto.fieldByName("QTDERECE").asFloat();
    typeIntoCell(window, products, 0, "QTDERECE", original == 0.9 ? "0,8" : "0,9");
    ASSERT_TRUE(form.recipe.hasPendingRecipeChanges());
    // Not saved: the change is posted and stays pending.
    auto notNow = answerDialogs({"Não"});
    pressKey(window, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(texts(*notNow), QStringList({QString::fromUtf8("Confirma operação?")}));

    QToolButton* cancel = buttonOf(window, form.sbtCancela);
    ASSERT_NE(cancel, nullptr);
    auto no = answerDialogs({"Não"});
    cancel->click();
    EXPECT_EQ(texts(*no), QStringList({QString::fromUtf8("Cancela operação?")}));
    EXPECT_TRUE(form.recipe.hasPendingRecipeChanges());
    auto yes = answerDialogs({"Sim"});
    cancel->click();
    EXPECT_EQ(form.recipe.cdsProduto.changeCount(), 0);
    form.recipe.cdsProduto.first();
    EXPECT_DOUBLE_EQ(form.recipe.cdsProduto.fieldByName("QTDERECE").asFloat(), original);

    // Closing the window with a change pending asks first.
    typeIntoCell(window, products, 0, "QTDERECE", original == 0.9 ? "0,8" : "0,9");
    auto keep = answerDialogs({"Não"});
    window.close();
    QApplication::processEvents();
    EXPECT_EQ(texts(*keep), QStringList({QString::fromUtf8("Cancela operação?")}));
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(form.visible());
    auto leave = answerDialogs({"Sim"});
    window.close();
    QApplication::processEvents();
    EXPECT_EQ(leave->size(), 1u);
    EXPECT_FALSE(form.visible());
    EXPECT_FALSE(window.isVisible());
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(RecipeWindowTest, OnAClosedDayNothingCanBeTypedIntoTheProducts) {
  const auto errors = open([](FormWindow& window, TfrmAnaCustRevRec& form) {
    openDish(window, form, kClosedDay, 1);
    GridView& products = viewOf(window, *form.recipe.dbgPrato);
    const platform::Variant perCapita = form.recipe.cdsProduto.fieldByName("QTDERECE").value();
    typeIntoCell(window, products, 0, "QTDERECE", "0,9");
    pressKey(window, Qt::Key_Insert);
    EXPECT_EQ(products.delegate().openEditor(), nullptr);
    EXPECT_EQ(form.recipe.cdsProduto.fieldByName("QTDERECE").value(), perCapita);
    EXPECT_NE(form.recipe.cdsProduto.state(), platform::DataSetState::Insert);
    EXPECT_FALSE(form.recipe.hasPendingRecipeChanges());
    EXPECT_FALSE(buttonOf(window, form.sbtConfirma)->isEnabled());
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(RecipeWindowTest, TheKeyHintUnderTheGridsFollowsTheRecipeKind) {
  const auto errors = open([](FormWindow& window, TfrmAnaCustRevRec& form) {
    openDish(window, form, kOpenDay, 1);
    auto* hint = dynamic_cast<QLabel*>(window.renderer().widgetOf(*form.recipe.Label18));
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isVisible());
    GridView& dishes = viewOf(window, *form.recipe.dbgCardapio);
    std::set<QString> shown;
    for (int row = 0; row < dishes.gridModel().rowCount(); ++row) {
      clickCell(dishes, row, 0);
      EXPECT_EQ(hint->text().toStdString(), form.recipe.Label18->caption());
      EXPECT_FALSE(hint->text().isEmpty());
      shown.insert(hint->text());
    }
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

}  // namespace
}  // namespace desktop::testing
