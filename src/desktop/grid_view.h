// A DBGrid on screen: a table view over a GridModel whose every cell is painted by the grid's
// drawCell (default drawing, then the screen's onDrawColumnCell handler) on a QPainterCanvas.
// The view's current cell follows the dataset's cursor and the grid's selected column; the
// user's moves go back to the grid as user events (DBGrid::selectRow, selectColumn). The cell
// editor is the grid's: it opens where the grid allows (DBGrid::showEditor), its text changes
// go to the grid (changeEditorText) and committing writes them (commitEditor).
#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <vector>

#include "desktop/control_view.h"
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
  // Opens the grid's editor on its selected cell of the current row; no editor (null) anywhere
  // else or when the grid refuses. A cell with an edit button gets it at the editor's end.
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  // Committing writes the editor's changed text into the cell (DBGrid::commitEditor).
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;
  void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

  // The open editor, null when none.
  QLineEdit* openEditor() const { return open_.data(); }
  // Brings the editor in line with the grid's: opens it when code opened the grid's, closes it
  // when the grid's closed, takes its text otherwise.
  void followGrid();

 private:
  void setText(QLineEdit& editor, const std::string& text) const;

  GridView& view_;
  mutable QPointer<QLineEdit> open_;
  mutable bool settingText_ = false;
  mutable bool creating_ = false;
};

class GridView : public ViewOf<QTableView, platform::ui::DBGrid> {
 public:
  // REQUIRES: `grid` outlives the view.
  GridView(platform::ui::DBGrid& grid, FormRenderer& renderer, QWidget* parent);
  ~GridView() override;

  GridModel& gridModel() const { return *model_; }
  platform::ui::DBGrid& grid() const { return control(); }
  CellDelegate& delegate() const { return *delegate_; }
  // Applies the grid's options, colours, column widths and the current cell.
  void refresh() override;
  QWidget& mouseTarget() override { return *viewport(); }
  // Puts the view's current cell on the dataset's current row and the grid's selected column.
  void followModel();

 protected:
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  friend class CellDelegate;
  void applyColumns();

  GridModel* model_;
  CellDelegate* delegate_;
  // What the columns' titles and texts need (column_fit.h), measured when the rows are re-read;
  // a column narrower in the grid gets this.
  std::vector<int> contentWidths_;
  // The horizontal scroll position and column across a re-read of the rows.
  int keptScroll_ = 0;
  int keptColumn_ = -1;
  bool restorePending_ = false;
  int gridObserver_ = 0;
  bool following_ = false;
};

}  // namespace desktop
