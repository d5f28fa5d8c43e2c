#include "server/rpc/login_throttle.h"

#include <algorithm>
#include <vector>

namespace server {
namespace {

// Operator codes are short; a longer name keeps only its start, so a caller cannot make the
// throttle hold megabytes.
constexpr size_t kMaxKeyBytes = 64;

std::string operatorKey(std::string_view operatorCode) {
  std::string key(operatorCode.substr(0, kMaxKeyBytes));
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return key;
}

std::string addressKey(std::string_view address) {
  return std::string(address.substr(0, kMaxKeyBytes));
}

}  // namespace

LoginThrottle::LoginThrottle(ThrottlePolicy policy, Now now)
    : policy_(policy), now_(now ? std::move(now) : Now([] { return Clock::now(); })) {}

LoginThrottle::Clock::duration LoginThrottle::waitLeft(const Entry& entry, int freeFailures,
                                                       Clock::time_point now) const {
  if (now - entry.last >= policy_.forgetAfter) return Clock::duration::zero();
  const int excess = entry.failures - freeFailures;
  if (excess <= 0) return Clock::duration::zero();
  Clock::duration wait = policy_.maxWait;
  // 2^30 seconds is beyond any sensible maximum; the shift stays defined.
  if (excess <= 30) {
    wait = std::min<Clock::duration>(policy_.maxWait,
                                     policy_.firstWait * (int64_t{1} << (excess - 1)));
  }
  return std::max(Clock::duration::zero(), entry.last + wait - now);
}

LoginThrottle::Entry& LoginThrottle::entryFor(Map& map, const std::string& key,
                                              Clock::time_point now) {
  Entry& entry = map[key];
  if (now - entry.last >= policy_.forgetAfter) entry.failures = 0;
  return entry;
}

void LoginThrottle::forgetOld(Clock::time_point now) {
  for (Map* map : {&operators_, &addresses_}) {
    if (map->size() <= policy_.maxTracked) continue;
    std::erase_if(*map,
                  [&](const auto& item) { return now - item.second.last >= policy_.forgetAfter; });
    if (map->size() <= policy_.maxTracked) continue;
    // Still full of recent names: keep the newest nine tenths, so the next ones find room.
    std::vector<Clock::time_point> times;
    times.reserve(map->size());
    for (const auto& [key, entry] : *map)
      times.push_back(entry.last);
    const size_t drop = map->size() - policy_.maxTracked * 9 / 10;
    std::nth_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(drop - 1),
                     times.end());
    const Clock::time_point cutoff = times[drop - 1];
    std::erase_if(*map, [&](const auto& item) { return item.second.last <= cutoff; });
  }
}

int LoginThrottle::attempt(std::string_view operatorCode, std::string_view address) {
  const auto now = now_();
  const std::string op = operatorKey(operatorCode);
  const std::string from = addressKey(address);
  std::lock_guard lock(mutex_);
  Clock::duration wait = Clock::duration::zero();
  if (auto it = operators_.find(op); it != operators_.end())
    wait = waitLeft(it->second, policy_.freeFailuresPerOperator, now);
  if (auto it = addresses_.find(from); it != addresses_.end())
    wait = std::max(wait, waitLeft(it->second, policy_.freeFailuresPerAddress, now));
  if (wait > Clock::duration::zero()) {
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(wait).count();
    return static_cast<int>(std::max<int64_t>(1, seconds));
  }
  for (auto* entry : {&entryFor(operators_, op, now), &entryFor(addresses_, from, now)}) {
    ++entry->failures;
    entry->last = now;
  }
  forgetOld(now);
  return 0;
}

void LoginThrottle::succeeded(std::string_view operatorCode, std::string_view address) {
  std::lock_guard lock(mutex_);
  operators_.erase(operatorKey(operatorCode));
  // Only this attempt: a valid login of one's own must not wipe guesses at others.
  if (auto it = addresses_.find(addressKey(address)); it != addresses_.end()) {
    it->second.failures = std::max(0, it->second.failures - 1);
  }
}

std::string LoginThrottle::message(int seconds) {
  return "Muitas tentativas de login. Aguarde " + std::to_string(seconds) +
         (seconds == 1 ? " segundo." : " segundos.");
}

size_t LoginThrottle::tracked() const {
  std::lock_guard lock(mutex_);
  return operators_.size() + addresses_.size();
}

}  // namespace server
