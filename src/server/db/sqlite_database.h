// The SQLite backend: one connection to one database file, in WAL mode with a busy timeout and
// foreign keys on. Prepared statements are kept per connection and reused by SQL text, so a call
// that runs the same queries as the last pays for compiling them once.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "server/db/database.h"

struct sqlite3;
struct sqlite3_stmt;

namespace server::db {

class SqliteStatement;

class SqliteDatabase : public Database {
 public:
  // Opens `path` (":memory:" for a private in-memory database). Errors: DbError naming the file.
  // Guarantees: WAL journal (files only, not read-only), busy timeout `busyTimeoutMs`, foreign
  // keys enforced. The connection does no locking of its own: one thread at a time uses it.
  static std::unique_ptr<SqliteDatabase> open(const std::string& path, OpenMode mode,
                                              int busyTimeoutMs = 5000);
  ~SqliteDatabase() override;

  const Dialect& dialect() const override { return Dialect::sqlite(); }
  bool readOnly() const override { return readOnly_; }
  int64_t changes() const override;

  sqlite3* handle() const { return db_; }
  // Compiled statements kept for reuse (idle ones). Guarantees: at most kMaxIdleStatements.
  size_t idleStatements() const;
  static constexpr size_t kMaxIdleStatements = 128;
  // Called by statements of this connection; see Database::countStatement.
  void beforeExecute(std::string_view sql) { countStatement(sql); }
  void fail(const std::string& message) { setLastError(message); }

 protected:
  std::unique_ptr<Statement> prepareNative(const std::string& sql) override;
  void execNative(const std::string& sql) override;

 private:
  friend class SqliteStatement;
  // Idle statements by SQL text; statements handed out return here when destroyed, unless the
  // connection is gone by then.
  struct StatementCache {
    std::unordered_map<std::string, std::vector<sqlite3_stmt*>> idle;
    size_t count = 0;
    void clear();
    ~StatementCache() { clear(); }
  };

  SqliteDatabase(sqlite3* db, bool readOnly);
  sqlite3* db_;
  bool readOnly_;
  std::shared_ptr<StatementCache> cache_;
};

}  // namespace server::db
