// The host's direct read-only queries over the suite's SQLite database, and its local cache of
// small reference tables.
//
// The database file is opened with SQLITE_OPEN_READONLY: the host never writes to it. Statements
// are checked besides: exactly one statement, and one that only reads (SELECT); anything else is
// refused before it runs. Parameters are written `:NAME` and bound by name, case-insensitively;
// one name may occur several times and takes one value.
//
// Result fields take their types from the declared column types:
//   CHAR/VARCHAR(n), TEXT          -> text of size n (or the longest value when undeclared)
//   INT, INTEGER, SMALLINT, BIGINT -> integer
//   REAL, FLOAT, DOUBLE, NUMERIC   -> float
//   DATE, DATETIME, TIMESTAMP      -> date-time as a day number (stored day numbers or ISO text)
//   BOOLEAN                        -> boolean
// A numeric column named DT... (the suite's date columns, stored as day numbers) is a date-time.
// An expression column (no declared type) takes the type of its values.
//
// Local cache: cacheTable() copies a table (its definition and rows) into an in-memory database;
// from then on a statement that reads only cached tables runs on the copy, so it sees the rows as
// they were at the last refresh.
//
// Not thread-safe: one thread (the host's user-interface thread) uses an executor.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/direct_queries.h"
#include "host/sqlite_handle.h"

namespace host {

class SqliteQueryExecutor : public DirectQueries {
 public:
  // Opens the database at `path` read-only.
  // Errors: std::runtime_error when the file does not exist or is not a database (it is never
  // created).
  explicit SqliteQueryExecutor(const std::string& path, DateStorage dates = DateStorage::DayNumber);

  remote::SqlDialect dialect() const override { return remote::SqlDialect::Default; }

  // REQUIRES: `sql` is one SELECT statement; every `:NAME` in it has a value in `params`
  // (parameters the statement does not use are ignored).
  // Guarantees: the rows in the statement's order, one field per result column, typed as above.
  // Errors: std::runtime_error for a statement that is not a single SELECT, a missing parameter,
  // a parameter value that cannot be bound (array, packet), a value that does not fit its declared
  // column type, or the database's own message.
  platform::DataPacket execute(
      const std::string& sql,
      const std::vector<std::pair<std::string, platform::Variant>>& params) override;

  // Copies table `name` (its definition and current rows) into the local cache, replacing an
  // earlier copy. Guarantees: on error the earlier copy, if any, is kept.
  // Errors: std::runtime_error for a name that is not a table of the database.
  void cacheTable(const std::string& name) override;
  // Whether `name` (case-insensitive) has been copied into the local cache.
  bool isCached(const std::string& name) const override;

 private:
  void bindParams(sqlite3_stmt* stmt,
                  const std::vector<std::pair<std::string, platform::Variant>>& params);

  sqlite::Db db_;
  sqlite::Db cache_;
  std::set<std::string> cachedTables_;  // upper case
  DateStorage dates_;
};

}  // namespace host
