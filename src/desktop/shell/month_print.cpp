#include "desktop/shell/month_print.h"

#include <QAction>
#include <QChart>
#include <QFile>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>
#include <stdexcept>

#include "desktop/form_window.h"
#include "desktop/qt_text.h"
#include "desktop/shell/chart_screens.h"
#include "desktop/shell/sibling_screens.h"
#include "desktop/user_event.h"
#include "host/report_command.h"
#include "platform/ui/ui.h"

namespace desktop {

namespace ui = platform::ui;

namespace {

struct ChartButton {
  const char* button;
  const char* screen;
};

constexpr ChartButton kChartButtons[] = {
    {"sbtGrafCust", "RCX00511"}, {"sbtPlanReal", "RCX00512"}, {"sbtCustoAcum", "RCX00513"}};

// A sibling screen taken over for a while; the registry gets its own opener back.
class BorrowedScreen {
 public:
  BorrowedScreen(host::ScreenRegistry& screens, std::string code,
                 host::ScreenRegistry::Opener stand)
      : screens_(screens),
        code_(std::move(code)),
        previous_(screens_.swapScreen(code_, std::move(stand))) {}
  ~BorrowedScreen() { screens_.swapScreen(code_, std::move(previous_)); }
  BorrowedScreen(const BorrowedScreen&) = delete;
  BorrowedScreen& operator=(const BorrowedScreen&) = delete;

 private:
  host::ScreenRegistry& screens_;
  std::string code_;
  host::ScreenRegistry::Opener previous_;
};

template <class T>
T& part(ui::Form& form, const char* name) {
  auto* found = dynamic_cast<T*>(form.findComponent(name));
  if (found == nullptr)
    throw std::runtime_error(std::string("A tela não tem o componente ") + name + ".");
  return *found;
}

// ---- Page layout --------------------------------------------------------------------------------

// Logical units across a page: about a point each on A4 landscape.
constexpr double kPageWidth = 842;
constexpr double kMargin = 28;
constexpr double kHeaderHeight = 40;
constexpr double kFooterHeight = 18;
constexpr double kCellPadding = 3;
constexpr double kSectionGap = 12;
constexpr int kTablePixels = 8;
constexpr int kSmallestTablePixels = 5;
constexpr double kChartEnlargement = 1.5;

QFont pixelFont(int pixels, bool bold = false) {
  QFont font(QStringLiteral("DejaVu Sans Condensed"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

// How a table is drawn: its font and column widths, fitted to the page's width.
struct TableGeometry {
  QFont font;
  QFont titleFont;
  std::vector<double> widths;
  double rowHeight = 0;
  bool titles = false;
};

TableGeometry fitTable(const exporting::Table& table, double width) {
  TableGeometry geometry;
  geometry.titles = table.hasTitles();
  for (int pixels = kTablePixels;; --pixels) {
    geometry.font = pixelFont(pixels);
    geometry.titleFont = pixelFont(pixels, true);
    const QFontMetricsF metrics(geometry.font);
    const QFontMetricsF titleMetrics(geometry.titleFont);
    geometry.widths.assign(table.width(), 0);
    for (size_t c = 0; c < table.columns.size() && geometry.titles; ++c)
      geometry.widths[c] = titleMetrics.horizontalAdvance(qs(table.columns[c].title));
    for (const auto& row : table.rows)
      for (size_t c = 0; c < row.size(); ++c)
        geometry.widths[c] =
            std::max(geometry.widths[c], metrics.horizontalAdvance(qs(row[c].text)));
    double total = 0;
    for (double& w : geometry.widths)
      total += (w += 2 * kCellPadding);
    geometry.rowHeight = metrics.height() + 2 * kCellPadding - 2;
    if (total <= width || pixels == kSmallestTablePixels) {
      // What is left is shared out, so that the table spans the page.
      if (total < width && table.columns.size() > 2)
        for (double& w : geometry.widths)
          w *= width / total;
      return geometry;
    }
  }
}

// The parts of the month on one page.
struct PagePlan {
  int firstRow = 0;
  int rowCount = 0;
  bool tableTitles = false;
  bool totals = false;
  int chart = -1;
};

class MonthPages {
 public:
  MonthPages(const MonthContent& content, QPagedPaintDevice& device)
      : content_(content), device_(device) {
    scale_ = device_.width() / kPageWidth;
    height_ = device_.height() / scale_;
    body_ = QRectF(kMargin, kMargin + kHeaderHeight, kPageWidth - 2 * kMargin,
                   height_ - 2 * kMargin - kHeaderHeight - kFooterHeight);
    days_ = fitTable(content_.days, body_.width());
    for (const exporting::Section& section : content_.totals)
      totals_.push_back(fitTable(section.table, body_.width() / 3));
    plan();
  }

  int count() const { return static_cast<int>(pages_.size()); }

  void paint() {
    QPainter painter;
    if (!painter.begin(&device_)) throw std::runtime_error("Não foi possível imprimir.");
    for (int p = 0; p < count(); ++p) {
      if (p > 0 && !device_.newPage()) throw std::runtime_error("Não foi possível imprimir.");
      painter.save();
      painter.scale(scale_, scale_);
      paintPage(painter, p);
      painter.restore();
    }
    painter.end();
  }

 private:
  double totalsHeight() const {
    double height = 0;
    for (size_t s = 0; s < content_.totals.size(); ++s) {
      const exporting::Section& section = content_.totals[s];
      height += kSectionGap + (section.heading.empty() ? 0 : totals_[s].rowHeight) +
                totals_[s].rowHeight * (section.table.rows.size() + (totals_[s].titles ? 1 : 0));
    }
    return height;
  }

  void plan() {
    const int rows = static_cast<int>(content_.days.rows.size());
    const double titleRow = days_.titles ? days_.rowHeight : 0;
    const int perPage =
        std::max(1, static_cast<int>((body_.height() - titleRow) / days_.rowHeight));
    int first = 0;
    do {
      const int count = std::min(perPage, rows - first);
      pages_.push_back({first, count, days_.titles, false, -1});
      first += count;
    } while (first < rows);
    const double used = titleRow + days_.rowHeight * pages_.back().rowCount;
    if (body_.height() - used >= totalsHeight())
      pages_.back().totals = true;
    else
      pages_.push_back({0, 0, false, true, -1});
    for (size_t c = 0; c < content_.charts.size(); ++c)
      pages_.push_back({0, 0, false, false, static_cast<int>(c)});
  }

  void paintPage(QPainter& painter, int index) {
    const PagePlan& page = pages_[static_cast<size_t>(index)];
    painter.setPen(Qt::black);
    // The heading is the window's title, "caption | context": the caption in bold, the context
    // (branch, service, month, cost mode, operator) on the line below, whole.
    const QRectF header(kMargin, kMargin, kPageWidth - 2 * kMargin, kHeaderHeight - 6);
    const qsizetype split = content_.heading.indexOf(QStringLiteral(" | "));
    const QString caption = split < 0 ? content_.heading : content_.heading.left(split);
    const QString context = split < 0 ? QString() : content_.heading.mid(split + 3);
    painter.setFont(pixelFont(11, true));
    painter.drawText(QRectF(header.left(), header.top(), header.width(), 15),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     painter.fontMetrics().elidedText(caption, Qt::ElideRight,
                                                      static_cast<int>(header.width())));
    painter.setFont(pixelFont(8));
    painter.drawText(QRectF(header.left(), header.top() + 16, header.width(), header.height() - 16),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, context);
    painter.setPen(QPen(Qt::darkGray, 0.8));
    painter.drawLine(QPointF(kMargin, header.bottom() + 2),
                     QPointF(kPageWidth - kMargin, header.bottom() + 2));
    painter.setPen(Qt::black);
    painter.setFont(pixelFont(8));
    painter.drawText(QRectF(kMargin, height_ - kMargin - kFooterHeight + 4,
                            kPageWidth - 2 * kMargin, kFooterHeight - 4),
                     Qt::AlignRight | Qt::AlignVCenter,
                     QString::fromUtf8("Página %1 de %2").arg(index + 1).arg(count()));

    double top = body_.top();
    if (page.rowCount > 0 || page.tableTitles)
      top = paintRows(painter, content_.days, days_, page.firstRow, page.rowCount, top);
    if (page.totals) {
      for (size_t s = 0; s < content_.totals.size(); ++s) {
        const exporting::Section& section = content_.totals[s];
        top += kSectionGap;
        if (!section.heading.empty()) {
          painter.setFont(totals_[s].titleFont);
          painter.drawText(QRectF(body_.left(), top, body_.width(), totals_[s].rowHeight),
                           Qt::AlignLeft | Qt::AlignVCenter, qs(section.heading));
          top += totals_[s].rowHeight;
        }
        top = paintRows(painter, section.table, totals_[s], 0,
                        static_cast<int>(section.table.rows.size()), top);
      }
    }
    if (page.chart >= 0) paintChart(painter, content_.charts[static_cast<size_t>(page.chart)]);
  }

  // Returns the bottom of the last row.
  double paintRows(QPainter& painter, const exporting::Table& table, const TableGeometry& geometry,
                   int first, int count, double top) {
    const QPen lines(QColor(0xb0, 0xb0, 0xb0), 0.4);
    auto paintRow = [&](const std::vector<QString>& texts, const QFont& font, bool titleRow) {
      double left = body_.left();
      painter.setFont(font);
      for (size_t c = 0; c < geometry.widths.size(); ++c) {
        const QRectF cell(left, top, geometry.widths[c], geometry.rowHeight);
        if (titleRow) painter.fillRect(cell, QColor(0xe4, 0xe4, 0xe4));
        painter.setPen(lines);
        painter.drawRect(cell);
        painter.setPen(Qt::black);
        const bool right = !titleRow && c < table.columns.size() && table.columns[c].rightAligned;
        painter.drawText(cell.adjusted(kCellPadding, 0, -kCellPadding, 0),
                         (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                         c < texts.size() ? texts[c] : QString());
        left += geometry.widths[c];
      }
      top += geometry.rowHeight;
    };
    if (geometry.titles) {
      std::vector<QString> titles;
      for (const exporting::Column& column : table.columns)
        titles.push_back(qs(column.title));
      paintRow(titles, geometry.titleFont, true);
    }
    for (int r = first; r < first + count; ++r) {
      std::vector<QString> texts;
      for (const exporting::Cell& cell : table.rows[static_cast<size_t>(r)])
        texts.push_back(qs(cell.text));
      paintRow(texts, geometry.font, false);
    }
    return top;
  }

  void paintChart(QPainter& painter, const MonthChart& chart) {
    QGraphicsScene scene;
    QChart* drawn = makeChart(*chart.data, chart.title);
    scene.addItem(drawn);
    drawn->setAnimationOptions(QChart::NoAnimation);
    // Drawn larger than the page's room and scaled down: a day label per tick needs the width.
    const QSizeF size = body_.size() * kChartEnlargement;
    drawn->resize(size);
    scene.setSceneRect(QRectF(QPointF(0, 0), size));
    scene.render(&painter, body_, scene.sceneRect());
  }

  const MonthContent& content_;
  QPagedPaintDevice& device_;
  double scale_ = 1;
  double height_ = 0;
  QRectF body_;
  TableGeometry days_;
  std::vector<TableGeometry> totals_;
  std::vector<PagePlan> pages_;
};

void setUpPage(QPagedPaintDevice& device) {
  device.setPageLayout(
      QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
}

}  // namespace

MonthContent readMonth(FormWindow& window, host::ScreenRegistry& screens) {
  ui::Form& form = window.form();
  MonthContent content;
  content.heading = window.windowTitle();
  part<ui::DBGrid>(form, "dbgTrabCusto");
  ui::Button& panel = part<ui::Button>(form, "sbtCustos");
  const bool panelShown = panel.down();
  // The report reads the table and the totals the same way; it shows the cost panel to fill them.
  host::Report report = host::readReport(form, host::ReportOptions());
  if (!panelShown && panel.down() && !panel.press()) {
    panel.setDown(false);
    panel.click();
  }
  content.days = std::move(report.sections.at(0).cells);
  for (size_t s = 1; s < report.sections.size(); ++s)
    content.totals.push_back({report.sections[s].heading, std::move(report.sections[s].cells)});

  for (const ChartButton& chart : kChartButtons) {
    ui::Button& button = part<ui::Button>(form, chart.button);
    platform::ClientDataSet* data = nullptr;
    {
      BorrowedScreen borrowed(screens, chart.screen, [&data](const platform::Variant& params) {
        if (params.isArray() && params.size() >= 1) data = dataSetAtAddress(params[0]);
      });
      button.click();
    }
    if (data == nullptr)
      throw std::runtime_error("O gráfico \"" + button.hint() + "\" não foi gerado.");
    content.charts.push_back({qs(button.hint()), data});
  }
  return content;
}

int paintMonth(const MonthContent& content, QPagedPaintDevice& device) {
  MonthPages pages(content, device);
  pages.paint();
  return pages.count();
}

int saveMonthPdf(FormWindow& window, host::ScreenRegistry& screens, const QString& path) {
  const MonthContent content = readMonth(window, screens);
  // The writer would only say "cannot paint"; say which file.
  if (QFile file(path); !file.open(QIODevice::WriteOnly))
    throw std::runtime_error("Não foi possível gravar o arquivo " + utf8(path) + ".");
  QPdfWriter pdf(path);
  pdf.setResolution(300);
  pdf.setTitle(content.heading);
  pdf.setCreator(QStringLiteral("menucost"));
  setUpPage(pdf);
  return paintMonth(content, pdf);
}

void MonthPrintActions::addTo(FormWindow& window) {
  if (window.form().findComponent("dbgTrabCusto") == nullptr) return;
  auto* print = new QAction(QString::fromUtf8("Imprimir…"), &window);
  print->setObjectName(QStringLiteral("printMonth"));
  print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  print->setShortcutContext(Qt::WindowShortcut);
  QObject::connect(print, &QAction::triggered, &window, [this, &window] { this->print(window); });
  auto* pdf = new QAction(QString::fromUtf8("Salvar PDF…"), &window);
  pdf->setObjectName(QStringLiteral("saveMonthPdf"));
  pdf->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
  pdf->setShortcutContext(Qt::WindowShortcut);
  QObject::connect(pdf, &QAction::triggered, &window, [this, &window] { savePdf(window); });
  window.addAction(print);
  window.addAction(pdf);
}

void MonthPrintActions::print(FormWindow& window) {
  runUserEvent([this, &window] {
    QPrinter printer(QPrinter::HighResolution);
    setUpPage(printer);
    printer.setDocName(window.windowTitle());
    QPrintDialog dialog(&printer, &window);
    dialog.setWindowTitle(QString::fromUtf8("Imprimir"));
    if (dialog.exec() != QDialog::Accepted) return;
    paintMonth(readMonth(window, screens_), printer);
  });
}

void MonthPrintActions::savePdf(FormWindow& window) {
  runUserEvent([this, &window] {
    QString name = window.windowTitle();
    for (QChar bad : QStringLiteral("/\\:*?\"<>|"))
      name.replace(bad, QLatin1Char('-'));
    const std::optional<SaveFileAnswer> answer =
        dialogs_.askSaveFile({QString::fromUtf8("Salvar PDF"),
                              name + QStringLiteral(".pdf"),
                              {QStringLiteral("PDF (*.pdf)")}},
                             &window);
    if (!answer) return;
    QString path = answer->path;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) path += QStringLiteral(".pdf");
    saveMonthPdf(window, screens_, path);
  });
}

}  // namespace desktop
