// Slows down password guessing: every login attempt counts against the operator named and the
// address it comes from until it succeeds, and past a few failures each further attempt must
// wait, twice as long each time.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace server {

struct ThrottlePolicy {
  // Failures allowed without waiting. An address may be shared by a whole office, so it gets
  // more than an operator.
  int freeFailuresPerOperator = 5;
  int freeFailuresPerAddress = 20;
  std::chrono::seconds firstWait{1};  // after the first failure beyond the free ones; doubled
  std::chrono::seconds maxWait{300};  // after each further one, up to this
  // An operator or address without any attempt for this long starts afresh.
  std::chrono::seconds forgetAfter{900};
  // Entries kept at most (operator names are the caller's); past it the oldest are forgotten.
  size_t maxTracked = 10'000;
};

class LoginThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  using Now = std::function<Clock::time_point()>;

  // `now` replaces the clock (tests); null means Clock::now.
  explicit LoginThrottle(ThrottlePolicy policy = {}, Now now = nullptr);

  // Asks to try a login. 0: go on, and the attempt counts as a failure until succeeded() says
  // otherwise (so attempts sent at once cannot all slip through before the first one fails).
  // Otherwise the whole seconds to wait, at least 1; the refused attempt is not counted.
  // Thread-safe.
  int attempt(std::string_view operatorCode, std::string_view address);

  // The attempt just allowed logged in: the operator's failures are forgotten, and the address
  // no longer counts this attempt. Thread-safe.
  void succeeded(std::string_view operatorCode, std::string_view address);

  // "Muitas tentativas de login. Aguarde N segundos."
  static std::string message(int seconds);

  size_t tracked() const;  // operators and addresses remembered (monitoring and tests)

 private:
  struct Entry {
    int failures = 0;
    Clock::time_point last;  // of the latest attempt
  };
  using Map = std::unordered_map<std::string, Entry>;

  Clock::duration waitLeft(const Entry& entry, int freeFailures, Clock::time_point now) const;
  Entry& entryFor(Map& map, const std::string& key, Clock::time_point now);
  void forgetOld(Clock::time_point now);

  ThrottlePolicy policy_;
  Now now_;
  mutable std::mutex mutex_;
  Map operators_;
  Map addresses_;
};

}  // namespace server
