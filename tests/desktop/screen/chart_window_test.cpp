// The three chart buttons of the real window, against the embedded demo server: each click opens
// its chart screen, which draws the dataset the button built from the month's days.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDialog>
#include <QImage>
#include <QLineSeries>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <set>
#include <string>

#include "desktop/form_renderer.h"
#include "desktop/screen/desktop_screen_fixture.h"
#include "desktop/screen/window_test_support.h"
#include "desktop/shell/sibling_screens.h"
#include "platform/date.h"

namespace desktop::testing {
namespace {

using screen::TfrmAnaCustRevRec;

struct Drawn {
  bool opened = false;
  QStringList names;
  std::vector<std::vector<QPointF>> points;  // per line
  std::vector<QColor> colours;               // per line
  std::vector<int> pixels;                   // per line: its colour's pixels in the plot area
  int distinctColours = 0;                   // in the plot area, in steps of 16 per channel
};

// Reads the next chart window (not the busy window before it), then closes it.
void onChartWindow(Drawn& drawn) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, &drawn] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    auto* view = dialog->findChild<QChartView*>("chartView");
    if (view == nullptr) return;
    timer->stop();
    timer->deleteLater();
    drawn.opened = true;
    QChart* chart = view->chart();
    const QImage image = view->grab().toImage();
    const QRect plot = chart->mapToScene(chart->plotArea()).boundingRect().toRect();
    std::set<QRgb> colours;
    for (int y = plot.top(); y <= plot.bottom(); ++y)
      for (int x = plot.left(); x <= plot.right(); ++x)
        colours.insert(image.pixel(x, y) & 0xF0F0F0);
    drawn.distinctColours = static_cast<int>(colours.size());
    for (QAbstractSeries* series : chart->series()) {
      auto* line = qobject_cast<QLineSeries*>(series);
      if (line == nullptr) continue;
      drawn.names << line->name();
      const QList<QPointF> points = line->points();
      drawn.points.emplace_back(points.begin(), points.end());
      drawn.colours.push_back(line->pen().color());
      drawn.pixels.push_back(pixelsNear(image, plot, line->pen().color()));
    }
    dialog->reject();
  });
  timer->start();
}

int dayOf(qreal axisX) {
  return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(axisX)).date().day();
}

class ChartWindowTest : public DesktopScreenTest {};

TEST_F(ChartWindowTest, EachChartButtonOpensItsChartDrawingTheDatasetItBuilt) {
  registerSiblingScreens(screens());
  const auto errors = open([](FormWindow& window, TfrmAnaCustRevRec& form) {
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    // The chart buttons are on the cost panel, which the toolbar toggle shows.
    auto* toggle = qobject_cast<QAbstractButton*>(window.renderer().widgetOf(*form.sbtCustos));
    ASSERT_NE(toggle, nullptr);
    if (!form.sbtCustos->down()) toggle->click();
    QApplication::processEvents();
    ASSERT_TRUE(form.sbtCustos->down());
    const struct {
      platform::ui::Button* button;
      platform::ClientDataSet* data;
      const char* caption;
    } cases[] = {
        {form.charts.sbtGrafCust, &form.charts.cdsGrafCust, "Custo Percapita"},
        {form.charts.sbtPlanReal, &form.charts.cdsGrafPlanReal, "Comparação do Percapita"},
        {form.charts.sbtCustoAcum, &form.charts.cdsCustoAcum, "Variação do Custo Acumulado"},
    };
    const double selected = form.selectedDay();
    for (const auto& c : cases) {
      SCOPED_TRACE(c.caption);
      auto* button = qobject_cast<QAbstractButton*>(window.renderer().widgetOf(*c.button));
      ASSERT_NE(button, nullptr);
      ASSERT_TRUE(button->isVisible());
      ASSERT_TRUE(button->isEnabled());
      Drawn drawn;
      onChartWindow(drawn);
      if (!window.isActiveWindow()) QApplication::setActiveWindow(&window);
      QTest::mouseClick(button, Qt::LeftButton);
      QApplication::processEvents();
      ASSERT_TRUE(drawn.opened) << "no chart opened";

      // A point per day of the month on each line, at the dataset's day and value.
      platform::ClientDataSet& data = *c.data;
      EXPECT_EQ(data.recordCount(), form.cost.cdsTrabCusto.recordCount());
      ASSERT_GT(data.recordCount(), 0);
      ASSERT_EQ(static_cast<int>(drawn.points.size()), data.fieldCount() - 1);
      for (size_t s = 0; s < drawn.points.size(); ++s) {
        const std::vector<QPointF>& line = drawn.points[s];
        const std::string field = data.fields()[s + 1]->name();
        // A realized line ends at the last realized day; the others run through the month.
        int rows = data.recordCount();
        if (field == "VRPERCREAL" || field == "VRTOTRACUM")
          for (double value = 0; rows > 0; --rows) {
            data.withDisplayRow(rows, [&] { value = data.fieldByName(field).asFloat(); });
            if (value != 0) break;
          }
        ASSERT_EQ(static_cast<int>(line.size()), rows) << s;
        for (int r = 1; r <= rows; ++r)
          data.withDisplayRow(r, [&] {
            const QPointF& point = line[static_cast<size_t>(r - 1)];
            EXPECT_EQ(dayOf(point.x()),
                      platform::decodeDate(data.fieldByName("DTCARDAPIO").asDateTime()).day)
                << field << " " << r;
            EXPECT_DOUBLE_EQ(point.y(), data.fieldByName(field).asFloat()) << field << " " << r;
          });
      }
      // Drawn, not blank: every line's colour is in the plot area, among others.
      EXPECT_GE(drawn.distinctColours, static_cast<int>(drawn.points.size()) + 2);
      for (size_t s = 0; s < drawn.pixels.size(); ++s)
        EXPECT_GT(drawn.pixels[s], 20) << drawn.names.value(static_cast<int>(s)).toStdString();
      // The screen stays on the user's day.
      EXPECT_DOUBLE_EQ(form.selectedDay(), selected);
    }
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

}  // namespace
}  // namespace desktop::testing
