#include "desktop/shell/chart_screens.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QCursor>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineSeries>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "desktop/qt_text.h"
#include "export/csv.h"
#include "platform/date.h"
#include "platform/field.h"

namespace desktop {
namespace {

enum class Role { Standard, Planned, Realized, Other };

struct KnownLine {
  const char* field;
  const char* caption;
  Role role;
};

// The chart datasets' fields: their captions when the field carries no label of its own, and
// what each line stands for, which sets its pen.
constexpr KnownLine kLines[] = {
    {"VrPadrao", "Padrão", Role::Standard},
    {"VrCustGraf", "Custo Per Capita", Role::Planned},
    {"VRPERCPLAN", "Planejado", Role::Planned},
    {"VRPERCREAL", "Realizado", Role::Realized},
    {"VrTotPadrao", "Padrão Acumulado", Role::Standard},
    {"VRTOTTACUM", "Planejado Acumulado", Role::Planned},
    {"VRTOTRACUM", "Realizado Acumulado", Role::Realized},
};

const KnownLine* knownLine(const platform::Field& field) {
  for (const KnownLine& line : kLines)
    if (field.name() == line.field) return &line;
  return nullptr;
}

QString seriesName(const platform::Field& field) {
  if (field.displayLabel() != field.name()) return qs(field.displayLabel());
  const KnownLine* line = knownLine(field);
  return line != nullptr ? QString::fromUtf8(line->caption) : qs(field.name());
}

QPen penFor(Role role) {
  switch (role) {
    case Role::Standard:
      return QPen(QColor(0x55, 0x55, 0x55), 2, Qt::DashLine);
    case Role::Planned:
      return QPen(QColor(0x1f, 0x6f, 0xc5), 2.5);
    case Role::Realized:
      return QPen(QColor(0xe0, 0x6c, 0x00), 2.5);
    case Role::Other:
      break;
  }
  return QPen(QColor(0x2e, 0x8b, 0x57), 2);
}

const QLocale& brazil() {
  static const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
  return locale;
}

// The fields drawn: visible numbers other than the day, in field order.
std::vector<platform::Field*> valueFields(platform::ClientDataSet& dataSet,
                                          const platform::Field* day) {
  std::vector<platform::Field*> fields;
  for (platform::Field* field : dataSet.fields())
    if (field != day && field->visible() && field->fieldType() == platform::FieldType::Float)
      fields.push_back(field);
  return fields;
}

QDate dateOf(const platform::Field& day) {
  const platform::Ymd ymd = platform::decodeDate(day.asDateTime());
  return QDate(ymd.year, ymd.month, ymd.day);
}

qint64 axisPosition(const QDate& date) {
  return QDateTime(date, QTime(0, 0)).toMSecsSinceEpoch();
}

// The text shown on hover: the day and the value of the point nearest the pointer.
QString pointText(const QLineSeries& series, const QPointF& at) {
  if (series.count() == 0) return {};
  int nearest = 0;
  for (int i = 1; i < series.count(); ++i)
    if (std::abs(series.at(i).x() - at.x()) < std::abs(series.at(nearest).x() - at.x()))
      nearest = i;
  const QPointF point = series.at(nearest);
  const QDate day = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(point.x())).date();
  return QStringLiteral("%1 — %2: %3")
      .arg(brazil().toString(day, QStringLiteral("dd/MM/yyyy")), series.name(),
           brazil().toString(point.y(), 'f', 2));
}

void saveWithDialog(QWidget& view, const QString& suggestedName) {
  const QString path = QFileDialog::getSaveFileName(&view, QString::fromUtf8("Salvar gráfico"),
                                                    suggestedName, QStringLiteral("PNG (*.png)"));
  if (path.isEmpty()) return;
  if (!saveChartPng(view, path))
    QMessageBox::warning(&view, QString::fromUtf8("Salvar gráfico"),
                         QString::fromUtf8("Não foi possível gravar %1.").arg(path));
}

}  // namespace

exporting::Table chartTable(platform::ClientDataSet& dataSet) {
  exporting::Table table;
  if (!dataSet.active()) return table;
  platform::Field* day = dataSet.findField("DTCARDAPIO");
  const std::vector<platform::Field*> fields = valueFields(dataSet, day);
  table.columns.push_back({"Dia", false});
  for (platform::Field* field : fields)
    table.columns.push_back({utf8(seriesName(*field)), true});
  for (int row = 1; row <= dataSet.displayRowCount(); ++row) {
    dataSet.withDisplayRow(row, [&] {
      std::vector<exporting::Cell>& cells = table.rows.emplace_back();
      cells.push_back(day != nullptr
                          ? exporting::Cell::ofDate(day->asDateTime(), day->displayText())
                          : exporting::Cell{});
      // Values as stored, in the general form: the chart shows them unrounded.
      for (platform::Field* field : fields)
        cells.push_back(exporting::Cell::ofNumber(field->asFloat(), {}, field->displayText()));
    });
  }
  return table;
}

QString chartCsv(platform::ClientDataSet& dataSet) {
  if (!dataSet.active()) return {};
  return qs(exporting::tableCsv(chartTable(dataSet)));
}

bool saveChartPng(QWidget& view, const QString& path) {
  return view.grab().save(path, "PNG");
}

QChart* makeChart(platform::ClientDataSet& dataSet, const QString& title) {
  auto* chart = new QChart;
  chart->setTitle(title);
  chart->setLocale(brazil());
  chart->setLocalizeNumbers(true);
  chart->legend()->setAlignment(Qt::AlignBottom);
  auto* axisX = new QDateTimeAxis;
  axisX->setTitleText(QStringLiteral("Dia"));
  axisX->setFormat(QStringLiteral("dd"));
  // Upright, 31 day labels do not fit a dialog's width and each is elided to "…".
  axisX->setLabelsAngle(-90);
  auto* axisY = new QValueAxis;
  axisY->setLabelFormat(QStringLiteral("%.2f"));
  chart->addAxis(axisX, Qt::AlignBottom);
  chart->addAxis(axisY, Qt::AlignLeft);

  platform::Field* day = dataSet.active() ? dataSet.findField("DTCARDAPIO") : nullptr;
  double low = std::numeric_limits<double>::max();
  double high = std::numeric_limits<double>::lowest();
  QDate first;
  QDate last;
  if (day != nullptr) {
    for (platform::Field* field : valueFields(dataSet, day)) {
      auto* series = new QLineSeries;
      series->setName(seriesName(*field));
      const KnownLine* known = knownLine(*field);
      series->setPen(penFor(known != nullptr ? known->role : Role::Other));
      QList<QPointF> points;
      for (int row = 1; row <= dataSet.displayRowCount(); ++row) {
        dataSet.withDisplayRow(row, [&] {
          const QDate date = dateOf(*day);
          points.append(QPointF(static_cast<qreal>(axisPosition(date)), field->asFloat()));
          if (!first.isValid() || date < first) first = date;
          if (!last.isValid() || date > last) last = date;
        });
      }
      // Days not realized yet hold 0: the realized line ends at the last realized day instead
      // of falling to the axis.
      if (known != nullptr && known->role == Role::Realized)
        while (!points.isEmpty() && points.back().y() == 0.0)
          points.removeLast();
      for (const QPointF& point : points) {
        low = std::min(low, point.y());
        high = std::max(high, point.y());
      }
      series->append(points);
      chart->addSeries(series);
      series->attachAxis(axisX);
      series->attachAxis(axisY);
    }
  }
  if (!first.isValid()) first = last = QDate::currentDate();
  // One tick per day, so each label is a day of the month; a single day gets room either side.
  if (first == last) {
    first = first.addDays(-1);
    last = last.addDays(1);
  }
  axisX->setRange(QDateTime(first, QTime(0, 0)), QDateTime(last, QTime(0, 0)));
  axisX->setTickCount(static_cast<int>(std::min<qint64>(first.daysTo(last) + 1, 31)));
  if (low <= high) {
    axisY->setRange(std::min(low, 0.0), high * 1.05 + 0.01);
    // Round steps (5, 10, 250...) read at a glance; the exact values are on hover.
    axisY->applyNiceNumbers();
  }
  return chart;
}

QDialog* makeChartWindow(const std::string& title, platform::ClientDataSet& dataSet,
                         QWidget* parent, const std::string& chartTitle) {
  QChart* chart = makeChart(dataSet, qs(chartTitle.empty() ? title : chartTitle));
  for (QAbstractSeries* line : chart->series()) {
    auto* series = static_cast<QLineSeries*>(line);
    QObject::connect(series, &QLineSeries::hovered, series,
                     [series](const QPointF& point, bool entered) {
                       if (entered)
                         QToolTip::showText(QCursor::pos(), pointText(*series, point));
                       else
                         QToolTip::hideText();
                     });
  }

  auto* dialog = new QDialog(parent != nullptr ? parent : QApplication::activeWindow());
  dialog->setWindowTitle(qs(title));
  auto* layout = new QVBoxLayout(dialog);
  auto* view = new QChartView(chart, dialog);
  view->setRenderHint(QPainter::Antialiasing);
  view->setObjectName(QStringLiteral("chartView"));
  layout->addWidget(view);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* savePng = new QPushButton(QString::fromUtf8("Salvar PNG…"), dialog);
  savePng->setObjectName(QStringLiteral("savePng"));
  auto* copyCsv = new QPushButton(QString::fromUtf8("Copiar CSV"), dialog);
  copyCsv->setObjectName(QStringLiteral("copyCsv"));
  auto* close = new QPushButton(QString::fromUtf8("Fechar"), dialog);
  buttons->addWidget(savePng);
  buttons->addWidget(copyCsv);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  const QString fileName = qs(title) + QStringLiteral(".png");
  QObject::connect(savePng, &QPushButton::clicked, view,
                   [view, fileName] { saveWithDialog(*view, fileName); });
  QObject::connect(copyCsv, &QPushButton::clicked, dialog,
                   [&dataSet] { QGuiApplication::clipboard()->setText(chartCsv(dataSet)); });
  QObject::connect(close, &QPushButton::clicked, dialog, &QDialog::reject);
  // Enter closes the window rather than asking where to save.
  close->setDefault(true);
  dialog->resize(860, 520);
  return dialog;
}

}  // namespace desktop
