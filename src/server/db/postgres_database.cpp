#include "server/db/postgres_database.h"

#include <libpq-fe.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

namespace server::db {
namespace {

constexpr Oid kBoolOid = 16;

std::string trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
    text.pop_back();
  return text;
}

// The shortest text that reads back as exactly `value`.
std::string doubleText(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, end);
}

bool isWrite(const char* status) {
  return std::strncmp(status, "INSERT", 6) == 0 || std::strncmp(status, "UPDATE", 6) == 0 ||
         std::strncmp(status, "DELETE", 6) == 0;
}

struct ResultDeleter {
  void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

}  // namespace

class PostgresStatement : public Statement {
 public:
  PostgresStatement(PostgresDatabase& db, std::string sql, std::string name, int parameters)
      : db_(db),
        sql_(std::move(sql)),
        name_(std::move(name)),
        values_(static_cast<size_t>(parameters)) {
    ++db_.live_;
  }
  ~PostgresStatement() override { --db_.live_; }

  void bindNull(int index) override { slot(index).reset(); }
  void bindText(int index, std::string_view value) override {
    // The server's texts end at a NUL; storing a shortened text would be a silent change.
    if (value.find('\0') != std::string_view::npos) {
      throw DbError("a text with a NUL character cannot be stored");
    }
    slot(index) = std::string(value);
  }
  void bindReal(int index, double value) override { slot(index) = doubleText(value); }
  void bindInt(int index, int64_t value) override { slot(index) = std::to_string(value); }

  bool step() override {
    if (!started_) {
      db_.countStatement(sql_);
      started_ = true;
      std::vector<const char*> values;
      values.reserve(values_.size());
      for (const auto& v : values_)
        values.push_back(v ? v->c_str() : nullptr);
      PGresult* raw = PQexecPrepared(db_.conn_, name_.c_str(), static_cast<int>(values.size()),
                                     values.data(), nullptr, nullptr, 0);
      ExecStatusType status = PQresultStatus(raw);
      if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) db_.fail(raw);
      result_.reset(raw);
      if (isWrite(PQcmdStatus(raw))) db_.changes_ = std::atoll(PQcmdTuples(raw));
      rows_ = PQntuples(raw);
      row_ = -1;
    }
    if (row_ + 1 < rows_) {
      ++row_;
      return true;
    }
    row_ = rows_;
    return false;
  }

  void reset() override {
    result_.reset();
    started_ = false;
    rows_ = 0;
    row_ = -1;
  }

  int columnCount() const override { return result_ ? PQnfields(result_.get()) : 0; }
  bool isNull(int col) const override { return PQgetisnull(result_.get(), row_, col) != 0; }
  std::string text(int col) const override {
    const char* p = PQgetvalue(result_.get(), row_, col);
    return std::string(p, static_cast<size_t>(PQgetlength(result_.get(), row_, col)));
  }
  double real(int col) const override {
    if (isNull(col)) return 0;
    const char* p = PQgetvalue(result_.get(), row_, col);
    if (PQftype(result_.get(), col) == kBoolOid) return *p == 't' ? 1 : 0;
    double value = 0;
    std::from_chars(p, p + std::strlen(p), value);
    return value;
  }
  int64_t integer(int col) const override {
    if (isNull(col)) return 0;
    const char* p = PQgetvalue(result_.get(), row_, col);
    if (PQftype(result_.get(), col) == kBoolOid) return *p == 't' ? 1 : 0;
    size_t length = std::strlen(p);
    int64_t value = 0;
    auto [end, ec] = std::from_chars(p, p + length, value);
    if (ec == std::errc() && end == p + length) return value;
    // A fraction reads as its integer part, as SQLite reads a real as an integer.
    return static_cast<int64_t>(real(col));
  }

 private:
  std::optional<std::string>& slot(int index) {
    if (started_) throw DbError("bind on a statement that is running; reset it first");
    if (index < 1 || static_cast<size_t>(index) > values_.size()) {
      throw DbError("parameter " + std::to_string(index) + " out of range in: " + sql_);
    }
    return values_[static_cast<size_t>(index - 1)];
  }

  PostgresDatabase& db_;
  std::string sql_;
  std::string name_;
  std::vector<std::optional<std::string>> values_;
  Result result_;
  bool started_ = false;
  int rows_ = 0;
  int row_ = -1;
};

PostgresDatabase::PostgresDatabase(pg_conn* conn, bool readOnly)
    : conn_(conn), readOnly_(readOnly) {}

std::unique_ptr<PostgresDatabase> PostgresDatabase::open(const std::string& url, OpenMode mode,
                                                         int lockTimeoutMs) {
  PGconn* conn = PQconnectdb(url.c_str());
  if (conn == nullptr) throw DbError("cannot connect to the database: out of memory");
  if (PQstatus(conn) != CONNECTION_OK) {
    std::string message = trimmed(PQerrorMessage(conn));
    PQfinish(conn);
    throw DbError("cannot connect to the database: " + message);
  }
  std::unique_ptr<PostgresDatabase> db(new PostgresDatabase(conn, mode == OpenMode::ReadOnly));
  // Notices ("already exists, skipping") are not failures; libpq would print them on stderr.
  PQsetNoticeProcessor(
      conn, [](void*, const char*) {}, nullptr);
  if (PQsetClientEncoding(conn, "UTF8") != 0) {
    throw DbError("cannot use UTF-8 on the database: " + trimmed(PQerrorMessage(conn)));
  }
  // Settings of the connection, not statements of anyone's: they are neither counted nor hooked.
  // Shortest exact doubles; a wait for another writer's lock that ends like SQLite's busy timeout.
  std::string settings =
      "SET extra_float_digits = 3; SET lock_timeout = " + std::to_string(lockTimeoutMs) +
      "; SET TIME ZONE 'UTC'";
  if (db->readOnly_) settings += "; SET default_transaction_read_only = on";
  Result result(PQexec(conn, settings.c_str()));
  if (PQresultStatus(result.get()) != PGRES_COMMAND_OK) db->fail(result.release());
  return db;
}

PostgresDatabase::~PostgresDatabase() {
  PQfinish(conn_);
}

bool PostgresDatabase::broken() const {
  return PQstatus(conn_) != CONNECTION_OK;
}

void PostgresDatabase::fail(pg_result* raw, const std::string& context) {
  Result result(raw);
  std::string state;
  std::string message;
  if (result) {
    if (const char* s = PQresultErrorField(raw, PG_DIAG_SQLSTATE)) state = s;
    if (const char* m = PQresultErrorField(raw, PG_DIAG_MESSAGE_PRIMARY)) message = m;
  }
  if (message.empty()) message = trimmed(PQerrorMessage(conn_));
  if (message.empty()) message = "unknown database failure";
  setLastError(message);
  throw DbError(context.empty() ? message : message + " in: " + context, state);
}

std::unique_ptr<Statement> PostgresDatabase::prepareNative(const std::string& sql) {
  auto it = prepared_.find(sql);
  if (it == prepared_.end()) {
    // Starting over is only safe while no statement of this connection is handed out.
    if (prepared_.size() >= kMaxPrepared && live_ == 0) {
      Result done(PQexec(conn_, "DEALLOCATE ALL"));
      if (PQresultStatus(done.get()) != PGRES_COMMAND_OK) fail(done.release());
      prepared_.clear();
    }
    Prepared p;
    p.name = "mc" + std::to_string(++nextName_);
    Result made(PQprepare(conn_, p.name.c_str(), sql.c_str(), 0, nullptr));
    if (PQresultStatus(made.get()) != PGRES_COMMAND_OK) fail(made.release(), sql);
    Result described(PQdescribePrepared(conn_, p.name.c_str()));
    if (PQresultStatus(described.get()) != PGRES_COMMAND_OK) fail(described.release(), sql);
    p.parameters = PQnparams(described.get());
    it = prepared_.emplace(sql, std::move(p)).first;
  }
  return std::make_unique<PostgresStatement>(*this, sql, it->second.name, it->second.parameters);
}

void PostgresDatabase::execNative(const std::string& sql) {
  countStatement(sql);
  Result result(PQexec(conn_, sql.c_str()));
  ExecStatusType status = PQresultStatus(result.get());
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fail(result.release());
  const char* command = PQcmdStatus(result.get());
  if (isWrite(command)) changes_ = std::atoll(PQcmdTuples(result.get()));
  // The server answers COMMIT of a transaction an earlier failure aborted with a rollback: the
  // caller must not take it for a commit.
  if (sql == "COMMIT" && std::strcmp(command, "ROLLBACK") == 0) {
    setLastError("the transaction was rolled back after an earlier failure");
    throw DbError("the transaction was rolled back after an earlier failure");
  }
}

}  // namespace server::db
