// menucost: the host shell. For now it offers the headless `report` command; the desktop window
// joins it later.
#include <iostream>
#include <string>
#include <vector>

#include "host/cli_options.h"
#include "host/report_command.h"

namespace {

const char* kUsage =
    "usage: menucost report --branch B --service S --month YYYY-MM [options]\n"
    "       menucost report --help\n";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    (args.empty() ? std::cerr : std::cout) << kUsage;
    return args.empty() ? 2 : 0;
  }
  if (args[0] != "report") {
    std::cerr << "menucost: unknown command '" << args[0] << "'\n" << kUsage;
    return 2;
  }
  args.erase(args.begin());
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
