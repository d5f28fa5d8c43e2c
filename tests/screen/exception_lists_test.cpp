// The exception pages' own actions: the recalculation screen they open and the outdated-quotation
// grid's keys and columns.
#include "screen_fixture.h"

namespace screentest {
namespace {

using platform::Variant;
using screen::TfrmAnaCustRevRec;
using namespace platform::ui;

TEST_F(ScreenTest, RecalculateCostsOpensTheRecalculationScreenWithTheListsOrigin) {
  const struct {
    const char* workTable;
    bool quotations;
    const char* origin;
  } cases[] = {{"WT00000001", true, "1WT00000001"},
               {"WT00000001", false, "0WT00000001"},
               {"", true, "1"},
               {"", false, "0"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.workTable) + (c.quotations ? " quotations" : " zero costs"));
    server.workTableId = c.workTable;
    shell.screensOpened.clear();
    open([&](TfrmAnaCustRevRec& f, Driver& d) {
      ASSERT_TRUE(d.selectPage(c.quotations ? f.tshCotDesatu : f.tshProdCustZero));
      server.log->clear();
      ASSERT_TRUE(d.press(f.sbtCustZero));
      // Opening the recalculation screen reloads nothing here.
      EXPECT_TRUE(server.log->calls().empty());
    });
    ASSERT_EQ(shell.screensOpened.size(), 1u);
    EXPECT_EQ(shell.screensOpened[0].first, "RCX00515");
    EXPECT_EQ(shell.screensOpened[0].second,
              Variant::array({Variant("0001"), Variant("00001"), Variant(6), Variant::date(0),
                              Variant::date(march(15)), Variant(false), Variant(c.origin)}));
  }
}

TEST_F(ScreenTest, RecalculateCostsPassesTheFixedCostDate) {
  host->modal.steps = [&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.selectPage(f.tshProdCustZero));
    ASSERT_TRUE(d.press(f.sbtCustZero));
  };
  IniProc(openingParams("0002", "0001", "00001", 44, 1, march(15), march(10), true));
  ASSERT_EQ(shell.screensOpened.size(), 1u);
  EXPECT_EQ(
      shell.screensOpened[0].second,
      Variant::array({Variant("0001"), Variant("00001"), Variant(44), Variant::date(march(10)),
                      Variant::date(march(15)), Variant(true), Variant("0WT00000001")}));
}

TEST_F(ScreenTest, OutdatedQuotationsDropOnlyCtrlDeleteAndAlignNumbersRight) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.selectPage(f.tshCotDesatu));
    DBGrid& grid = *f.exceptions.dbgCotDesatu;
    const struct {
      ShiftState shift;
      Key key;
      bool dropped;
    } keys[] = {{ssCtrl, VK_DELETE, true},
                {ssCtrl | ssShift, VK_DELETE, false},
                {ShiftState{}, VK_DELETE, false},
                {ssCtrl, VK_RETURN, false}};
    ASSERT_TRUE(d.focus(grid));
    for (const auto& k : keys) {
      bool left = false;
      ASSERT_TRUE(d.dispatch([&] { left = grid.owner().pressKey(k.key, k.shift, 0); }));
      EXPECT_EQ(left, !k.dropped) << k.key;
    }
    for (const char* field : {"QTCONSPLAN", "CUSTOPROD"}) {
      const Column& column = grid.column(grid.columnIndexOf(field));
      EXPECT_EQ(column.alignment(), Alignment::Right) << field;
      EXPECT_EQ(column.titleAlignment(), Alignment::Left) << field;
    }
    EXPECT_EQ(grid.column(grid.columnIndexOf("NMPRODUTO")).alignment(), Alignment::Left);
  });
}

}  // namespace
}  // namespace screentest
