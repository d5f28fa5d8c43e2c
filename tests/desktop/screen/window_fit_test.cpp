// The window fits what it shows: every daily column at the opening size, no caption, title or
// cell text cut (also at the cost panel's width), the scroll position kept across day moves, a
// small window that keeps its grids, splitters the user can see and that stay where they are put.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <string>
#include <vector>

#include "desktop/control_views.h"
#include "desktop/form_renderer.h"
#include "desktop/grid_view.h"
#include "desktop/screen/desktop_screen_fixture.h"
#include "desktop/shell/screenshot.h"
#include "platform/client_dataset.h"
#include "platform/field.h"
#include "platform/ui/user_event.h"

namespace desktop::testing {
namespace {

using screen::TfrmAnaCustRevRec;

// Where `inner` (in `widget`'s coordinates) is hidden: outside an ancestor, under a later sibling
// of the widget or of an ancestor (later siblings are drawn over it). Empty when all is seen.
std::string hiddenBy(const QWidget& widget, QRect inner, const QWidget& window) {
  const QWidget* w = &widget;
  while (w != &window && w->parentWidget() != nullptr) {
    const QWidget* parent = w->parentWidget();
    inner.translate(w->pos());
    if (!parent->rect().contains(inner))
      return "cut by " + parent->objectName().toStdString() + " " +
             std::to_string(parent->width()) + "x" + std::to_string(parent->height());
    bool above = false;
    for (const QObject* o : parent->children()) {
      if (o == w) {
        above = true;
        continue;
      }
      const auto* sibling = qobject_cast<const QWidget*>(o);
      if (!above || sibling == nullptr || !sibling->isVisible() || sibling->isWindow()) continue;
      if (sibling->geometry().intersects(inner))
        return "covered by " + sibling->objectName().toStdString();
    }
    w = parent;
  }
  return {};
}

// The rectangle a one-line text takes in `area` with `alignment`.
QRect textRect(const QFontMetrics& metrics, const QRect& area, Qt::Alignment alignment,
               const QString& text) {
  const int width = metrics.horizontalAdvance(text);
  int left = area.left();
  if (alignment & Qt::AlignRight) left = area.right() + 1 - width;
  if (alignment & Qt::AlignHCenter) left = area.left() + (area.width() - width) / 2;
  return QRect(left, area.top(), width, std::min(metrics.height(), area.height()));
}

// Every text on view in the window that is not shown whole, described.
std::vector<std::string> cutTexts(FormWindow& window) {
  QApplication::processEvents();
  std::vector<std::string> cut;
  auto report = [&](const QWidget& w, const QString& text, const std::string& why) {
    cut.push_back(w.objectName().toStdString() + " \"" + text.toStdString() + "\": " + why);
  };
  for (QLabel* label : window.findChildren<QLabel*>()) {
    if (!label->isVisible() || label->text().trimmed().isEmpty()) continue;
    const QRect area = label->contentsRect();
    const QRect text = textRect(label->fontMetrics(), area, label->alignment(), label->text());
    if (text.width() > area.width()) report(*label, label->text(), "wider than its label");
    const std::string hidden = hiddenBy(*label, text, window);
    if (!hidden.empty()) report(*label, label->text(), hidden);
  }
  for (QGroupBox* group : window.findChildren<QGroupBox*>()) {
    if (!group->isVisible() || group->title().isEmpty()) continue;
    // The title starts after the frame's corner and needs a margin on either side.
    if (group->fontMetrics().horizontalAdvance(group->title()) + 16 > group->width())
      report(*group, group->title(), "title wider than its box");
  }
  // The views declare no meta-object of their own: found by their C++ type.
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    auto* panel = dynamic_cast<PanelView*>(widget);
    if (panel == nullptr) continue;
    const QString caption = QString::fromStdString(panel->control().caption());
    if (!panel->isVisible() || caption.trimmed().isEmpty()) continue;
    const QRect area = panel->rect().adjusted(4, 1, -4, -1);
    const QRect needed =
        panel->fontMetrics().boundingRect(area, Qt::AlignLeft | Qt::TextWordWrap, caption);
    if (needed.height() > area.height() || needed.width() > area.width())
      report(*panel, caption, "caption larger than its panel");
  }
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    auto* grid = dynamic_cast<GridView*>(widget);
    if (grid == nullptr || !grid->isVisible()) continue;
    QHeaderView* header = grid->horizontalHeader();
    const int margin = grid->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    GridModel& model = grid->gridModel();
    for (int c = 0; c < model.columnCount(); ++c) {
      const QString title = model.headerData(c, Qt::Horizontal).toString();
      if (header->isVisible() &&
          header->fontMetrics().horizontalAdvance(title) + 2 * margin > header->sectionSize(c))
        report(*grid, title, "title wider than its column");
      for (int row = 0; row < model.rowCount(); ++row) {
        const QString text = model.data(model.index(row, c)).toString();
        if (grid->fontMetrics().horizontalAdvance(text) + 5 > grid->columnWidth(c))
          report(*grid, text, "cell wider than its column");
      }
    }
  }
  return cut;
}

void click(QToolButton* button) {
  ASSERT_NE(button, nullptr);
  button->click();
  QTest::qWait(20);
}

QToolButton* nextDay(FormWindow& window, TfrmAnaCustRevRec& form) {
  auto* navigator = dynamic_cast<NavigatorView*>(window.renderer().viewOf(*form.cost.dbnCusto));
  return navigator != nullptr ? navigator->button(platform::ui::NavigateButton::Next) : nullptr;
}

void resize(FormWindow& window, int width, int height) {
  window.resize(width, height);
  QApplication::processEvents();
}

class WindowFitTest : public DesktopScreenTest {};

TEST_F(WindowFitTest, TheWindowOpensShowingEveryDailyColumn) {
  const auto errors = open([](FormWindow& window, TfrmAnaCustRevRec& form) {
    EXPECT_FALSE(window.isMaximized());  // the test display is wide enough
    EXPECT_GT(window.width(), 788);
    EXPECT_EQ(form.width(), window.width());
    GridView* view = window.renderer().gridView(*form.cost.dbgTrabCusto);
    ASSERT_NE(view, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
    for (int c = 0; c < view->model()->columnCount(); ++c) {
      SCOPED_TRACE(c);
      EXPECT_GE(view->columnViewportPosition(c), 0);
      EXPECT_LE(view->columnViewportPosition(c) + view->columnWidth(c), view->viewport()->width());
    }
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

// Every page and sub-page, at the opening size and narrowed by the cost panel.
TEST_F(WindowFitTest, NoTextIsCutOnAnyPage) {
  const auto errors = open([](FormWindow& window, TfrmAnaCustRevRec& form) {
    for (const bool panel : {false, true}) {
      if (panel) {
        ASSERT_TRUE(showCostPanel(form));
        QApplication::processEvents();
        EXPECT_EQ(window.width(), 788);
      }
      for (const char* page :
           {"Análise de Custo", "Matéria Prima", "Consumo por Serviço", "Realizado",
            "Acompanhamento", "Produtos Custo Zero", "Cotação Desatualizada"}) {
        SCOPED_TRACE(std::string(page) + (panel ? " with the cost panel" : ""));
        platform::ui::TabSheet* sheet = findPage(form, page);
        ASSERT_NE(sheet, nullptr);
        ASSERT_TRUE(showPage(*sheet));
        for (const std::string& cut : cutTexts(window))
          ADD_FAILURE() << cut;
      }
      ASSERT_TRUE(showPage(*findPage(form, "Planejado")));
    }
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(WindowFitTest, TheTitleAndTheStatusLineTellTheContext) {
  const auto errors = open([](FormWindow& window, TfrmAnaCustRevRec& form) {
    const QString context = QString::fromStdString(form.contextText());
    EXPECT_TRUE(context.startsWith("Filial 0001 - ")) << context.toStdString();
    EXPECT_TRUE(context.contains(QString::fromUtf8("Serviço 00001 - ")));
    EXPECT_TRUE(context.contains(QString::fromUtf8("Abril de 2026")));
    EXPECT_TRUE(context.contains("Custo 44 - "));
    EXPECT_EQ(window.windowTitle(), QString::fromStdString(form.caption()) + " | " + context);
    QWidget* status = window.renderer().widgetOf(*form.panContexto);
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->isVisible());
    EXPECT_EQ(status->y() + status->height(), window.height());
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

// The user scrolls a grid sideways, then moves to the next day with the day navigator and the
// keys: the columns in view stay.
TEST_F(WindowFitTest, ADayMoveKeepsTheGridsScrolledSideways) {
  const auto errors = open([](FormWindow& window, TfrmAnaCustRevRec& form) {
    resize(window, 820, 600);
    struct Case {
      const char* page;
      platform::ui::DBGrid* grid;
    };
    for (const Case& c : {Case{"Análise de Custo", form.cost.dbgTrabCusto},
                          Case{"Matéria Prima", form.recipe.dbgPrato}}) {
      SCOPED_TRACE(c.page);
      ASSERT_TRUE(showPage(*findPage(form, c.page)));
      GridView* view = window.renderer().gridView(*c.grid);
      ASSERT_NE(view, nullptr);
      QTest::qWait(20);  // the views lay the loaded rows out
      QScrollBar* bar = view->horizontalScrollBar();
      ASSERT_GT(bar->maximum(), 0) << "nothing to scroll at this width";
      bar->setValue(bar->maximum());
      const double day = form.selectedDay();
      click(nextDay(window, form));
      EXPECT_GT(form.selectedDay(), day);
      EXPECT_EQ(bar->value(), bar->maximum());
    }
    // Keys in the daily grid.
    ASSERT_TRUE(showPage(*findPage(form, "Análise de Custo")));
    GridView* daily = window.renderer().gridView(*form.cost.dbgTrabCusto);
    daily->setFocus();
    QScrollBar* bar = daily->horizontalScrollBar();
    bar->setValue(bar->maximum());
    const double day = form.selectedDay();
    QTest::keyClick(daily, Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_GT(form.selectedDay(), day);
    EXPECT_EQ(bar->value(), bar->maximum());
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(WindowFitTest, ASmallWindowKeepsItsGrids) {
  const auto errors = open([](FormWindow& window, TfrmAnaCustRevRec& form) {
    ASSERT_TRUE(showPage(*form.tshMatPrima));
    for (const bool panel : {false, true}) {
      SCOPED_TRACE(panel ? "with the cost panel" : "without the cost panel");
      if (panel) {
        ASSERT_TRUE(showCostPanel(form));
      }
      resize(window, 600, 400);
      EXPECT_EQ(form.width(), window.width());
      EXPECT_EQ(form.height(), window.height());
      for (platform::ui::DBGrid* grid : {form.recipe.dbgCardapio, form.recipe.dbgPrato}) {
        SCOPED_TRACE(grid->name());
        QWidget* widget = window.renderer().widgetOf(*grid);
        ASSERT_NE(widget, nullptr);
        EXPECT_TRUE(widget->isVisible());
        EXPECT_GE(widget->height(), 60);
        const QRect inWindow(widget->mapTo(&window, QPoint(0, 0)), widget->size());
        EXPECT_TRUE(window.rect().contains(inWindow));
      }
      for (const std::string& cut : cutTexts(window))
        ADD_FAILURE() << cut;
    }
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(WindowFitTest, TheSplitterIsSeenAndStaysWhereItIsPut) {
  const auto errors = open([](FormWindow& window, TfrmAnaCustRevRec& form) {
    ASSERT_TRUE(showPage(*form.tshMatPrima));
    QWidget* splitter = window.renderer().widgetOf(*form.recipe.splMatPrim);
    ASSERT_NE(splitter, nullptr);
    QApplication::processEvents();
    const QImage face = splitter->grab().toImage();
    const QColor background = face.pixelColor(face.width() / 4, face.height() / 2);
    bool grip = false;
    for (int x = 0; x < face.width() && !grip; ++x)
      grip = face.pixelColor(x, face.height() / 2) != background;
    EXPECT_TRUE(grip) << "the splitter shows no handle";

    platform::ui::Control& dishes = *form.recipe.dbgCardapio->parent();
    const int before = dishes.height();
    const QPoint middle = splitter->rect().center();
    QTest::mousePress(splitter, Qt::LeftButton, Qt::NoModifier, middle);
    QTest::mouseRelease(splitter, Qt::LeftButton, Qt::NoModifier, middle + QPoint(0, 40));
    QApplication::processEvents();
    EXPECT_EQ(dishes.height(), before + 40);
    // A day move, another sub-page and back, a resize: the dish panel keeps its height.
    click(nextDay(window, form));
    ASSERT_TRUE(showPage(*form.tshConsumoServico));
    ASSERT_TRUE(showPage(*form.tshMatPrima));
    resize(window, window.width() - 40, window.height() + 30);
    EXPECT_EQ(dishes.height(), before + 40);
    QWidget* panel = window.renderer().widgetOf(dishes);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->height(), before + 40);
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

}  // namespace
}  // namespace desktop::testing
