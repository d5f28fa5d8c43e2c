// What a data grid shows, typed: its visible columns in grid order and the rows its dataset
// shows (filtered, in index order). Number fields give numbers with the field's display
// pattern, date fields dates, the rest the texts the grid shows.
#pragma once

#include "export/table.h"

namespace platform {
class Field;
}
namespace platform::ui {
class DBGrid;
}

namespace exporting {

// The cell of `field` on the dataset's active record. Null numbers and dates are empty cells;
// integers without a pattern show as "0".
Cell fieldCell(const platform::Field& field);

// Titles: the column's title, else its field's display label, else the field name. Number
// columns (float and integer fields, or columns aligned right) are right-aligned.
// Guarantees: the dataset's cursor does not move and no dataset event is raised. A grid without
// an open dataset gives the titles and no rows; a column bound to no field gives empty cells.
Table gridTable(const platform::ui::DBGrid& grid);

}  // namespace exporting
