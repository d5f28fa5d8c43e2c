#include "export/table.h"

#include <algorithm>

namespace exporting {

bool Table::hasTitles() const {
  return std::any_of(columns.begin(), columns.end(),
                     [](const Column& c) { return !c.title.empty(); });
}

size_t Table::width() const {
  size_t width = columns.size();
  for (const auto& row : rows)
    width = std::max(width, row.size());
  return width;
}

}  // namespace exporting
