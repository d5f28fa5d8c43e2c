#include "remote/adoib_query.h"

#include <cctype>
#include <stdexcept>

namespace remote {
namespace {

bool isNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> sqlParameterNames(std::string_view sql) {
  std::vector<std::string> names;
  bool quoted = false;
  for (size_t i = 0; i < sql.size(); ++i) {
    const char c = sql[i];
    if (c == '\'') {
      quoted = !quoted;  // a doubled quote inside text toggles twice
      continue;
    }
    if (quoted || c != ':') continue;
    if (i + 1 < sql.size() && sql[i + 1] == ':') {
      ++i;  // a "::" cast, not a parameter
      continue;
    }
    size_t end = i + 1;
    while (end < sql.size() && isNameChar(sql[end]))
      ++end;
    if (end == i + 1) continue;
    std::string name(sql.substr(i + 1, end - i - 1));
    bool seen = false;
    for (const std::string& n : names)
      seen = seen || sameName(n, name);
    if (!seen) names.push_back(std::move(name));
    i = end - 1;
  }
  return names;
}

const std::string& TADOIBQuery::textFor(SqlDialect dialect) const {
  const std::string* text = &SQL;
  switch (dialect) {
    case SqlDialect::Oracle:
      text = &SQL_ORACLE;
      break;
    case SqlDialect::MsSql:
      text = &SQL_MSSQL;
      break;
    case SqlDialect::InterBase:
      text = &SQL_IB;
      break;
    case SqlDialect::Default:
      break;
  }
  return text->empty() ? SQL : *text;
}

const std::string& TADOIBQuery::currentText() const {
  return textFor(queryExecutor().dialect());
}

TADOIBQuery::Param& TADOIBQuery::ParamByName(std::string_view name) {
  for (Param& p : params_) {
    if (sameName(p.name_, name)) return p;
  }
  for (const std::string& n : sqlParameterNames(currentText())) {
    if (sameName(n, name)) {
      params_.push_back(Param(n));
      return params_.back();
    }
  }
  throw std::invalid_argument("Parameter '" + std::string(name) + "' not found in query '" + name_ +
                              "'");
}

std::vector<std::pair<std::string, platform::Variant>> TADOIBQuery::boundParams(
    const std::string& text) const {
  std::vector<std::pair<std::string, platform::Variant>> bound;
  for (const std::string& n : sqlParameterNames(text)) {
    platform::Variant value = platform::Variant::null();
    for (const Param& p : params_) {
      if (sameName(p.name_, n)) value = p.value_;
    }
    bound.emplace_back(n, value);
  }
  return bound;
}

}  // namespace remote
