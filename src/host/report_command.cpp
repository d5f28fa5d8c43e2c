#include "host/report_command.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <ostream>

#include "export/csv.h"
#include "export/grid_table.h"
#include "host/console_services.h"
#include "platform/ui/ui.h"

namespace host {
namespace {

using platform::ui::Button;
using platform::ui::DBGrid;
using platform::ui::Form;
using platform::ui::Label;
using platform::ui::NumberEdit;
using platform::ui::PageControl;
using platform::ui::Panel;
using platform::ui::TabSheet;

std::string headerLine(const ReportOptions& options) {
  char month[16];
  std::snprintf(month, sizeof month, "%02d/%04d", options.month, options.year);
  return "Filial: " + options.branch + "   Serviço: " + options.service + "   Mês: " + month +
         "   Tipo de custo: " + std::to_string(options.costMode);
}

// A number edit's value, with the pattern its text is shown with.
exporting::Cell numberCell(const NumberEdit& edit) {
  std::string format = edit.displayFormat();
  if (format.empty()) {
    format = edit.thousands() ? "#,##0" : "0";
    if (edit.decimals() > 0) format += "." + std::string(static_cast<size_t>(edit.decimals()), '0');
  }
  return exporting::Cell::ofNumber(edit.GetNumber(), std::move(format), edit.text());
}

// Label and value rows, without titles.
ReportSection labelledNumbers(std::string heading,
                              const std::vector<std::pair<std::string, const NumberEdit*>>& rows) {
  ReportSection section{std::move(heading), {}, {}};
  section.cells.columns = {{"", false}, {"", true}};
  for (const auto& [label, edit] : rows)
    section.cells.rows.push_back({exporting::Cell::ofText(label), numberCell(*edit)});
  section.table = textTable(section.cells);
  return section;
}

ReportSection gridSection(std::string heading, const DBGrid& grid) {
  ReportSection section{std::move(heading), {}, exporting::gridTable(grid)};
  section.table = textTable(section.cells);
  return section;
}

// The cost panel's "Total do Mês (Plan.)" column and the standard cost of the day bar.
ReportSection monthTotals(Form& form) {
  Button& toggle = form.component<Button>("sbtCustos");
  if (!toggle.down() && !toggle.press()) {
    // Not on view (no window): put it down as the user would and run its click.
    toggle.setDown(true);
    toggle.click();
  }
  struct Row {
    const char* label;
    const char* edit;
  } rows[] = {{"Matéria-prima", "nedMatPriMes"},
              {"Consumo", "nedConsMes"},
              {"Custo", "nedTotalMes"},
              {"Padrão", "nedPadrMens"},
              {"Saldo", "nedSaldoMes"}};
  std::vector<std::pair<std::string, const NumberEdit*>> values;
  for (const Row& row : rows)
    values.emplace_back(row.label, &form.component<NumberEdit>(row.edit));
  return labelledNumbers("Total do Mês (Plan.)", values);
}

void writeFile(const std::string& path, const std::string& text, bool bom) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (file) {
    if (bom) file << exporting::kUtf8Bom;
    file << text;
    file.flush();
  }
  if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace

Report readReport(Form& form, const ReportOptions& options) {
  Report report;
  report.header.push_back(form.caption());
  report.header.push_back(headerLine(options));
  Label& fixedDate = form.component<Label>("lblDtRefeCust");
  if (fixedDate.visible() && !fixedDate.caption().empty())
    report.header.push_back(fixedDate.caption());

  report.sections.push_back(gridSection("", form.component<DBGrid>("dbgTrabCusto")));
  report.sections.push_back(monthTotals(form));
  report.sections.push_back(
      labelledNumbers("", {{"Custo Padrão Perc.", &form.component<NumberEdit>("nedCustoPadrao")}}));
  if (options.planReal) {
    PageControl& pages = form.component<PageControl>("pgcPadrao");
    TabSheet& planReal = form.component<TabSheet>("tshPlanReal");
    if (!pages.selectPage(planReal))
      throw std::runtime_error("The page \"" + planReal.caption() + "\" cannot be opened.");
    report.sections.push_back(
        gridSection(planReal.caption(), form.component<DBGrid>("dbgPlanReal")));
  }
  return report;
}

int runReport(const ReportOptions& options, std::ostream& out, std::ostream& err,
              ScreenEntry entry) {
  for (const std::string& option : options.ignored)
    err << "menucost report: " << option << " applies to the window only; ignored" << std::endl;
  try {
    ShellSession::Startup startup;
    // The server logs from its own threads: only a standard stream is safe to share with them.
    if (options.verbose) startup.serverLog = server::logTo(std::cerr);
    ShellSession session(options, std::move(startup));
    if (session.demoCreated() && options.verbose)
      err << "Empresa de demonstração criada em " << session.databasePath() << std::endl;
    ConsoleHost console(session.shell(), session.queries(), err, options.verbose);

    std::optional<Report> report;
    console.modal.setScript([&](Form& form) { report = readReport(form, options); });
    session.enterScreen(entry);

    if (console.modal.runs() == 0) throw std::runtime_error("The screen was not shown.");
    // A silent abort has shown its reason already; the table is incomplete either way.
    if (!report || console.modal.aborted() || console.errors.errorCount() > 0) return 1;
    if (options.format == ReportFormat::Xlsx) {
      writeReportXlsx(*report, options.output);
      return 0;
    }
    const std::string text = renderReport(*report, options.format);
    if (!options.output.empty()) {
      // A CSV file is for a spreadsheet, which reads accents right only after the mark.
      writeFile(options.output, text, options.format == ReportFormat::Csv);
      return 0;
    }
    out << text;
    out.flush();
    return out ? 0 : 1;
  } catch (const std::exception& e) {
    err << "menucost report: " << e.what() << std::endl;
    return 1;
  }
}

}  // namespace host
