// GoogleTest main with a QApplication on the offscreen platform, so widget tests run without a
// display.
#include <gtest/gtest.h>

#include <QApplication>

#include "desktop/dialog_driver.h"

namespace {

class DropWaitingAnswerers : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override { desktop::testing::dropWaitingAnswerers(); }
};

}  // namespace

int main(int argc, char** argv) {
#ifdef MENUCOST_TEST_DISPLAY
  // The display the windows open on: wide enough for the screen's full-size window.
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" MENUCOST_TEST_DISPLAY);
#else
  qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new DropWaitingAnswerers);
  return RUN_ALL_TESTS();
}
