// The database schema, created and upgraded by numbered migrations recorded in schema_version.
#pragma once

#include <cstdint>

#include "server/db/database.h"

namespace server::schema {

// The highest migration number this build knows.
int latestVersion();

// The version recorded in the database, 0 for an empty database.
// Errors: DbError.
int currentVersion(db::Database& db);

// Applies every migration above the recorded version, each in its own transaction together with
// its schema_version row, so a failed migration leaves the previous version intact.
// REQUIRES: db is writable. Guarantees: running it again on an up-to-date database changes
// nothing. Errors: DbError; a database recorded at a version newer than latestVersion() is
// refused. `nowSeconds` is stored as the time each migration was applied.
void migrate(db::Database& db, int64_t nowSeconds);

}  // namespace server::schema
