#include "server/db/database.h"

namespace server::db {

void Statement::run() {
  try {
    while (step()) {
    }
  } catch (...) {
    reset();
    throw;
  }
  reset();
}

std::unique_ptr<Statement> Database::prepare(std::string_view portableSql) {
  return prepareNative(dialect().translate(portableSql));
}

void Database::exec(std::string_view portableSql) {
  execNative(dialect().translate(portableSql));
}

void Database::begin() {
  if (inTransaction_) throw DbError("transaction already open");
  execNative(dialect().beginWrite());
  inTransaction_ = true;
}

void Database::commit() {
  if (!inTransaction_) throw DbError("no open transaction");
  execNative("COMMIT");
  inTransaction_ = false;
}

void Database::rollback() noexcept {
  if (!inTransaction_) return;
  inTransaction_ = false;
  // A rollback is never the injected fault: it is how a failed operation cleans up.
  int saved = faultCountdown_;
  faultCountdown_ = 0;
  try {
    execNative("ROLLBACK");
  } catch (const DbError&) {
    // The backend already rolled back (e.g. after a failed commit); nothing is left to undo.
  }
  faultCountdown_ = saved;
}

void Database::countStatement() {
  ++executed_;
  if (faultCountdown_ > 0 && --faultCountdown_ == 0) {
    setLastError("injected fault");
    throw DbError("injected fault");
  }
}

}  // namespace server::db
