#include "desktop/shell/sibling_screens.h"
#include "desktop/screen/window_test_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDialog>
#include <QLineSeries>
#include <QTableWidget>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>

#include "platform/date.h"

namespace desktop {
namespace {

using testing::onNextDialog;

platform::Variant handleOf(platform::ClientDataSet& ds) {
  return platform::Variant(static_cast<int64_t>(reinterpret_cast<intptr_t>(&ds)));
}

TEST(SiblingScreens, ChartsDrawALinePerNumberFieldAndDay) {
  platform::ClientDataSet chart("cdsGrafPlanReal");
  chart.addField("DTCARDAPIO", platform::FieldType::DateTime).setDisplayFormat("dd");
  chart.addField("VrPadrao", platform::FieldType::Float).setDisplayLabel("Padrão");
  chart.addField("VRPERCPLAN", platform::FieldType::Float).setDisplayLabel("Planejado");
  chart.addField("VRPERCREAL", platform::FieldType::Float);  // named by the screen
  chart.createDataSet();
  for (int d = 1; d <= 30; ++d) {
    chart.append();
    chart.fieldByName("DTCARDAPIO").setAsDateTime(platform::encodeDate(2026, 4, d));
    chart.fieldByName("VrPadrao").setAsFloat(12.93);
    chart.fieldByName("VRPERCPLAN").setAsFloat(10 + d * 0.25);
    chart.fieldByName("VRPERCREAL").setAsFloat(d <= 15 ? 11 + d * 0.1 : 0);
    chart.post();
  }
  chart.setRecNo(7);

  host::ScreenRegistry registry;
  registerSiblingScreens(registry);
  QStringList names;
  QList<int> counts;
  QPointF lastPlanned;
  QString title;
  onNextDialog([&](QDialog& dialog) {
    title = dialog.windowTitle();
    auto* view = dialog.findChild<QChartView*>("chartView");
    ASSERT_NE(view, nullptr);
    for (QAbstractSeries* series : view->chart()->series()) {
      auto* line = qobject_cast<QLineSeries*>(series);
      ASSERT_NE(line, nullptr);
      names << line->name();
      counts << line->count();
      if (line->name() == "Planejado") {
        // Placed at its day along a date axis.
        const QPointF last = line->at(line->count() - 1);
        lastPlanned = QPointF(
            QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(last.x())).date().day(), last.y());
      }
    }
  });
  registry.open("RCX00512", platform::Variant::array({handleOf(chart), platform::Variant("0001"),
                                                      platform::Variant("00001")}));
  EXPECT_EQ(title, QString::fromUtf8("Comparação do Percapita"));
  EXPECT_EQ(names, (QStringList{"Padrão", "Planejado", "Realizado"}));
  EXPECT_EQ(counts, (QList<int>{30, 30, 15}));  // realized up to day 15, the rest not yet
  EXPECT_EQ(lastPlanned, QPointF(30, 17.5));
  EXPECT_EQ(chart.recNo(), 7);  // read without moving the screen's cursor
}

TEST(SiblingScreens, UnusableParametersAndUnknownCodesAreRefusedClearly) {
  host::ScreenRegistry registry;
  registerSiblingScreens(registry);
  const struct {
    const char* code;
    platform::Variant params;
    const char* message;
  } cases[] = {
      {"RCX00511", platform::Variant::null(), "Tela RCX00511: parâmetros inválidos."},
      {"RCX00513", platform::Variant::array({platform::Variant("x")}),
       "Tela RCX00513: parâmetros inválidos."},
      {"RCX00514", platform::Variant::array({platform::Variant("0001")}),
       "Tela RCX00514: parâmetros inválidos."},
      {"RCX00515", platform::Variant::array({}), "Tela RCX00515: parâmetros inválidos."},
      {"RCX00599", platform::Variant::array({}), "Tela RCX00599 não disponível."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    try {
      registry.open(c.code, c.params);
      ADD_FAILURE() << "opened";
    } catch (const std::exception& error) {
      EXPECT_STREQ(error.what(), c.message);
    }
  }
}

}  // namespace
}  // namespace desktop
