// "Recalcular Custos" on each exception page of the real window, against the embedded demo server,
// opens RCX00515 with that page's products, ranked as the server weighs them and with the cost
// every mode gives them.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "desktop/form_renderer.h"
#include "desktop/screen/desktop_screen_fixture.h"
#include "desktop/shell/screenshot.h"
#include "desktop/shell/sibling_screens.h"
#include "platform/consiste.h"
#include "platform/format.h"
#include "platform/ui/user_event.h"

namespace desktop::testing {
namespace {

using platform::Variant;
using screen::TfrmAnaCustRevRec;

struct Seen {
  QString title;
  QStringList headers;
  std::vector<QStringList> rows;
  QString emptyMessage;
};

// Reads the next RCX00515 window (not the busy window before it), then closes it with Esc.
void onExceptionsScreen(std::optional<Seen>& seen) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, &seen] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    auto* view = dialog->findChild<QTableView*>("exceptionsTable");
    auto* empty = dialog->findChild<QLabel*>("emptyMessage");
    if (view == nullptr && empty == nullptr) return;
    timer->stop();
    timer->deleteLater();
    Seen s;
    s.title = dialog->windowTitle();
    if (empty != nullptr) s.emptyMessage = empty->text();
    if (view != nullptr) {
      QAbstractItemModel* model = view->model();
      for (int c = 0; c < model->columnCount(); ++c)
        s.headers << model->headerData(c, Qt::Horizontal).toString();
      for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c)
          cells << model->index(r, c).data().toString();
        s.rows.push_back(cells);
      }
    }
    seen = s;
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  timer->start();
}

QString costText(double value) {
  return value == 0 ? QString::fromUtf8("—")
                    : QString::fromStdString(platform::formatFloat("#,##0.00000", value));
}

class CostExceptionsWindowTest : public DesktopScreenTest {};

TEST_F(CostExceptionsWindowTest, RecalcularCustosOpensEachListRankedWithTheCostOfEveryMode) {
  registerSiblingScreens(screens());
  const struct {
    const char* name;
    bool outdated;
    const char* listTitle;
  } cases[] = {{"zero cost", false, "Produtos Custo Zero"},
               {"outdated quotations", true, "Cotação Desatualizada"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<Seen> seen;
    std::set<std::string> pageProducts;
    Variant weights, modes;
    const auto errors = open([&](FormWindow& window, TfrmAnaCustRevRec& form) {
      QApplication::setActiveWindow(&window);
      ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
      ASSERT_TRUE(showPage(c.outdated ? *form.tshCotDesatu : *form.tshProdCustZero));
      platform::ClientDataSet& list =
          c.outdated ? form.exceptions.cdsProdCotDesatu : form.exceptions.cdsProdCustZero;
      for (list.first(); !list.eof(); list.next())
        pageProducts.insert(list.fieldByName("CDPRODUTO").asString());

      auto* button = dynamic_cast<QToolButton*>(window.renderer().widgetOf(*form.sbtCustZero));
      ASSERT_NE(button, nullptr);
      ASSERT_TRUE(button->isEnabled());
      onExceptionsScreen(seen);
      QTest::mouseClick(button, Qt::LeftButton);
      QApplication::processEvents();

      // What the server answers for the same month, asked directly.
      const auto& ctx = form.ctx;
      const double costDate = ctx.useFixedCostDate ? ctx.fixedCostDate : ctx.referenceDate;
      weights = form.netCustoServ->call(
          "GetPesoExcecao", c.outdated ? "1" : "0", ctx.workTableId, ctx.branchCode, "",
          ctx.serviceCode, ctx.costMode, Variant::date(Consiste::PriDiaMes(ctx.referenceDate)),
          Variant::date(Consiste::UltimoDiaMes(ctx.referenceDate)),
          Variant::date(ctx.fixedCostDate), ctx.useFixedCostDate, Variant::date(costDate));
      ASSERT_TRUE(weights.isPacket()) << weights.debugString();
      std::vector<Variant> codes;
      for (size_t r = 0; r < weights.packet().rows.size(); ++r)
        codes.push_back(weights.packet().value(r, "CDPRODUTO"));
      modes = form.netCustoServ->call("GetCustoModos", Variant::array(codes), ctx.branchCode,
                                      Variant::date(costDate));
    });
    EXPECT_TRUE(errors.empty()) << errors.front();
    ASSERT_TRUE(seen.has_value()) << "RCX00515 did not open";
    EXPECT_TRUE(seen->title.startsWith(QString::fromUtf8("Exceções de Custo — ") + c.listTitle +
                                       QString::fromUtf8(" — Filial 0001, Serviço 00001")))
        << seen->title.toStdString();

    const platform::DataPacket& ranked = weights.packet();
    std::set<std::string> listed;
    for (size_t r = 0; r < ranked.rows.size(); ++r)
      listed.insert(ranked.value(r, "CDPRODUTO").toString());
    EXPECT_EQ(listed, pageProducts);  // the page's products, each once
    if (ranked.rows.empty()) {
      EXPECT_FALSE(seen->emptyMessage.isEmpty());
      continue;
    }
    ASSERT_TRUE(modes.isPacket()) << modes.debugString();
    ASSERT_EQ(seen->rows.size(), ranked.rows.size());
    const char* modeFields[] = {"VRCUSTO6",  "VRCUSTO44", "VRCUSTO48",
                                "VRCUSTO10", "VRCUSTO30", "VRCUSTO7"};
    for (size_t r = 0; r < ranked.rows.size(); ++r) {
      const QStringList& row = seen->rows[r];
      SCOPED_TRACE(row.join(" | ").toStdString());
      EXPECT_EQ(row[0].toStdString(), ranked.value(r, "CDARVPROD").toString());
      EXPECT_EQ(row[2].toStdString(),
                platform::formatFloat("#,##0.00000", ranked.value(r, "QTPLANMES").toDouble()));
      EXPECT_EQ(row[3].toStdString(),
                platform::formatFloat("#,##0.00", ranked.value(r, "PCPESO").toDouble()));
      if (r > 0) {
        EXPECT_GE(ranked.value(r - 1, "PCPESO").toDouble(), ranked.value(r, "PCPESO").toDouble());
      }
      for (int m = 0; m < 6; ++m)
        EXPECT_EQ(row[4 + m], costText(modes.packet().value(r, modeFields[m]).toDouble()))
            << modeFields[m];
    }
  }
}

}  // namespace
}  // namespace desktop::testing
