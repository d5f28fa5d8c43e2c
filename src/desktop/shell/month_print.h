// The month on paper: the daily cost table, the month totals and the standard cost, then the
// three cost charts, on A4 landscape pages, each headed by the screen window's title and
// numbered "Página N de M". Offered on the screen's window as "Imprimir…" (Ctrl+P, through the
// print dialog) and "Salvar PDF…" (Ctrl+Shift+P), and by `menucost --print-pdf FILE`.
#pragma once

#include <QPageLayout>
#include <QString>
#include <vector>

#include "desktop/file_dialogs.h"
#include "desktop/widget_actions.h"
#include "export/table.h"
#include "host/screen_registry.h"
#include "platform/client_dataset.h"

class QPagedPaintDevice;

namespace desktop {

class FormWindow;

struct MonthChart {
  QString title;
  platform::ClientDataSet* data = nullptr;  // the screen's chart dataset
};

struct MonthContent {
  QString heading;                         // on top of every page
  exporting::Table days;                   // the daily cost table as its grid shows it
  std::vector<exporting::Section> totals;  // the month totals, the standard cost
  std::vector<MonthChart> charts;
};

// Reads what is printed off the cost screen open in `window`: the daily table, the cost panel's
// month totals (the panel is put back as it was), and the datasets of the three chart buttons,
// whose screens are borrowed from `screens` meanwhile so that none opens.
// REQUIRES: called within a user event. The content refers to the screen's datasets: print it
// before the screen changes them.
// ERRORS: std::runtime_error when the form lacks a part or a chart was not made; whatever the
// screen's handlers raise.
MonthContent readMonth(FormWindow& window, host::ScreenRegistry& screens);

// Paints the content on `device`, page after page, and returns the number of pages.
// REQUIRES: no painter active on `device`.
int paintMonth(const MonthContent& content, QPagedPaintDevice& device);

// readMonth, then paintMonth on a PDF at `path`. Returns the number of pages.
// ERRORS: those of readMonth; std::runtime_error when the file cannot be written.
int saveMonthPdf(FormWindow& window, host::ScreenRegistry& screens, const QString& path);

class MonthPrintActions : public WidgetActions {
 public:
  // REQUIRES: both outlive the windows decorated.
  MonthPrintActions(FileDialogs& dialogs, host::ScreenRegistry& screens)
      : dialogs_(dialogs), screens_(screens) {}
  // "Imprimir…" and "Salvar PDF…" on the cost screen's window (one with a daily cost table).
  void addTo(FormWindow& window) override;
  using WidgetActions::addTo;

  // Each as a user event: a failure is shown through the host's error display; nothing
  // happens when the user cancels the dialog.
  void print(FormWindow& window);
  void savePdf(FormWindow& window);

 private:
  FileDialogs& dialogs_;
  host::ScreenRegistry& screens_;
};

}  // namespace desktop
