// Exporting grids and printing the month from the screen's window, driven with real Qt events:
// the right-click menu, Ctrl+E and Ctrl+Shift+P, with the file dialog answered by a script.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "desktop/form_renderer.h"
#include "desktop/grid_export.h"
#include "desktop/grid_view.h"
#include "desktop/screen/desktop_screen_fixture.h"
#include "desktop/shell/month_print.h"
#include "export/xlsx.h"
#include "platform/field.h"
#include "support/csv_reader.h"
#include "support/xlsx_reader.h"

namespace desktop::testing {
namespace {

using platform::FieldType;
using screen::TfrmAnaCustRevRec;

// Answers the save dialogs from a queue and records what they asked.
class ScriptedFileDialogs : public FileDialogs {
 public:
  std::optional<SaveFileAnswer> askSaveFile(const SaveFileRequest& request, QWidget*) override {
    asked.push_back(request);
    if (answers.empty()) return std::nullopt;
    std::optional<SaveFileAnswer> answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<std::optional<SaveFileAnswer>> answers;
  std::vector<SaveFileRequest> asked;
};

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string run(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  for (size_t n; pipe != nullptr && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    out.append(buffer, n);
  if (pipe != nullptr) pclose(pipe);
  return out;
}

class ExportPrintTest : public DesktopScreenTest {
 protected:
  ExportPrintTest()
      : exportOffered_(gridExport_),
        printOffered_(monthPrint_),
        dir_(std::filesystem::temp_directory_path() / "menucost_export_print") {
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  std::string file(const char* name) const { return (dir_ / name).string(); }

  // Shortcuts act in the active window only; off screen nothing activates it by itself.
  static void focus(GridView& view) {
    QApplication::setActiveWindow(view.window());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier,
                      view.visualRect(view.model()->index(0, 0)).center());
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), &view);
  }

  // Right-clicks the grid's first cell and picks `entry` from the menu that opens. Returns the
  // menu's entries, without shortcuts.
  QStringList pickFromMenu(GridView& view, const QString& entry) {
    QStringList shown;
    bool picked = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr) return;
      poll.stop();
      QAction* chosen = nullptr;
      for (QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        const QString text = action->text().section('\t', 0, 0);
        shown << text;
        if (text == entry) chosen = action;
      }
      menu->close();
      if (chosen != nullptr) {
        picked = true;
        chosen->trigger();
      }
    });
    poll.start(10);
    QTest::mouseClick(view.viewport(), Qt::RightButton, Qt::NoModifier,
                      view.visualRect(view.model()->index(0, 0)).center());
    for (int i = 0; i < 100 && !picked && poll.isActive(); ++i)
      QTest::qWait(10);
    EXPECT_TRUE(picked) << entry.toStdString() << " not in " << shown.join(", ").toStdString();
    return shown;
  }

  ScriptedFileDialogs dialogs_;
  GridExportActions gridExport_{dialogs_};
  MonthPrintActions monthPrint_{dialogs_, screens()};

 private:
  ScopedWidgetActions exportOffered_;
  ScopedWidgetActions printOffered_;
  std::filesystem::path dir_;
};

// The daily table's workbook, cell by cell against the dataset: titles, numbers numeric with
// their field's format, dates as dates.
TEST_F(ExportPrintTest, TheDailyTableExportsToAWorkbookFromItsMenu) {
  const std::string path = file("dias.xlsx");
  dialogs_.answers.push_back(SaveFileAnswer{QString::fromStdString(path), kXlsxFilter});
  const auto errors = open([&](FormWindow& window, TfrmAnaCustRevRec& form) {
    GridView* view = window.renderer().gridView(*form.cost.dbgTrabCusto);
    ASSERT_NE(view, nullptr);
    const QStringList menu = pickFromMenu(*view, QString::fromUtf8("Exportar…"));
    EXPECT_EQ(menu.front(), QString::fromUtf8("Exportar…"));
    EXPECT_TRUE(menu.contains(QString::fromUtf8("Imprimir…")));
    ASSERT_EQ(dialogs_.asked.size(), 1u);
    EXPECT_EQ(dialogs_.asked[0].filters, (QStringList{kXlsxFilter, kCsvFilter}));

    const testing_support::XlsxSheet sheet = testing_support::readXlsx(path);
    platform::ClientDataSet& days = form.cost.cdsTrabCusto;
    const platform::ui::DBGrid& grid = *form.cost.dbgTrabCusto;
    ASSERT_GT(days.displayRowCount(), 0);
    int column = 0;
    for (int g = 0; g < grid.columnCount(); ++g) {
      if (!grid.column(g).visible()) continue;
      const platform::Field& field = days.fieldByName(grid.column(g).fieldName());
      const std::string title =
          grid.column(g).title().empty() ? field.displayLabel() : grid.column(g).title();
      ASSERT_NE(sheet.at(0, column), nullptr);
      EXPECT_EQ(sheet.at(0, column)->value, title);
      for (int row = 1; row <= days.displayRowCount(); ++row) {
        days.withDisplayRow(row, [&] {
          SCOPED_TRACE(field.name() + " day " + std::to_string(row));
          const auto* cell = sheet.at(row, column);
          if (field.isNull()) {
            EXPECT_EQ(cell, nullptr);
            return;
          }
          ASSERT_NE(cell, nullptr);
          if (field.fieldType() == FieldType::DateTime) {
            EXPECT_EQ(cell->type, "");
            EXPECT_EQ(cell->format, "dd/mm/yyyy");
            EXPECT_DOUBLE_EQ(std::stod(cell->value), field.asDateTime());
          } else if (field.fieldType() == FieldType::Float) {
            EXPECT_EQ(cell->type, "");
            EXPECT_EQ(cell->format, exporting::spreadsheetFormat(field.displayFormat()));
            EXPECT_DOUBLE_EQ(std::stod(cell->value), field.asFloat());
          } else {
            EXPECT_EQ(cell->value, field.displayText());
          }
        });
      }
      ++column;
    }
    EXPECT_EQ(sheet.at(0, column), nullptr);
    EXPECT_EQ(sheet.at(days.displayRowCount() + 1, 0), nullptr);
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

// The dishes grid has the screen's own menu: the export follows its items. Ctrl+E in the grid
// asks too; a file named without extension takes the chosen filter's.
TEST_F(ExportPrintTest, GridsWithTheScreensMenuAndTheShortcutExportCsv) {
  const std::string path = file("pratos");
  dialogs_.answers.push_back(SaveFileAnswer{QString::fromStdString(path), kCsvFilter});
  dialogs_.answers.push_back(std::nullopt);  // the second time the user cancels
  const auto errors = open([&](FormWindow& window, TfrmAnaCustRevRec& form) {
    GridView* view = window.renderer().gridView(*form.recipe.dbgCardapio);
    ASSERT_NE(view, nullptr);
    const QStringList menu = pickFromMenu(*view, QString::fromUtf8("Exportar…"));
    // The screen's items first, then the desktop's.
    EXPECT_TRUE(menu.contains("Editar Comensais")) << menu.join(", ").toStdString();
    EXPECT_LT(menu.indexOf("Editar Comensais"), menu.indexOf(QString::fromUtf8("Exportar…")));

    const std::string text = readText(path + ".csv");
    ASSERT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
    const auto lines = testing_support::parseCsv(text.substr(3));
    platform::ClientDataSet& dishes = form.recipe.cdsCardapio;
    ASSERT_EQ(lines.size(), static_cast<size_t>(dishes.displayRowCount()) + 1);
    EXPECT_EQ(dialogs_.asked.back().suggestedName.right(5), ".xlsx");

    // Ctrl+E where a click put the focus: the daily table; this time the user cancels.
    GridView* days = window.renderer().gridView(*form.cost.dbgTrabCusto);
    ASSERT_NE(days, nullptr);
    focus(*days);
    QTest::keyClick(days, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(dialogs_.asked.size(), 2u);
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(ExportPrintTest, AFileThatCannotBeWrittenIsShownAsAnError) {
  dialogs_.answers.push_back(SaveFileAnswer{"/nonexistent-dir/dias.xlsx", kXlsxFilter});
  const auto errors = open([&](FormWindow& window, TfrmAnaCustRevRec& form) {
    GridView* view = window.renderer().gridView(*form.cost.dbgTrabCusto);
    ASSERT_NE(view, nullptr);
    focus(*view);
    QTest::keyClick(view, Qt::Key_E, Qt::ControlModifier);
  });
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("/nonexistent-dir/dias.xlsx"), std::string::npos) << errors[0];
}

// Ctrl+Shift+P saves the month as PDF: every page headed by the window's title and numbered,
// the table first and a page per chart; no chart window opens and the registry is as before.
TEST_F(ExportPrintTest, TheMonthSavesAsANumberedPdf) {
  const std::string path = file("mes.pdf");
  dialogs_.answers.push_back(SaveFileAnswer{QString::fromStdString(path), "PDF (*.pdf)"});
  const bool hadChart = screens().has("RCX00511");
  QString title;
  bool panelShown = true;
  const auto errors = open([&](FormWindow& window, TfrmAnaCustRevRec& form) {
    title = window.windowTitle();
    panelShown = form.sbtCustos->down();
    GridView* view = window.renderer().gridView(*form.cost.dbgTrabCusto);
    ASSERT_NE(view, nullptr);
    focus(*view);
    QTest::keyClick(view, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(dialogs_.asked.size(), 1u);
    EXPECT_EQ(form.sbtCustos->down(), panelShown);
    // The charts were drawn for the paper only.
    for (QWidget* top : QApplication::topLevelWidgets())
      EXPECT_FALSE(top->isVisible() && qobject_cast<QDialog*>(top) != nullptr);
  });
  EXPECT_TRUE(errors.empty()) << errors.front();
  EXPECT_EQ(screens().has("RCX00511"), hadChart);

  const std::string info = run(std::string(MENUCOST_PDFINFO) + " '" + path + "'");
  int pages = 0;
  ASSERT_EQ(std::sscanf(info.c_str() + info.find("Pages:"), "Pages: %d", &pages), 1) << info;
  EXPECT_GE(pages, 4);  // the table, then the three charts
  double width = 0, height = 0;
  ASSERT_EQ(
      std::sscanf(info.c_str() + info.find("Page size:"), "Page size: %lf x %lf", &width, &height),
      2)
      << info;
  EXPECT_NEAR(width, 842, 1);  // A4 landscape, in points
  EXPECT_NEAR(height, 595, 1);
  for (int page = 1; page <= pages; ++page) {
    const std::string text = run(std::string(MENUCOST_PDFTOTEXT) + " -f " + std::to_string(page) +
                                 " -l " + std::to_string(page) + " '" + path + "' -");
    // The header may wrap the context; each of its parts is on the page whole.
    for (const QString& part : title.split(QStringLiteral(" | ")))
      EXPECT_NE(text.find(part.toStdString()), std::string::npos)
          << "page " << page << ": " << part.toStdString();
    EXPECT_NE(text.find("Página " + std::to_string(page) + " de " + std::to_string(pages)),
              std::string::npos)
        << "page " << page;
  }
  const std::string first = run(std::string(MENUCOST_PDFTOTEXT) + " -f 1 -l 1 '" + path + "' -");
  EXPECT_NE(first.find("Comensais Estimados"), std::string::npos);
  const std::string last = run(std::string(MENUCOST_PDFTOTEXT) + " -f " + std::to_string(pages) +
                               " -l " + std::to_string(pages) + " '" + path + "' -");
  EXPECT_NE(last.find("Variação do Custo Acumulado"), std::string::npos);
}

}  // namespace
}  // namespace desktop::testing
