#include "desktop/align_layout.h"

#include <gtest/gtest.h>

#include "platform/ui/ui.h"

namespace desktop {
namespace {

using namespace platform::ui;

class AlignLayout : public ::testing::Test {
 protected:
  AlignLayout() : form_("frmTest") { form_.setBounds(0, 0, 800, 600); }

  template <class T>
  T& make(const char* name, Align align, int w, int h, Control* parent = nullptr) {
    T& c = form_.create<T>(name, parent);
    c.setBounds(0, 0, w, h);
    c.setAlign(align);
    return c;
  }
  void layout() {
    alignControls(form_, [](const Control& c) { return wholeArea(c); });
  }

  Form form_;
};

TEST_F(AlignLayout, DocksTopBottomLeftRightThenClient) {
  auto& top = make<Panel>("panTop", Align::Top, 10, 40);
  auto& top2 = make<Panel>("panTop2", Align::Top, 10, 20);
  auto& bottom = make<Panel>("panBottom", Align::Bottom, 10, 30);
  auto& bottom2 = make<Panel>("panBottom2", Align::Bottom, 10, 25);
  auto& left = make<Panel>("panLeft", Align::Left, 100, 5);
  auto& right = make<Panel>("panRight", Align::Right, 50, 5);
  auto& client = make<Panel>("panClient", Align::Client, 1, 1);
  auto& loose = make<Label>("lblLoose", Align::None, 70, 13);
  loose.setBounds(300, 200, 70, 13);
  layout();

  const struct {
    Control* control;
    Rect expected;
  } cases[] = {
      {&top, {0, 0, 800, 40}},        {&top2, {0, 40, 800, 60}},      {&bottom, {0, 570, 800, 600}},
      {&bottom2, {0, 545, 800, 570}}, {&left, {0, 60, 100, 545}},     {&right, {750, 60, 800, 545}},
      {&client, {100, 60, 750, 545}}, {&loose, {300, 200, 370, 213}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.control->name());
    EXPECT_EQ(c.control->boundsRect(), c.expected);
  }
}

TEST_F(AlignLayout, HiddenControlsTakeNoRoomAndComeBackInPlace) {
  auto& bar = make<Panel>("panBar", Align::Top, 10, 40);
  auto& body = make<Panel>("panBody", Align::Client, 1, 1);
  auto& costs = make<Panel>("panCusto", Align::Bottom, 10, 150);
  costs.setVisible(false);
  layout();
  EXPECT_EQ(body.boundsRect(), (Rect{0, 40, 800, 600}));

  costs.setVisible(true);
  layout();
  EXPECT_EQ(costs.boundsRect(), (Rect{0, 450, 800, 600}));
  EXPECT_EQ(body.boundsRect(), (Rect{0, 40, 800, 450}));
  EXPECT_EQ(bar.width(), 800);
}

TEST_F(AlignLayout, FollowsTheFormAndNestsInContainers) {
  auto& costs = make<Panel>("panCusto", Align::Bottom, 10, 150);
  auto& inner = make<Panel>("subPanCusto", Align::None, 700, 140, &costs);
  auto& strip = make<Panel>("panStrip", Align::Top, 10, 10, &costs);
  layout();
  form_.setBounds(0, 0, 788, 500);
  layout();
  EXPECT_EQ(costs.boundsRect(), (Rect{0, 350, 788, 500}));
  EXPECT_EQ(strip.boundsRect(), (Rect{0, 0, 788, 10}));
  EXPECT_EQ(inner.boundsRect(), (Rect{0, 0, 700, 140}));  // not docked: left alone
}

TEST_F(AlignLayout, PagesFillTheirPageControlsArea) {
  auto& pages = make<PageControl>("pgcPadrao", Align::Client, 1, 1);
  auto& first = form_.create<TabSheet>("tshPlanejado", &pages);
  auto& second = form_.create<TabSheet>("tshRealizado", &pages);
  auto& grid = make<DBGrid>("dbgTrabCusto", Align::Client, 1, 1, &first);
  alignControls(form_, [&](const Control& c) {
    if (&c == &pages) return Rect{4, 24, c.width() - 4, c.height() - 4};
    return wholeArea(c);
  });
  EXPECT_EQ(first.boundsRect(), (Rect{4, 24, 796, 596}));
  EXPECT_EQ(second.boundsRect(), (Rect{4, 24, 796, 596}));
  EXPECT_EQ(grid.boundsRect(), (Rect{0, 0, 792, 572}));
}

TEST_F(AlignLayout, ASecondRunChangesNothing) {
  make<Panel>("panTop", Align::Top, 10, 40);
  make<Panel>("panClient", Align::Client, 1, 1);
  layout();
  int notifications = 0;
  form_.addComponentObserver([&](Component&, Prop what) {
    if (what == Prop::Bounds) ++notifications;
  });
  layout();
  EXPECT_EQ(notifications, 0);
}

TEST_F(AlignLayout, ASqueezedClientGetsNoNegativeSize) {
  make<Panel>("panTop", Align::Top, 10, 400);
  make<Panel>("panBottom", Align::Bottom, 10, 400);
  auto& client = make<Panel>("panClient", Align::Client, 1, 1);
  layout();
  EXPECT_EQ(client.width(), 800);
  EXPECT_EQ(client.height(), 0);
}

}  // namespace
}  // namespace desktop
