#include "desktop/grid_export.h"

#include <QAction>
#include <QFileInfo>

#include "desktop/grid_view.h"
#include "desktop/qt_text.h"
#include "desktop/user_event.h"
#include "export/csv.h"
#include "export/grid_table.h"
#include "export/xlsx.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/form.h"
#include "platform/ui/page_control.h"

namespace desktop {

namespace ui = platform::ui;

const QString kXlsxFilter = QStringLiteral("Planilha XLSX (*.xlsx)");
const QString kCsvFilter = QString::fromUtf8("CSV separado por ponto e vírgula (*.csv)");
const QKeySequence kExportShortcut(Qt::CTRL | Qt::Key_E);

ExportTarget exportTarget(const SaveFileAnswer& answer) {
  const QString suffix = QFileInfo(answer.path).suffix().toLower();
  if (suffix == QLatin1String("csv")) return {answer.path, ExportFormat::Csv};
  if (suffix == QLatin1String("xlsx")) return {answer.path, ExportFormat::Xlsx};
  const bool csv = answer.filter == kCsvFilter;
  return {answer.path + (csv ? QStringLiteral(".csv") : QStringLiteral(".xlsx")),
          csv ? ExportFormat::Csv : ExportFormat::Xlsx};
}

std::string exportTitle(const ui::DBGrid& grid) {
  for (const ui::Control* c = grid.parent(); c != nullptr; c = c->parent())
    if (const auto* page = dynamic_cast<const ui::TabSheet*>(c); page && !page->caption().empty())
      return page->caption();
  return grid.owner().caption();
}

void exportGrid(const ui::DBGrid& grid, const ExportTarget& target, const std::string& title) {
  const exporting::Table table = exporting::gridTable(grid);
  const std::string path = utf8(target.path);
  if (target.format == ExportFormat::Csv)
    exporting::writeCsvFile(table, path);
  else
    exporting::writeXlsx(table, title, path);
}

void GridExportActions::addTo(GridView& view) {
  auto* action = new QAction(QString::fromUtf8("Exportar…"), &view);
  action->setObjectName(QStringLiteral("exportGrid"));
  action->setShortcut(kExportShortcut);
  action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  QObject::connect(action, &QAction::triggered, &view, [this, &view] { exportFrom(view); });
  view.addAction(action);
}

void GridExportActions::exportFrom(GridView& view) {
  runUserEvent([this, &view] {
    const ui::DBGrid& grid = view.grid();
    const std::string title = exportTitle(grid);
    QString name = qs(title);
    // A caption such as "Planejado/Realizado" is no folder.
    for (QChar bad : QStringLiteral("/\\:*?\"<>|"))
      name.replace(bad, QLatin1Char('-'));
    SaveFileRequest request{
        QString::fromUtf8("Exportar"), name + QStringLiteral(".xlsx"), {kXlsxFilter, kCsvFilter}};
    const std::optional<SaveFileAnswer> answer = dialogs_.askSaveFile(request, view.window());
    if (!answer) return;
    exportGrid(grid, exportTarget(*answer), title);
  });
}

}  // namespace desktop
