// "Exportar…" on every grid: what the grid shows (its visible columns and rows) saved as a CSV
// file or an XLSX workbook, from the grid's right-click menu or Ctrl+E while the grid has the
// focus. The file is asked for through the host's file dialogs.
#pragma once

#include <QKeySequence>
#include <QString>
#include <string>

#include "desktop/file_dialogs.h"
#include "desktop/widget_actions.h"

namespace platform::ui {
class DBGrid;
}

namespace desktop {

enum class ExportFormat { Csv, Xlsx };

extern const QString kXlsxFilter;  // "Planilha XLSX (*.xlsx)"
extern const QString kCsvFilter;   // "CSV separado por ponto e vírgula (*.csv)"
// Ctrl+E: neither the screen's menus nor its keys use it.
extern const QKeySequence kExportShortcut;

struct ExportTarget {
  QString path;
  ExportFormat format = ExportFormat::Xlsx;
};

// The file and its format: the path's extension when it is .csv or .xlsx (in any case), else
// the chosen filter's, whose extension the path then gains.
ExportTarget exportTarget(const SaveFileAnswer& answer);

// What names a grid's export: the caption of the page it is on, else its form's caption.
std::string exportTitle(const platform::ui::DBGrid& grid);

// Writes what `grid` shows to the target, its sheet named `title`.
// ERRORS: std::runtime_error when the file cannot be written.
void exportGrid(const platform::ui::DBGrid& grid, const ExportTarget& target,
                const std::string& title);

class GridExportActions : public WidgetActions {
 public:
  // REQUIRES: `dialogs` outlives the views decorated.
  explicit GridExportActions(FileDialogs& dialogs) : dialogs_(dialogs) {}
  // Adds "Exportar…" with its shortcut to the view.
  void addTo(GridView& view) override;
  using WidgetActions::addTo;

  // Asks for the file over the view's window and writes it, as a user event: a failure is shown
  // through the host's error display. Nothing happens when the user cancels.
  void exportFrom(GridView& view);

 private:
  FileDialogs& dialogs_;
};

}  // namespace desktop
