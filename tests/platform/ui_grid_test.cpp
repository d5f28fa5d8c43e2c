#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ui/ui.h"

namespace platform::ui {
namespace {

class GridTest : public testing::Test {
 protected:
  GridTest() {
    grid.addColumn("NMPRATO", "Nome do Prato", 203);
    grid.addColumn("CustoPerc", "Custo Perc. Prato", 90, Alignment::Right);
    grid.addColumn("COMENSPRATO");
    grid.addColumn("Safra", "Safra", 30);
  }
  Form form{"frm"};
  DBGrid& grid = form.create<DBGrid>("dbgCardapio");
  DBGrid& other = form.create<DBGrid>("dbgPrato");
};

TEST_F(GridTest, ColumnsAndTheSelectedColumn) {
  EXPECT_EQ(grid.columnCount(), 4);
  EXPECT_EQ(grid.selectedIndex(), 0);
  EXPECT_EQ(grid.column(1).title(), "Custo Perc. Prato");
  EXPECT_EQ(grid.column(1).titleAlignment(), Alignment::Right);
  EXPECT_EQ(grid.column(2).width(), Column::kDefaultWidth);
  EXPECT_EQ(grid.column(3).index(), 3);
  EXPECT_EQ(grid.columnIndexOf("SAFRA"), 3);
  EXPECT_EQ(grid.columnIndexOf("custoperc"), 1);
  EXPECT_EQ(grid.columnIndexOf("CustoPrato"), -1);
  grid.setSelectedIndex(2);
  EXPECT_EQ(grid.selectedColumn()->fieldName(), "COMENSPRATO");
  EXPECT_THROW(grid.setSelectedIndex(4), std::out_of_range);
  EXPECT_THROW(grid.column(-1), std::out_of_range);
  grid.clearColumns();
  EXPECT_EQ(grid.selectedIndex(), -1);
  EXPECT_EQ(grid.selectedColumn(), nullptr);
}

TEST_F(GridTest, UserColumnMovesRunExitThenEnter) {
  std::vector<std::string> log;
  grid.onColExit = [&] { log.push_back("exit " + grid.selectedColumn()->fieldName()); };
  grid.onColEnter = [&] { log.push_back("enter " + grid.selectedColumn()->fieldName()); };
  EXPECT_TRUE(grid.selectColumn(2));
  EXPECT_TRUE(grid.selectColumn(2));
  grid.setSelectedIndex(0);  // by code: no events
  grid.column(3).setVisible(false);
  EXPECT_FALSE(grid.selectColumn(3));
  grid.onColExit = [] { throw std::runtime_error("Produto deve ser informado."); };
  EXPECT_THROW(grid.selectColumn(1), std::runtime_error);
  EXPECT_EQ(grid.selectedIndex(), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"exit NMPRATO", "enter COMENSPRATO"}));
}

TEST_F(GridTest, CellStateFollowsFocusAndOptions) {
  struct Case {
    bool focused;
    GridOptions options;
    bool currentRow;
    int dataCol;
    GridDrawState state;
  };
  const GridDrawState sel{DrawFlag::Selected};
  const GridDrawState selFocus{DrawFlag::Selected, DrawFlag::Focused};
  const GridOptions none;
  const GridOptions always{GridOption::AlwaysShowSelection};
  const GridOptions rows{GridOption::RowSelect};
  const Case kCases[] = {
      {true, none, true, 0, selFocus}, {true, none, true, 1, {}},
      {true, none, false, 0, {}},      {false, none, true, 0, {}},
      {false, always, true, 0, sel},   {false, always, true, 1, {}},
      {false, rows, true, 1, sel},     {true, rows, true, 1, sel},
      {true, rows, true, 0, selFocus}, {false, rows, false, 0, {}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message()
                 << c.focused << " col " << c.dataCol << " row " << c.currentRow);
    grid.setOptions(c.options);
    if (c.focused) {
      grid.setFocus();
    } else {
      other.setFocus();
    }
    EXPECT_EQ(grid.cellState(c.currentRow, c.dataCol), c.state);
  }
}

TEST_F(GridTest, DrawCellSetsDefaultColoursThenRunsTheHandler) {
  grid.setColor(clInfoBk);
  grid.setDefaultDrawing(false);
  struct Seen {
    Color brush;
    Color font;
    int dataCol;
    std::string field;
    bool selected;
  };
  std::vector<Seen> seen;
  grid.onDrawColumnCell = [&seen](Canvas& canvas, const Rect& rect, int dataCol, Column& column,
                                  GridDrawState state) {
    seen.push_back({canvas.brushColor(), canvas.fontColor(), dataCol, column.fieldName(),
                    state.contains(DrawFlag::Selected)});
    canvas.fillRect(rect);
  };
  RecordingCanvas canvas;
  canvas.setFontColor(clRed);  // left over from an earlier cell
  grid.drawCell(canvas, {0, 0, 203, 18}, 0, {}, "ARROZ");
  grid.drawCell(canvas, {203, 0, 293, 18}, 1, {DrawFlag::Selected}, "1,25000");
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].brush, clInfoBk);
  EXPECT_EQ(seen[0].font, clWindowText);
  EXPECT_EQ(seen[0].field, "NMPRATO");
  EXPECT_EQ(seen[1].brush, clHighlight);
  EXPECT_EQ(seen[1].font, clHighlightText);
  EXPECT_EQ(seen[1].dataCol, 1);
  EXPECT_TRUE(seen[1].selected);
  EXPECT_EQ(canvas.texts().size(), 0u);  // no default text
  EXPECT_THROW(grid.drawCell(canvas, {}, 4, {}, ""), std::out_of_range);
}

TEST_F(GridTest, DefaultDrawingAlignsTheText) {
  grid.column(1).setAlignment(Alignment::Right);
  grid.column(2).setAlignment(Alignment::Center);
  RecordingCanvas canvas(7);
  grid.drawCell(canvas, {10, 20, 110, 38}, 0, {}, "ARROZ");
  grid.drawCell(canvas, {10, 20, 110, 38}, 1, {}, "1,25");
  grid.drawCell(canvas, {10, 20, 110, 38}, 2, {}, "3");
  ASSERT_EQ(canvas.calls().size(), 3u);
  EXPECT_EQ(canvas.calls()[0].x, 12);
  EXPECT_EQ(canvas.calls()[1].x, 110 - 2 - 28);
  EXPECT_EQ(canvas.calls()[2].x, 10 + (100 - 7) / 2);
  for (const auto& call : canvas.calls()) {
    EXPECT_EQ(call.op, RecordingCanvas::Op::TextRect);
    EXPECT_EQ(call.y, 22);
    EXPECT_EQ(call.rect, (Rect{10, 20, 110, 38}));
  }
}

TEST_F(GridTest, ColumnChangesNotifyTheGridOnce) {
  int columns = 0;
  grid.addObserver([&columns](Component&, Prop p) {
    if (p == Prop::Columns) ++columns;
  });
  Column& code = grid.column(0);
  code.setButtonStyle(ColumnButtonStyle::Ellipsis);
  code.setButtonStyle(ColumnButtonStyle::Ellipsis);
  code.setTitle("Produto");
  code.setWidth(-5);  // stored as the default width
  code.setWidth(Column::kDefaultWidth);
  code.setReadOnly(true);
  grid.addColumn("percDia");
  EXPECT_EQ(code.width(), Column::kDefaultWidth);
  EXPECT_EQ(columns, 5);
}

TEST_F(GridTest, EventsFromTheFrontEnd) {
  std::vector<std::string> log;
  grid.onEditButtonClick = [&log] { log.push_back("button"); };
  grid.onCellClick = [&log](Column& c) { log.push_back("cell " + c.fieldName()); };
  grid.onTitleClick = [&log](Column& c) { log.push_back("title " + c.fieldName()); };
  grid.onDblClick = [&log] { log.push_back("dbl"); };
  grid.onMouseUp = [&log](MouseButton b, ShiftState s, int x, int y) {
    log.push_back("up " + std::to_string(b == MouseButton::Right) + std::to_string(s.empty()) +
                  std::to_string(x + y));
  };
  grid.editButtonClick();
  grid.cellClick(3);
  grid.titleClick(1);
  grid.dblClick();
  grid.mouseUp(MouseButton::Left, ssNone, 0, 0);
  const std::vector<std::string> expected = {"button", "cell Safra", "title CustoPerc", "dbl",
                                             "up 010"};
  EXPECT_EQ(log, expected);
}

}  // namespace
}  // namespace platform::ui
