// Running a whole transaction again when the database gave it up for another's sake.
#pragma once

#include "server/db/database.h"

namespace server::db {

// Attempts in all, the first included.
constexpr int kTransientAttempts = 3;
// What a caller is told when every attempt met a conflict.
constexpr const char* kConflictMessage =
    "conflito com alterações simultâneas de outros usuários; tente novamente";

// Runs `work` (which begins and ends its own transactions) again when it fails with a
// serialization failure or a deadlock (DbError::transient()), up to kTransientAttempts times.
// Returns what `work` returns. Errors: any other exception at once; after the last attempt a
// DbError with kConflictMessage and the last SQLSTATE.
template <class Work>
auto retryTransient(Work&& work) -> decltype(work()) {
  for (int attempt = 1;; ++attempt) {
    try {
      return work();
    } catch (const DbError& e) {
      if (!e.transient()) throw;
      if (attempt >= kTransientAttempts) throw DbError(kConflictMessage, e.sqlState());
    }
  }
}

}  // namespace server::db
