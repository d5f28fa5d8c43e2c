// Command-line options of the two executables: `menucost report` and `menucost-server`.
// Parsing is kept apart from running so every option can be checked on its own.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace host {

// A bad command line; what() says what is wrong in one line.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Host and port of an application server given as "http://host:port", "host:port" or
// "http://host" (port 80). Errors: UsageError for another scheme, an empty host or a port outside
// 1..65535.
struct ServerAddress {
  std::string host;
  int port = 0;
  bool operator==(const ServerAddress&) const = default;
};
ServerAddress parseServerAddress(const std::string& url);

enum class ReportFormat { Text, Csv };

struct ReportOptions {
  bool help = false;
  std::optional<ServerAddress> server;  // none: the embedded server
  std::string operatorCode;             // empty: the demo operator (embedded server only)
  std::string password;
  std::string database;  // the suite's database file; empty: the user's demo database
  std::string branch;
  std::string service;
  int year = 0;
  int month = 0;
  int costMode = 44;
  int calcMode = 1;
  std::optional<double> fixedCostDate;  // day number; present means "use the fixed cost date"
  ReportFormat format = ReportFormat::Text;
  bool planReal = false;
  bool verbose = false;
};

// Parses the arguments that follow `menucost report`. Options take their value as the next
// argument or after '='. Errors: UsageError for an unknown or repeated option, a missing or bad
// value, a missing --branch, --service or --month, or --server without --operator and
// --password. --help alone is enough.
ReportOptions parseReportOptions(const std::vector<std::string>& args);
std::string reportUsage();

struct ServerOptions {
  bool help = false;
  std::string database;
  bool demo = false;
  int scale = 1;
  std::optional<double> demoDate;  // day number
  int port = 8080;
  std::string bindAddress = "127.0.0.1";
  bool operator==(const ServerOptions&) const = default;
};

// Parses the arguments of `menucost-server`. Errors: UsageError as for the report, and for
// --scale or --demo-date without --demo, a scale below 1 or a port outside 0..65535.
ServerOptions parseServerOptions(const std::vector<std::string>& args);
std::string serverUsage();

// Reads "YYYY-MM-DD" into a day number. Errors: UsageError naming `option`.
double parseIsoDay(const std::string& option, const std::string& text);

}  // namespace host
