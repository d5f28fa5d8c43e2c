// DBGrid: a grid over the records of a data source, with columns bound to fields, a selected
// column, an in-place editor and per-cell painting by the screen's handler.
//
// The front end supplies the rows (through the data source) and asks the grid to paint each
// cell with drawCell(), which sets the default colours, draws the default text when
// defaultDrawing is on and then runs onDrawColumnCell.
//
// The grid owns what the user may do in it, so every front end behaves alike:
//   keys     Form::keyDown (onKeyDown), Form::keyPress (onKeyPress), then the cell editor; a key
//            a handler consumed never reaches the editor;
//   editing  canEditCell() says which cells may be edited; the editor opens (showEditor), the
//            first change of its text puts the dataset into Edit state through the dataset (its
//            beforeEdit may refuse), and its text reaches the field through the field's own
//            text setter (commitEditor, writeCell);
//   moves    the editor's text is written and a new record posted before the cursor leaves the
//            row (selectRow), and the text before the selection leaves the column.
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
class ClientDataSet;
class DataSource;
class Field;
}  // namespace platform

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
  ControlKind kind() const override { return ControlKind::DBGrid; }

  DataSource* dataSource() const { return dataSource_; }
  void setDataSource(DataSource* source) { assign(dataSource_, source, Prop::DataBinding); }
  // The data source's dataset while the source is active, else null.
  ClientDataSet* dataSet() const;
  // The field column `dataCol` shows, null when the dataset lacks it (or is not open).
  // REQUIRES: 0 <= dataCol < columnCount(), else std::out_of_range.
  Field* columnField(int dataCol) const;
  // 0-based display row of the dataset's current record, -1 when there is none.
  int currentRow() const;

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

  // The in-place cell editor: whether it is open and its text, as code sets them (the user's
  // ways are showEditor and changeEditorText). Closing it forgets that its text was changed.
  bool editorMode() const { return editorMode_; }
  void setEditorMode(bool open);
  const std::string& editorText() const { return editorText_; }
  void setEditorText(std::string text) { assign(editorText_, std::move(text), Prop::Editor); }
  // Whether the user changed the editor's text since it opened.
  bool editorModified() const { return editorModified_; }

  // ---- Editing ----------------------------------------------------------------------------
  // Whether the user may edit the cell of column `dataCol` in the current row: the grid edits
  // (Editing option, not read-only, effectively enabled), the column is visible and not
  // read-only, and canEditField says yes for its field. The dataset's own handlers have their
  // say when the text first changes (changeEditorText) or is written (writeCell): a beforeEdit
  // that refuses keeps the cell as it is. REQUIRES: a valid column, else std::out_of_range.
  bool canEditCell(int dataCol) const;
  // The part of that answer that is not the column's: the grid edits, and the field is the
  // open dataset's, neither read-only nor calculated, and the dataset can be modified now:
  // browsing, editing or inserting (not computing calculated fields) with its controls enabled.
  bool canEditField(const Field& field) const;
  // The user opens the editor on the selected cell: refused (false) when canEditCell says no.
  // Its text is the field's edit text; the dataset's state does not change yet. Returns true
  // when the editor was open already.
  bool showEditor();
  // The user changed the editor's text (typed, deleted, pasted): the first change while the
  // dataset browses puts it into Edit state through the dataset. Refused (false) when the editor
  // is closed. ERRORS: a refusal of the dataset's beforeEdit propagates; the text stays as it
  // was.
  bool changeEditorText(std::string text);
  // Closes the editor without writing its text.
  void hideEditor() { setEditorMode(false); }
  // Writes `text` into the cell of column `dataCol` of the current record: refused (false)
  // when canEditCell says no; a browsing dataset enters Edit state through the dataset, then
  // the field's own text setter converts the text (Field::setAsString).
  // ERRORS: the dataset's handlers' and the conversion's; the field keeps its value.
  bool writeCell(int dataCol, std::string_view text);
  // Writes the editor's text into the selected cell when the user changed it, then closes the
  // editor. Returns false when there was a change and the cell refused it (the editor closes).
  // ERRORS: as writeCell; the editor then stays open with its text.
  bool commitEditor();
  // Whether the editor of the cell shows an edit button: the column's button style is Ellipsis
  // and the cell may be edited.
  bool hasEditButton(int dataCol) const;
  // The user pressed the edit button of the selected cell: refused (false) when it has none;
  // otherwise onEditButtonClick runs.
  bool pressEditButton();

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
  // The user moved to another column: refused (false) for an invisible column; otherwise the
  // editor's changed text is written (commitEditor), onColExit runs (an exception from either
  // propagates and the selection stays), the selection moves and onColEnter runs. Moving to the
  // selected column does nothing and returns true.
  bool selectColumn(int index);
  // The user picked display row `row` (0-based): refused (false) when the grid cannot take the
  // focus or there is no such row. Otherwise the editor's changed text is written, a new record
  // being inserted is posted (it sits among the rows but not among the records), then the
  // dataset moves there (posting a pending edit; its beforeScroll may refuse). An exception of
  // any step propagates and the cursor stays. Picking the current row does nothing.
  bool selectRow(int row);
  // Runs onEditButtonClick, as code does (the user's way is pressEditButton).
  void editButtonClick();
  void cellClick(int dataCol);
  void titleClick(int dataCol);

  // For hosts without widgets: a typed character opens the editor (when it may) and replaces its
  // text the first time, then adds to it; Backspace removes the last character; Enter commits
  // the editor; Esc closes it unwritten; F2 opens it; Up and Down select the row above or below;
  // Tab (with the Tabs option; Shift+Tab backwards), and Left and Right while the editor is
  // closed, select the next visible column.
  void keyLeft(Key key, ShiftState shift, char32_t typed) override;
  void updateRecord(DataSource& source) override;
  void discardEdits(DataSource& source) override;

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
  int nextVisibleColumn(int from, int step) const;

  bool editorMode_ = false;
  std::string editorText_;
  bool editorModified_ = false;
  // The editor's whole text is selected: the next character typed replaces it.
  bool editorSelected_ = false;
};

}  // namespace platform::ui
