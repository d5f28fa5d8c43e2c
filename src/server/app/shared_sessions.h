// Sessions and kept answers of writes in the database, so that every server of one database
// answers any call of a logged-in operator, and a write resent to another server after the first
// one failed (or died) is answered once.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "server/db/connection_pool.h"
#include "server/rpc/answer_store.h"
#include "server/rpc/session_store.h"

namespace server {

// Milliseconds since 1970 (wall clock: the servers of one database compare each other's times).
using WallClock = std::function<int64_t()>;
int64_t wallClockMs();

// Lower-case hex SHA-256 of `text`.
std::string sha256Hex(std::string_view text);

// Sessions in SESSAOOPER, keyed by the SHA-256 of their token. A session ends when idle for
// idleTimeout, when closed, and at its next use once its operator is no longer active (OPERADOR).
// The idle time is restarted at most once per `touchResolution` (min(1 s, idleTimeout / 4)), so a
// busy session does not write the database on every call.
class DbSessionStore final : public SessionStore {
 public:
  // REQUIRES: idleTimeout > 0. `now` null: wallClockMs.
  DbSessionStore(std::shared_ptr<db::ConnectionPool> pool, std::chrono::milliseconds idleTimeout,
                 WallClock now = nullptr);

  // Sweeps the expired sessions of every operator too. Errors: DbError.
  std::string open(const std::string& operatorCode) override;
  std::optional<std::string> touch(const std::string& token) override;
  bool close(const std::string& token) override;
  size_t closeOperator(const std::string& operatorCode) override;
  size_t size() const override;
  // Deletes the expired sessions; returns how many.
  int64_t sweep();

 private:
  std::shared_ptr<db::ConnectionPool> pool_;
  int64_t idleMs_;
  int64_t resolutionMs_;
  WallClock now_;
};

// Kept answers in RESPGUARDADA, for `retention`. claim() inserts a row without an answer: the
// primary key (operator, request id) lets one server run the write; the others wait for its
// answer. A claim older than `abandonAfter` is taken over (its server died or lost the database:
// its uncommitted write was rolled back).
class DbAnswerStore final : public AnswerStore {
 public:
  DbAnswerStore(std::shared_ptr<db::ConnectionPool> pool, std::chrono::milliseconds retention,
                std::chrono::milliseconds abandonAfter, WallClock now = nullptr,
                std::chrono::milliseconds pollInterval = std::chrono::milliseconds(20));

  std::optional<KeptAnswer> find(std::string_view operatorCode,
                                 std::string_view requestId) override;
  void keep(std::string_view operatorCode, std::string_view requestId, KeptAnswer answer) override;
  std::optional<KeptAnswer> claim(std::string_view operatorCode, std::string_view requestId,
                                  std::string_view call) override;
  void release(std::string_view operatorCode, std::string_view requestId) override;
  // Deletes the answers past their retention; returns how many.
  int64_t sweep();

 private:
  std::shared_ptr<db::ConnectionPool> pool_;
  int64_t retentionMs_;
  int64_t abandonMs_;
  WallClock now_;
  std::chrono::milliseconds poll_;
};

}  // namespace server
