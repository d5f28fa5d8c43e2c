// Command-line options of the desktop shell: where the server is, who logs in, which branch,
// service and month the cost analysis screen opens on, and the screenshot mode.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/cli_options.h"
#include "platform/variant.h"

namespace desktop {

// The demo company's branch and service (see the server's demo data).
inline constexpr const char* kDemoBranch = "0001";
inline constexpr const char* kDemoService = "00001";

struct ShellOptions {
  bool help = false;
  std::optional<host::ServerAddress> server;  // none: the embedded server
  std::string operatorCode;                   // empty: the demo operator
  std::string password;
  std::string database;  // empty: the user's demo database
  std::string branch = kDemoBranch;
  std::string service = kDemoService;
  int year = 0;  // 0: the current month
  int month = 0;
  int costMode = 44;
  int calcMode = 1;
  std::string costBranch;
  std::optional<double> fixedCostDate;  // day number; present means "use the fixed cost date"
  // Screenshot mode: write the window to this PNG file and exit.
  std::string screenshot;
  std::string page = "Planejado";  // the page shown in the screenshot, by caption
  bool panel = false;              // show the cost panel in the screenshot
};

// Parses the arguments after the program name. `today` (a day number) gives the default month.
// Options take their value as the next argument or after '='.
// ERRORS: host::UsageError for an unknown or repeated option, a missing or bad value, --server
// without --operator and --password, or --page / --panel without --screenshot.
ShellOptions parseShellOptions(const std::vector<std::string>& args, double today);
std::string shellUsage();

// The eight opening values of the cost analysis screen: costBranch, branch, service, cost mode,
// calc mode, the month's first day, the fixed cost date (the month's first day when none) and
// whether it is used. REQUIRES: year and month set.
platform::Variant openingValues(const ShellOptions& options);

// Today's day number by the local clock.
double localToday();

}  // namespace desktop
