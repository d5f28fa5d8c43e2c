#include "desktop/column_fit.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>
#include <exception>

#include "desktop/grid_model.h"
#include "desktop/qt_text.h"
#include "platform/client_dataset.h"
#include "platform/field.h"

namespace desktop {

std::vector<int> contentWidths(const QTableView& view, const GridModel& model,
                               const QFontMetrics& cells) {
  const int columns = model.columnCount();
  std::vector<int> widths(static_cast<size_t>(std::max(columns, 0)), 0);
  const QHeaderView* header = view.horizontalHeader();
  if (header != nullptr && !header->isHidden()) {
    for (int c = 0; c < columns; ++c)
      widths[static_cast<size_t>(c)] = std::max(header->sectionSizeHint(c), 0);
  }
  platform::ClientDataSet* ds = model.dataSet();
  if (ds == nullptr || ds->controlsDisabled()) return widths;
  const int rows = std::min(ds->displayRowCount(), kRowsMeasured);
  try {
    for (int row = 1; row <= rows; ++row) {
      ds->withDisplayRow(row, [&] {
        for (int c = 0; c < columns; ++c) {
          const platform::Field* field = model.field(c);
          if (field == nullptr) continue;
          const int width = cells.horizontalAdvance(qs(field->displayText())) + kCellTextMargin;
          int& wanted = widths[static_cast<size_t>(c)];
          wanted = std::max(wanted, width);
        }
      });
    }
  } catch (const std::exception&) {
    // A field that cannot show its text now leaves the widths read so far.
  }
  return widths;
}

int wholeWidth(const QTableView& view) {
  int width = view.horizontalHeader()->length() + 2 * view.frameWidth();
  if (view.verticalHeader()->isVisibleTo(&view)) width += view.verticalHeader()->width();
  if (view.verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
    width += view.verticalScrollBar()->sizeHint().width();
  return width;
}

}  // namespace desktop
