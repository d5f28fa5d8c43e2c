#include "server/db/dialect.h"

#include <algorithm>
#include <cctype>

namespace server::db {

const Dialect& Dialect::sqlite() {
  static const Dialect d(Backend::SQLite);
  return d;
}

const Dialect& Dialect::postgres() {
  static const Dialect d(Backend::PostgreSQL);
  return d;
}

std::string Dialect::translate(std::string_view sql) const {
  static constexpr std::string_view kAutoKey = "{AUTOKEY}";
  std::string out;
  out.reserve(sql.size() + 16);
  char quote = 0;
  int highest = 0;
  for (size_t i = 0; i < sql.size(); ++i) {
    char c = sql[i];
    if (quote != 0) {
      out += c;
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '\'' || c == '"') {
      quote = c;
      out += c;
      continue;
    }
    if (c == '?' && i + 1 < sql.size() && std::isdigit(static_cast<unsigned char>(sql[i + 1]))) {
      if (backend_ == Backend::PostgreSQL) {
        out += '$';
        continue;
      }
      size_t end = i + 1;
      int number = 0;
      while (end < sql.size() && std::isdigit(static_cast<unsigned char>(sql[end]))) {
        number = number * 10 + (sql[end] - '0');
        ++end;
      }
      // SQLite numbers a bare "?" one above the highest number so far: the same parameter, and
      // it spares the parser a lookup per numbered name (quadratic in long multi-row inserts).
      if (number == highest + 1) {
        out += '?';
      } else {
        out.append(sql.substr(i, end - i));
      }
      highest = std::max(highest, number);
      i = end - 1;
      continue;
    }
    if (c == '{' && sql.substr(i, kAutoKey.size()) == kAutoKey) {
      out += autoIncrementKey();
      i += kAutoKey.size() - 1;
      continue;
    }
    out += c;
  }
  return out;
}

std::string Dialect::beginWrite() const {
  return backend_ == Backend::SQLite ? "BEGIN IMMEDIATE" : "BEGIN";
}

std::string Dialect::autoIncrementKey() const {
  return backend_ == Backend::SQLite ? "INTEGER PRIMARY KEY AUTOINCREMENT"
                                     : "BIGSERIAL PRIMARY KEY";
}

std::string Dialect::upsert(std::string_view table, const std::vector<std::string>& columns,
                            const std::vector<std::string>& keys) const {
  std::string sql = "INSERT INTO " + std::string(table) + " (";
  std::string values;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) {
      sql += ", ";
      values += ", ";
    }
    sql += columns[i];
    values += "?" + std::to_string(i + 1);
  }
  sql += ") VALUES (" + values + ") ON CONFLICT (";
  for (size_t i = 0; i < keys.size(); ++i)
    sql += (i > 0 ? ", " : "") + keys[i];
  sql += ")";
  std::string sets;
  for (const auto& column : columns) {
    bool isKey = false;
    for (const auto& key : keys)
      isKey = isKey || key == column;
    if (isKey) continue;
    // Both backends name the proposed row "excluded".
    sets += (sets.empty() ? "" : ", ") + column + " = excluded." + column;
  }
  sql += sets.empty() ? " DO NOTHING" : " DO UPDATE SET " + sets;
  return sql;
}

std::string Dialect::addDays(std::string_view dateExpr, std::string_view daysExpr) const {
  // Dates are stored as day numbers in both backends.
  return "(" + std::string(dateExpr) + " + " + std::string(daysExpr) + ")";
}

}  // namespace server::db
