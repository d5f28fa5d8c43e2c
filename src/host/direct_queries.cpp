#include "host/direct_queries.h"

#include "host/postgres_query_executor.h"
#include "host/sqlite_query_executor.h"
#include "server/db/open_database.h"

namespace host {

std::unique_ptr<DirectQueries> openDirectQueries(const std::string& location, DateStorage dates) {
  if (server::db::isPostgresUrl(location))
    return std::make_unique<PostgresQueryExecutor>(location, dates);
  return std::make_unique<SqliteQueryExecutor>(location, dates);
}

}  // namespace host
