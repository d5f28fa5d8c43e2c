// The host's direct read-only queries over a suite database on PostgreSQL, and its local cache of
// small reference tables.
//
// Every statement runs in a read-only transaction of its own that is rolled back afterwards, and
// is checked besides: exactly one statement, and one that only reads (SELECT, WITH, VALUES or
// TABLE); anything else is refused before it runs. Parameters are written `:NAME` and bound by
// name, case-insensitively; one name may occur several times and takes one value.
//
// Result fields take their types from the result columns' types, as the SQLite executor does from
// declared types: texts (size from VARCHAR(n), else the longest value), integers, floats
// (NUMERIC without a declared scale, as from SUM(), is an integer when every value is whole),
// dates and timestamps as day numbers, booleans. A numeric column named DT... (by its table
// column, else its result name) is a date-time. Field names are upper case, as the suite's are.
//
// Local cache: cacheTable() copies a table into a temporary table of the same name on this
// connection, which the server then reads instead of the database's for every statement (a
// statement that also reads uncached tables reads those live).
//
// Not thread-safe: one thread (the host's user-interface thread) uses an executor.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/direct_queries.h"

struct pg_conn;

namespace host {

class PostgresQueryExecutor : public DirectQueries {
 public:
  // Connects to the database a libpq URL names. Errors: std::runtime_error with the server's
  // reason (never the password) when it cannot connect.
  explicit PostgresQueryExecutor(const std::string& url,
                                 DateStorage dates = DateStorage::DayNumber);
  ~PostgresQueryExecutor() override;
  PostgresQueryExecutor(const PostgresQueryExecutor&) = delete;
  PostgresQueryExecutor& operator=(const PostgresQueryExecutor&) = delete;

  remote::SqlDialect dialect() const override { return remote::SqlDialect::Default; }

  // REQUIRES: `sql` is one SELECT statement; every `:NAME` in it has a value in `params`
  // (parameters the statement does not use are ignored).
  // Errors: std::runtime_error for a statement that is not a single read-only query, a missing
  // parameter, a value that cannot be bound (array, packet), or the database's own message.
  platform::DataPacket execute(
      const std::string& sql,
      const std::vector<std::pair<std::string, platform::Variant>>& params) override;

  void cacheTable(const std::string& name) override;
  bool isCached(const std::string& name) const override;

 private:
  // Runs statements that answer no rows. Errors: std::runtime_error with the server's message.
  void command(const std::string& sql);
  // Starts a transaction; a connection found lost is opened again first (once).
  void begin(const char* sql);
  // The name of a table's column, for the DT... rule; "" when unknown.
  std::string columnName(unsigned int table, int column);

  pg_conn* conn_;
  DateStorage dates_;
  std::set<std::string> cachedTables_;  // upper case
  std::map<std::pair<unsigned int, int>, std::string> columnNames_;
};

}  // namespace host
