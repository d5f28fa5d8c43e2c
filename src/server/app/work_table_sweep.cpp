#include "server/app/work_table_sweep.h"

#include <exception>

namespace server {

WorkTableSweep::WorkTableSweep(Sweep sweep, std::chrono::milliseconds interval,
                               FailureSink onFailure)
    : sweep_(std::move(sweep)), interval_(interval), onFailure_(std::move(onFailure)) {
  sweep_();
  thread_ = std::thread([this] { run(); });
}

WorkTableSweep::~WorkTableSweep() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void WorkTableSweep::run() {
  std::unique_lock lock(mutex_);
  while (!wake_.wait_for(lock, interval_, [this] { return stopping_; })) {
    lock.unlock();
    try {
      sweep_();
    } catch (const std::exception& e) {
      if (onFailure_) onFailure_(e.what());
    } catch (...) {
      if (onFailure_) onFailure_("unknown failure");
    }
    lock.lock();
  }
}

}  // namespace server
