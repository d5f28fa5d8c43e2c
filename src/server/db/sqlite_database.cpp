#include "server/db/sqlite_database.h"

#include <sqlite3.h>

#include <new>

namespace server::db {
namespace {

// The SQLSTATE of an SQLite failure, where a caller tells it apart (see DbError).
std::string sqlStateOf(sqlite3* db) {
  switch (sqlite3_extended_errcode(db)) {
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE:
      return DbError::kUniqueViolation;
    // A read transaction that cannot become a write one because another writer committed since
    // its snapshot: running the transaction again succeeds.
    case SQLITE_BUSY_SNAPSHOT:
      return DbError::kSerializationFailure;
    default:
      return "";
  }
}

}  // namespace

class SqliteStatement : public Statement {
 public:
  using Cache = SqliteDatabase::StatementCache;
  SqliteStatement(SqliteDatabase& db, sqlite3_stmt* stmt, std::weak_ptr<Cache> cache,
                  std::string sql)
      : db_(db), stmt_(stmt), cache_(std::move(cache)), sql_(std::move(sql)) {}
  ~SqliteStatement() override {
    // Reset ends the statement's read of the database, so an idle statement holds no snapshot;
    // cleared bindings make a reused statement start as a fresh one.
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    auto cache = cache_.lock();
    if (!cache) {
      sqlite3_finalize(stmt_);
      return;
    }
    // Starting over when full keeps the statements in use now, whatever ran before.
    if (cache->count >= SqliteDatabase::kMaxIdleStatements) cache->clear();
    try {
      cache->idle[std::move(sql_)].push_back(stmt_);
      ++cache->count;
    } catch (const std::bad_alloc&) {
      sqlite3_finalize(stmt_);
    }
  }

  void bindNull(int index) override { check(sqlite3_bind_null(stmt_, index)); }
  void bindText(int index, std::string_view value) override {
    check(sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()),
                            SQLITE_TRANSIENT));
  }
  void bindReal(int index, double value) override {
    check(sqlite3_bind_double(stmt_, index, value));
  }
  void bindInt(int index, int64_t value) override {
    check(sqlite3_bind_int64(stmt_, index, value));
  }

  bool step() override {
    if (!started_) {
      db_.beforeExecute(sql_);
      started_ = true;
    }
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    std::string message = sqlite3_errmsg(db_.handle());
    db_.fail(message);
    throw DbError(message, sqlStateOf(db_.handle()));
  }

  void reset() override {
    sqlite3_reset(stmt_);
    started_ = false;
  }

  int columnCount() const override { return sqlite3_column_count(stmt_); }
  bool isNull(int col) const override { return sqlite3_column_type(stmt_, col) == SQLITE_NULL; }
  std::string text(int col) const override {
    const unsigned char* p = sqlite3_column_text(stmt_, col);
    if (p == nullptr) return {};
    return std::string(reinterpret_cast<const char*>(p),
                       static_cast<size_t>(sqlite3_column_bytes(stmt_, col)));
  }
  double real(int col) const override { return sqlite3_column_double(stmt_, col); }
  int64_t integer(int col) const override { return sqlite3_column_int64(stmt_, col); }

 private:
  void check(int rc) {
    if (rc != SQLITE_OK) {
      std::string message = sqlite3_errmsg(db_.handle());
      db_.fail(message);
      throw DbError(message);
    }
  }

  SqliteDatabase& db_;
  sqlite3_stmt* stmt_;
  std::weak_ptr<Cache> cache_;
  std::string sql_;
  bool started_ = false;
};

void SqliteDatabase::StatementCache::clear() {
  for (auto& [sql, statements] : idle) {
    for (sqlite3_stmt* stmt : statements)
      sqlite3_finalize(stmt);
  }
  idle.clear();
  count = 0;
}

SqliteDatabase::SqliteDatabase(sqlite3* db, bool readOnly)
    : db_(db), readOnly_(readOnly), cache_(std::make_shared<StatementCache>()) {}

std::unique_ptr<SqliteDatabase> SqliteDatabase::open(const std::string& path, OpenMode mode,
                                                     int busyTimeoutMs) {
  // A connection is used by one thread at a time (see database.h): its own mutex would only
  // cost every call.
  int flags = SQLITE_OPEN_NOMUTEX;
  switch (mode) {
    case OpenMode::ReadWrite:
      flags |= SQLITE_OPEN_READWRITE;
      break;
    case OpenMode::Create:
      flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
      break;
    case OpenMode::ReadOnly:
      flags |= SQLITE_OPEN_READONLY;
      break;
  }
  sqlite3* handle = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &handle, flags, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = handle != nullptr ? sqlite3_errmsg(handle) : sqlite3_errstr(rc);
    sqlite3_close(handle);
    throw DbError("cannot open database '" + path + "': " + message);
  }
  std::unique_ptr<SqliteDatabase> db(new SqliteDatabase(handle, mode == OpenMode::ReadOnly));
  sqlite3_busy_timeout(handle, busyTimeoutMs);
  sqlite3_extended_result_codes(handle, 1);
  db->execNative("PRAGMA foreign_keys = ON");
  if (mode != OpenMode::ReadOnly && path != ":memory:" && !path.empty()) {
    db->execNative("PRAGMA journal_mode = WAL");
    // WAL keeps committed transactions durable across a process crash with NORMAL.
    db->execNative("PRAGMA synchronous = NORMAL");
  }
  return db;
}

SqliteDatabase::~SqliteDatabase() {
  // Statements still handed out finalize themselves; close_v2 waits for them.
  cache_.reset();
  sqlite3_close_v2(db_);
}

size_t SqliteDatabase::idleStatements() const {
  return cache_->count;
}

int64_t SqliteDatabase::changes() const {
  return sqlite3_changes64(db_);
}

std::unique_ptr<Statement> SqliteDatabase::prepareNative(const std::string& sql) {
  auto it = cache_->idle.find(sql);
  if (it != cache_->idle.end() && !it->second.empty()) {
    sqlite3_stmt* stmt = it->second.back();
    it->second.pop_back();
    if (it->second.empty()) cache_->idle.erase(it);
    --cache_->count;
    return std::make_unique<SqliteStatement>(*this, stmt, cache_, sql);
  }
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = sqlite3_errmsg(db_);
    sqlite3_finalize(stmt);
    setLastError(message);
    throw DbError(message + " in: " + sql);
  }
  return std::make_unique<SqliteStatement>(*this, stmt, cache_, sql);
}

void SqliteDatabase::execNative(const std::string& sql) {
  countStatement(sql);
  char* error = nullptr;
  int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error);
  if (rc != SQLITE_OK) {
    std::string message = error != nullptr ? error : sqlite3_errstr(rc);
    sqlite3_free(error);
    setLastError(message);
    throw DbError(message, sqlStateOf(db_));
  }
}

}  // namespace server::db
