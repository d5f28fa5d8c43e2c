#include "export/grid_table.h"

#include "platform/client_dataset.h"
#include "platform/data_source.h"
#include "platform/field.h"
#include "platform/ui/db_grid.h"

namespace exporting {

using platform::FieldType;

Cell fieldCell(const platform::Field& field) {
  switch (field.fieldType()) {
    case FieldType::Float:
    case FieldType::Integer: {
      if (field.isNull()) return {};
      const bool plainInteger =
          field.displayFormat().empty() && field.fieldType() == FieldType::Integer;
      return Cell::ofNumber(field.asFloat(),
                            plainInteger ? std::string(1, '0') : field.displayFormat(),
                            field.displayText());
    }
    case FieldType::DateTime:
      if (field.isNull()) return {};
      return Cell::ofDate(field.asDateTime(), field.displayText());
    case FieldType::Text:
    case FieldType::FixedText:
    case FieldType::Boolean:
      break;
  }
  return Cell::ofText(field.displayText());
}

Table gridTable(const platform::ui::DBGrid& grid) {
  platform::ClientDataSet* data = grid.dataSource() ? grid.dataSource()->dataSet() : nullptr;
  if (data && !data->active()) data = nullptr;

  Table table;
  std::vector<platform::Field*> fields;
  for (int c = 0; c < grid.columnCount(); ++c) {
    const platform::ui::Column& column = grid.column(c);
    if (!column.visible()) continue;
    platform::Field* field = data ? data->findField(column.fieldName()) : nullptr;
    std::string title = column.title();
    if (title.empty()) title = field ? field->displayLabel() : column.fieldName();
    const bool number = field && (field->fieldType() == FieldType::Float ||
                                  field->fieldType() == FieldType::Integer);
    table.columns.push_back(
        {std::move(title), number || column.alignment() == platform::ui::Alignment::Right});
    fields.push_back(field);
  }
  if (!data) return table;
  const int rows = data->displayRowCount();
  table.rows.reserve(static_cast<size_t>(rows));
  for (int row = 1; row <= rows; ++row) {
    std::vector<Cell>& cells = table.rows.emplace_back();
    cells.reserve(fields.size());
    data->withDisplayRow(row, [&] {
      for (platform::Field* field : fields)
        cells.push_back(field ? fieldCell(*field) : Cell{});
    });
  }
  return table;
}

}  // namespace exporting
