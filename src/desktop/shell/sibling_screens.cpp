#include "desktop/shell/sibling_screens.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>

#include "desktop/qt_text.h"
#include "platform/date.h"
#include "platform/field.h"

namespace desktop {
namespace {

struct ChartScreen {
  const char* code;
  const char* title;
};

constexpr ChartScreen kCharts[] = {
    {"RCX00511", "Custo Percapita"},
    {"RCX00512", "Comparação do Percapita"},
    {"RCX00513", "Variação do Custo Acumulado"},
};

// Names for the chart datasets' lines when their fields carry no label of their own.
QString seriesName(const platform::Field& field) {
  static const std::pair<const char*, const char*> names[] = {
      {"VrPadrao", "Padrão"},
      {"VrCustGraf", "Custo Per Capita"},
      {"VRPERCPLAN", "Planejado"},
      {"VRPERCREAL", "Realizado"},
      {"VrTotPadrao", "Padrão Acumulado"},
      {"VRTOTTACUM", "Planejado Acumulado"},
      {"VRTOTRACUM", "Realizado Acumulado"},
  };
  if (field.displayLabel() != field.name()) return qs(field.displayLabel());
  for (const auto& [name, caption] : names)
    if (field.name() == name) return QString::fromUtf8(caption);
  return qs(field.name());
}

void runModal(QDialog* dialog) {
  std::unique_ptr<QDialog> owned(dialog);
  owned->setWindowModality(Qt::ApplicationModal);
  owned->exec();
}

}  // namespace

platform::ClientDataSet* dataSetAtAddress(const platform::Variant& handle) {
  if (!handle.isNumeric()) return nullptr;
  const int64_t address = handle.toInt64();
  if (address == 0) return nullptr;
  return reinterpret_cast<platform::ClientDataSet*>(static_cast<intptr_t>(address));
}

QDialog* makeChartWindow(const std::string& title, platform::ClientDataSet& dataSet,
                         QWidget* parent) {
  auto* chart = new QChart;
  chart->setTitle(qs(title));
  chart->legend()->setAlignment(Qt::AlignBottom);
  auto* axisX = new QValueAxis;
  axisX->setTitleText(QStringLiteral("Dia"));
  axisX->setLabelFormat(QStringLiteral("%d"));
  auto* axisY = new QValueAxis;
  axisY->setLabelFormat(QStringLiteral("%.2f"));
  chart->addAxis(axisX, Qt::AlignBottom);
  chart->addAxis(axisY, Qt::AlignLeft);

  platform::Field* day = dataSet.active() ? dataSet.findField("DTCARDAPIO") : nullptr;
  double low = std::numeric_limits<double>::max();
  double high = std::numeric_limits<double>::lowest();
  int lastDay = 1;
  if (day != nullptr) {
    for (platform::Field* field : dataSet.fields()) {
      if (field == day || !field->visible() || field->fieldType() != platform::FieldType::Float)
        continue;
      auto* series = new QLineSeries;
      series->setName(seriesName(*field));
      for (int row = 1; row <= dataSet.displayRowCount(); ++row) {
        dataSet.withDisplayRow(row, [&] {
          const int dayOfMonth = platform::decodeDate(day->asDateTime()).day;
          const double value = field->asFloat();
          series->append(dayOfMonth, value);
          low = std::min(low, value);
          high = std::max(high, value);
          lastDay = std::max(lastDay, dayOfMonth);
        });
      }
      chart->addSeries(series);
      series->attachAxis(axisX);
      series->attachAxis(axisY);
    }
  }
  axisX->setRange(1, lastDay);
  axisX->setTickCount(std::min(lastDay, 16));
  if (low <= high) axisY->setRange(std::min(low, 0.0), high * 1.05 + 0.01);

  auto* dialog = new QDialog(parent != nullptr ? parent : QApplication::activeWindow());
  dialog->setWindowTitle(qs(title));
  auto* layout = new QVBoxLayout(dialog);
  auto* view = new QChartView(chart, dialog);
  view->setRenderHint(QPainter::Antialiasing);
  view->setObjectName(QStringLiteral("chartView"));
  layout->addWidget(view);
  dialog->resize(720, 460);
  return dialog;
}

QDialog* makeCostOriginWindow(const platform::DataPacket& packet, const std::string& branchCode,
                              const std::string& productCode, QWidget* parent) {
  auto* dialog = new QDialog(parent != nullptr ? parent : QApplication::activeWindow());
  dialog->setWindowTitle(QString::fromUtf8("Origem do Custo"));
  auto* layout = new QVBoxLayout(dialog);
  layout->addWidget(new QLabel(
      QString::fromUtf8("Filial: %1   Produto: %2").arg(qs(branchCode), qs(productCode)), dialog));
  auto* table = new QTableWidget(static_cast<int>(packet.rows.size()),
                                 static_cast<int>(packet.fields.size()), dialog);
  table->setObjectName(QStringLiteral("originTable"));
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->setVisible(false);
  for (size_t c = 0; c < packet.fields.size(); ++c) {
    const platform::PacketField& field = packet.fields[c];
    table->setHorizontalHeaderItem(static_cast<int>(c), new QTableWidgetItem(qs(field.name)));
    const bool number =
        field.type == platform::FieldType::Float || field.type == platform::FieldType::Integer;
    for (size_t r = 0; r < packet.rows.size(); ++r) {
      auto* item =
          new QTableWidgetItem(qs(platform::fieldValueText(field.type, packet.rows[r][c])));
      if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table->setItem(static_cast<int>(r), static_cast<int>(c), item);
    }
  }
  table->resizeColumnsToContents();
  layout->addWidget(table);
  dialog->resize(760, 320);
  return dialog;
}

void registerSiblingScreens(host::ScreenRegistry& registry, DataSetResolver resolve) {
  for (const ChartScreen& chart : kCharts) {
    const std::string code = chart.code;
    const std::string title = chart.title;
    registry.registerScreen(code, [code, title, resolve](const platform::Variant& params) {
      platform::ClientDataSet* dataSet =
          params.isArray() && params.size() >= 1 ? resolve(params[0]) : nullptr;
      if (dataSet == nullptr)
        throw std::invalid_argument("Tela " + code + ": parâmetros inválidos.");
      runModal(makeChartWindow(title, *dataSet));
    });
  }
  registry.registerScreen("RCX00514", [](const platform::Variant& params) {
    if (!params.isArray() || params.size() < 3 || !params[0].isPacket())
      throw std::invalid_argument("Tela RCX00514: parâmetros inválidos.");
    runModal(makeCostOriginWindow(params[0].packet(), params[1].toString(), params[2].toString()));
  });
}

}  // namespace desktop
