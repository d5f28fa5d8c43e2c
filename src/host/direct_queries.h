// The host's direct read-only queries over the suite's database, whichever backend holds it, with
// the local cache of small reference tables the shell refreshes (AtualizaLocalCache).
#pragma once

#include <memory>
#include <string>

#include "remote/host_services.h"

namespace host {

// How the database stores date-times, for binding date-time parameters.
enum class DateStorage {
  DayNumber,  // REAL day numbers since 30/12/1899
  IsoText,    // "YYYY-MM-DD" (with " HH:MM:SS" when there is a time of day)
};

class DirectQueries : public remote::QueryExecutor {
 public:
  // Copies table `name` (its definition and current rows) into the local cache, replacing an
  // earlier copy; statements then read the copy as it was at the last refresh.
  // Guarantees: on error the earlier copy, if any, is kept.
  // Errors: std::runtime_error for a name that is not a table of the database.
  virtual void cacheTable(const std::string& name) = 0;
  // Whether `name` (case-insensitive) has been copied into the local cache.
  virtual bool isCached(const std::string& name) const = 0;
};

// Opens the database a location names, as the server does: a PostgreSQL connection URL
// ("postgresql://..." or "postgres://...") or else an SQLite file.
// Errors: std::runtime_error when it cannot be opened (a file is never created).
std::unique_ptr<DirectQueries> openDirectQueries(const std::string& location,
                                                 DateStorage dates = DateStorage::DayNumber);

}  // namespace host
