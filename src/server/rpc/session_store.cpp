#include "server/rpc/session_store.h"

#include <sys/random.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace server {

std::string randomToken(size_t bytes) {
  std::vector<unsigned char> buffer(bytes);
  size_t filled = 0;
  while (filled < bytes) {
    ssize_t got = getrandom(buffer.data() + filled, bytes - filled, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw std::system_error(errno, std::generic_category(), "getrandom");
    }
    filled += static_cast<size_t>(got);
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string token;
  token.reserve(bytes * 2);
  for (unsigned char b : buffer) {
    token += kHex[b >> 4];
    token += kHex[b & 0x0f];
  }
  return token;
}

MemorySessionStore::MemorySessionStore(std::chrono::milliseconds idleTimeout, Now now,
                                       StillAllowed allowed)
    : idleTimeout_(idleTimeout),
      now_(now ? std::move(now) : Now([] { return Clock::now(); })),
      allowed_(std::move(allowed)) {
  if (idleTimeout_ <= std::chrono::milliseconds::zero()) {
    throw std::invalid_argument("MemorySessionStore: idle timeout must be positive");
  }
}

bool MemorySessionStore::expired(const Entry& entry, Clock::time_point now) const {
  return now - entry.lastSeen >= idleTimeout_;
}

std::string MemorySessionStore::open(const std::string& operatorCode) {
  std::string token = randomToken();
  const auto now = now_();
  std::lock_guard lock(mutex_);
  std::erase_if(sessions_, [&](const auto& item) { return expired(item.second, now); });
  sessions_[token] = Entry{operatorCode, now};
  return token;
}

std::optional<std::string> MemorySessionStore::touch(const std::string& token) {
  const auto now = now_();
  std::string operatorCode;
  {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(token);
    if (it == sessions_.end()) return std::nullopt;
    if (expired(it->second, now)) {
      sessions_.erase(it);
      return std::nullopt;
    }
    it->second.lastSeen = now;
    operatorCode = it->second.operatorCode;
  }
  // Asked outside the lock: it may read the database, and other sessions must not wait on it.
  if (allowed_ && !allowed_(operatorCode)) {
    closeOperator(operatorCode);
    return std::nullopt;
  }
  return operatorCode;
}

size_t MemorySessionStore::closeOperator(const std::string& operatorCode) {
  std::lock_guard lock(mutex_);
  return std::erase_if(sessions_,
                       [&](const auto& item) { return item.second.operatorCode == operatorCode; });
}

bool MemorySessionStore::close(const std::string& token) {
  const auto now = now_();
  std::lock_guard lock(mutex_);
  auto it = sessions_.find(token);
  if (it == sessions_.end()) return false;
  const bool live = !expired(it->second, now);
  sessions_.erase(it);
  return live;
}

size_t MemorySessionStore::size() const {
  std::lock_guard lock(mutex_);
  return sessions_.size();
}

}  // namespace server
