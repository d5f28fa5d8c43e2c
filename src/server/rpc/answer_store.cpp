#include "server/rpc/answer_store.h"

#include <algorithm>

namespace server {

MemoryAnswerStore::MemoryAnswerStore(size_t perOperator, std::chrono::milliseconds retention,
                                     Now now)
    : perOperator_(std::max<size_t>(1, perOperator)),
      retention_(retention),
      now_(now ? std::move(now) : Now([] { return std::chrono::steady_clock::now(); })) {}

void MemoryAnswerStore::forgetExpired(std::deque<Entry>& entries,
                                      std::chrono::steady_clock::time_point now) const {
  while (!entries.empty() && now - entries.front().kept >= retention_)
    entries.pop_front();
}

std::optional<KeptAnswer> MemoryAnswerStore::find(std::string_view operatorCode,
                                                  std::string_view requestId) {
  std::lock_guard lock(mutex_);
  auto it = byOperator_.find(operatorCode);
  if (it == byOperator_.end()) return std::nullopt;
  forgetExpired(it->second, now_());
  for (const Entry& entry : it->second) {
    if (entry.requestId == requestId) return entry.answer;
  }
  if (it->second.empty()) byOperator_.erase(it);
  return std::nullopt;
}

void MemoryAnswerStore::keep(std::string_view operatorCode, std::string_view requestId,
                             KeptAnswer answer) {
  std::lock_guard lock(mutex_);
  auto it = byOperator_.find(operatorCode);
  if (it == byOperator_.end())
    it = byOperator_.emplace(std::string(operatorCode), std::deque<Entry>{}).first;
  std::deque<Entry>& entries = it->second;
  const auto now = now_();
  forgetExpired(entries, now);
  std::erase_if(entries, [&](const Entry& e) { return e.requestId == requestId; });
  if (entries.size() >= perOperator_) entries.pop_front();
  entries.push_back(Entry{std::string(requestId), now, std::move(answer)});
}

size_t MemoryAnswerStore::size() const {
  std::lock_guard lock(mutex_);
  size_t total = 0;
  for (const auto& [op, entries] : byOperator_)
    total += entries.size();
  return total;
}

}  // namespace server
