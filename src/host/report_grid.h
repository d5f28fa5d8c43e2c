// What a data grid shows, as a table of texts: the titles of its visible columns, then each row's
// display texts in the grid's column order. The desktop and the headless report share it.
#pragma once

#include "host/report_table.h"

namespace platform::ui {
class DBGrid;
}

namespace host {

// The texts of exporting::gridTable (see there: titles, alignment, cursor left alone).
TextTable gridTable(const platform::ui::DBGrid& grid);

}  // namespace host
