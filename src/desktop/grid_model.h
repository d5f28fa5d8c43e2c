// A Qt table model over a DBGrid: the records of its data source's dataset as rows, its visible
// columns (or, without columns, the dataset's visible fields) as columns. It only adapts:
// rowCount is the dataset's display rows (the visible records, plus the record being inserted),
// data is each field's display text, headers are the column titles with their alignment, flags
// and setData ask the grid (which cells may be edited, writing a cell), and every change arrives
// through the data source's notifications.
#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <vector>

#include "platform/data_source.h"
#include "platform/ui/db_grid.h"

namespace desktop {

class GridModel : public QAbstractTableModel, private platform::DataSourceListener {
 public:
  // REQUIRES: `grid` (and the data sources it is bound to) outlive the model.
  explicit GridModel(platform::ui::DBGrid& grid, QObject* parent = nullptr);
  ~GridModel() override;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  // DisplayRole: the field's display text; TextAlignmentRole: the column's alignment.
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  // Horizontal: the column title (the field's label when the column has none) and the title
  // alignment. Vertical: the record indicator of the current row ("▶" browsing, "✎" editing,
  // "*" inserting), empty for the others.
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  // Editable where the grid says the cell may be edited (DBGrid::canEditCell); the view moves
  // to a row before it edits there. Fields shown without columns are read only.
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // EditRole on the current row: the text goes to the field through the grid's cell writing
  // (DBGrid::writeCell). Returns false elsewhere or when the grid refuses the cell.
  // ERRORS: the grid's (a refused edit, a text the field rejects); call it inside a user event.
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  platform::ui::DBGrid& grid() const { return grid_; }
  // The bound dataset while its data source is active, else null.
  platform::ClientDataSet* dataSet() const;
  // The grid column shown as model column `column`, -1 when the grid has no columns or the
  // column is out of range.
  int gridColumn(int column) const;
  // The model column showing grid column `gridColumn`, -1 when it is hidden.
  int modelColumn(int gridColumn) const;
  // The field of a model column, or null when the dataset lacks it.
  platform::Field* field(int column) const;
  // 0-based row of the dataset's current record, -1 when there is none.
  int currentRow() const;
  // The user picked a row: the grid moves there (DBGrid::selectRow; a refusal propagates).
  void moveToRow(int row);

  // Runs after the dataset's cursor moved (or the rows were re-read) with the new current row.
  std::function<void(int row)> onCurrentRowChanged;

 private:
  struct ShownColumn {
    int gridColumn = -1;  // -1: a field shown because the grid has no columns
    platform::Field* field = nullptr;
  };

  void bind();
  void unbind();
  void reload();
  void rebuildColumns();
  void dataChanged(platform::DataSource& source, const platform::Field* field) override;
  void stateChanged(platform::DataSource& source) override;
  void layoutChanged(platform::DataSource& source) override;

  platform::ui::DBGrid& grid_;
  int gridObserver_ = 0;
  platform::DataSource* source_ = nullptr;
  std::vector<ShownColumn> columns_;
  int rows_ = 0;
  int lastCurrent_ = -1;
  bool wasActive_ = false;
};

}  // namespace desktop
