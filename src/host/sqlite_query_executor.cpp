#include "host/sqlite_query_executor.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <stdexcept>

#include "host/query_values.h"
#include "platform/date.h"

namespace host {
namespace {

using platform::DataPacket;
using platform::FieldType;
using platform::Variant;

using queryvalues::characters;
using queryvalues::isoDate;
using queryvalues::parseIsoDate;
using queryvalues::sameName;
using queryvalues::upper;

std::string quoteIdentifier(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

// What the authorizer learns while a statement is compiled: the tables it reads and whether it
// asked for anything a read-only query may not do.
struct AuthState {
  std::set<std::string> tables;  // upper case
  std::string refused;           // the first refused action, empty when none
};

const char* actionName(int action) {
  switch (action) {
    case SQLITE_INSERT:
      return "INSERT";
    case SQLITE_UPDATE:
      return "UPDATE";
    case SQLITE_DELETE:
      return "DELETE";
    case SQLITE_PRAGMA:
      return "PRAGMA";
    case SQLITE_ATTACH:
      return "ATTACH";
    case SQLITE_DETACH:
      return "DETACH";
    case SQLITE_TRANSACTION:
      return "transaction control";
    case SQLITE_SAVEPOINT:
      return "SAVEPOINT";
    default:
      return "a schema or write operation";
  }
}

int authorize(void* context, int action, const char* arg1, const char*, const char*, const char*) {
  auto* state = static_cast<AuthState*>(context);
  switch (action) {
    case SQLITE_SELECT:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
      return SQLITE_OK;
    case SQLITE_READ:
      if (arg1) state->tables.insert(upper(arg1));
      return SQLITE_OK;
    default:
      if (state->refused.empty()) state->refused = actionName(action);
      return SQLITE_DENY;
  }
}

bool onlyBlanks(const char* text) {
  for (; *text; ++text)
    if (!std::isspace(static_cast<unsigned char>(*text))) return false;
  return true;
}

// Compiles one read-only statement under the authorizer.
// Errors: std::runtime_error for anything that is not a single SELECT.
sqlite::Stmt compileSelect(sqlite3* db, const std::string& sql, AuthState& state) {
  sqlite3_set_authorizer(db, authorize, &state);
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, &tail);
  sqlite::Stmt stmt(raw);
  std::string error = rc == SQLITE_OK ? "" : sqlite::lastError(db);
  sqlite3_stmt* extra = nullptr;
  if (rc == SQLITE_OK && stmt && tail && !onlyBlanks(tail)) {
    // A trailing comment compiles to nothing; a second statement does not.
    AuthState ignored;
    sqlite3_set_authorizer(db, authorize, &ignored);
    if (sqlite3_prepare_v2(db, tail, -1, &extra, nullptr) != SQLITE_OK || extra != nullptr) {
      sqlite3_finalize(extra);
      sqlite3_set_authorizer(db, nullptr, nullptr);
      throw std::runtime_error("Only one statement may be run at a time.");
    }
  }
  sqlite3_set_authorizer(db, nullptr, nullptr);
  if (!state.refused.empty())
    throw std::runtime_error("Only SELECT statements may be run (" + state.refused + " refused).");
  if (rc != SQLITE_OK) throw std::runtime_error("SQL error: " + error);
  if (!stmt) throw std::runtime_error("Empty statement.");
  if (!sqlite3_stmt_readonly(stmt.get()))
    throw std::runtime_error("Only SELECT statements may be run.");
  return stmt;
}

// One fetched value, kept as SQLite delivered it until the column's type is settled.
struct Cell {
  int type = SQLITE_NULL;
  sqlite3_int64 integer = 0;
  double real = 0;
  std::string text;
};

enum class Declared { None, Text, Integer, Float, DateTime, Boolean };

struct ColumnType {
  Declared kind = Declared::None;
  int size = 0;  // declared characters of a text column, 0 when not given
};

ColumnType declaredType(const char* decltypeText) {
  if (!decltypeText || !*decltypeText) return {};
  std::string t = upper(decltypeText);
  ColumnType type;
  if (t.find("DATE") != std::string::npos || t.find("TIME") != std::string::npos)
    type.kind = Declared::DateTime;
  else if (t.find("CHAR") != std::string::npos || t.find("TEXT") != std::string::npos ||
           t.find("CLOB") != std::string::npos)
    type.kind = Declared::Text;
  else if (t.find("BOOL") != std::string::npos)
    type.kind = Declared::Boolean;
  else if (t.find("INT") != std::string::npos)
    type.kind = Declared::Integer;
  else
    type.kind = Declared::Float;  // REAL, FLOAT, DOUBLE, NUMERIC, DECIMAL and the rest
  if (type.kind == Declared::Text) {
    size_t open = t.find('(');
    if (open != std::string::npos) type.size = std::atoi(t.c_str() + open + 1);
  }
  return type;
}

[[noreturn]] void badValue(const std::string& column, size_t row, const Cell& cell,
                           const char* expected) {
  std::string shown = cell.type == SQLITE_BLOB ? "binary data" : "'" + cell.text + "'";
  throw std::runtime_error("Column " + column + ", row " + std::to_string(row + 1) + ": " + shown +
                           " is not " + expected + ".");
}

// Settles a column's field type from its declaration and, where it has none, from its values.
// `dateByName`: the suite names its date columns DT..., and stores them as day numbers in numeric
// columns, so a numeric column of that name is a date-time.
platform::PacketField resolveField(const std::string& name, ColumnType declared, bool dateByName,
                                   const std::vector<std::vector<Cell>>& rows, size_t column) {
  platform::PacketField field{name, FieldType::Text, 0};
  bool anyText = false, anyReal = false, anyInteger = false, fractional = false;
  int longest = 0;
  for (const auto& row : rows) {
    const Cell& cell = row[column];
    if (cell.type == SQLITE_TEXT) anyText = true;
    if (cell.type == SQLITE_FLOAT) {
      anyReal = true;
      if (cell.real != std::floor(cell.real)) fractional = true;
    }
    if (cell.type == SQLITE_INTEGER) anyInteger = true;
    if (cell.type != SQLITE_NULL) longest = std::max(longest, characters(cell.text));
  }
  switch (declared.kind) {
    case Declared::Text:
      field.type = FieldType::Text;
      break;
    case Declared::DateTime:
      field.type = FieldType::DateTime;
      break;
    case Declared::Boolean:
      field.type = FieldType::Boolean;
      break;
    // A non-integral number in an INTEGER column widens the field instead of losing the fraction.
    case Declared::Integer:
      field.type = fractional ? FieldType::Float : FieldType::Integer;
      break;
    case Declared::Float:
      field.type = FieldType::Float;
      break;
    case Declared::None:
      if (anyText || (!anyReal && !anyInteger))
        field.type = FieldType::Text;
      else
        field.type = anyReal ? FieldType::Float : FieldType::Integer;
      break;
  }
  if (dateByName && (field.type == FieldType::Float || field.type == FieldType::Integer))
    field.type = FieldType::DateTime;
  if (field.type == FieldType::Text) field.size = std::max({declared.size, longest, 1});
  return field;
}

Variant toVariant(const platform::PacketField& field, const Cell& cell, size_t row) {
  if (cell.type == SQLITE_NULL) return Variant::null();
  if (cell.type == SQLITE_BLOB) badValue(field.name, row, cell, "readable");
  switch (field.type) {
    case FieldType::Text:
    case FieldType::FixedText:
      return Variant(cell.text);
    case FieldType::Integer:
      if (cell.type == SQLITE_TEXT) badValue(field.name, row, cell, "an integer");
      {
        sqlite3_int64 v =
            cell.type == SQLITE_FLOAT ? static_cast<sqlite3_int64>(cell.real) : cell.integer;
        if (v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max())
          return Variant(static_cast<int32_t>(v));
        return Variant(static_cast<int64_t>(v));
      }
    case FieldType::Float:
      if (cell.type == SQLITE_TEXT) badValue(field.name, row, cell, "a number");
      return Variant(cell.type == SQLITE_FLOAT ? cell.real : static_cast<double>(cell.integer));
    case FieldType::DateTime:
      if (cell.type == SQLITE_TEXT) {
        std::optional<double> day = parseIsoDate(cell.text);
        if (!day) badValue(field.name, row, cell, "a date");
        return Variant::date(*day);
      }
      return Variant::date(cell.type == SQLITE_FLOAT ? cell.real
                                                     : static_cast<double>(cell.integer));
    case FieldType::Boolean:
      if (cell.type == SQLITE_TEXT) {
        std::string t = upper(cell.text);
        if (t == "TRUE" || t == "1" || t == "S") return Variant(true);
        if (t == "FALSE" || t == "0" || t == "N") return Variant(false);
        badValue(field.name, row, cell, "a boolean");
      }
      return Variant(cell.type == SQLITE_FLOAT ? cell.real != 0 : cell.integer != 0);
  }
  return Variant::null();
}

}  // namespace

SqliteQueryExecutor::SqliteQueryExecutor(const std::string& path, DateStorage dates)
    : db_(sqlite::open(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX)),
      cache_(sqlite::open(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)),
      dates_(dates) {
  // Opening is lazy in SQLite: read the schema now so a file that is no database fails here.
  sqlite::exec(db_.get(), "SELECT COUNT(*) FROM sqlite_master");
}

void SqliteQueryExecutor::bindParams(sqlite3_stmt* stmt,
                                     const std::vector<std::pair<std::string, Variant>>& params) {
  int count = sqlite3_bind_parameter_count(stmt);
  for (int i = 1; i <= count; ++i) {
    const char* rawName = sqlite3_bind_parameter_name(stmt, i);
    if (!rawName || rawName[0] != ':')
      throw std::runtime_error("Only named parameters (:NAME) are supported.");
    std::string_view name(rawName + 1);
    auto found = std::find_if(params.begin(), params.end(),
                              [&](const auto& p) { return sameName(p.first, name); });
    if (found == params.end())
      throw std::runtime_error("Parameter '" + std::string(name) + "' has no value.");
    const Variant& value = found->second;
    int rc = SQLITE_OK;
    switch (value.type()) {
      case Variant::Type::Empty:
      case Variant::Type::Null:
        rc = sqlite3_bind_null(stmt, i);
        break;
      case Variant::Type::Text: {
        std::string text = value.toString();
        rc = sqlite3_bind_text(stmt, i, text.c_str(), static_cast<int>(text.size()),
                               SQLITE_TRANSIENT);
        break;
      }
      case Variant::Type::Int32:
      case Variant::Type::Int64:
      case Variant::Type::Bool:
        rc = sqlite3_bind_int64(stmt, i, value.toInt64());
        break;
      case Variant::Type::Double:
        rc = sqlite3_bind_double(stmt, i, value.toDouble());
        break;
      case Variant::Type::DateTime:
        if (dates_ == DateStorage::DayNumber) {
          rc = sqlite3_bind_double(stmt, i, value.toDouble());
        } else {
          std::string text = isoDate(value.toDouble());
          rc = sqlite3_bind_text(stmt, i, text.c_str(), static_cast<int>(text.size()),
                                 SQLITE_TRANSIENT);
        }
        break;
      case Variant::Type::Array:
      case Variant::Type::Packet:
        throw std::runtime_error("Parameter '" + std::string(name) +
                                 "' cannot take an array or a data packet.");
    }
    if (rc != SQLITE_OK) throw std::runtime_error("SQL error: " + std::string(sqlite3_errstr(rc)));
  }
}

DataPacket SqliteQueryExecutor::execute(
    const std::string& sql, const std::vector<std::pair<std::string, Variant>>& params) {
  // Compiling on the database tells which tables the statement reads; when the cache holds all of
  // them, the statement runs on the cache instead.
  AuthState state;
  sqlite::Stmt stmt = compileSelect(db_.get(), sql, state);
  sqlite3* runOn = db_.get();
  if (!state.tables.empty() &&
      std::all_of(state.tables.begin(), state.tables.end(),
                  [&](const std::string& t) { return cachedTables_.count(t) > 0; })) {
    AuthState onCache;
    stmt = compileSelect(cache_.get(), sql, onCache);
    runOn = cache_.get();
  }
  bindParams(stmt.get(), params);

  int columns = sqlite3_column_count(stmt.get());
  std::vector<std::vector<Cell>> rows;
  int rc;
  while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    std::vector<Cell>& row = rows.emplace_back(columns);
    for (int c = 0; c < columns; ++c) {
      Cell& cell = row[c];
      cell.type = sqlite3_column_type(stmt.get(), c);
      if (cell.type == SQLITE_INTEGER) cell.integer = sqlite3_column_int64(stmt.get(), c);
      if (cell.type == SQLITE_FLOAT) cell.real = sqlite3_column_double(stmt.get(), c);
      if (cell.type == SQLITE_TEXT || cell.type == SQLITE_INTEGER || cell.type == SQLITE_FLOAT) {
        const unsigned char* text = sqlite3_column_text(stmt.get(), c);
        cell.text.assign(reinterpret_cast<const char*>(text),
                         static_cast<size_t>(sqlite3_column_bytes(stmt.get(), c)));
      }
    }
  }
  if (rc != SQLITE_DONE) throw std::runtime_error("SQL error: " + sqlite::lastError(runOn));

  DataPacket packet;
  for (int c = 0; c < columns; ++c) {
    const char* name = sqlite3_column_name(stmt.get(), c);
    const char* origin = sqlite3_column_origin_name(stmt.get(), c);
    std::string nameText = name ? name : "";
    bool dateByName = upper(origin ? origin : nameText).rfind("DT", 0) == 0;
    packet.fields.push_back(resolveField(nameText,
                                         declaredType(sqlite3_column_decltype(stmt.get(), c)),
                                         dateByName, rows, static_cast<size_t>(c)));
  }
  packet.rows.reserve(rows.size());
  for (size_t r = 0; r < rows.size(); ++r) {
    platform::Row& out = packet.rows.emplace_back();
    out.reserve(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c)
      out.push_back(toVariant(packet.fields[c], rows[r][c], r));
  }
  return packet;
}

void SqliteQueryExecutor::cacheTable(const std::string& name) {
  sqlite3_stmt* raw = nullptr;
  const char* findSql =
      "SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE";
  if (sqlite3_prepare_v2(db_.get(), findSql, -1, &raw, nullptr) != SQLITE_OK)
    throw std::runtime_error("SQL error: " + sqlite::lastError(db_.get()));
  sqlite::Stmt find(raw);
  sqlite3_bind_text(find.get(), 1, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
  int rc = sqlite3_step(find.get());
  if (rc != SQLITE_ROW) {
    if (rc != SQLITE_DONE) throw std::runtime_error("SQL error: " + sqlite::lastError(db_.get()));
    throw std::runtime_error("Table '" + name + "' does not exist in the database.");
  }
  std::string tableName = reinterpret_cast<const char*>(sqlite3_column_text(find.get(), 0));
  std::string definition = reinterpret_cast<const char*>(sqlite3_column_text(find.get(), 1));
  find.reset();

  std::string quoted = quoteIdentifier(tableName);
  raw = nullptr;
  if (sqlite3_prepare_v2(db_.get(), ("SELECT * FROM " + quoted).c_str(), -1, &raw, nullptr) !=
      SQLITE_OK)
    throw std::runtime_error("SQL error: " + sqlite::lastError(db_.get()));
  sqlite::Stmt source(raw);
  int columns = sqlite3_column_count(source.get());

  sqlite3* cache = cache_.get();
  sqlite::exec(cache, "BEGIN");
  try {
    sqlite::exec(cache, "DROP TABLE IF EXISTS " + quoted);
    sqlite::exec(cache, definition);
    std::string insertSql = "INSERT INTO " + quoted + " VALUES (";
    for (int c = 0; c < columns; ++c)
      insertSql += c ? ",?" : "?";
    insertSql += ")";
    raw = nullptr;
    if (sqlite3_prepare_v2(cache, insertSql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
      throw std::runtime_error("SQL error: " + sqlite::lastError(cache));
    sqlite::Stmt insert(raw);
    while ((rc = sqlite3_step(source.get())) == SQLITE_ROW) {
      for (int c = 0; c < columns; ++c)
        sqlite3_bind_value(insert.get(), c + 1, sqlite3_column_value(source.get(), c));
      if (sqlite3_step(insert.get()) != SQLITE_DONE)
        throw std::runtime_error("SQL error: " + sqlite::lastError(cache));
      sqlite3_reset(insert.get());
    }
    if (rc != SQLITE_DONE) throw std::runtime_error("SQL error: " + sqlite::lastError(db_.get()));
    insert.reset();
    sqlite::exec(cache, "COMMIT");
  } catch (...) {
    sqlite3_exec(cache, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  cachedTables_.insert(upper(tableName));
}

bool SqliteQueryExecutor::isCached(const std::string& name) const {
  return cachedTables_.count(upper(name)) > 0;
}

}  // namespace host
