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

namespace {

bool wordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// Case-insensitive `word` at `i` of `sql`, not inside a longer name.
bool wordAt(std::string_view sql, size_t i, std::string_view word) {
  if (i > 0 && wordChar(sql[i - 1])) return false;
  if (sql.size() - i < word.size()) return false;
  for (size_t k = 0; k < word.size(); ++k) {
    if (std::toupper(static_cast<unsigned char>(sql[i + k])) != word[k]) return false;
  }
  return i + word.size() == sql.size() || !wordChar(sql[i + word.size()]);
}

// At `i`, "CHAR(n)" or "VARCHAR(n)" (spaces allowed before the parenthesis): the length of the
// whole type and its size text; 0 when there is none.
size_t textTypeAt(std::string_view sql, size_t i, std::string* size) {
  size_t j = i;
  if (wordAt(sql, i, "VARCHAR")) {
    j += 7;
  } else if (wordAt(sql, i, "CHAR")) {
    j += 4;
  } else {
    return 0;
  }
  while (j < sql.size() && sql[j] == ' ')
    ++j;
  if (j >= sql.size() || sql[j] != '(') return 0;
  size_t close = sql.find(')', j);
  if (close == std::string_view::npos) return 0;
  *size = std::string(sql.substr(j + 1, close - j - 1));
  return close + 1 - i;
}

}  // namespace

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
    if (backend_ == Backend::PostgreSQL) {
      std::string size;
      if (size_t length = textTypeAt(sql, i, &size); length > 0) {
        out += "VARCHAR(" + size + ") COLLATE \"C\"";
        i += length - 1;
        continue;
      }
      if (wordAt(sql, i, "INTEGER")) {
        out += "BIGINT";
        i += 6;
        continue;
      }
    }
    out += c;
  }
  return out;
}

std::string Dialect::beginWrite() const {
  return backend_ == Backend::SQLite ? "BEGIN IMMEDIATE" : "BEGIN";
}

std::string Dialect::beginRead() const {
  // SQLite's deferred transaction takes its snapshot at the first read and keeps it.
  return backend_ == Backend::SQLite ? "BEGIN" : "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY";
}

std::string Dialect::lockRows() const {
  return backend_ == Backend::SQLite ? "" : " FOR NO KEY UPDATE";
}

std::string Dialect::tryTaskLock(int64_t key) const {
  return backend_ == Backend::SQLite ? "SELECT 1"
                                     : "SELECT CASE WHEN pg_try_advisory_xact_lock(" +
                                           std::to_string(key) + ") THEN 1 ELSE 0 END";
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
