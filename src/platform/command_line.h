// The pieces every command line of the suite is read with: one scan of "--name value" and
// "--name=value" options against a table, and the readers of the values they share. Parsing is
// kept apart from running so every option can be checked on its own.
#pragma once

#include <initializer_list>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/server_address.h"

namespace platform {

// A bad command line; what() says what is wrong in one line.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct OptionRule {
  enum Kind {
    Value,            // takes a value that must not be empty
    MaybeEmptyValue,  // takes a value that may be empty (a password)
    Flag,             // takes no value
  };
  const char* name;  // without the dashes
  Kind kind = Value;
};

// The options found on one command line, by name (without the dashes).
class ParsedOptions {
 public:
  // Reads `args` against `rules`; a value follows its option as the next argument or after '='.
  // Errors: UsageError for an argument that is not an option, an unknown or repeated option, a
  // missing (or empty, for Value) value, and a value given to a flag.
  ParsedOptions(const std::vector<std::string>& args, std::initializer_list<OptionRule> rules);
  ParsedOptions(const std::vector<std::string>& args, const std::vector<OptionRule>& rules);

  bool has(const std::string& name) const { return seen_.count(name) != 0; }
  // The option's value; null when it was not given.
  const std::string* find(const std::string& name) const;
  // The option's value. Errors: UsageError "--name is required" when it was not given.
  const std::string& required(const std::string& name) const;
  // The names given, in name order.
  std::vector<std::string> names() const;

 private:
  std::map<std::string, std::string> seen_;
};

// Reads a whole number from `min` to `max`. Errors: UsageError naming "--<option>".
int parseWholeNumber(const std::string& option, const std::string& text, int min, int max);

// Reads "YYYY-MM-DD" into a day number. Errors: UsageError naming "--<option>".
double parseIsoDay(const std::string& option, const std::string& text);

// Reads "YYYY-MM" into year and month. Errors: UsageError naming "--<option>".
void parseIsoMonth(const std::string& option, const std::string& text, int& year, int& month);

// An application server given on the command line as "http://host:port", "https://host:port",
// "host:port", "http://host" (port 80) or "https://host" (port 443); a trailing '/' is allowed.
// Errors: UsageError naming --server for another scheme, an empty host, a path, or a port outside
// 1..65535.
ServerAddress parseServerAddress(const std::string& url);

}  // namespace platform
