// Runs blocking work (a remote call) on a worker thread while the UI thread keeps turning its
// event loop, so windows keep painting and the busy animation keeps moving. User input (mouse,
// keyboard, wheel, touch, window close) that arrives meanwhile is dropped, not queued: a click
// made while the screen waits must not replay as an action once the answer is in.
#pragma once

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace desktop {

// Raised when the work has not finished within its limit. The work is abandoned: it runs on to
// its end on its own thread and its result is discarded.
class CallTimeout : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The default limit of one call; remote transports carry their own, shorter network timeouts.
inline constexpr std::chrono::milliseconds kDefaultCallLimit{std::chrono::seconds(90)};

// REQUIRES: `work` owns everything it uses (it may outlive this call after a timeout).
// GUARANTEES: returns once `work` returned on the worker thread; rethrows what it threw.
//   Called outside a running Qt application or off the UI thread, runs `work` inline.
//   Nested calls (from a timer during another call) are allowed.
// ERRORS: CallTimeout after `limit`, with a text naming the limit in seconds.
void runOffUiThread(std::function<void()> work,
                    std::chrono::milliseconds limit = kDefaultCallLimit);

// The same for work that returns a value.
template <typename Work>
auto callOffUiThread(Work work, std::chrono::milliseconds limit = kDefaultCallLimit)
    -> std::invoke_result_t<Work&> {
  using Result = std::invoke_result_t<Work&>;
  if constexpr (std::is_void_v<Result>) {
    runOffUiThread(std::move(work), limit);
  } else {
    // Shared, so that an abandoned worker still has somewhere to write.
    auto slot = std::make_shared<std::optional<Result>>();
    runOffUiThread([slot, work = std::move(work)]() mutable { slot->emplace(work()); }, limit);
    return std::move(**slot);
  }
}

// True while a call started by this thread is waiting for its worker.
bool offThreadCallRunning();

}  // namespace desktop
