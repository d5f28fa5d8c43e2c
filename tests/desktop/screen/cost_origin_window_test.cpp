// The cost origin of a recipe product, asked for with a double click in the real window against
// the embedded demo server, opens the cost-origin screen with the product's supplier quotations.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLocale>
#include <QSet>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <optional>
#include <string>
#include <vector>

#include "desktop/form_renderer.h"
#include "desktop/grid_view.h"
#include "desktop/screen/desktop_screen_fixture.h"
#include "desktop/shell/screenshot.h"
#include "desktop/shell/sibling_screens.h"
#include "platform/ui/user_event.h"

namespace desktop::testing {
namespace {

using screen::TfrmAnaCustRevRec;

constexpr double kOpenDay = 46113 + 16;  // 17/04/2026

struct Origin {
  QString title;
  QString caption;  // the average's, empty when none
  QStringList headers;
  std::vector<QStringList> rows;
  bool saidEmpty = false;
};

// Reads the next cost-origin screen (not the busy window of the call before it), then closes it.
void onCostOrigin(std::optional<Origin>& seen) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, &seen] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    auto* view = dialog->findChild<QTableView*>("originTable");
    auto* empty = dialog->findChild<QLabel*>("emptyMessage");
    if (view == nullptr && empty == nullptr) return;
    timer->stop();
    timer->deleteLater();
    Origin origin;
    origin.title = dialog->windowTitle();
    origin.saidEmpty = empty != nullptr;
    if (auto* caption = dialog->findChild<QLabel*>("averageCaption"))
      origin.caption = caption->text();
    if (view != nullptr) {
      QAbstractItemModel* model = view->model();
      for (int c = 0; c < model->columnCount(); ++c)
        origin.headers << model->headerData(c, Qt::Horizontal).toString();
      for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c)
          cells << model->index(r, c).data().toString();
        origin.rows.push_back(cells);
      }
    }
    seen = origin;
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  timer->start();
}

class CostOriginWindowTest : public DesktopScreenTest {
 protected:
  // Double clicks the day's recipe products in turn until one shows quotations; `productCode`
  // is that product's.
  std::optional<Origin> firstQuotedOrigin(int costMode, std::string& productCode) {
    registerSiblingScreens(screens());
    std::optional<Origin> found;
    const auto errors = open(
        [&](FormWindow& window, TfrmAnaCustRevRec& form) {
          QApplication::setActiveWindow(&window);
          ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
          platform::ui::runUserEvent(
              [&] { form.cost.cdsTrabCusto.locate("DTDATA", platform::Variant::date(kOpenDay)); });
          ASSERT_TRUE(showPage(*form.tshMatPrima));
          GridView* products = window.renderer().gridView(*form.recipe.dbgPrato);
          ASSERT_NE(products, nullptr);
          ASSERT_GT(products->gridModel().rowCount(), 0);
          // A product without quotations says so; the first one with them is the one checked.
          for (int row = 0; row < products->gridModel().rowCount() && row < 12; ++row) {
            const QModelIndex index = products->model()->index(row, 0);
            products->scrollTo(index);
            QApplication::processEvents();
            QApplication::setActiveWindow(&window);
            std::optional<Origin> seen;
            onCostOrigin(seen);
            QTest::mouseClick(products->viewport(), Qt::LeftButton, {},
                              products->visualRect(index).center());
            QTest::mouseDClick(products->viewport(), Qt::LeftButton, {},
                               products->visualRect(index).center());
            QApplication::processEvents();
            ASSERT_TRUE(seen.has_value()) << "no cost-origin screen for row " << row;
            if (!seen->rows.empty()) {
              found = seen;
              productCode = form.recipe.cdsProduto.fieldByName("CDPRODUTO").asString();
              break;
            }
            EXPECT_TRUE(seen->saidEmpty);
          }
        },
        costMode);
    EXPECT_TRUE(errors.empty());
    return found;
  }
};

void expectSupplierRows(const Origin& origin) {
  const int supplier = origin.headers.indexOf("Fornecedor");
  const int registration = origin.headers.indexOf(QString::fromUtf8("Inscrição"));
  const int from = origin.headers.indexOf(QString::fromUtf8("Válida de"));
  const int source = origin.headers.indexOf("Origem");
  ASSERT_GE(supplier, 0);
  ASSERT_GE(registration, 0);
  ASSERT_GE(from, 0);
  ASSERT_GE(source, 0);
  for (const QStringList& row : origin.rows) {
    EXPECT_FALSE(row[supplier].isEmpty());
    EXPECT_TRUE(row[registration].startsWith("CNPJ ")) << row[registration].toStdString();
    EXPECT_EQ(row[from].size(), 10);  // dd/mm/yyyy
    EXPECT_EQ(row[source], QString::fromUtf8("Cotação"));
  }
}

TEST_F(CostOriginWindowTest, DoubleClickingAQuotationPricedProductShowsItsSuppliers) {
  // The lowest price: every quotation the server names has it, so each is marked.
  std::string productCode;
  const std::optional<Origin> found = firstQuotedOrigin(6, productCode);
  ASSERT_TRUE(found.has_value()) << "no product priced by quotation";
  EXPECT_TRUE(found->title.startsWith(QString::fromUtf8("Origem do Custo — Produto ") +
                                      QString::fromStdString(productCode)))
      << found->title.toStdString();
  EXPECT_TRUE(found->title.endsWith(QString::fromUtf8("— Filial 0001 — Custo de 17/04/2026")))
      << found->title.toStdString();
  expectSupplierRows(*found);
  for (const QStringList& row : found->rows)
    EXPECT_EQ(row[0], QString::fromUtf8("✔"));  // the server sends only the ones used
  EXPECT_TRUE(found->caption.isEmpty());
}

TEST_F(CostOriginWindowTest, AnAveragedCostMarksNoQuotationAndSaysSo) {
  std::string productCode;
  const std::optional<Origin> found = firstQuotedOrigin(44, productCode);
  ASSERT_TRUE(found.has_value()) << "no product priced by quotation";
  EXPECT_TRUE(found->title.endsWith(QString::fromUtf8("— Custo de 17/04/2026")))
      << found->title.toStdString();
  expectSupplierRows(*found);
  const int unit = found->headers.indexOf(QString::fromUtf8("Custo unitário"));
  ASSERT_GE(unit, 0);
  QSet<QString> prices;
  double sum = 0;
  for (const QStringList& row : found->rows) {
    prices.insert(row[unit]);
    sum += QLocale(QLocale::Portuguese, QLocale::Brazil).toDouble(row[unit]);
  }
  if (prices.size() > 1) {
    for (const QStringList& row : found->rows)
      EXPECT_EQ(row[0], QString());
    const QString mean = QLocale(QLocale::Portuguese, QLocale::Brazil)
                             .toString(sum / static_cast<double>(found->rows.size()), 'f', 5);
    EXPECT_EQ(
        found->caption,
        QString::fromUtf8("Custo médio de %1 cotações: %2").arg(found->rows.size()).arg(mean));
  } else {
    for (const QStringList& row : found->rows)
      EXPECT_EQ(row[0], QString::fromUtf8("✔"));
    EXPECT_TRUE(found->caption.isEmpty());
  }
}

}  // namespace
}  // namespace desktop::testing
