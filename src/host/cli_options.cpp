#include "host/cli_options.h"

#include <charconv>
#include <cstdio>
#include <map>
#include <set>

#include "platform/date.h"

namespace host {
namespace {

// One pass over the arguments: every "--name" or "--name=value" with its value, refusing unknown
// and repeated options.
std::map<std::string, std::string> scan(const std::vector<std::string>& args,
                                        const std::set<std::string>& withValue,
                                        const std::set<std::string>& flags) {
  std::map<std::string, std::string> seen;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 3 || arg.compare(0, 2, "--") != 0)
      throw UsageError("unexpected argument '" + arg + "'");
    size_t eq = arg.find('=');
    std::string name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
    std::string option = "--" + name;
    std::string value;
    if (withValue.count(name)) {
      if (eq != std::string::npos) {
        value = arg.substr(eq + 1);
      } else {
        if (i + 1 >= args.size()) throw UsageError(option + " needs a value");
        value = args[++i];
      }
    } else if (flags.count(name)) {
      if (eq != std::string::npos) throw UsageError(option + " takes no value");
    } else {
      throw UsageError("unknown option '" + option + "'");
    }
    if (!seen.emplace(name, value).second) throw UsageError(option + " given twice");
  }
  return seen;
}

int parseInt(const std::string& option, const std::string& text, int min, int max) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < min ||
      value > max)
    throw UsageError("--" + option + " needs a whole number from " + std::to_string(min) + " to " +
                     std::to_string(max) + ", not '" + text + "'");
  return value;
}

const std::string* find(const std::map<std::string, std::string>& seen, const std::string& name) {
  auto it = seen.find(name);
  return it == seen.end() ? nullptr : &it->second;
}

std::string required(const std::map<std::string, std::string>& seen, const std::string& name) {
  const std::string* value = find(seen, name);
  if (!value) throw UsageError("--" + name + " is required");
  if (value->empty()) throw UsageError("--" + name + " needs a value");
  return *value;
}

}  // namespace

double parseIsoDay(const std::string& option, const std::string& text) {
  int year = 0, month = 0, day = 0, consumed = 0;
  if (text.size() != 10 ||
      std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &year, &month, &day, &consumed) != 3 ||
      consumed != 10 || text[4] != '-' || text[7] != '-' ||
      !platform::isValidDate(year, month, day))
    throw UsageError("--" + option + " needs a date as YYYY-MM-DD, not '" + text + "'");
  return platform::encodeDate(year, month, day);
}

ServerAddress parseServerAddress(const std::string& url) {
  std::string rest = url;
  bool schemeGiven = false;
  size_t scheme = rest.find("://");
  if (scheme != std::string::npos) {
    if (rest.substr(0, scheme) != "http")
      throw UsageError("--server supports http:// addresses only, not '" + url + "'");
    rest = rest.substr(scheme + 3);
    schemeGiven = true;
  }
  if (!rest.empty() && rest.back() == '/') rest.pop_back();
  ServerAddress address;
  size_t colon = rest.rfind(':');
  if (colon == std::string::npos) {
    if (!schemeGiven) throw UsageError("--server needs host:port, not '" + url + "'");
    address.host = rest;
    address.port = 80;
  } else {
    address.host = rest.substr(0, colon);
    address.port = parseInt("server port", rest.substr(colon + 1), 1, 65535);
  }
  if (address.host.empty() || address.host.find('/') != std::string::npos)
    throw UsageError("--server needs a host name, not '" + url + "'");
  return address;
}

ReportOptions parseReportOptions(const std::vector<std::string>& args) {
  auto seen = scan(args,
                   {"server", "operator", "password", "db", "branch", "service", "month",
                    "cost-mode", "calc-mode", "fixed-cost-date", "format"},
                   {"plan-real", "verbose", "help"});
  ReportOptions options;
  if (seen.count("help")) {
    options.help = true;
    return options;
  }
  options.branch = required(seen, "branch");
  options.service = required(seen, "service");
  std::string month = required(seen, "month");
  int day = 0;
  if (month.size() != 7 || month[4] != '-' ||
      std::sscanf(month.c_str(), "%4d-%2d%n", &options.year, &options.month, &day) != 2 ||
      day != 7 || !platform::isValidDate(options.year, options.month, 1))
    throw UsageError("--month needs a month as YYYY-MM, not '" + month + "'");
  if (const std::string* v = find(seen, "server")) options.server = parseServerAddress(*v);
  if (const std::string* v = find(seen, "operator")) options.operatorCode = *v;
  const std::string* password = find(seen, "password");
  if (password) options.password = *password;
  if (options.server && (options.operatorCode.empty() || !password))
    throw UsageError("--server needs --operator and --password");
  if (password && options.operatorCode.empty()) throw UsageError("--password needs --operator");
  if (const std::string* v = find(seen, "db")) {
    if (v->empty()) throw UsageError("--db needs a value");
    options.database = *v;
  }
  if (const std::string* v = find(seen, "cost-mode"))
    options.costMode = parseInt("cost-mode", *v, 0, 999);
  if (const std::string* v = find(seen, "calc-mode"))
    options.calcMode = parseInt("calc-mode", *v, 0, 999);
  if (const std::string* v = find(seen, "fixed-cost-date"))
    options.fixedCostDate = parseIsoDay("fixed-cost-date", *v);
  if (const std::string* v = find(seen, "format")) {
    if (*v == "text")
      options.format = ReportFormat::Text;
    else if (*v == "csv")
      options.format = ReportFormat::Csv;
    else
      throw UsageError("--format needs text or csv, not '" + *v + "'");
  }
  options.planReal = seen.count("plan-real") > 0;
  options.verbose = seen.count("verbose") > 0;
  return options;
}

std::string reportUsage() {
  return "usage: menucost report --branch B --service S --month YYYY-MM [options]\n"
         "Prints the month's daily cost table of a branch's service, its totals and the\n"
         "standard cost per diner.\n"
         "\n"
         "  --server URL             application server (http://host:port); default: the\n"
         "                           embedded server over the user's demo database\n"
         "  --operator OP            operator to log in as (required with --server)\n"
         "  --password PW            the operator's password (required with --server)\n"
         "  --db FILE                the suite's database (default: the user's demo database);\n"
         "                           without --server a new FILE gets the demo company\n"
         "  --branch B               branch code\n"
         "  --service S              service code of the branch\n"
         "  --month YYYY-MM          month analysed\n"
         "  --cost-mode N            cost type (default 44)\n"
         "  --calc-mode N            realized-cost mode (default 1)\n"
         "  --fixed-cost-date DATE   take every cost at DATE (YYYY-MM-DD)\n"
         "  --format text|csv        output format (default text; csv uses ';')\n"
         "  --plan-real              also print the planned-versus-realized table\n"
         "  --verbose                log progress to stderr\n"
         "  --help                   this text\n";
}

ServerOptions parseServerOptions(const std::vector<std::string>& args) {
  auto seen = scan(args, {"db", "scale", "demo-date", "port", "bind"}, {"demo", "help"});
  ServerOptions options;
  if (seen.count("help")) {
    options.help = true;
    return options;
  }
  options.database = required(seen, "db");
  options.demo = seen.count("demo") > 0;
  if (const std::string* v = find(seen, "scale")) {
    if (!options.demo) throw UsageError("--scale needs --demo");
    options.scale = parseInt("scale", *v, 1, 1000);
  }
  if (const std::string* v = find(seen, "demo-date")) {
    if (!options.demo) throw UsageError("--demo-date needs --demo");
    options.demoDate = parseIsoDay("demo-date", *v);
  }
  if (const std::string* v = find(seen, "port")) options.port = parseInt("port", *v, 0, 65535);
  if (find(seen, "bind")) options.bindAddress = required(seen, "bind");
  return options;
}

std::string serverUsage() {
  return "usage: menucost-server --db FILE [--demo] [--scale N] [--demo-date YYYY-MM-DD]\n"
         "                       [--port N] [--bind ADDRESS]\n"
         "Serves the menucost remote objects over HTTP from the database FILE, created and\n"
         "upgraded as needed.\n"
         "\n"
         "  --db FILE                the database file\n"
         "  --demo                   create the demo company when FILE is new (holds no branch)\n"
         "  --scale N                multiply the demo's branches and history (with --demo)\n"
         "  --demo-date YYYY-MM-DD   the demo's processing date (default: today)\n"
         "  --port N                 port to listen on (default 8080; 0: any free port)\n"
         "  --bind ADDRESS           address to listen on (default 127.0.0.1)\n"
         "  --help                   this text\n";
}

}  // namespace host
