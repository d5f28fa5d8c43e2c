#include "desktop/off_thread_call.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <mutex>
#include <string>
#include <thread>

namespace desktop {
namespace {

struct CallState {
  std::mutex mutex;
  bool done = false;
  std::exception_ptr error;
  // Cleared by the UI thread before the loop goes away; the worker only posts to it under the
  // mutex, so it never posts to a dead loop.
  QEventLoop* loop = nullptr;
};

bool isUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::ContextMenu:
    case QEvent::Close:
      return true;
    default:
      return false;
  }
}

class InputBlocker : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (isUserInput(event->type())) {
      event->ignore();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }
};

int callDepth = 0;

// Installs the input filter for the outermost call only.
class DepthGuard {
 public:
  DepthGuard() {
    if (callDepth++ == 0) {
      blocker_ = new InputBlocker;
      QCoreApplication::instance()->installEventFilter(blocker_);
    }
  }
  ~DepthGuard() {
    if (--callDepth == 0) {
      // The application may be gone when a call ends during shutdown.
      if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeEventFilter(blocker_);
      delete blocker_;
      blocker_ = nullptr;
    }
  }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  static inline InputBlocker* blocker_ = nullptr;
};

}  // namespace

bool offThreadCallRunning() {
  return callDepth > 0;
}

void runOffUiThread(std::function<void()> work, std::chrono::milliseconds limit) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr || QThread::currentThread() != app->thread()) {
    work();
    return;
  }

  auto state = std::make_shared<CallState>();
  QEventLoop loop;
  state->loop = &loop;
  DepthGuard depth;

  std::thread([state, work = std::move(work)]() mutable {
    std::exception_ptr error;
    try {
      work();
    } catch (...) {
      error = std::current_exception();
    }
    // The captures die here, on the worker, whether or not anyone still waits.
    work = nullptr;
    std::lock_guard lock(state->mutex);
    state->done = true;
    state->error = error;
    if (state->loop != nullptr)
      QMetaObject::invokeMethod(state->loop, &QEventLoop::quit, Qt::QueuedConnection);
  }).detach();

  QTimer limitTimer;
  limitTimer.setSingleShot(true);
  limitTimer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&limitTimer, &QTimer::timeout, &loop, &QEventLoop::quit);
  limitTimer.start(limit);
  loop.exec();

  std::exception_ptr error;
  bool done = false;
  {
    std::lock_guard lock(state->mutex);
    state->loop = nullptr;
    done = state->done;
    error = state->error;
  }
  if (!done) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(limit).count();
    throw CallTimeout("O servidor de aplicação não respondeu em " + std::to_string(seconds) +
                      (seconds == 1 ? " segundo." : " segundos."));
  }
  if (error) std::rethrow_exception(error);
}

}  // namespace desktop
