// menucost: the host shell. With a window it opens the shell session (the operator logged in on
// the application server, the embedded one over the user's demo database unless --server is
// given) and enters the cost analysis screen's module for a branch's service and month.
// `menucost report` opens the same session headless and prints the screen's cost table, without
// any display.
#include <QApplication>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "desktop/busy_animation.h"
#include "desktop/file_dialogs.h"
#include "desktop/form_window.h"
#include "desktop/grid_export.h"
#include "desktop/off_thread_call.h"
#include "desktop/qt_host.h"
#include "desktop/shell/month_print.h"
#include "desktop/shell/screenshot.h"
#include "desktop/shell/sibling_screens.h"
#include "desktop/user_event.h"
#include "host/cli_options.h"
#include "host/console_services.h"
#include "host/report_command.h"
#include "host/shell_session.h"
#include "platform/abort.h"

namespace {

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
std::unique_ptr<host::EmbeddedServer> startEmbeddedServer(
    const host::EmbeddedServerOptions& options) {
  desktop::QtBusyAnimation busy;
  busy.ActiveShowAvi(nullptr, 0, "Iniciando o servidor de aplicação...");
  try {
    auto server = desktop::callOffUiThread(
        [options] { return std::make_unique<host::EmbeddedServer>(options); },
        std::chrono::minutes(10));
    busy.DeactiveShowAvi();
    return server;
  } catch (...) {
    busy.DeactiveShowAvi();
    throw;
  }
}

int run(const host::WindowOptions& options) {
  const bool screenshot = !options.screenshot.empty();
  const bool printPdf = !options.printPdf.empty();
  // Both modes run off screen and end by themselves.
  const bool headless = screenshot || printPdf;
  // The screenshot mode must never wait for a user: its dialogs answer at once and print.
  host::ConsoleDialogs consoleDialogs(std::cerr);
  host::ConsoleErrorDisplay consoleErrors(std::cerr);
  try {
    host::ShellSession::Startup startup;
    startup.startServer = startEmbeddedServer;
    host::ShellSession session(options, std::move(startup));
    desktop::registerSiblingScreens(session.screens());
    desktop::QtHost qtHost(session.shell(), session.queries(), headless ? &consoleDialogs : nullptr,
                           headless ? &consoleErrors : nullptr);
    desktop::QtFileDialogs fileDialogs;
    desktop::GridExportActions gridExport(fileDialogs);
    desktop::MonthPrintActions monthPrint(fileDialogs, session.screens());
    desktop::ScopedWidgetActions exportOffered(gridExport);
    desktop::ScopedWidgetActions printOffered(monthPrint);

    std::string shotFailure = "the screen did not open";
    if (headless) {
      qtHost.modal.onShown = [&](desktop::FormWindow& window) {
        if (screenshot) {
          shotFailure = desktop::takeScreenshot(window, options.page, options.panel,
                                                QString::fromStdString(options.screenshot));
        } else {
          const auto printed = desktop::runUserEvent([&] {
            desktop::saveMonthPdf(window, session.screens(),
                                  QString::fromStdString(options.printPdf));
          });
          shotFailure = printed.completed() ? std::string() : "the month was not printed";
        }
        platform::ui::Form& form = window.form();
        desktop::runUserEvent([&form] { form.close(); });
        // A screen that refuses to close still ends the mode.
        if (form.visible()) form.setVisible(false);
      };
    }
    session.enterScreen();
    if (headless) {
      if (consoleErrors.errorCount() > 0 && shotFailure.empty())
        shotFailure = "the screen reported an error";
      if (!shotFailure.empty()) {
        std::cerr << kProgram << (screenshot ? ": screenshot: " : ": print: ") << shotFailure
                  << std::endl;
        return 1;
      }
    }
    return 0;
  } catch (const platform::Abort&) {
    // Its reason was shown already.
    return 1;
  } catch (const std::exception& error) {
    std::cerr << kProgram << ": " << error.what() << std::endl;
    if (!headless) desktop::showFailure(error.what());
    return 1;
  }
}

int report(const std::vector<std::string>& args) {
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
  host::WindowOptions options;
  try {
    options = host::parseWindowOptions(args, host::localToday());
  } catch (const host::UsageError& error) {
    std::cerr << kProgram << ": " << error.what() << " (see " << kProgram << " --help)"
              << std::endl;
    return 2;
  }
  if (options.help) {
    std::cout << host::windowUsage();
    return 0;
  }
  if (!options.screenshot.empty() || !options.printPdf.empty()) {
    // An offscreen platform given with its own display (offscreen:configfile=...) is kept.
    if (!qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QStringLiteral("offscreen")))
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
