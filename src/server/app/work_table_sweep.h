// Abandoned work tables (a screen that never released its month) are swept when the server opens
// and then at a fixed interval, whether or not anyone calls.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace server {

class WorkTableSweep {
 public:
  using Sweep = std::function<void()>;
  // Told why a periodic sweep failed; the next one tries again.
  using FailureSink = std::function<void(const std::string& reason)>;

  // Sweeps once now, then every `interval` on a thread of its own until destroyed.
  // Errors: whatever the first sweep throws (the server does not open on a database it cannot
  // write), and then nothing: later failures go to `onFailure`.
  WorkTableSweep(Sweep sweep, std::chrono::milliseconds interval, FailureSink onFailure);
  // Stops the thread; a sweep under way finishes first.
  ~WorkTableSweep();
  WorkTableSweep(const WorkTableSweep&) = delete;
  WorkTableSweep& operator=(const WorkTableSweep&) = delete;

 private:
  void run();

  Sweep sweep_;
  std::chrono::milliseconds interval_;
  FailureSink onFailure_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace server
