// menucost: the host shell. With a window it logs the operator in on the application server (the
// embedded one over the user's demo database unless --server is given), loads the cost analysis
// screen's module by its code and opens it for a branch's service and month. `menucost report`
// opens the same screen headless and prints its cost table, without any display.
#include <QApplication>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "desktop/busy_animation.h"
#include "desktop/form_window.h"
#include "desktop/off_thread_call.h"
#include "desktop/qt_host.h"
#include "desktop/shell/screenshot.h"
#include "desktop/shell/shell_options.h"
#include "desktop/shell/sibling_screens.h"
#include "desktop/user_event.h"
#include "host/console_services.h"
#include "host/data_dir.h"
#include "host/embedded_server.h"
#include "host/host_shell.h"
#include "host/operator_session.h"
#include "host/report_command.h"
#include "host/screen_module.h"
#include "host/sqlite_query_executor.h"
#include "platform/abort.h"

namespace {

using desktop::ShellOptions;

constexpr const char* kProgram = "menucost";

bool hasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

// Starts the embedded server on a worker thread while a busy window keeps turning: the first
// start creates the demo company, which takes a moment.
std::shared_ptr<host::EmbeddedServer> startEmbeddedServer(const std::string& database) {
  desktop::QtBusyAnimation busy;
  busy.ActiveShowAvi(nullptr, 0, "Iniciando o servidor de aplicação...");
  host::EmbeddedServerOptions options;
  options.databasePath = database;
  try {
    auto server = desktop::callOffUiThread(
        [options] { return std::make_shared<host::EmbeddedServer>(options); },
        std::chrono::minutes(10));
    busy.DeactiveShowAvi();
    return server;
  } catch (...) {
    busy.DeactiveShowAvi();
    throw;
  }
}

int run(const ShellOptions& options) {
  const bool screenshot = !options.screenshot.empty();
  // The screenshot mode must never wait for a user: its dialogs answer at once and print.
  host::ConsoleDialogs consoleDialogs(std::cerr);
  host::ConsoleErrorDisplay consoleErrors(std::cerr);
  try {
    const std::string database =
        options.database.empty() ? host::demoDatabasePath().string() : options.database;
    std::shared_ptr<host::EmbeddedServer> embedded;
    std::string serverHost;
    int serverPort = 0;
    if (options.server) {
      serverHost = options.server->host;
      serverPort = options.server->port;
    } else {
      embedded = startEmbeddedServer(database);
      serverHost = embedded->host();
      serverPort = embedded->port();
    }
    const bool demoOperator = options.operatorCode.empty();
    host::OperatorSession session(serverHost, serverPort,
                                  demoOperator ? host::kDemoOperator : options.operatorCode,
                                  demoOperator ? host::kDemoPassword : options.password);

    host::SqliteQueryExecutor queries(database);
    host::ScreenRegistry screens;
    desktop::registerSiblingScreens(screens);
    host::ShellSettings settings;
    settings.webUrl = serverHost;
    settings.webPort = serverPort;
    settings.operatorCode = session.operatorCode();
    host::Shell shell(settings, queries, screens);
    desktop::QtHost qtHost(shell, queries, screenshot ? &consoleDialogs : nullptr,
                           screenshot ? &consoleErrors : nullptr);

    std::string shotFailure = "the screen did not open";
    if (screenshot) {
      qtHost.modal.onShown = [&](desktop::FormWindow& window) {
        shotFailure = desktop::takeScreenshot(window, options.page, options.panel,
                                              QString::fromStdString(options.screenshot));
        platform::ui::Form& form = window.form();
        desktop::runUserEvent([&form] { form.close(); });
        // A screen that refuses to close still ends the mode.
        if (form.visible()) form.setVisible(false);
      };
    }
    host::ScreenModule module(host::kCostScreenCode);
    module.iniProc(desktop::openingValues(options));
    if (screenshot) {
      if (consoleErrors.errorCount() > 0 && shotFailure.empty())
        shotFailure = "the screen reported an error";
      if (!shotFailure.empty()) {
        std::cerr << kProgram << ": screenshot: " << shotFailure << std::endl;
        return 1;
      }
    }
    return 0;
  } catch (const platform::Abort&) {
    // Its reason was shown already.
    return 1;
  } catch (const std::exception& error) {
    std::cerr << kProgram << ": " << error.what() << std::endl;
    if (!screenshot) desktop::showFailure(error.what());
    return 1;
  }
}

int report(std::vector<std::string> args) {
  host::ReportOptions options;
  try {
    options = host::parseReportOptions(args);
  } catch (const host::UsageError& e) {
    std::cerr << "menucost report: " << e.what() << " (see menucost report --help)" << std::endl;
    return 2;
  }
  if (options.help) {
    std::cout << host::reportUsage();
    return 0;
  }
  return host::runReport(options, std::cout, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "report")
    return report(std::vector<std::string>(args.begin() + 1, args.end()));
  ShellOptions options;
  try {
    options = desktop::parseShellOptions(args, desktop::localToday());
  } catch (const host::UsageError& error) {
    std::cerr << kProgram << ": " << error.what() << " (see " << kProgram << " --help)"
              << std::endl;
    return 2;
  }
  if (options.help) {
    std::cout << desktop::shellUsage();
    return 0;
  }
  if (!options.screenshot.empty()) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  } else if (!hasDisplay()) {
    std::cerr << kProgram
              << ": no display to open the window on; `menucost report` prints the month's "
                 "cost table in the terminal instead"
              << std::endl;
    return 2;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("menucost"));
  QApplication::setApplicationDisplayName(QStringLiteral("menucost"));
  return run(options);
}
