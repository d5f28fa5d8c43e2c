// A DBGrid on screen: a table view over a GridModel whose every cell is painted by the grid
// model's drawCell (default drawing, then the screen's onDrawColumnCell handler) on a
// QPainterCanvas. The view's current cell follows the dataset's cursor and the grid's selected
// column; the user's moves go back to them as user events.
#pragma once

#include <QStyledItemDelegate>
#include <QTableView>

#include "desktop/grid_model.h"

namespace desktop {

class GridView;

class CellDelegate : public QStyledItemDelegate {
 public:
  explicit CellDelegate(GridView& view);

  // Paints through DBGrid::drawCell with the record of the cell's row active. Nothing is drawn
  // but the background while the dataset's controls are disabled.
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  // A line editor holding the field's edit text; its text goes to the field when committed.
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;
  void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

 private:
  GridView& view_;
};

class GridView : public QTableView {
 public:
  // REQUIRES: `grid` outlives the view.
  GridView(platform::ui::DBGrid& grid, QWidget* parent);

  GridModel& gridModel() const { return *model_; }
  platform::ui::DBGrid& grid() const { return grid_; }
  // Applies the grid's options, colours, column widths and the current cell.
  void refresh();
  // Puts the view's current cell on the dataset's current row and the grid's selected column.
  void followModel();

 protected:
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  void applyColumns();

  platform::ui::DBGrid& grid_;
  GridModel* model_;
  CellDelegate* delegate_;
  bool following_ = false;
};

}  // namespace desktop
