// Small owning wrappers over SQLite handles, shared by the host's read-only database access.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>

namespace host::sqlite {

struct DbCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StmtFinalizer {
  void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};

using Db = std::unique_ptr<sqlite3, DbCloser>;
using Stmt = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

// Opens `path` with `flags`. Throws std::runtime_error naming the file and SQLite's reason.
Db open(const std::string& path, int flags);

// Runs statements that answer no rows. Throws std::runtime_error with SQLite's message.
void exec(sqlite3* db, const std::string& sql);

// The connection's last error text.
std::string lastError(sqlite3* db);

}  // namespace host::sqlite
