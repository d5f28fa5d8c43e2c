#include "host/postgres_query_executor.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

#include "host/query_values.h"
#include "server/db/open_database.h"

namespace host {
namespace {

using platform::DataPacket;
using platform::FieldType;
using platform::Variant;
using queryvalues::upper;

struct ResultDeleter {
  void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

// Type oids of the catalogue (pg_type), fixed across server versions.
constexpr Oid kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700,
              kFloat8 = 701, kBpchar = 1042, kVarchar = 1043, kDate = 1082, kTimestamp = 1114,
              kTimestampTz = 1184, kNumeric = 1700;

// The readers' first words of a statement; anything else is refused.
constexpr const char* kQueryWords[] = {"SELECT", "WITH", "VALUES", "TABLE"};
constexpr const char* kReadOnlyState = "25006";
// Shortest exact doubles, UTC timestamps, and no write even if a check were missed.
constexpr const char* kSessionSettings =
    "SET client_encoding = 'UTF8'; SET extra_float_digits = 3; SET TIME ZONE 'UTC';"
    " SET default_transaction_read_only = on";

std::string trimmed(std::string text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.pop_back();
  return text;
}

std::string quoteIdentifier(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

bool identifierStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}
bool identifierChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// A statement made ready for the server: `:NAME` parameters numbered $1.., one name one number.
struct Scanned {
  std::string sql;
  std::vector<std::string> names;  // by number - 1, as first written
  std::string firstWord;           // upper case; "" when there is no statement at all
};

// Walks the text outside literals, quoted names and comments: numbers the parameters, finds the
// first word and refuses a second statement.
Scanned scan(const std::string& sql) {
  Scanned out;
  bool ended = false;  // past the ';' that ends the statement
  bool started = false;
  size_t i = 0;
  const size_t n = sql.size();
  auto copyUntil = [&](size_t end) {
    if (!ended) out.sql.append(sql, i, end - i);
    i = end;
  };
  while (i < n) {
    char c = sql[i];
    if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
      size_t end = sql.find('\n', i);
      copyUntil(end == std::string::npos ? n : end);
      continue;
    }
    if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
      int depth = 0;
      size_t j = i;
      do {
        if (sql.compare(j, 2, "/*") == 0) {
          ++depth;
          j += 2;
        } else if (sql.compare(j, 2, "*/") == 0) {
          --depth;
          j += 2;
        } else {
          ++j;
        }
      } while (depth > 0 && j < n);
      copyUntil(j);
      continue;
    }
    if (std::isspace(static_cast<unsigned char>(c))) {
      copyUntil(i + 1);
      continue;
    }
    if (ended) {
      if (c == ';') {
        ++i;
        continue;
      }
      throw std::runtime_error("Only one statement may be run at a time.");
    }
    if (c == ';') {
      ended = true;
      ++i;
      continue;
    }
    if (!started && c == '(') {
      copyUntil(i + 1);
      continue;
    }
    if (!started) {
      started = true;
      size_t end = i;
      while (end < n && identifierChar(sql[end]))
        ++end;
      out.firstWord = upper(std::string_view(sql).substr(i, end - i));
      if (out.firstWord.empty()) out.firstWord = std::string(1, c);
    }
    if (c == '\'' || c == '"') {
      // E'...' takes backslash escapes; elsewhere a doubled quote is the quote itself and simply
      // closes and reopens.
      bool escapes = c == '\'' && i > 0 && (sql[i - 1] == 'E' || sql[i - 1] == 'e') &&
                     (i < 2 || !identifierChar(sql[i - 2]));
      size_t j = i + 1;
      while (j < n && sql[j] != c) {
        if (escapes && sql[j] == '\\') ++j;
        ++j;
      }
      copyUntil(std::min(j + 1, n));
      continue;
    }
    if (c == '$') {
      size_t j = i + 1;
      if (j < n && std::isdigit(static_cast<unsigned char>(sql[j])))
        throw std::runtime_error("Only named parameters (:NAME) are supported.");
      while (j < n && identifierChar(sql[j]))
        ++j;
      if (j < n && sql[j] == '$' && (j == i + 1 || identifierStart(sql[i + 1]))) {
        std::string tag = sql.substr(i, j + 1 - i);
        size_t close = sql.find(tag, j + 1);
        copyUntil(close == std::string::npos ? n : close + tag.size());
        continue;
      }
      copyUntil(i + 1);
      continue;
    }
    if (c == '?') throw std::runtime_error("Only named parameters (:NAME) are supported.");
    if (c == ':' && i + 1 < n && sql[i + 1] == ':') {
      copyUntil(i + 2);
      continue;
    }
    if (c == ':' && i + 1 < n && identifierStart(sql[i + 1])) {
      size_t end = i + 1;
      while (end < n && identifierChar(sql[end]))
        ++end;
      std::string name = sql.substr(i + 1, end - i - 1);
      auto found = std::find_if(out.names.begin(), out.names.end(), [&](const std::string& known) {
        return queryvalues::sameName(known, name);
      });
      size_t number = static_cast<size_t>(found - out.names.begin()) + 1;
      if (found == out.names.end()) out.names.push_back(name);
      out.sql += "$" + std::to_string(number);
      i = end;
      continue;
    }
    if (identifierStart(c)) {
      size_t end = i;
      while (end < n && identifierChar(sql[end]))
        ++end;
      copyUntil(end);
      continue;
    }
    copyUntil(i + 1);
  }
  return out;
}

std::string doubleText(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, end);
}

std::optional<std::string> paramText(const std::string& name, const Variant& value,
                                     DateStorage dates) {
  switch (value.type()) {
    case Variant::Type::Empty:
    case Variant::Type::Null:
      return std::nullopt;
    case Variant::Type::Text: {
      std::string text = value.toString();
      if (text.find('\0') != std::string::npos)
        throw std::runtime_error("Parameter '" + name + "' holds a NUL character.");
      return text;
    }
    case Variant::Type::Int32:
    case Variant::Type::Int64:
    case Variant::Type::Bool:
      return std::to_string(value.toInt64());
    case Variant::Type::Double:
      return doubleText(value.toDouble());
    case Variant::Type::DateTime:
      return dates == DateStorage::DayNumber ? doubleText(value.toDouble())
                                             : queryvalues::isoDate(value.toDouble());
    case Variant::Type::Array:
    case Variant::Type::Packet:
      break;
  }
  throw std::runtime_error("Parameter '" + name + "' cannot take an array or a data packet.");
}

enum class Kind { Text, Integer, Float, WholeOrFloat, Date, Boolean };

Kind kindOf(Oid type, int modifier) {
  switch (type) {
    case kBool:
      return Kind::Boolean;
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid:
      return Kind::Integer;
    case kFloat4:
    case kFloat8:
      return Kind::Float;
    case kNumeric:
      // A declared precision and scale is a decimal column; an undeclared one is what integer
      // sums and averages give.
      return modifier == -1 ? Kind::WholeOrFloat : Kind::Float;
    case kDate:
    case kTimestamp:
    case kTimestampTz:
      return Kind::Date;
    default:
      return Kind::Text;
  }
}

bool wholeNumber(const char* text, int64_t* value) {
  size_t length = std::strlen(text);
  auto [end, ec] = std::from_chars(text, text + length, *value);
  return ec == std::errc() && end == text + length;
}

// The date part of a timestamp's text, without the zone the session's UTC adds ("+00").
std::string withoutZone(std::string text) {
  if (text.size() > 19) {
    size_t sign = text.find_last_of("+-");
    if (sign != std::string::npos && sign > 10) text.resize(sign);
  }
  return text;
}

[[noreturn]] void badValue(const std::string& column, int row, const char* text,
                           const char* expected) {
  throw std::runtime_error("Column " + column + ", row " + std::to_string(row + 1) + ": '" + text +
                           "' is not " + expected + ".");
}

struct Column {
  platform::PacketField field;
  Kind kind = Kind::Text;
};

Variant toVariant(const Column& column, PGresult* result, int row, int col) {
  if (PQgetisnull(result, row, col)) return Variant::null();
  const char* text = PQgetvalue(result, row, col);
  const std::string& name = column.field.name;
  switch (column.field.type) {
    case FieldType::Text:
    case FieldType::FixedText:
      return Variant(std::string(text, static_cast<size_t>(PQgetlength(result, row, col))));
    case FieldType::Boolean:
      return Variant(*text == 't');
    case FieldType::Integer: {
      int64_t value = 0;
      if (!wholeNumber(text, &value)) badValue(name, row, text, "an integer");
      if (value >= std::numeric_limits<int32_t>::min() &&
          value <= std::numeric_limits<int32_t>::max())
        return Variant(static_cast<int32_t>(value));
      return Variant(value);
    }
    case FieldType::Float:
    case FieldType::DateTime:
      break;
  }
  if (column.kind == Kind::Date) {
    std::optional<double> day = queryvalues::parseIsoDate(withoutZone(text));
    if (!day) badValue(name, row, text, "a date");
    return Variant::date(*day);
  }
  double value = 0;
  size_t length = std::strlen(text);
  auto [end, ec] = std::from_chars(text, text + length, value);
  if (ec != std::errc() || end != text + length) badValue(name, row, text, "a number");
  return column.field.type == FieldType::DateTime ? Variant::date(value) : Variant(value);
}

std::string serverMessage(PGconn* conn, const PGresult* result) {
  const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
  std::string message = primary ? primary : trimmed(PQerrorMessage(conn));
  return message.empty() ? "unknown database failure" : message;
}

std::string sqlState(const PGresult* result) {
  const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  return state ? state : "";
}

// Ends the transaction of the scope with a rollback: a direct query never leaves anything.
class RolledBack {
 public:
  explicit RolledBack(PGconn* conn) : conn_(conn) {}
  ~RolledBack() {
    if (conn_) Result(PQexec(conn_, "ROLLBACK"));
  }
  void committed() { conn_ = nullptr; }
  RolledBack(const RolledBack&) = delete;
  RolledBack& operator=(const RolledBack&) = delete;

 private:
  PGconn* conn_;
};

}  // namespace

PostgresQueryExecutor::PostgresQueryExecutor(const std::string& url, DateStorage dates)
    : conn_(PQconnectdb(url.c_str())), dates_(dates) {
  if (conn_ == nullptr) throw std::runtime_error("Cannot open database: out of memory");
  if (PQstatus(conn_) != CONNECTION_OK) {
    std::string reason = trimmed(PQerrorMessage(conn_));
    PQfinish(conn_);
    throw std::runtime_error("Cannot open database '" + server::db::redactedLocation(url) +
                             "': " + reason);
  }
  PQsetNoticeProcessor(
      conn_, [](void*, const char*) {}, nullptr);
  try {
    command(kSessionSettings);
  } catch (...) {
    PQfinish(conn_);
    throw;
  }
}

PostgresQueryExecutor::~PostgresQueryExecutor() {
  PQfinish(conn_);
}

void PostgresQueryExecutor::command(const std::string& sql) {
  Result result(PQexec(conn_, sql.c_str()));
  ExecStatusType status = PQresultStatus(result.get());
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
    throw std::runtime_error("SQL error: " + serverMessage(conn_, result.get()));
}

void PostgresQueryExecutor::begin(const char* sql) {
  Result result(PQexec(conn_, sql));
  if (PQresultStatus(result.get()) == PGRES_COMMAND_OK) return;
  if (PQstatus(conn_) == CONNECTION_OK)
    throw std::runtime_error("SQL error: " + serverMessage(conn_, result.get()));
  // The database restarted, or dropped this session: connect again, with the copies it held.
  PQreset(conn_);
  if (PQstatus(conn_) != CONNECTION_OK)
    throw std::runtime_error("SQL error: " + trimmed(PQerrorMessage(conn_)));
  command(kSessionSettings);
  columnNames_.clear();
  std::set<std::string> tables = std::exchange(cachedTables_, {});
  for (const std::string& table : tables)
    cacheTable(table);
  command(sql);
}

std::string PostgresQueryExecutor::columnName(unsigned int table, int column) {
  if (table == 0 || column <= 0) return {};
  auto key = std::make_pair(table, column);
  auto known = columnNames_.find(key);
  if (known != columnNames_.end()) return known->second;
  std::string tableText = std::to_string(table), columnText = std::to_string(column);
  const char* values[] = {tableText.c_str(), columnText.c_str()};
  Result result(PQexecParams(
      conn_, "SELECT attname FROM pg_catalog.pg_attribute WHERE attrelid = $1 AND attnum = $2", 2,
      nullptr, values, nullptr, nullptr, 0));
  if (PQresultStatus(result.get()) != PGRES_TUPLES_OK)
    throw std::runtime_error("SQL error: " + serverMessage(conn_, result.get()));
  std::string name = PQntuples(result.get()) > 0 ? PQgetvalue(result.get(), 0, 0) : "";
  columnNames_.emplace(key, name);
  return name;
}

DataPacket PostgresQueryExecutor::execute(
    const std::string& sql, const std::vector<std::pair<std::string, Variant>>& params) {
  Scanned statement = scan(sql);
  if (statement.firstWord.empty()) throw std::runtime_error("Empty statement.");
  std::vector<std::optional<std::string>> texts;
  for (const std::string& name : statement.names) {
    auto found = std::find_if(params.begin(), params.end(),
                              [&](const auto& p) { return queryvalues::sameName(p.first, name); });
    if (found == params.end()) throw std::runtime_error("Parameter '" + name + "' has no value.");
    texts.push_back(paramText(name, found->second, dates_));
  }
  std::vector<const char*> values;
  for (const auto& text : texts)
    values.push_back(text ? text->c_str() : nullptr);

  begin("BEGIN TRANSACTION READ ONLY");
  RolledBack scope(conn_);
  const bool query = std::any_of(std::begin(kQueryWords), std::end(kQueryWords),
                                 [&](const char* word) { return statement.firstWord == word; });
  if (!query) {
    // Parsing tells a mistyped query from a statement that is not one.
    Result parsed(PQprepare(conn_, "", statement.sql.c_str(), 0, nullptr));
    if (PQresultStatus(parsed.get()) != PGRES_COMMAND_OK)
      throw std::runtime_error("SQL error: " + serverMessage(conn_, parsed.get()));
    throw std::runtime_error("Only SELECT statements may be run (" + statement.firstWord +
                             " refused).");
  }
  Result result(PQexecParams(conn_, statement.sql.c_str(), static_cast<int>(values.size()), nullptr,
                             values.data(), nullptr, nullptr, 0));
  if (PQresultStatus(result.get()) != PGRES_TUPLES_OK) {
    std::string message = serverMessage(conn_, result.get());
    if (sqlState(result.get()) == kReadOnlyState ||
        PQresultStatus(result.get()) == PGRES_COMMAND_OK)
      throw std::runtime_error("Only SELECT statements may be run (" + message + ").");
    throw std::runtime_error("SQL error: " + message);
  }

  PGresult* rows = result.get();
  const int columns = PQnfields(rows);
  const int count = PQntuples(rows);
  std::vector<Column> fields(static_cast<size_t>(columns));
  for (int c = 0; c < columns; ++c) {
    Column& column = fields[static_cast<size_t>(c)];
    const Oid type = PQftype(rows, c);
    const int modifier = PQfmod(rows, c);
    column.kind = kindOf(type, modifier);
    column.field.name = upper(PQfname(rows, c));
    std::string origin = columnName(PQftable(rows, c), PQftablecol(rows, c));
    const bool dateByName = upper(origin.empty() ? column.field.name : origin).rfind("DT", 0) == 0;
    int longest = 0;
    bool whole = true;
    for (int r = 0; r < count; ++r) {
      if (PQgetisnull(rows, r, c)) continue;
      const char* text = PQgetvalue(rows, r, c);
      longest = std::max(longest, queryvalues::characters(text));
      int64_t ignored = 0;
      if (column.kind == Kind::WholeOrFloat && !wholeNumber(text, &ignored)) whole = false;
    }
    switch (column.kind) {
      case Kind::Text: {
        const bool sized = (type == kVarchar || type == kBpchar) && modifier > 4;
        column.field.type = FieldType::Text;
        column.field.size = std::max({sized ? modifier - 4 : 0, longest, 1});
        break;
      }
      case Kind::Boolean:
        column.field.type = FieldType::Boolean;
        break;
      case Kind::Date:
        column.field.type = FieldType::DateTime;
        break;
      case Kind::Integer:
        column.field.type = FieldType::Integer;
        break;
      case Kind::Float:
        column.field.type = FieldType::Float;
        break;
      case Kind::WholeOrFloat:
        column.field.type = whole ? FieldType::Integer : FieldType::Float;
        break;
    }
    if (dateByName &&
        (column.field.type == FieldType::Integer || column.field.type == FieldType::Float))
      column.field.type = FieldType::DateTime;
  }

  DataPacket packet;
  for (const Column& column : fields)
    packet.fields.push_back(column.field);
  packet.rows.reserve(static_cast<size_t>(count));
  for (int r = 0; r < count; ++r) {
    platform::Row& out = packet.rows.emplace_back();
    out.reserve(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c)
      out.push_back(toVariant(fields[static_cast<size_t>(c)], rows, r, c));
  }
  return packet;
}

void PostgresQueryExecutor::cacheTable(const std::string& name) {
  // The copies are temporary tables: written in a transaction of their own, which a failure rolls
  // back with the earlier copy untouched.
  begin("BEGIN TRANSACTION READ WRITE");
  RolledBack scope(conn_);
  const char* values[] = {name.c_str()};
  Result found(PQexecParams(
      conn_,
      "SELECT n.nspname, c.relname FROM pg_catalog.pg_class c"
      " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
      " WHERE c.relkind IN ('r', 'p', 'v', 'm') AND n.nspname = ANY (current_schemas(false))"
      " AND upper(c.relname) = upper($1)"
      " ORDER BY array_position(current_schemas(false), n.nspname::text), c.relname = $1 DESC"
      " LIMIT 1",
      1, nullptr, values, nullptr, nullptr, 0));
  if (PQresultStatus(found.get()) != PGRES_TUPLES_OK)
    throw std::runtime_error("SQL error: " + serverMessage(conn_, found.get()));
  if (PQntuples(found.get()) == 0)
    throw std::runtime_error("Table '" + name + "' does not exist in the database.");
  const std::string schema = PQgetvalue(found.get(), 0, 0);
  const std::string table = quoteIdentifier(PQgetvalue(found.get(), 0, 1));
  command("DROP TABLE IF EXISTS pg_temp." + table);
  command("CREATE TEMPORARY TABLE " + table + " AS SELECT * FROM " + quoteIdentifier(schema) + "." +
          table);
  command("COMMIT");
  scope.committed();
  cachedTables_.insert(upper(name));
}

bool PostgresQueryExecutor::isCached(const std::string& name) const {
  return cachedTables_.count(upper(name)) > 0;
}

}  // namespace host
