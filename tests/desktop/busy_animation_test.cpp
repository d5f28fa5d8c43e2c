#include "desktop/busy_animation.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "desktop/off_thread_call.h"

namespace desktop {
namespace {

using namespace std::chrono_literals;

TEST(BusyAnimation, ShowsTheCaptionAndHides) {
  QtBusyAnimation busy;
  EXPECT_FALSE(busy.visible());
  busy.DeactiveShowAvi();  // hiding what is not shown is harmless

  busy.ActiveShowAvi(nullptr, 6, "Calculando custos do cardápio...");
  ASSERT_NE(busy.window(), nullptr);
  EXPECT_TRUE(busy.visible());
  EXPECT_TRUE(busy.window()->isVisible());
  EXPECT_EQ(busy.window()->caption(), QString::fromUtf8("Calculando custos do cardápio..."));
  EXPECT_TRUE(busy.window()->isModal());

  busy.ActiveShowAvi(nullptr, 1, "Calculando custos realizados...");
  EXPECT_EQ(busy.window()->caption(), QString::fromUtf8("Calculando custos realizados..."));

  busy.DeactiveShowAvi();
  EXPECT_FALSE(busy.visible());
  EXPECT_FALSE(busy.window()->isVisible());
}

TEST(BusyAnimation, CannotBeClosedByTheUser) {
  QtBusyAnimation busy;
  busy.ActiveShowAvi(nullptr, 0);
  busy.window()->close();
  EXPECT_TRUE(busy.window()->isVisible());
  busy.DeactiveShowAvi();
}

// The wheel keeps turning and the window stays up while a slow call runs; a failing call hides
// it through the caller's guard exactly like a successful one.
TEST(BusyAnimation, KeepsTurningDuringASlowCallAndHidesAfterIt) {
  for (const bool fails : {false, true}) {
    SCOPED_TRACE(fails ? "failing call" : "successful call");
    QtBusyAnimation busy;
    busy.ActiveShowAvi(nullptr, 6, "Calculando...");
    const int before = busy.window()->wheel()->frame();
    bool shownMeanwhile = false;
    QTimer::singleShot(200, [&] { shownMeanwhile = busy.window()->isVisible(); });
    try {
      runOffUiThread([fails] {
        std::this_thread::sleep_for(400ms);
        if (fails) throw std::runtime_error("Servidor indisponível");
      });
      busy.DeactiveShowAvi();
    } catch (const std::runtime_error&) {
      busy.DeactiveShowAvi();
    }
    EXPECT_TRUE(shownMeanwhile);
    EXPECT_GE(busy.window()->wheel()->frame() - before, 3);
    EXPECT_FALSE(busy.window()->isVisible());
  }
}

}  // namespace
}  // namespace desktop
