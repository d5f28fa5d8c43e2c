// What the server's main needs: the database opened (or created), migrated, filled with the demo
// company when asked, and the Dispatcher and Authenticator the wire serves.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "server/app/shared_sessions.h"
#include "server/app/work_table_sweep.h"
#include "server/auth/password.h"
#include "server/db/connection_pool.h"
#include "server/db/database.h"
#include "server/rpc/dispatcher.h"

namespace server {

struct ServerOptions {
  // An SQLite database file, created when missing, or a PostgreSQL URL ("postgresql://..." or
  // "postgres://...") of a database that exists.
  std::string databasePath;
  bool demo = false;  // create the demo company when the database holds no branch
  int scale = 1;      // demo: multiplies branches and history (>= 1)
  // Demo reference day (processing date of every branch); today when absent.
  std::optional<double> demoDate;
  size_t maxConnections = 8;
  // How passwords are checked and hashed; tests lower the work factor, sites never need to.
  auth::PasswordPolicy passwordPolicy;
  // Abandoned work tables are swept at open and then this often.
  std::chrono::milliseconds sweepInterval = std::chrono::hours(1);
  // Why a periodic sweep failed; null: written to std::cerr.
  WorkTableSweep::FailureSink onSweepFailure;
  // Sessions and kept answers live in the database, shared by every server on it.
  std::chrono::milliseconds sessionIdleTimeout = std::chrono::minutes(30);
  std::chrono::milliseconds answerRetention = std::chrono::minutes(10);
  // A write claimed this long ago and still unanswered is taken as abandoned by its server: longer
  // than any call runs.
  std::chrono::milliseconds abandonedClaimAge = std::chrono::minutes(2);
};

struct ServerInstance {
  std::shared_ptr<db::ConnectionPool> pool;
  std::unique_ptr<Dispatcher> dispatcher;
  std::unique_ptr<Authenticator> authenticator;
  std::shared_ptr<DbSessionStore> sessions;
  std::shared_ptr<DbAnswerStore> answers;
  bool demoCreated = false;  // the demo company was created by this call
  // Last, so it stops before the dispatcher and the pool it sweeps through go.
  std::unique_ptr<WorkTableSweep> sweep;
};

// Opens or creates the database, applies the migrations, creates the demo company when asked
// and the database is empty, and sweeps expired work tables now and every sweepInterval while the
// instance lives; expired sessions and kept answers go with the same sweep. Errors: DbError (cannot
// open, newer schema, ...); std::invalid_argument for a scale below 1.
ServerInstance openServer(const ServerOptions& options);

// A read-only connection to an existing database (file or URL), for the host's direct queries.
// Errors: DbError.
std::unique_ptr<db::Database> openReadOnly(const std::string& path);

// Today's date as a day number (local time), for a demo without a given date.
double today();

}  // namespace server
