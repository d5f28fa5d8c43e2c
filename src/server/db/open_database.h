// Opening the database a location names: a PostgreSQL connection URL ("postgresql://..." or
// "postgres://...") or else an SQLite file.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "server/db/database.h"

namespace server::db {

bool isPostgresUrl(std::string_view location);

// Errors: DbError (cannot open or connect).
std::unique_ptr<Database> openDatabase(const std::string& location, OpenMode mode);

// The location with any password replaced by "***", fit for messages and logs.
std::string redactedLocation(const std::string& location);

}  // namespace server::db
