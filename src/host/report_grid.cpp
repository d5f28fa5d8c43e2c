#include "host/report_grid.h"

#include "export/grid_table.h"

namespace host {

TextTable gridTable(const platform::ui::DBGrid& grid) {
  return textTable(exporting::gridTable(grid));
}

}  // namespace host
