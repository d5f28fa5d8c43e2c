// The ingredient swap in the real window: right-click on a local recipe's product, "Trocar
// Ingrediente", the substitute chosen in the search dialog; the grid then shows the substitute,
// and after "Recalcular Custos" the day's raw material adds up to its dishes again.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <string>
#include <vector>

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

using platform::DataPacket;
using platform::Variant;
using screen::TfrmAnaCustRevRec;

constexpr double kFirstOpenDay = 46113 + 15;  // 16/04/2026, after the processing date

QString cellText(GridView& view, int row, const char* field) {
  return view.gridModel().data(view.gridModel().index(row, columnOf(view, field))).toString();
}

// Right-clicks `row` and picks `entry` from the menu that opens; false when it is not offered.
bool pickFromMenu(GridView& view, int row, const QString& entry) {
  bool picked = false;
  bool shown = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    poll.stop();
    shown = true;
    QAction* chosen = nullptr;
    for (QAction* action : menu->actions())
      if (!action->isSeparator() && action->isVisible() && action->isEnabled() &&
          action->text().section('\t', 0, 0).remove('&') == entry)
        chosen = action;
    menu->close();
    if (chosen != nullptr) {
      picked = true;
      chosen->trigger();  // runs the swap, with its own modal dialogs, before returning
    }
  });
  poll.start(10);
  QTest::mouseClick(view.viewport(), Qt::RightButton, {}, cellCentre(view, row, 0));
  for (int i = 0; i < 100 && !shown; ++i)
    QTest::qWait(10);
  return picked;
}

bool dishHas(platform::ClientDataSet& products, const std::string& dish,
             const std::string& product) {
  bool found = false;
  for (int r = 1; r <= products.recordCount() && !found; ++r)
    products.withDisplayRow(r, [&] {
      found = products.fieldByName("CDPRATO").asString() == dish &&
              products.fieldByName("CDPRODUTO").asString() == product;
    });
  return found;
}

struct Candidate {
  int productRow = -1;  // in the product grid
  std::string dish, oldCode, oldProduct, code, product;
};

// The first product of a local recipe of the selected dish with an optional product the swap
// accepts (in stock, active, not already in the dish).
Candidate findCandidate(TfrmAnaCustRevRec& form) {
  platform::ClientDataSet& ds = form.recipe.cdsProduto;
  struct Row {
    std::string kind, dish, code, product;
  };
  std::vector<Row> rows;
  for (int r = 1; r <= ds.recordCount(); ++r)
    ds.withDisplayRow(r, [&] {
      rows.push_back({ds.fieldByName("TIPO").asString(), ds.fieldByName("CDPRATO").asString(),
                      ds.fieldByName("CDARVPROD").asString(),
                      ds.fieldByName("CDPRODUTO").asString()});
    });
  const auto inDish = [&](const std::string& dish, const std::string& product) {
    for (const Row& row : rows)
      if (row.dish == dish && row.product == product) return true;
    return false;
  };
  for (size_t r = 0; r < rows.size(); ++r) {
    if (rows[r].kind != "L") continue;
    const DataPacket optionals = form.netInfPrato->call("PesqProdOpc", rows[r].code, "4").packet();
    for (size_t i = 0; i < optionals.rows.size(); ++i) {
      const std::string product = optionals.value(i, "CDPRODUTO").toString();
      const std::string code = optionals.value(i, "CDARVPROD").toString();
      if (product != optionals.value(i, "CDPRODESTO").toString() || inDish(rows[r].dish, product) ||
          form.netReceitaPadrao->call("Verif_Status_Prod", "0001", "4", code).toString() ==
              "PROD_INATIVO" ||
          form.netReceitaPadrao->call("GetVerifProd", "0001", product).toBool())
        continue;
      return {static_cast<int>(r), rows[r].dish, rows[r].code, rows[r].product, code, product};
    }
  }
  return {};
}

class IngredientSwapWindowTest : public DesktopScreenTest {};

TEST_F(IngredientSwapWindowTest, TheSubstituteReplacesTheProductAndTheDayAddsUpAfterRecalculating) {
  const auto errors = open([](FormWindow& window, TfrmAnaCustRevRec& form) {
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    // The open days whose menu has a dish with a local recipe.
    const DataPacket localDays = queries().execute(
        "SELECT DISTINCT C.DTCARDAPIO AS DIA FROM CARDAPIO C JOIN RECEITALOCAL R ON "
        "R.CDFILIAL = C.CDFILIAL AND R.CDFILAUXPRAT = C.CDFILAUXPRAT AND R.CDPRATO = C.CDPRATO "
        "WHERE C.CDFILIAL = '0001' AND C.CDSERVFILI = '00001' AND C.DTCARDAPIO >= :DE AND "
        "C.DTCARDAPIO < :ATE ORDER BY 1",
        {{"DE", Variant(kFirstOpenDay)}, {"ATE", Variant(kFirstOpenDay + 15)}});
    ASSERT_FALSE(localDays.rows.empty()) << "no open day with a local recipe";
    GridView& dishes = viewOf(window, *form.recipe.dbgCardapio);
    GridView& products = viewOf(window, *form.recipe.dbgPrato);
    Candidate c;
    double day = 0;
    for (size_t d = 0; d < localDays.rows.size() && c.productRow < 0; ++d) {
      day = localDays.value(d, "DIA").toDouble();
      platform::ui::runUserEvent(
          [&] { form.cost.cdsTrabCusto.locate("DTDATA", Variant::date(day)); });
      ASSERT_TRUE(showPage(*form.tshMatPrima));
      for (int row = 0; row < dishes.gridModel().rowCount() && c.productRow < 0; ++row) {
        clickCell(dishes, row, 0);
        c = findCandidate(form);
      }
    }
    ASSERT_GE(c.productRow, 0) << "no local recipe with a usable optional product";
    const int before = form.recipe.cdsProduto.recordCount();

    clickCell(products, c.productRow, 0);
    ASSERT_EQ(form.recipe.cdsProduto.fieldByName("CDARVPROD").asString(), c.oldCode);
    int listed = 0;
    int matching = 0;
    whenSearchOpens([&](SearchDialog& dialog) {
      listed = dialog.rows().rowCount();
      QTest::keyClicks(&dialog.filterEdit(), QString::fromStdString(c.code));
      matching = dialog.filtered().rowCount();
      QTest::keyClick(&dialog.filterEdit(), Qt::Key_Return);
    });
    auto seen = answerDialogs({"OK"});
    ASSERT_TRUE(pickFromMenu(products, c.productRow, "Trocar Ingrediente"));
    QApplication::processEvents();
    EXPECT_GE(listed, 1);
    EXPECT_EQ(matching, 1);
    ASSERT_EQ(seen->size(), 1u);
    EXPECT_EQ(seen->front().text,
              QString::fromUtf8("Receita alterada com êxito. Custos devem ser recalculados."));

    // The grid shows the recipe as the server now holds it.
    EXPECT_EQ(form.recipe.cdsProduto.recordCount(), before);
    EXPECT_TRUE(dishHas(form.recipe.cdsProduto, c.dish, c.product));
    EXPECT_FALSE(dishHas(form.recipe.cdsProduto, c.dish, c.oldProduct));
    QStringList codes;
    for (int r = 0; r < products.gridModel().rowCount(); ++r)
      codes << cellText(products, r, "CDARVPROD");
    EXPECT_TRUE(codes.contains(QString::fromStdString(c.code))) << codes.join(",").toStdString();
    EXPECT_FALSE(codes.contains(QString::fromStdString(c.oldCode)));
    const DataPacket stored = queries().execute(
        "SELECT COUNT(*) AS N FROM RECEITALOCAL WHERE CDPRATO = :PRATO AND CDPRODUTO = :PROD",
        {{"PRATO", Variant(c.dish)}, {"PROD", Variant(c.product)}});
    ASSERT_EQ(stored.rows.size(), 1u);
    EXPECT_GE(stored.value(0, "N").toDouble(), 1);

    auto* recalc = dynamic_cast<QToolButton*>(window.renderer().widgetOf(*form.sbtCalcula));
    ASSERT_NE(recalc, nullptr);
    ASSERT_TRUE(recalc->isEnabled());
    EXPECT_EQ(recalc->toolTip(), "Recalcular Custos");
    activate(window);
    recalc->click();
    QApplication::processEvents();
    ASSERT_DOUBLE_EQ(form.selectedDay(), day);

    // The day's raw material, as the daily table shows it, is the sum of its dishes.
    const platform::Field& material = form.cost.cdsTrabCusto.fieldByName("VRCUSTPRODMAT");
    double sum = 0;
    for (int r = 1; r <= form.recipe.cdsCardapio.recordCount(); ++r)
      form.recipe.cdsCardapio.withDisplayRow(
          r, [&] { sum += form.recipe.cdsCardapio.fieldByName("CustoPrato").asFloat(); });
    GridView& days = viewOf(window, *form.cost.dbgTrabCusto);
    EXPECT_EQ(cellText(days, form.cost.cdsTrabCusto.recNo() - 1, "VRCUSTPRODMAT").toStdString(),
              platform::formatFloat(material.displayFormat(), sum));
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

}  // namespace
}  // namespace desktop::testing
