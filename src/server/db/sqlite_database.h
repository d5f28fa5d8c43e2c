// The SQLite backend: one connection to one database file, in WAL mode with a busy timeout and
// foreign keys on.
#pragma once

#include <memory>
#include <string>

#include "server/db/database.h"

struct sqlite3;

namespace server::db {

enum class OpenMode {
  ReadWrite,  // the file must exist
  Create,     // created when missing
  ReadOnly,   // the file must exist; every write fails
};

class SqliteDatabase : public Database {
 public:
  // Opens `path` (":memory:" for a private in-memory database). Errors: DbError naming the file.
  // Guarantees: WAL journal (files only, not read-only), busy timeout `busyTimeoutMs`, foreign
  // keys enforced.
  static std::unique_ptr<SqliteDatabase> open(const std::string& path, OpenMode mode,
                                              int busyTimeoutMs = 5000);
  ~SqliteDatabase() override;

  const Dialect& dialect() const override { return Dialect::sqlite(); }
  bool readOnly() const override { return readOnly_; }
  int64_t changes() const override;

  sqlite3* handle() const { return db_; }
  // Called by statements of this connection; see Database::countStatement.
  void beforeExecute() { countStatement(); }
  void fail(const std::string& message) { setLastError(message); }

 protected:
  std::unique_ptr<Statement> prepareNative(const std::string& sql) override;
  void execNative(const std::string& sql) override;

 private:
  SqliteDatabase(sqlite3* db, bool readOnly) : db_(db), readOnly_(readOnly) {}
  sqlite3* db_;
  bool readOnly_;
};

}  // namespace server::db
