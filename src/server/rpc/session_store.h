// The logged-in sessions of the application server: random bearer tokens that expire when idle.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace server {

// `bytes` random bytes from the operating system's CSPRNG, as lower-case hex (2 * bytes chars).
// Throws std::system_error when the system cannot supply them.
std::string randomToken(size_t bytes = 32);

// Where the sessions live. Implementations are safe to use from several threads at once.
class SessionStore {
 public:
  virtual ~SessionStore() = default;

  // Starts a session for an authenticated operator and returns its new token.
  virtual std::string open(const std::string& operatorCode) = 0;
  // The operator of a live session, restarting its idle time; nullopt for an unknown, expired or
  // closed token, and for every session of an operator no longer allowed to act.
  virtual std::optional<std::string> touch(const std::string& token) = 0;
  // Ends a session; false when the token was unknown or expired.
  virtual bool close(const std::string& token) = 0;
  // Ends every session of the operator; returns how many there were.
  virtual size_t closeOperator(const std::string& operatorCode) = 0;
  // Live and not yet swept sessions.
  virtual size_t size() const = 0;
};

// Sessions in this process's memory: they end with it, and other servers do not know them.
class MemorySessionStore final : public SessionStore {
 public:
  using Clock = std::chrono::steady_clock;
  using Now = std::function<Clock::time_point()>;
  // Whether the operator may still act (e.g. not deactivated since the login). May throw; the
  // exception reaches touch()'s caller.
  using StillAllowed = std::function<bool(const std::string& operatorCode)>;

  // REQUIRES: idleTimeout > 0. `now` replaces the clock (tests); null means Clock::now.
  // `allowed` is asked on every touch(); null allows every operator.
  explicit MemorySessionStore(std::chrono::milliseconds idleTimeout, Now now = nullptr,
                              StillAllowed allowed = nullptr);

  // Starts a session for an authenticated operator and returns its new token. Sweeps the sessions
  // that have expired, so abandoned logins do not accumulate. Thread-safe.
  std::string open(const std::string& operatorCode) override;

  // The operator of a live session, restarting its idle time. A session idle for idleTimeout or
  // longer is expired: it is removed and nullopt returned, as for an unknown token. So is every
  // session of an operator no longer allowed. Thread-safe.
  std::optional<std::string> touch(const std::string& token) override;

  // Ends a session; false when the token was unknown or expired. Thread-safe.
  bool close(const std::string& token) override;

  // Ends every session of the operator; returns how many there were. Thread-safe.
  size_t closeOperator(const std::string& operatorCode) override;

  // Live and not yet swept sessions.
  size_t size() const override;

 private:
  struct Entry {
    std::string operatorCode;
    Clock::time_point lastSeen;
  };
  bool expired(const Entry& entry, Clock::time_point now) const;

  std::chrono::milliseconds idleTimeout_;
  Now now_;
  StillAllowed allowed_;
  mutable std::mutex mutex_;
  std::unordered_map<std::string, Entry> sessions_;
};

}  // namespace server
