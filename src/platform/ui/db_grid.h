// DBGrid: a grid over the records of a data source, with columns bound to fields, a selected
// column, an in-place editor and per-cell painting by the screen's handler.
//
// The front end supplies the rows (through the data source) and asks the grid to paint each
// cell with drawCell(), which sets the default colours, draws the default text when
// defaultDrawing is on and then runs onDrawColumnCell.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/canvas.h"
#include "platform/ui/control.h"

namespace platform {
class DataSource;
}

namespace platform::ui {

enum class GridOption : uint8_t {
  Editing,
  AlwaysShowEditor,
  Titles,
  Indicator,
  ColumnResize,
  ColLines,
  RowLines,
  Tabs,
  RowSelect,
  AlwaysShowSelection,
  ConfirmDelete,
  CancelOnExit,
};

class GridOptions {
 public:
  constexpr GridOptions() = default;
  constexpr GridOptions(std::initializer_list<GridOption> options) {
    for (GridOption o : options)
      bits_ |= 1u << static_cast<unsigned>(o);
  }
  constexpr bool contains(GridOption o) const {
    return (bits_ >> static_cast<unsigned>(o) & 1u) != 0;
  }
  constexpr GridOptions with(GridOption o) const {
    GridOptions r = *this;
    r.bits_ |= 1u << static_cast<unsigned>(o);
    return r;
  }
  constexpr GridOptions without(GridOption o) const {
    GridOptions r = *this;
    r.bits_ &= ~(1u << static_cast<unsigned>(o));
    return r;
  }
  constexpr bool operator==(const GridOptions&) const = default;

 private:
  uint32_t bits_ = 0;
};

enum class DrawFlag : uint8_t { Selected = 1, Focused = 2, Fixed = 4 };

// How a cell is to be painted: Selected (highlighted), Focused (the current cell of the focused
// grid), Fixed (a title or indicator cell).
class GridDrawState {
 public:
  constexpr GridDrawState() = default;
  constexpr GridDrawState(std::initializer_list<DrawFlag> flags) {
    for (DrawFlag f : flags)
      bits_ |= static_cast<uint8_t>(f);
  }
  constexpr bool contains(DrawFlag f) const { return (bits_ & static_cast<uint8_t>(f)) != 0; }
  constexpr bool operator==(const GridDrawState&) const = default;

 private:
  uint8_t bits_ = 0;
};

// An edit button in the cell editor of the column.
enum class ColumnButtonStyle { Auto, Ellipsis };

class DBGrid;

class Column {
 public:
  // The width the front end picks from the field's display width.
  static constexpr int kDefaultWidth = -1;

  Column(const Column&) = delete;
  Column& operator=(const Column&) = delete;

  DBGrid& grid() const { return *grid_; }
  // Position in the grid's columns.
  int index() const;

  const std::string& fieldName() const { return fieldName_; }
  void setFieldName(std::string name);
  // The title caption; empty means the field's display label.
  const std::string& title() const { return title_; }
  void setTitle(std::string title);
  int width() const { return width_; }
  void setWidth(int width);
  Alignment titleAlignment() const { return titleAlignment_; }
  void setTitleAlignment(Alignment alignment);
  // Of the cell text in default drawing.
  Alignment alignment() const { return alignment_; }
  void setAlignment(Alignment alignment);
  bool visible() const { return visible_; }
  void setVisible(bool visible);
  bool readOnly() const { return readOnly_; }
  void setReadOnly(bool readOnly);
  ColumnButtonStyle buttonStyle() const { return buttonStyle_; }
  void setButtonStyle(ColumnButtonStyle style);

 private:
  friend class DBGrid;
  Column(DBGrid& grid, std::string fieldName) : grid_(&grid), fieldName_(std::move(fieldName)) {}
  template <class T>
  void set(T& member, T value);

  DBGrid* grid_;
  std::string fieldName_;
  std::string title_;
  int width_ = kDefaultWidth;
  Alignment titleAlignment_ = Alignment::Left;
  Alignment alignment_ = Alignment::Left;
  bool visible_ = true;
  bool readOnly_ = false;
  ColumnButtonStyle buttonStyle_ = ColumnButtonStyle::Auto;
};

class DBGrid : public Control {
 public:
  DBGrid(CreationToken, Form& owner, std::string name);
  ~DBGrid() override;

  DataSource* dataSource() const { return dataSource_; }
  void setDataSource(DataSource* source) { assign(dataSource_, source, Prop::DataBinding); }

  int columnCount() const { return static_cast<int>(columns_.size()); }
  // REQUIRES: 0 <= index < columnCount(), else std::out_of_range.
  Column& column(int index) const;
  // Appends a column; the first column becomes the selected one.
  Column& addColumn(std::string fieldName, std::string title = {},
                    int width = Column::kDefaultWidth, Alignment titleAlignment = Alignment::Left);
  // Removes every column; nothing is selected afterwards.
  void clearColumns();
  // Index of the first column bound to the field (names compared without regard to ASCII case),
  // -1 when none is.
  int columnIndexOf(std::string_view fieldName) const;

  // The selected (current) column, -1 when the grid has no columns.
  int selectedIndex() const { return selectedIndex_; }
  // Selection by code: runs no onColExit/onColEnter. REQUIRES: -1 <= index < columnCount(),
  // else std::out_of_range.
  void setSelectedIndex(int index);
  Column* selectedColumn() const;

  GridOptions options() const { return options_; }
  void setOptions(GridOptions options) { assign(options_, options, Prop::Options); }
  bool hasOption(GridOption option) const { return options_.contains(option); }
  bool readOnly() const { return readOnly_; }
  void setReadOnly(bool readOnly) { assign(readOnly_, readOnly, Prop::ReadOnly); }
  // When on (the default), drawCell fills the cell and draws its text before onDrawColumnCell.
  bool defaultDrawing() const { return defaultDrawing_; }
  void setDefaultDrawing(bool on) { assign(defaultDrawing_, on, Prop::Options); }

  // The in-place cell editor: whether it is open and its text.
  bool editorMode() const { return editorMode_; }
  void setEditorMode(bool open) { assign(editorMode_, open, Prop::Editor); }
  const std::string& editorText() const { return editorText_; }
  void setEditorText(std::string text) { assign(editorText_, std::move(text), Prop::Editor); }

  // Events (onKeyDown, onKeyPress, onDblClick, onEnter, onExit and onMouseUp are the control's).
  std::function<void(Canvas& canvas, const Rect& rect, int dataCol, Column& column,
                     GridDrawState state)>
      onDrawColumnCell;
  std::function<void()> onColEnter;
  std::function<void()> onColExit;  // throwing keeps the selection where it is
  std::function<void()> onEditButtonClick;
  std::function<void(Column& column)> onCellClick;
  std::function<void(Column& column)> onTitleClick;

  // ---- Front-end entry points -------------------------------------------------------------
  // The state to paint a data cell with: Selected for the current row's selected column (every
  // column of it with RowSelect) while the grid has the focus or keeps its selection shown
  // (AlwaysShowSelection; always with RowSelect); Focused for the selected cell of the focused
  // grid.
  GridDrawState cellState(bool currentRow, int dataCol) const;
  // Paints one data cell: brush and font take the highlight colours for a Selected cell, else the
  // grid's colour and font colour (and its bold); with defaultDrawing the cell is filled and
  // `displayText` drawn 2 pixels inside it by the column's alignment; then onDrawColumnCell runs.
  // REQUIRES: 0 <= dataCol < columnCount(), else std::out_of_range.
  void drawCell(Canvas& canvas, const Rect& rect, int dataCol, GridDrawState state,
                std::string_view displayText);
  // The user moved to another column: refused (false) for an invisible column; otherwise
  // onColExit runs (an exception from it propagates and the selection stays), the selection
  // moves and onColEnter runs. Moving to the selected column does nothing and returns true.
  bool selectColumn(int index);
  void editButtonClick();
  void cellClick(int dataCol);
  void titleClick(int dataCol);

 private:
  friend class Column;
  void columnChanged() { changed(Prop::Columns); }

  DataSource* dataSource_ = nullptr;
  std::vector<std::unique_ptr<Column>> columns_;
  int selectedIndex_ = -1;
  GridOptions options_{GridOption::Editing,       GridOption::Titles,      GridOption::Indicator,
                       GridOption::ColumnResize,  GridOption::ColLines,    GridOption::RowLines,
                       GridOption::ConfirmDelete, GridOption::CancelOnExit};
  bool readOnly_ = false;
  bool defaultDrawing_ = true;
  bool editorMode_ = false;
  std::string editorText_;
};

}  // namespace platform::ui
