#include "desktop/shell/shell_options.h"

#include <charconv>
#include <cstdio>
#include <ctime>
#include <map>
#include <set>

#include "platform/date.h"

namespace desktop {
namespace {

using host::UsageError;

const std::set<std::string> kWithValue = {
    "server",          "operator",   "password",  "db",        "branch",
    "service",         "month",      "cost-mode", "calc-mode", "cost-branch",
    "fixed-cost-date", "screenshot", "page"};
const std::set<std::string> kFlags = {"panel", "help"};

std::map<std::string, std::string> scan(const std::vector<std::string>& args) {
  std::map<std::string, std::string> seen;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 3 || arg.compare(0, 2, "--") != 0)
      throw UsageError("unexpected argument '" + arg + "'");
    const size_t eq = arg.find('=');
    const std::string name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
    const std::string option = "--" + name;
    std::string value;
    if (kWithValue.count(name) != 0) {
      if (eq != std::string::npos) {
        value = arg.substr(eq + 1);
      } else {
        if (i + 1 >= args.size()) throw UsageError(option + " needs a value");
        value = args[++i];
      }
      if (value.empty()) throw UsageError(option + " needs a value");
    } else if (kFlags.count(name) != 0) {
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
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < min || value > max)
    throw UsageError("--" + option + " needs a whole number from " + std::to_string(min) + " to " +
                     std::to_string(max) + ", not '" + text + "'");
  return value;
}

}  // namespace

ShellOptions parseShellOptions(const std::vector<std::string>& args, double today) {
  const auto seen = scan(args);
  auto find = [&](const char* name) -> const std::string* {
    const auto it = seen.find(name);
    return it == seen.end() ? nullptr : &it->second;
  };
  ShellOptions options;
  if (seen.count("help") != 0) {
    options.help = true;
    return options;
  }
  if (const std::string* v = find("server")) options.server = host::parseServerAddress(*v);
  if (const std::string* v = find("operator")) options.operatorCode = *v;
  const std::string* password = find("password");
  if (password != nullptr) options.password = *password;
  if (options.server && (options.operatorCode.empty() || password == nullptr))
    throw UsageError("--server needs --operator and --password");
  if (password != nullptr && options.operatorCode.empty())
    throw UsageError("--password needs --operator");
  if (const std::string* v = find("db")) options.database = *v;
  if (const std::string* v = find("branch")) options.branch = *v;
  if (const std::string* v = find("service")) options.service = *v;
  if (const std::string* v = find("cost-branch")) options.costBranch = *v;
  if (const std::string* v = find("month")) {
    int consumed = 0;
    if (v->size() != 7 || (*v)[4] != '-' ||
        std::sscanf(v->c_str(), "%4d-%2d%n", &options.year, &options.month, &consumed) != 2 ||
        consumed != 7 || !platform::isValidDate(options.year, options.month, 1))
      throw UsageError("--month needs a month as YYYY-MM, not '" + *v + "'");
  } else {
    const platform::Ymd now = platform::decodeDate(today);
    options.year = now.year;
    options.month = now.month;
  }
  if (const std::string* v = find("cost-mode"))
    options.costMode = parseInt("cost-mode", *v, 0, 999);
  if (const std::string* v = find("calc-mode"))
    options.calcMode = parseInt("calc-mode", *v, 0, 999);
  if (const std::string* v = find("fixed-cost-date"))
    options.fixedCostDate = host::parseIsoDay("fixed-cost-date", *v);
  if (const std::string* v = find("screenshot")) options.screenshot = *v;
  if (const std::string* v = find("page")) options.page = *v;
  options.panel = seen.count("panel") != 0;
  if (options.screenshot.empty() && (find("page") != nullptr || options.panel))
    throw UsageError("--page and --panel need --screenshot");
  return options;
}

std::string shellUsage() {
  return "usage: menucost [options]\n"
         "       menucost report --help   (the month's cost table in the terminal)\n"
         "Opens the recipe cost analysis screen of a branch's service for a month.\n"
         "\n"
         "  --server URL             application server (http://host:port); default: the\n"
         "                           embedded server over the user's demo database\n"
         "  --operator OP            operator to log in as (required with --server;\n"
         "                           default: the demo operator)\n"
         "  --password PW            the operator's password\n"
         "  --db FILE                the suite's database (default: the user's demo database)\n"
         "  --branch B               branch code (default 0001, the demo branch)\n"
         "  --service S              service code of the branch (default 00001)\n"
         "  --month YYYY-MM          month analysed (default: the current month)\n"
         "  --cost-mode N            cost type (default 44)\n"
         "  --calc-mode N            realized-cost mode (default 1)\n"
         "  --cost-branch B          branch whose costs are used (default: none)\n"
         "  --fixed-cost-date DATE   take every cost at DATE (YYYY-MM-DD)\n"
         "  --screenshot FILE        open the window off screen, write it to FILE (PNG), exit\n"
         "  --page NAME              with --screenshot: the page shown, by its caption\n"
         "                           (default \"Planejado\")\n"
         "  --panel                  with --screenshot: show the cost panel\n"
         "  --help                   this text\n";
}

platform::Variant openingValues(const ShellOptions& options) {
  const double first = platform::encodeDate(options.year, options.month, 1);
  using platform::Variant;
  return Variant::array({Variant(options.costBranch), Variant(options.branch),
                         Variant(options.service), Variant(static_cast<int32_t>(options.costMode)),
                         Variant(static_cast<int32_t>(options.calcMode)), Variant::date(first),
                         Variant::date(options.fixedCostDate.value_or(first)),
                         Variant(options.fixedCostDate.has_value())});
}

double localToday() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return platform::encodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

}  // namespace desktop
