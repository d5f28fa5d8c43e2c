#include "platform/command_line.h"

#include <charconv>
#include <cstdio>

#include "platform/date.h"

namespace platform {

ParsedOptions::ParsedOptions(const std::vector<std::string>& args,
                             std::initializer_list<OptionRule> rules)
    : ParsedOptions(args, std::vector<OptionRule>(rules)) {}

ParsedOptions::ParsedOptions(const std::vector<std::string>& args,
                             const std::vector<OptionRule>& rules) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 3 || arg.compare(0, 2, "--") != 0)
      throw UsageError("unexpected argument '" + arg + "'");
    const size_t eq = arg.find('=');
    const std::string name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
    const std::string option = "--" + name;
    const OptionRule* rule = nullptr;
    for (const OptionRule& candidate : rules)
      if (name == candidate.name) rule = &candidate;
    if (rule == nullptr) throw UsageError("unknown option '" + option + "'");
    std::string value;
    if (rule->kind == OptionRule::Flag) {
      if (eq != std::string::npos) throw UsageError(option + " takes no value");
    } else {
      if (eq != std::string::npos) {
        value = arg.substr(eq + 1);
      } else {
        if (i + 1 >= args.size()) throw UsageError(option + " needs a value");
        value = args[++i];
      }
      if (value.empty() && rule->kind == OptionRule::Value)
        throw UsageError(option + " needs a value");
    }
    if (!seen_.emplace(name, value).second) throw UsageError(option + " given twice");
  }
}

const std::string* ParsedOptions::find(const std::string& name) const {
  const auto it = seen_.find(name);
  return it == seen_.end() ? nullptr : &it->second;
}

const std::string& ParsedOptions::required(const std::string& name) const {
  const std::string* value = find(name);
  if (value == nullptr) throw UsageError("--" + name + " is required");
  return *value;
}

std::vector<std::string> ParsedOptions::names() const {
  std::vector<std::string> names;
  for (const auto& entry : seen_)
    names.push_back(entry.first);
  return names;
}

int parseWholeNumber(const std::string& option, const std::string& text, int min, int max) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < min ||
      value > max)
    throw UsageError("--" + option + " needs a whole number from " + std::to_string(min) + " to " +
                     std::to_string(max) + ", not '" + text + "'");
  return value;
}

double parseIsoDay(const std::string& option, const std::string& text) {
  int year = 0, month = 0, day = 0, consumed = 0;
  if (text.size() != 10 ||
      std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &year, &month, &day, &consumed) != 3 ||
      consumed != 10 || text[4] != '-' || text[7] != '-' || !isValidDate(year, month, day))
    throw UsageError("--" + option + " needs a date as YYYY-MM-DD, not '" + text + "'");
  return encodeDate(year, month, day);
}

void parseIsoMonth(const std::string& option, const std::string& text, int& year, int& month) {
  int y = 0, m = 0, consumed = 0;
  if (text.size() != 7 || text[4] != '-' ||
      std::sscanf(text.c_str(), "%4d-%2d%n", &y, &m, &consumed) != 2 || consumed != 7 ||
      !isValidDate(y, m, 1))
    throw UsageError("--" + option + " needs a month as YYYY-MM, not '" + text + "'");
  year = y;
  month = m;
}

ServerAddress parseServerAddress(const std::string& url) {
  std::string rest = url;
  bool schemeGiven = false;
  const size_t scheme = rest.find("://");
  bool tls = false;
  if (scheme != std::string::npos) {
    const std::string name = rest.substr(0, scheme);
    if (name != "http" && name != "https")
      throw UsageError("--server supports http:// and https:// addresses only, not '" + url + "'");
    tls = name == "https";
    rest = rest.substr(scheme + 3);
    schemeGiven = true;
  }
  if (!rest.empty() && rest.back() == '/') rest.pop_back();
  ServerAddress address;
  const size_t colon = rest.rfind(':');
  if (colon == std::string::npos) {
    if (!schemeGiven) throw UsageError("--server needs host:port, not '" + url + "'");
    address.host = rest;
    address.port = tls ? 443 : 80;
  } else {
    address.host = rest.substr(0, colon);
    address.port = parseWholeNumber("server port", rest.substr(colon + 1), 1, 65535);
  }
  if (address.host.empty() || address.host.find('/') != std::string::npos)
    throw UsageError("--server needs a host name, not '" + url + "'");
  address.tls = tls;
  return address;
}

}  // namespace platform
