// The answers of writes already committed, kept so that a client resending a write whose answer
// it lost (a dropped connection, a timeout) gets that answer again instead of running the write
// twice. Keyed by the operator and the client's request id; an entry also names the call, so an
// id reused for another call is not mistaken for a resend.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/variant.h"

namespace server {

struct KeptAnswer {
  std::string call;  // "<object>.<method>"
  platform::Variant result;
};

// Where answers are kept. Implementations are safe to use from several threads at once.
class AnswerStore {
 public:
  virtual ~AnswerStore() = default;
  // The answer kept for the operator's request id, or nullopt (never kept, or forgotten).
  virtual std::optional<KeptAnswer> find(std::string_view operatorCode,
                                         std::string_view requestId) = 0;
  // Keeps `answer` for the operator's request id, replacing any kept before.
  virtual void keep(std::string_view operatorCode, std::string_view requestId,
                    KeptAnswer answer) = 0;
  // Before running `call` for the request id: nullopt when the caller is to run it (and then
  // keep() its answer or release() the id), else the answer already kept. A store shared by
  // several servers makes a resend arriving at one while another still runs the write wait for
  // that answer. Within one server the caller serialises runs of the same id itself.
  virtual std::optional<KeptAnswer> claim(std::string_view operatorCode, std::string_view requestId,
                                          std::string_view call) {
    (void)call;
    return find(operatorCode, requestId);
  }
  // Gives up a claim whose run failed, so a resend runs the write again.
  virtual void release(std::string_view operatorCode, std::string_view requestId) {
    (void)operatorCode;
    (void)requestId;
  }
};

// Answers in this process's memory: at most `perOperator` per operator (the oldest go first),
// each for `retention`.
class MemoryAnswerStore final : public AnswerStore {
 public:
  using Now = std::function<std::chrono::steady_clock::time_point()>;

  MemoryAnswerStore(size_t perOperator, std::chrono::milliseconds retention, Now now = {});

  std::optional<KeptAnswer> find(std::string_view operatorCode,
                                 std::string_view requestId) override;
  void keep(std::string_view operatorCode, std::string_view requestId, KeptAnswer answer) override;

  size_t size() const;  // answers kept now, all operators

 private:
  struct Entry {
    std::string requestId;
    std::chrono::steady_clock::time_point kept;
    KeptAnswer answer;
  };
  void forgetExpired(std::deque<Entry>& entries, std::chrono::steady_clock::time_point now) const;

  size_t perOperator_;
  std::chrono::milliseconds retention_;
  Now now_;
  mutable std::mutex mutex_;
  std::map<std::string, std::deque<Entry>, std::less<>> byOperator_;
};

}  // namespace server
