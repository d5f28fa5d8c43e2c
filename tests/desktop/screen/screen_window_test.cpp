// The real screen in its window: what the grids show and paint, the cost panel, keys.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPixmap>
#include <QToolButton>

#include <chrono>
#include "desktop/dialog_driver.h"
#include "desktop/form_renderer.h"
#include "desktop/grid_view.h"
#include "desktop/qt_host.h"
#include "desktop/screen/desktop_screen_fixture.h"
#include "desktop/shell/screenshot.h"
#include "host/host_shell.h"
#include "host/operator_session.h"
#include "host/sqlite_query_executor.h"
#include "platform/format.h"
#include "platform/ui/user_event.h"
#include "remote/remote_error.h"
#include "screen/entry.h"

namespace desktop::testing {
namespace {

using screen::TfrmAnaCustRevRec;

// The rectangle of a grid cell in the window's coordinates, scrolled into view first.
QRect cellRect(FormWindow& window, GridView& view, int row, int column) {
  const QModelIndex index = view.model()->index(row, column);
  view.scrollTo(index);
  QApplication::processEvents();
  const QRect cell = view.visualRect(index);
  return QRect(view.viewport()->mapTo(&window, cell.topLeft()), cell.size());
}

bool anyPixel(const QImage& image, const QRect& rect, QColor colour) {
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x)
      if (QColor(image.pixel(x, y)) == colour) return true;
  return false;
}

class ScreenWindowTest : public DesktopScreenTest {};

TEST_F(ScreenWindowTest, TheDailyGridShowsTheMonthWithTheScreensTexts) {
  const auto errors = open([](FormWindow& window, TfrmAnaCustRevRec& form) {
    GridView* view = window.renderer().gridView(*form.cost.dbgTrabCusto);
    ASSERT_NE(view, nullptr);
    GridModel& model = view->gridModel();
    ASSERT_EQ(model.rowCount(), 30);  // April
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), "01/04/2026 qua");
    EXPECT_EQ(model.data(model.index(29, 0)).toString(), "30/04/2026 qui");
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Data");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Comensais Estimados");
    // Every cell shows its field's display text, record by record.
    for (int row = 0; row < model.rowCount(); ++row) {
      form.cost.cdsTrabCusto.withDisplayRow(row + 1, [&] {
        for (int column = 0; column < model.columnCount(); ++column) {
          ASSERT_EQ(model.data(model.index(row, column)).toString().toStdString(),
                    model.field(column)->displayText())
              << "row " << row << " column " << column;
        }
      });
    }
    EXPECT_EQ(view->currentIndex().row(), 0);
    EXPECT_EQ(window.windowTitle().left(18), QString::fromUtf8("Análise de Custos "));
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(ScreenWindowTest, ADayCostingMoreThanTheStandardIsPaintedRed) {
  const auto errors = open([](FormWindow& window, TfrmAnaCustRevRec& form) {
    GridView* view = window.renderer().gridView(*form.cost.dbgTrabCusto);
    ASSERT_NE(view, nullptr);
    GridModel& model = view->gridModel();
    const int perCapita = model.modelColumn(form.cost.dbgTrabCusto->columnIndexOf("VRTOTPERC"));
    ASSERT_GE(perCapita, 0);
    const double standard = form.cost.nedCustoPadrao->GetNumber();
    // A day past the first (the selected cell is highlighted) above the standard, and one at or
    // below it, whose per-capita cell is never red: black on a day with outdated quotations,
    // whose other cells are red, the window text otherwise.
    int above = -1;
    int below = -1;
    bool belowOutdated = false;
    for (int row = 1; row < model.rowCount(); ++row) {
      form.cost.cdsTrabCusto.withDisplayRow(row + 1, [&] {
        const double value = form.cost.cdsTrabCusto.fieldByName("VRTOTPERC").asFloat();
        const platform::Variant day = form.cost.cdsTrabCusto.fieldByName("DTDATA").value();
        if (value > standard && above < 0) above = row;
        if (value <= standard && below < 0) {
          below = row;
          belowOutdated = form.cdsPreCotDesatu.active() &&
                          !form.cdsPreCotDesatu.lookup("DTDATA", day, "DTDATA").isNull();
        }
      });
    }
    ASSERT_GE(above, 0) << "the demo month has no day above the standard";
    ASSERT_GE(below, 0) << "the demo month has no day within the standard";
    // Text without antialiasing, so a red text has pure red pixels whatever its digits.
    QFont crisp = view->font();
    crisp.setStyleStrategy(QFont::NoAntialias);
    view->setFont(crisp);
    const QRect red = cellRect(window, *view, above, perCapita);
    QImage image = window.grab().toImage();
    EXPECT_TRUE(anyPixel(image, red, QColor(255, 0, 0)));
    EXPECT_EQ(QColor(image.pixel(red.left() + 1, red.center().y())),
              view->palette().color(QPalette::ToolTipBase));

    const QRect within = cellRect(window, *view, below, perCapita);
    image = window.grab().toImage();
    EXPECT_FALSE(anyPixel(image, within, QColor(255, 0, 0)));
    EXPECT_TRUE(anyPixel(image, within, QColor(0, 0, 0)));
    const QRect date = cellRect(window, *view, below, 0);
    image = window.grab().toImage();
    EXPECT_EQ(anyPixel(image, date, QColor(255, 0, 0)), belowOutdated);
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(ScreenWindowTest, TogglingTheCostPanelFillsItsEdits) {
  const auto errors = open([](FormWindow& window, TfrmAnaCustRevRec& form) {
    FormRenderer& renderer = window.renderer();
    QWidget* panel = renderer.widgetOf(*form.cost.panCusto);
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isHidden());
    auto* toggle = dynamic_cast<QToolButton*>(renderer.widgetOf(*form.sbtCustos));
    ASSERT_NE(toggle, nullptr);
    EXPECT_EQ(toggle->toolTip(), "Visualizar Acompanhamento de Custos");
    toggle->click();
    EXPECT_TRUE(form.sbtCustos->down());
    EXPECT_FALSE(panel->isHidden());
    EXPECT_EQ(window.width(), 788);

    auto* monthCost = dynamic_cast<QLineEdit*>(renderer.widgetOf(*form.cost.nedMatPriMes));
    ASSERT_NE(monthCost, nullptr);
    EXPECT_EQ(monthCost->text().toStdString(), form.cost.nedMatPriMes->text());
    EXPECT_NE(form.cost.nedMatPriMes->GetNumber(), 0);
    auto* standard = dynamic_cast<QLineEdit*>(renderer.widgetOf(*form.cost.nedPadrPerc));
    ASSERT_NE(standard, nullptr);
    EXPECT_EQ(standard->text().toStdString(), form.cost.nedCustoPadrao->text());
    auto* day = dynamic_cast<QGroupBox*>(renderer.widgetOf(*form.cost.grbCustoDia));
    ASSERT_NE(day, nullptr);
    EXPECT_EQ(day->title(), "Dia 01/04/2026");

    // The panel follows the day.
    form.cost.cdsTrabCusto.next();
    EXPECT_EQ(day->title(), "Dia 02/04/2026");
    toggle->click();
    EXPECT_TRUE(panel->isHidden());
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(ScreenWindowTest, TheCostPanelStaysCentredWhenTheWindowIsResized) {
  const auto errors = open([](FormWindow& window, TfrmAnaCustRevRec& form) {
    auto* toggle = dynamic_cast<QToolButton*>(window.renderer().widgetOf(*form.sbtCustos));
    ASSERT_NE(toggle, nullptr);
    toggle->click();
    // Narrowed to 788 pixels and centred on the display.
    EXPECT_EQ(form.width(), 788);
    EXPECT_EQ(form.left(), (form.screenWidth() - 788) / 2);
    for (const int width : {1000, 901, 788}) {
      SCOPED_TRACE(width);
      window.resize(width, window.height());
      QApplication::processEvents();
      EXPECT_EQ(form.cost.panCusto->width(), width);
      EXPECT_EQ(form.cost.subPanCusto->left(), (width - form.cost.subPanCusto->width()) / 2);
      QWidget* inner = window.renderer().widgetOf(*form.cost.subPanCusto);
      ASSERT_NE(inner, nullptr);
      EXPECT_EQ(inner->x(), form.cost.subPanCusto->left());
    }
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

// A product quantity typed into the product grid and stored, then the cancel button: "Cancela
// operação?" answered No keeps the change, Yes drops it.
TEST_F(ScreenWindowTest, AConfirmationAnsweredNoChangesNothing) {
  const struct {
    const char* answer;
    bool kept;
  } cases[] = {{"Não", true}, {"Sim", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    const auto errors = open([&](FormWindow& window, TfrmAnaCustRevRec& form) {
      // Only an open day's recipes take changes: 17/04, after the demo's processing date.
      platform::ui::runUserEvent(
          [&form] { form.cost.cdsTrabCusto.locate("DTDATA", platform::Variant::date(46129)); });
      ASSERT_TRUE(showPage(*form.tshMatPrima));
      GridView* view = window.renderer().gridView(*form.recipe.dbgPrato);
      ASSERT_NE(view, nullptr);
      GridModel& model = view->gridModel();
      ASSERT_GE(model.rowCount(), 2);
      const int column = model.modelColumn(form.recipe.dbgPrato->columnIndexOf("QTDERECE"));
      ASSERT_GE(column, 0);
      platform::Field& quantity = form.recipe.cdsProduto.fieldByName("QTDERECE");
      const double before = quantity.asFloat();

      // The user types into the cell, presses Enter and moves to the next row.
      const QModelIndex cell = model.index(0, column);
      view->setCurrentIndex(cell);
      view->edit(cell);
      auto* editor = view->findChild<QLineEdit*>();
      ASSERT_NE(editor, nullptr);
      editor->setText("0,5");
      QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
      QApplication::sendEvent(editor, &enter);
      view->setCurrentIndex(model.index(1, column));
      ASSERT_EQ(form.recipe.cdsProduto.changeCount(), 1);
      form.recipe.cdsProduto.first();
      EXPECT_EQ(quantity.asFloat(), 0.5);

      // The editing rules switch the screen to editing after every change of the products.
      platform::ui::runUserEvent([&form] { form.Habilita(false); });
      auto* cancel = dynamic_cast<QToolButton*>(window.renderer().widgetOf(*form.sbtCancela));
      ASSERT_NE(cancel, nullptr);
      ASSERT_TRUE(cancel->isEnabled());
      auto seen = answerNextDialog(QString::fromUtf8(c.answer));
      cancel->click();
      EXPECT_EQ(seen->text, QString::fromUtf8("Cancela operação?"));
      form.recipe.cdsProduto.first();
      EXPECT_EQ(form.recipe.cdsProduto.changeCount(), c.kept ? 1 : 0);
      EXPECT_EQ(quantity.asFloat(), c.kept ? 0.5 : before);
      // Whatever is left pending is dropped so that the screen closes.
      platform::ui::runUserEvent([&form] { form.recipe.cdsProduto.cancelUpdates(); });
    });
    EXPECT_TRUE(errors.empty()) << errors.front();
  }
}

TEST_F(ScreenWindowTest, EscapeWithNothingPendingReachesTheBaseScreenAndCloses) {
  bool closedByEscape = false;
  const auto errors = open([&](FormWindow& window, TfrmAnaCustRevRec& form) {
    QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget()
                                                             : static_cast<QWidget*>(&window);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b");
    QApplication::sendEvent(target, &escape);
    closedByEscape = !form.visible() && !window.isVisible();
  });
  EXPECT_TRUE(closedByEscape);
  EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(ScreenWindowTest, AnUnreachableServerIsAClearErrorAtOnce) {
  host::ShellSettings settings;
  settings.webUrl = "127.0.0.1";
  settings.webPort = 1;  // nothing listens there
  settings.operatorCode = host::kDemoOperator;
  host::Shell shell(settings, queries(), screens());
  platform::RecordingErrorDisplay errors;
  QtHost qtHost(shell, queries(), nullptr, &errors);
  bool shown = false;
  qtHost.modal.onShown = [&](FormWindow&) { shown = true; };
  const auto start = std::chrono::steady_clock::now();
  try {
    IniProc(aprilValues());
    ADD_FAILURE() << "the screen opened";
  } catch (const remote::RemoteError& error) {
    EXPECT_EQ(error.kind(), remote::RemoteError::Kind::Transport);
    EXPECT_EQ(std::string(error.what())
                  .rfind("Não foi possível conectar ao servidor de aplicação em 127.0.0.1:1", 0),
              0u)
        << error.what();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_FALSE(shown);
  EXPECT_FALSE(qtHost.busy.visible());
}

}  // namespace
}  // namespace desktop::testing
