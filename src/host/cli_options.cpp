#include "host/cli_options.h"

#include <algorithm>
#include <ctime>

#include "platform/date.h"

namespace host {
namespace {

using platform::OptionRule;

enum class Scope { Session, Window, Report };

struct ShellOption {
  OptionRule rule;
  Scope scope;
  const char* usage;  // the usage line(s) after the name; '\n' continues in the text column
  const char* windowDefault = "";  // appended to the usage line in the window's usage
};

// Every option of the host shell, once, in the order of the usage texts (--help last).
const ShellOption kOptions[] = {
    {{"server"},
     Scope::Session,
     "URL\tapplication server (http[s]://host:port); default: the\n"
     "embedded server over the user's demo database"},
    {{"tls-ca"},
     Scope::Session,
     "FILE\tcertificate authorities (PEM) trusted for an https\n"
     "--server (default: the system's)"},
    {{"operator"},
     Scope::Session,
     "OP\toperator to log in as (required with --server;\n"
     "default: the demo operator)"},
    {{"password", OptionRule::MaybeEmptyValue},
     Scope::Session,
     "PW\tthe operator's password (required with --server)"},
    {{"db"},
     Scope::Session,
     "FILE|URL\tthe suite's database: an SQLite file or a postgresql://\n"
     "URL (default: the user's demo database); without --server\n"
     "a new FILE or an empty database gets the demo company"},
    {{"branch"}, Scope::Session, "B\tbranch code", " (default 0001, the demo branch)"},
    {{"service"}, Scope::Session, "S\tservice code of the branch", " (default 00001)"},
    {{"month"}, Scope::Session, "YYYY-MM\tmonth analysed", " (default: the current month)"},
    {{"cost-mode"}, Scope::Session, "N\tcost type (default 44)"},
    {{"calc-mode"}, Scope::Session, "N\trealized-cost mode (default 1)"},
    {{"cost-branch"}, Scope::Session, "B\tbranch whose costs are used (default: none)"},
    {{"fixed-cost-date"}, Scope::Session, "DATE\ttake every cost at DATE (YYYY-MM-DD)"},
    {{"screenshot"},
     Scope::Window,
     "FILE\topen the window off screen, write it to FILE (PNG), exit"},
    {{"page"},
     Scope::Window,
     "NAME\twith --screenshot: the page shown, by its caption\n"
     "(default \"Planejado\")"},
    {{"panel", OptionRule::Flag}, Scope::Window, "\twith --screenshot: show the cost panel"},
    {{"print-pdf"},
     Scope::Window,
     "FILE\topen the window off screen, write the month's table,\n"
     "totals and charts to FILE (PDF), exit"},
    {{"format"},
     Scope::Report,
     "text|csv\toutput format (default text; csv uses ';'), or xlsx:\n"
     "a workbook, written to --output"},
    {{"output"}, Scope::Report, "FILE\twrite to FILE instead of the standard output"},
    {{"plan-real", OptionRule::Flag},
     Scope::Report,
     "\talso print the planned-versus-realized table"},
    {{"verbose", OptionRule::Flag}, Scope::Report, "\tlog progress to stderr"},
    {{"window-defaults", OptionRule::Flag},
     Scope::Report,
     "\t--branch, --service and --month default as in the window\n"
     "(the demo branch's service, the current month)"},
    {{"help", OptionRule::Flag}, Scope::Session, "\tthis text"},
};

constexpr size_t kTextColumn = 27;

std::vector<OptionRule> rules() {
  std::vector<OptionRule> all;
  for (const ShellOption& option : kOptions)
    all.push_back(option.rule);
  return all;
}

std::string usageLine(const ShellOption& option, bool window) {
  const std::string usage = option.usage;
  const size_t tab = usage.find('\t');
  std::string line = "  --" + std::string(option.rule.name);
  if (tab > 0) line += " " + usage.substr(0, tab);
  line.resize(std::max(line.size() + 1, kTextColumn), ' ');
  for (char c : usage.substr(tab + 1)) {
    line += c;
    if (c == '\n') line += std::string(kTextColumn, ' ');
  }
  if (window) line += option.windowDefault;
  return line + "\n";
}

std::string usageOf(Scope scope) {
  std::string text;
  for (const ShellOption& option : kOptions) {
    if (option.scope == Scope::Session || option.scope == scope)
      text += usageLine(option, scope == Scope::Window);
  }
  return text;
}

// The session's options; `defaults` gives --branch, --service and --month the window's defaults
// for `today`, else they are required.
void readSession(const platform::ParsedOptions& seen, SessionOptions& options, bool defaults,
                 double today) {
  const auto value = [&](const char* name, const char* fallback) -> std::string {
    if (const std::string* v = seen.find(name)) return *v;
    if (!defaults) seen.required(name);
    return fallback;
  };
  options.branch = value("branch", kDemoBranch);
  options.service = value("service", kDemoService);
  if (const std::string* v = seen.find("month")) {
    platform::parseIsoMonth("month", *v, options.year, options.month);
  } else {
    if (!defaults) seen.required("month");
    const platform::Ymd now = platform::decodeDate(today);
    options.year = now.year;
    options.month = now.month;
  }
  if (const std::string* v = seen.find("server")) options.server = platform::parseServerAddress(*v);
  if (const std::string* v = seen.find("tls-ca")) {
    if (!options.server || !options.server->tls)
      throw UsageError("--tls-ca needs an https --server");
    options.tlsCaFile = *v;
  }
  if (const std::string* v = seen.find("operator")) options.operatorCode = *v;
  const std::string* password = seen.find("password");
  if (password != nullptr) options.password = *password;
  if (options.server && (options.operatorCode.empty() || password == nullptr))
    throw UsageError("--server needs --operator and --password");
  if (password != nullptr && options.operatorCode.empty())
    throw UsageError("--password needs --operator");
  if (const std::string* v = seen.find("db")) options.database = *v;
  if (const std::string* v = seen.find("cost-branch")) options.costBranch = *v;
  if (const std::string* v = seen.find("cost-mode"))
    options.costMode = platform::parseWholeNumber("cost-mode", *v, 0, 999);
  if (const std::string* v = seen.find("calc-mode"))
    options.calcMode = platform::parseWholeNumber("calc-mode", *v, 0, 999);
  if (const std::string* v = seen.find("fixed-cost-date"))
    options.fixedCostDate = platform::parseIsoDay("fixed-cost-date", *v);
}

// The options given that belong to `scope` alone, as "--name", in the table's order.
std::vector<std::string> givenOf(const platform::ParsedOptions& seen, Scope scope) {
  std::vector<std::string> given;
  for (const ShellOption& option : kOptions)
    if (option.scope == scope && seen.has(option.rule.name))
      given.push_back("--" + std::string(option.rule.name));
  return given;
}

}  // namespace

WindowOptions parseWindowOptions(const std::vector<std::string>& args, double today) {
  const platform::ParsedOptions seen(args, rules());
  WindowOptions options;
  if (seen.has("help")) {
    options.help = true;
    return options;
  }
  for (const std::string& option : givenOf(seen, Scope::Report))
    throw UsageError(option + " applies to menucost report only");
  readSession(seen, options, true, today);
  if (const std::string* v = seen.find("screenshot")) options.screenshot = *v;
  if (const std::string* v = seen.find("page")) options.page = *v;
  options.panel = seen.has("panel");
  if (options.screenshot.empty() && (seen.has("page") || options.panel))
    throw UsageError("--page and --panel need --screenshot");
  if (const std::string* v = seen.find("print-pdf")) options.printPdf = *v;
  if (!options.printPdf.empty() && !options.screenshot.empty())
    throw UsageError("--print-pdf and --screenshot cannot be used together");
  return options;
}

ReportOptions parseReportOptions(const std::vector<std::string>& args, double today) {
  const platform::ParsedOptions seen(args, rules());
  ReportOptions options;
  if (seen.has("help")) {
    options.help = true;
    return options;
  }
  readSession(seen, options, seen.has("window-defaults"), today);
  if (const std::string* v = seen.find("format")) {
    if (*v == "text")
      options.format = ReportFormat::Text;
    else if (*v == "csv")
      options.format = ReportFormat::Csv;
    else if (*v == "xlsx")
      options.format = ReportFormat::Xlsx;
    else
      throw UsageError("--format needs text or csv (or xlsx with --output), not '" + *v + "'");
  }
  if (const std::string* v = seen.find("output")) options.output = *v;
  if (options.format == ReportFormat::Xlsx && options.output.empty())
    throw UsageError("--format xlsx needs --output FILE");
  options.planReal = seen.has("plan-real");
  options.verbose = seen.has("verbose");
  options.ignored = givenOf(seen, Scope::Window);
  return options;
}

ReportOptions parseReportOptions(const std::vector<std::string>& args) {
  return parseReportOptions(args, localToday());
}

std::string windowUsage() {
  return "usage: menucost [options]\n"
         "       menucost report --help   (the month's cost table in the terminal)\n"
         "Opens the recipe cost analysis screen of a branch's service for a month.\n"
         "\n" +
         usageOf(Scope::Window);
}

std::string reportUsage() {
  return "usage: menucost report --branch B --service S --month YYYY-MM [options]\n"
         "Prints the month's daily cost table of a branch's service, its totals and the\n"
         "standard cost per diner. The window's own options (--screenshot, --page, --panel,\n"
         "--print-pdf) are accepted and ignored.\n"
         "\n" +
         usageOf(Scope::Report);
}

double localToday() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return platform::encodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

}  // namespace host
