// The command line of the host shell: `menucost [window options]` and `menucost report ...`. One
// table defines every option once: the options of the shell session both share, and those of the
// window or of the report alone. Parsing is kept apart from running so every option can be
// checked on its own.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/command_line.h"

namespace host {

using platform::ServerAddress;
using platform::UsageError;

// The demo company's branch and service (see the server's demo data).
inline constexpr const char* kDemoBranch = "0001";
inline constexpr const char* kDemoService = "00001";

// What the shell session opens: where the server is, who logs in, and the screen's opening
// values.
struct SessionOptions {
  std::optional<ServerAddress> server;  // none: the embedded server
  std::string tlsCaFile;                // https: the CA file trusted; empty: the system's
  std::string operatorCode;             // empty: the demo operator (embedded server only)
  std::string password;
  std::string database;  // the suite's database file; empty: the user's demo database
  std::string branch;
  std::string service;
  int year = 0;
  int month = 0;
  int costMode = 44;
  int calcMode = 1;
  std::string costBranch;               // empty: the branch's own costs
  std::optional<double> fixedCostDate;  // day number; present means "use the fixed cost date"
};

struct WindowOptions : SessionOptions {
  bool help = false;
  // Screenshot mode: write the window to this PNG file and exit.
  std::string screenshot;
  std::string page = "Planejado";  // the page shown in the screenshot, by caption
  bool panel = false;              // show the cost panel in the screenshot
  // Print mode: write the month (table, totals, charts) to this PDF file and exit.
  std::string printPdf;
};

enum class ReportFormat { Text, Csv, Xlsx };

struct ReportOptions : SessionOptions {
  bool help = false;
  ReportFormat format = ReportFormat::Text;
  std::string output;  // empty: standard output (text and csv only)
  bool planReal = false;
  bool verbose = false;
  // The window's options given to the report, as "--screenshot": accepted and ignored, so that
  // one command line serves both.
  std::vector<std::string> ignored;
};

// Parses the arguments after the program name. --branch, --service and --month default to the
// demo branch's service and the month of `today` (a day number).
// Errors: UsageError for an unknown or repeated option, a missing or bad value, --server without
// --operator and --password, --password without --operator, --tls-ca without an https --server,
// --page or --panel without
// --screenshot, or an option of the report alone. --help alone is enough.
WindowOptions parseWindowOptions(const std::vector<std::string>& args, double today);
std::string windowUsage();

// Parses the arguments that follow `menucost report`. --branch, --service and --month are
// required, unless --window-defaults gives them the window's defaults for `today`.
// Errors: UsageError as for the window (the window's own options aside), for a missing
// --branch, --service or --month, and for --format xlsx without --output. --help alone is
// enough.
ReportOptions parseReportOptions(const std::vector<std::string>& args, double today);
ReportOptions parseReportOptions(const std::vector<std::string>& args);  // today: localToday()
std::string reportUsage();

// Today's day number by the local clock.
double localToday();

}  // namespace host
