// What a data grid shows, as a table of texts: the titles of its visible columns, then each row's
// display texts in the grid's column order. The desktop and the headless report share it.
#pragma once

#include "host/report_table.h"

namespace platform::ui {
class DBGrid;
}

namespace host {

// Titles: the column's title, else its field's display label, else the field name. Number
// columns (float and integer fields, or columns aligned right) are right-aligned.
// Guarantees: the dataset's cursor does not move and no dataset event is raised. A grid without
// an open dataset gives the titles and no rows; a column bound to no field shows empty cells.
TextTable gridTable(const platform::ui::DBGrid& grid);

}  // namespace host
