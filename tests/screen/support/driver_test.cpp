// The test driver plays the user on the platform's own path: its refusals are the controls'.
#include "screen/screen_fixture.h"

namespace screentest {
namespace {

using platform::ui::NavigateButton;
using screen::TfrmAnaCustRevRec;

TEST_F(ScreenTest, TheDriversGesturesTakeTheUsersPath) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.gotoDay(march(2)));
    // The navigator refuses what its position disables, and moves the day otherwise.
    EXPECT_FALSE(d.pressNavigator(*f.cost.dbnCusto, NavigateButton::Prior));
    EXPECT_TRUE(d.pressNavigator(*f.cost.dbnCusto, NavigateButton::Next));
    EXPECT_DOUBLE_EQ(f.selectedDay(), march(3));
    // A key in the daily grid goes through its handlers, then moves the row.
    EXPECT_TRUE(d.pressKey(*f.cost.dbgTrabCusto, platform::ui::VK_DOWN));
    EXPECT_DOUBLE_EQ(f.selectedDay(), march(4));
    // The daily grid is read-only: typing opens no editor and changes nothing.
    EXPECT_TRUE(d.type(*f.cost.dbgTrabCusto, "5"));
    EXPECT_FALSE(f.cost.dbgTrabCusto->editorMode());
    EXPECT_EQ(f.cost.cdsTrabCusto.state(), platform::DataSetState::Browse);
    EXPECT_FALSE(d.typeIntoCell(*f.cost.dbgTrabCusto, "NOTHERE", "1"));
    // A disabled menu item cannot be chosen.
    f.recipe.mnuTrocarIn->setEnabled(false);
    EXPECT_FALSE(d.click(*f.recipe.mnuTrocarIn));
    EXPECT_EQ(d.errors(), (std::vector<std::string>{"dbnCusto refused",
                                                    "dbgTrabCusto refused the column NOTHERE",
                                                    "mnuTrocarIn refused"}));
  });
}

}  // namespace
}  // namespace screentest
