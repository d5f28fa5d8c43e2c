// What a grid needs to show its content whole: columns wide enough for their titles and cells'
// texts, and the view's width for all its columns side by side.
#pragma once

#include <QFontMetrics>
#include <vector>

class QTableView;

namespace desktop {

class GridModel;

// Room around a cell's text: it starts 3 pixels in and ends 2 pixels before the edge.
inline constexpr int kCellTextMargin = 6;
// Rows read to size the columns: enough for a month or a day's recipes; longer lists are sized
// by their first rows, as a reader sees them.
inline constexpr int kRowsMeasured = 100;

// For each model column, the width its title (section size hint of `view`'s header) and the
// display texts of the first kRowsMeasured rows (in `cells`) need; 0 where nothing is shown.
// Rows are read without moving the dataset's cursor.
std::vector<int> contentWidths(const QTableView& view, const GridModel& model,
                               const QFontMetrics& cells);

// The view's width with every column shown whole: the columns, the row indicator when shown,
// the frame and a vertical scroll bar.
int wholeWidth(const QTableView& view);

}  // namespace desktop
