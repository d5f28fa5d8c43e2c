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

void Database::beginRead() {
  if (inTransaction_) throw DbError("transaction already open");
  execNative(dialect().beginRead());
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
  // A rollback is never the injected fault nor hooked: it is how a failed operation cleans up.
  int saved = faultCountdown_;
  faultCountdown_ = 0;
  bool hooked = inHook_;
  inHook_ = true;
  try {
    execNative("ROLLBACK");
  } catch (const DbError&) {
    // The backend already rolled back (e.g. after a failed commit); nothing is left to undo.
  }
  inHook_ = hooked;
  faultCountdown_ = saved;
}

void Database::countStatement(std::string_view sql) {
  if (hook_ && !inHook_) {
    // A copy, so the hook may replace or clear itself.
    auto hook = hook_;
    inHook_ = true;
    try {
      hook(sql);
    } catch (...) {
      inHook_ = false;
      throw;
    }
    inHook_ = false;
  }
  ++executed_;
  if (faultCountdown_ > 0 && --faultCountdown_ == 0) {
    setLastError("injected fault");
    throw DbError("injected fault");
  }
}

}  // namespace server::db
