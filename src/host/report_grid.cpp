#include "host/report_grid.h"

#include "platform/client_dataset.h"
#include "platform/data_source.h"
#include "platform/ui/db_grid.h"

namespace host {

TextTable gridTable(const platform::ui::DBGrid& grid) {
  platform::ClientDataSet* data = grid.dataSource() ? grid.dataSource()->dataSet() : nullptr;
  if (data && !data->active()) data = nullptr;

  TextTable table;
  std::vector<platform::Field*> fields;
  for (int c = 0; c < grid.columnCount(); ++c) {
    const platform::ui::Column& column = grid.column(c);
    if (!column.visible()) continue;
    platform::Field* field = data ? data->findField(column.fieldName()) : nullptr;
    std::string title = column.title();
    if (title.empty()) title = field ? field->displayLabel() : column.fieldName();
    bool number = field && (field->fieldType() == platform::FieldType::Float ||
                            field->fieldType() == platform::FieldType::Integer);
    table.titles.push_back(std::move(title));
    table.rightAligned.push_back(number || column.alignment() == platform::ui::Alignment::Right);
    fields.push_back(field);
  }
  if (!data) return table;
  for (int row = 1; row <= data->displayRowCount(); ++row) {
    std::vector<std::string>& cells = table.rows.emplace_back();
    data->withDisplayRow(row, [&] {
      for (platform::Field* field : fields)
        cells.push_back(field ? field->displayText() : "");
    });
  }
  return table;
}

}  // namespace host
