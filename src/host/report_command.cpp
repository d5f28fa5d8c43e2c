#include "host/report_command.h"

#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <ostream>

#include "host/console_services.h"
#include "host/data_dir.h"
#include "host/embedded_server.h"
#include "host/host_shell.h"
#include "host/operator_session.h"
#include "host/report_grid.h"
#include "host/screen_module.h"
#include "platform/date.h"
#include "platform/format.h"
#include "platform/ui/ui.h"

namespace host {
namespace {

using platform::Variant;
using platform::ui::Button;
using platform::ui::DBGrid;
using platform::ui::Form;
using platform::ui::Label;
using platform::ui::NumberEdit;
using platform::ui::PageControl;
using platform::ui::Panel;
using platform::ui::TabSheet;

double monthStart(const ReportOptions& options) {
  return platform::encodeDate(options.year, options.month, 1);
}

std::string headerLine(const ReportOptions& options) {
  char month[16];
  std::snprintf(month, sizeof month, "%02d/%04d", options.month, options.year);
  return "Filial: " + options.branch + "   Serviço: " + options.service + "   Mês: " + month +
         "   Tipo de custo: " + std::to_string(options.costMode);
}

// The cost panel's "Total do Mês (Plan.)" column and the standard cost of the day bar.
TextTable monthTotals(Form& form) {
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
  TextTable table{{}, {false, true}, {}};
  for (const Row& row : rows)
    table.rows.push_back({row.label, form.component<NumberEdit>(row.edit).text()});
  return table;
}

}  // namespace

Variant openingValues(const ReportOptions& options) {
  double first = monthStart(options);
  return Variant::array({Variant(""), Variant(options.branch), Variant(options.service),
                         Variant(static_cast<int32_t>(options.costMode)),
                         Variant(static_cast<int32_t>(options.calcMode)), Variant::date(first),
                         Variant::date(options.fixedCostDate.value_or(first)),
                         Variant(options.fixedCostDate.has_value())});
}

Report readReport(Form& form, const ReportOptions& options) {
  Report report;
  report.header.push_back(form.caption());
  report.header.push_back(headerLine(options));
  Label& fixedDate = form.component<Label>("lblDtRefeCust");
  if (fixedDate.visible() && !fixedDate.caption().empty())
    report.header.push_back(fixedDate.caption());

  report.sections.push_back({"", gridTable(form.component<DBGrid>("dbgTrabCusto"))});
  report.sections.push_back({"Total do Mês (Plan.)", monthTotals(form)});
  report.sections.push_back(
      {"",
       TextTable{{},
                 {false, true},
                 {{"Custo Padrão Perc.", form.component<NumberEdit>("nedCustoPadrao").text()}}}});
  if (options.planReal) {
    PageControl& pages = form.component<PageControl>("pgcPadrao");
    TabSheet& planReal = form.component<TabSheet>("tshPlanReal");
    if (!pages.selectPage(planReal))
      throw std::runtime_error("The page \"" + planReal.caption() + "\" cannot be opened.");
    report.sections.push_back(
        {planReal.caption(), gridTable(form.component<DBGrid>("dbgPlanReal"))});
  }
  return report;
}

int runReport(const ReportOptions& options, std::ostream& out, std::ostream& err,
              ScreenEntry entry) {
  try {
    std::string database =
        options.database.empty() ? demoDatabasePath().string() : options.database;
    std::unique_ptr<EmbeddedServer> embedded;
    std::string host;
    int port = 0;
    if (options.server) {
      host = options.server->host;
      port = options.server->port;
    } else {
      EmbeddedServerOptions serverOptions;
      serverOptions.databasePath = database;
      // The server logs from its own threads: only a standard stream is safe to share with them.
      if (options.verbose) serverOptions.log = server::logTo(std::cerr);
      embedded = std::make_unique<EmbeddedServer>(serverOptions);
      host = embedded->host();
      port = embedded->port();
      if (embedded->demoCreated() && options.verbose)
        err << "Empresa de demonstração criada em " << database << std::endl;
    }
    std::string operatorCode = options.operatorCode.empty() ? kDemoOperator : options.operatorCode;
    std::string password = options.operatorCode.empty() ? kDemoPassword : options.password;
    OperatorSession session(host, port, operatorCode, password);

    SqliteQueryExecutor queries(database);
    ScreenRegistry screens;
    ShellSettings settings;
    settings.webUrl = host;
    settings.webPort = port;
    settings.operatorCode = session.operatorCode();
    Shell shell(settings, queries, screens);
    ConsoleHost console(shell, queries, err, options.verbose);

    std::optional<Report> report;
    console.modal.setScript([&](Form& form) { report = readReport(form, options); });
    if (!entry) {
      auto module = std::make_shared<ScreenModule>(kCostScreenCode);
      entry = [module](const Variant& params) { module->iniProc(params); };
    }
    entry(openingValues(options));

    if (console.modal.runs() == 0) throw std::runtime_error("The screen was not shown.");
    // A silent abort has shown its reason already; the table is incomplete either way.
    if (!report || console.modal.aborted() || console.errors.errorCount() > 0) return 1;
    out << renderReport(*report, options.format);
    out.flush();
    return out ? 0 : 1;
  } catch (const std::exception& e) {
    err << "menucost report: " << e.what() << std::endl;
    return 1;
  }
}

}  // namespace host
