// The cost chart screens opened through the registry as the cost screen opens them: the lines
// against the dataset, how they are drawn, and the PNG and CSV they hand out.
#include "desktop/shell/chart_screens.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QValueAxis>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "desktop/screen/window_test_support.h"
#include "desktop/shell/sibling_screens.h"
#include "platform/date.h"

namespace desktop {
namespace {

using testing::pixelsNear;

// Runs `inspect` on the next visible modal dialog of type T, then closes it.
template <typename T = QDialog>
void onNextDialog(std::type_identity_t<std::function<void(T&)>> inspect) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, inspect] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    inspect(*dialog);
    if (dialog->isVisible()) dialog->reject();
  });
  timer->start();
}

platform::Variant handleOf(platform::ClientDataSet& ds) {
  return platform::Variant(static_cast<int64_t>(reinterpret_cast<intptr_t>(&ds)));
}

struct Column {
  const char* field;
  const char* label;  // empty: the screen names the line
};

// A chart dataset as the cost screen builds it: the day, then the columns, one row per day.
std::unique_ptr<platform::ClientDataSet> chartData(const std::vector<Column>& columns,
                                                   const std::vector<std::vector<double>>& rows) {
  auto ds = std::make_unique<platform::ClientDataSet>("cdsChart");
  ds->addField("DTCARDAPIO", platform::FieldType::DateTime).setDisplayFormat("dd");
  for (const Column& c : columns) {
    platform::Field& f = ds->addField(c.field, platform::FieldType::Float);
    if (*c.label != '\0') f.setDisplayLabel(c.label);
  }
  ds->createDataSet();
  for (const auto& row : rows) {
    ds->append();
    ds->fieldByName("DTCARDAPIO").setAsDateTime(platform::encodeDate(2026, 4, int(row[0])));
    for (size_t c = 0; c < columns.size(); ++c)
      ds->fieldByName(columns[c].field).setAsFloat(row[c + 1]);
    ds->post();
  }
  return ds;
}

int dayOf(qreal axisX) {
  return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(axisX)).date().day();
}

struct ChartCase {
  const char* code;
  std::vector<Column> columns;
  std::vector<std::vector<double>> rows;  // day, then the columns
  std::vector<platform::Variant> extra;   // what follows the handle
  QString chartTitle;
  QStringList names;
  QString csv;
};

std::vector<ChartCase> chartCases() {
  return {
      {"RCX00511",
       {{"VrPadrao", ""}, {"VrCustGraf", ""}},
       {{1, 12.93, 10.5}, {2, 12.93, 14.125}, {3, 12.93, 0}, {30, 12.93, 11}},
       {},
       QString::fromUtf8("Custo Percapita"),
       {QString::fromUtf8("Padrão"), "Custo Per Capita"},
       QString::fromUtf8("Dia;Padrão;Custo Per Capita\n"
                         "01/04/2026;12,93;10,5\n02/04/2026;12,93;14,125\n"
                         "03/04/2026;12,93;0\n30/04/2026;12,93;11\n")},
      {"RCX00512",
       {{"VrPadrao", "Padrão"}, {"VRPERCPLAN", "Planejado"}, {"VRPERCREAL", ""}},
       {{1, 12.93, 10.25, 11.1}, {2, 12.93, 10.5, 0}, {3, 12.93, 10.75, 12.00001}},
       {platform::Variant("0001"), platform::Variant("00002")},
       QString::fromUtf8("Comparação do Percapita — Filial 0001, Serviço 00002"),
       {QString::fromUtf8("Padrão"), "Planejado", "Realizado"},
       QString::fromUtf8("Dia;Padrão;Planejado;Realizado\n"
                         "01/04/2026;12,93;10,25;11,1\n02/04/2026;12,93;10,5;0\n"
                         "03/04/2026;12,93;10,75;12,00001\n")},
      {"RCX00513",
       {{"VrTotPadrao", ""}, {"VRTOTTACUM", ""}, {"VRTOTRACUM", ""}},
       {{1, 1293, 1050.5, 980}, {2, 2586, 2101, 2100.75}},
       {},
       QString::fromUtf8("Variação do Custo Acumulado"),
       {QString::fromUtf8("Padrão Acumulado"), "Planejado Acumulado", "Realizado Acumulado"},
       QString::fromUtf8("Dia;Padrão Acumulado;Planejado Acumulado;Realizado Acumulado\n"
                         "01/04/2026;1293;1050,5;980\n02/04/2026;2586;2101;2100,75\n")},
  };
}

TEST(ChartScreens, EachChartDrawsTheDatasetReadablyAndCopiesItsRows) {
  host::ScreenRegistry registry;
  registerSiblingScreens(registry);
  for (const ChartCase& c : chartCases()) {
    SCOPED_TRACE(c.code);
    auto data = chartData(c.columns, c.rows);
    data->setRecNo(2);
    bool inspected = false;
    onNextDialog([&](QDialog& dialog) {
      inspected = true;
      auto* view = dialog.findChild<QChartView*>("chartView");
      ASSERT_NE(view, nullptr);
      QChart* chart = view->chart();
      EXPECT_EQ(chart->title(), c.chartTitle);

      // The lines: one per column, a point per row at its day and value.
      const QList<QAbstractSeries*> series = chart->series();
      ASSERT_EQ(series.size(), qsizetype(c.columns.size()));
      QList<QColor> colours;
      for (qsizetype s = 0; s < series.size(); ++s) {
        auto* line = qobject_cast<QLineSeries*>(series[s]);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->name(), c.names[s]);
        ASSERT_EQ(line->count(), qsizetype(c.rows.size()));
        for (qsizetype p = 0; p < line->count(); ++p) {
          EXPECT_EQ(dayOf(line->at(p).x()), int(c.rows[p][0]));
          EXPECT_DOUBLE_EQ(line->at(p).y(), c.rows[p][s + 1]);
        }
        // The standard is the first column of every chart, dashed; the others solid.
        EXPECT_EQ(line->pen().style(), s == 0 ? Qt::DashLine : Qt::SolidLine) << s;
        EXPECT_FALSE(colours.contains(line->pen().color())) << s;
        colours << line->pen().color();
      }

      // Days of the month along the bottom.
      const QList<QAbstractAxis*> bottom = chart->axes(Qt::Horizontal);
      ASSERT_EQ(bottom.size(), 1);
      auto* days = qobject_cast<QDateTimeAxis*>(bottom[0]);
      ASSERT_NE(days, nullptr);
      EXPECT_EQ(days->format(), "dd");
      EXPECT_EQ(days->min().date().day(), int(c.rows.front()[0]));
      EXPECT_EQ(days->max().date().day(), int(c.rows.back()[0]));

      // A legend entry per line, shown.
      EXPECT_TRUE(chart->legend()->isVisible());
      QStringList legend;
      for (QLegendMarker* marker : chart->legend()->markers())
        if (marker->isVisible()) legend << marker->label();
      EXPECT_EQ(legend, c.names);

      // Drawn: each line's colour appears in the plot area.
      const QImage image = view->grab().toImage();
      const QRect plot = chart->mapToScene(chart->plotArea()).boundingRect().toRect();
      ASSERT_FALSE(plot.isEmpty());
      for (const QColor& colour : colours)
        EXPECT_GT(pixelsNear(image, plot, colour), 20) << colour.name().toStdString();

      // The rows as CSV, through the button.
      QGuiApplication::clipboard()->clear();
      auto* copy = dialog.findChild<QPushButton*>("copyCsv");
      ASSERT_NE(copy, nullptr);
      copy->click();
      EXPECT_EQ(QGuiApplication::clipboard()->text(), c.csv);
    });
    std::vector<platform::Variant> params{handleOf(*data)};
    params.insert(params.end(), c.extra.begin(), c.extra.end());
    registry.open(c.code, platform::Variant::array(params));
    EXPECT_TRUE(inspected);
    EXPECT_EQ(data->recNo(), 2);  // read without moving the screen's cursor
  }
}

TEST(ChartScreens, TheRealizedLineEndsAtTheLastRealizedDay) {
  // Days 4 and 5 are not realized yet; day 2's realized zero is a real figure and stays.
  const std::vector<std::vector<double>> rows{{1, 12.93, 10.25, 11.1},
                                              {2, 12.93, 10.5, 0},
                                              {3, 12.93, 10.75, 12},
                                              {4, 12.93, 11, 0},
                                              {5, 12.93, 11.5, 0}};
  struct Case {
    const char* code;
    std::vector<Column> columns;
    std::vector<qsizetype> points;  // per line
  };
  const Case cases[] = {
      {"RCX00512", {{"VrPadrao", ""}, {"VRPERCPLAN", ""}, {"VRPERCREAL", ""}}, {5, 5, 3}},
      {"RCX00513", {{"VrTotPadrao", ""}, {"VRTOTTACUM", ""}, {"VRTOTRACUM", ""}}, {5, 5, 3}},
  };
  host::ScreenRegistry registry;
  registerSiblingScreens(registry);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    auto data = chartData(c.columns, rows);
    std::vector<qsizetype> counts;
    onNextDialog([&](QDialog& dialog) {
      auto* view = dialog.findChild<QChartView*>("chartView");
      ASSERT_NE(view, nullptr);
      for (QAbstractSeries* line : view->chart()->series())
        counts.push_back(qobject_cast<QLineSeries*>(line)->count());
    });
    std::vector<platform::Variant> params{handleOf(*data)};
    if (std::string(c.code) == "RCX00512") {
      params.emplace_back("0001");
      params.emplace_back("00001");
    }
    registry.open(c.code, platform::Variant::array(params));
    EXPECT_EQ(counts, c.points);
  }
}

TEST(ChartScreens, HoverShowsTheNearestPointInBrazilianFormat) {
  auto data = chartData({{"VRTOTTACUM", ""}}, {{1, 1234.5}, {2, 98765.432}, {3, 0.5}});
  std::unique_ptr<QDialog> dialog(makeChartWindow("Acumulado", *data));
  dialog->show();
  auto* line = qobject_cast<QLineSeries*>(
      dialog->findChild<QChartView*>("chartView")->chart()->series().at(0));
  ASSERT_NE(line, nullptr);
  const struct {
    int point;
    double dayOffset;  // where the pointer is, in days from that point
    const char* text;
  } cases[] = {
      {0, 0.2, "01/04/2026 — Planejado Acumulado: 1.234,50"},
      {1, -0.4, "02/04/2026 — Planejado Acumulado: 98.765,43"},
      {2, 0.0, "03/04/2026 — Planejado Acumulado: 0,50"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const QPointF at(line->at(c.point).x() + c.dayOffset * 86400000.0, line->at(c.point).y());
    emit line->hovered(at, true);
    EXPECT_EQ(QToolTip::text(), QString::fromUtf8(c.text));
  }
  emit line->hovered(line->at(0), false);
  // The tip fades out after a moment.
  EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
}

TEST(ChartScreens, TheChartIsSavedAsAReadablePng) {
  auto data = chartData({{"VrPadrao", ""}, {"VrCustGraf", ""}}, {{1, 12, 10}, {2, 12, 13}});
  std::unique_ptr<QDialog> dialog(makeChartWindow("Custo Percapita", *data));
  dialog->show();
  auto* view = dialog->findChild<QChartView*>("chartView");
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());

  const QString direct = dir.filePath("direct.png");
  ASSERT_TRUE(saveChartPng(*view, direct));
  const QImage saved(direct);
  ASSERT_FALSE(saved.isNull());
  EXPECT_EQ(saved.size(), view->grab().size());
  EXPECT_FALSE(saveChartPng(*view, dir.filePath("missing/dir/chart.png")));

  // Through the button and its file dialog.
  const QString chosen = dir.filePath("chosen.png");
  onNextDialog<QFileDialog>([&](QFileDialog& files) {
    files.selectFile(chosen);
    static_cast<QDialog&>(files).accept();  // the dialog's own accept, public through QDialog
  });
  dialog->findChild<QPushButton*>("savePng")->click();
  EXPECT_FALSE(QImage(chosen).isNull());
}

}  // namespace
}  // namespace desktop
