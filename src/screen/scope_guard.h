// Runs a clean-up step when a scope ends, by return or by exception: the screen's "also on
// failure" guarantees (busy animation hidden, cursor restored, handlers re-attached).
#pragma once

#include <functional>
#include <utility>

#include "platform/client_dataset.h"
#include "platform/data_source.h"

namespace screen {

template <class F>
class Finally {
 public:
  explicit Finally(F f) : f_(std::move(f)) {}
  // A clean-up that fails while an exception is already on its way must not end the program;
  // the original failure is the one worth reporting.
  ~Finally() {
    try {
      f_();
    } catch (...) {
    }
  }
  Finally(const Finally&) = delete;
  Finally& operator=(const Finally&) = delete;

 private:
  F f_;
};

// Detaches one event handler for the guard's lifetime and puts it back afterwards (whatever it
// was set to when detached).
template <class Handler>
class Detached {
 public:
  explicit Detached(Handler& slot) : slot_(slot), saved_(std::exchange(slot, Handler{})) {}
  ~Detached() { slot_ = std::move(saved_); }
  Detached(const Detached&) = delete;
  Detached& operator=(const Detached&) = delete;

 private:
  Handler& slot_;
  Handler saved_;
};

// Suspends a dataset's controls and resumes them exactly once: at resume() or at the end of the
// scope, never more often than it suspended (other suspensions of the dataset stay in force).
class ControlsSuspended {
 public:
  ControlsSuspended() = default;
  explicit ControlsSuspended(platform::ClientDataSet& dataSet) { suspend(dataSet); }
  ~ControlsSuspended() {
    try {
      resume();
    } catch (...) {
    }
  }
  ControlsSuspended(const ControlsSuspended&) = delete;
  ControlsSuspended& operator=(const ControlsSuspended&) = delete;

  void suspend(platform::ClientDataSet& dataSet) {
    resume();
    dataSet.disableControls();
    dataSet_ = &dataSet;
  }
  void resume() {
    if (dataSet_ != nullptr) std::exchange(dataSet_, nullptr)->enableControls();
  }

 private:
  platform::ClientDataSet* dataSet_ = nullptr;
};

}  // namespace screen
