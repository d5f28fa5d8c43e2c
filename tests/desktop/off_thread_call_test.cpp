#include "desktop/off_thread_call.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <future>
#include <stdexcept>
#include <thread>

namespace desktop {
namespace {

using namespace std::chrono_literals;

TEST(OffThreadCall, ReturnsTheWorkersValueFromAnotherThread) {
  const auto uiThread = std::this_thread::get_id();
  const auto [value, workerThread] = callOffUiThread([] {
    return std::pair{42, std::this_thread::get_id()};
  });
  EXPECT_EQ(value, 42);
  EXPECT_NE(workerThread, uiThread);
  EXPECT_FALSE(offThreadCallRunning());
}

TEST(OffThreadCall, RethrowsWhatTheWorkThrew) {
  EXPECT_THROW(runOffUiThread([] { throw std::invalid_argument("bad"); }), std::invalid_argument);
  try {
    callOffUiThread([]() -> int { throw std::runtime_error("Conexão recusada"); });
    FAIL() << "no exception";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Conexão recusada");
  }
  EXPECT_FALSE(offThreadCallRunning());
}

TEST(OffThreadCall, KeepsTheEventLoopTurningWhileWaiting) {
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(5);
  bool runningSeen = false;
  QTimer::singleShot(1, [&] { runningSeen = offThreadCallRunning(); });
  runOffUiThread([] { std::this_thread::sleep_for(150ms); });
  EXPECT_GE(ticks, 5);
  EXPECT_TRUE(runningSeen);
}

TEST(OffThreadCall, GivesUpAfterTheLimitWithAClearText) {
  auto release = std::make_shared<std::atomic<bool>>(false);
  const auto start = std::chrono::steady_clock::now();
  try {
    runOffUiThread(
        [release] {
          while (!*release)
            std::this_thread::sleep_for(5ms);
        },
        std::chrono::milliseconds(1000));
    FAIL() << "no timeout";
  } catch (const CallTimeout& error) {
    EXPECT_STREQ(error.what(), "O servidor de aplicação não respondeu em 1 segundo.");
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
  *release = true;  // the abandoned worker ends on its own
}

class KeyCounter : public QWidget {
 public:
  int keys = 0;

 protected:
  void keyPressEvent(QKeyEvent*) override { ++keys; }
};

TEST(OffThreadCall, DropsUserInputThatArrivesMeanwhile) {
  KeyCounter widget;
  QTimer::singleShot(10, [&] {
    QApplication::postEvent(&widget, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier));
  });
  runOffUiThread([] { std::this_thread::sleep_for(100ms); });
  QApplication::processEvents();
  EXPECT_EQ(widget.keys, 0);

  // Input is delivered again once no call waits.
  QApplication::postEvent(&widget, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier));
  QApplication::processEvents();
  EXPECT_EQ(widget.keys, 1);
}

TEST(OffThreadCall, NestedCallsFromATimerBothFinish) {
  int inner = 0;
  QTimer::singleShot(5, [&] { inner = callOffUiThread([] { return 7; }); });
  const int outer = callOffUiThread([] {
    std::this_thread::sleep_for(80ms);
    return 5;
  });
  EXPECT_EQ(outer, 5);
  EXPECT_EQ(inner, 7);
  EXPECT_FALSE(offThreadCallRunning());
}

TEST(OffThreadCall, RunsInlineOffTheUiThread) {
  std::thread::id ranOn;
  auto caller = std::async(std::launch::async, [&] {
    runOffUiThread([&] { ranOn = std::this_thread::get_id(); });
    return std::this_thread::get_id();
  });
  EXPECT_EQ(ranOn, caller.get());
}

}  // namespace
}  // namespace desktop
