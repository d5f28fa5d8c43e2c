#include "desktop/busy_animation.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "desktop/threaded_transport.h"
#include "remote/remote_error.h"

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

// A remote exchange that takes a while, and may fail, for the busy window to wait on.
class SlowTransport : public remote::Transport {
 public:
  explicit SlowTransport(bool fails) : fails_(fails) {}
  remote::HttpResponse post(const std::string&, const std::string&,
                            const remote::HttpHeaders&) override {
    std::this_thread::sleep_for(400ms);
    if (fails_)
      throw remote::RemoteError(remote::RemoteError::Kind::Transport, 0, "Servidor indisponível");
    return {200, "{}"};
  }
  std::string endpoint() const override { return "127.0.0.1:1"; }

 private:
  bool fails_;
};

// The wheel keeps turning and the window stays up while a slow call runs; a failing call hides
// it through the caller's guard exactly like a successful one.
TEST(BusyAnimation, KeepsTurningDuringASlowCallAndHidesAfterIt) {
  for (const bool fails : {false, true}) {
    SCOPED_TRACE(fails ? "failing call" : "successful call");
    QtBusyAnimation busy;
    ThreadedTransport transport(std::make_shared<SlowTransport>(fails), 5s);
    busy.ActiveShowAvi(nullptr, 6, "Calculando...");
    const int before = busy.window()->wheel()->frame();
    bool shownMeanwhile = false;
    QTimer::singleShot(200, [&] { shownMeanwhile = busy.window()->isVisible(); });
    bool failed = false;
    try {
      transport.post("/rpc/Rcx00500.rdmAnaCustRevRec", "{}", {});
      busy.DeactiveShowAvi();
    } catch (const remote::RemoteError&) {
      busy.DeactiveShowAvi();
      failed = true;
    }
    EXPECT_EQ(failed, fails);
    EXPECT_TRUE(shownMeanwhile);
    EXPECT_GE(busy.window()->wheel()->frame() - before, 3);
    EXPECT_FALSE(busy.window()->isVisible());
  }
}

}  // namespace
}  // namespace desktop
