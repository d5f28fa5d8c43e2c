#include "platform/ui/db_grid.h"

#include <algorithm>
#include <stdexcept>

#include "platform/client_dataset.h"
#include "platform/data_source.h"
#include "platform/ui/text_input.h"

namespace platform::ui {
namespace {

char upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return upper(x) == upper(y); });
}

}  // namespace

// ---- Column ---------------------------------------------------------------------------------

int Column::index() const {
  for (int i = 0; i < grid_->columnCount(); ++i) {
    if (&grid_->column(i) == this) return i;
  }
  return -1;
}

template <class T>
void Column::set(T& member, T value) {
  if (member == value) return;
  member = std::move(value);
  grid_->columnChanged();
}

void Column::setFieldName(std::string name) {
  set(fieldName_, std::move(name));
}
void Column::setTitle(std::string title) {
  set(title_, std::move(title));
}
void Column::setWidth(int width) {
  set(width_, width < 0 ? kDefaultWidth : width);
}
void Column::setTitleAlignment(Alignment alignment) {
  set(titleAlignment_, alignment);
}
void Column::setAlignment(Alignment alignment) {
  set(alignment_, alignment);
}
void Column::setVisible(bool visible) {
  set(visible_, visible);
}
void Column::setReadOnly(bool readOnly) {
  set(readOnly_, readOnly);
}
void Column::setButtonStyle(ColumnButtonStyle style) {
  set(buttonStyle_, style);
}

// ---- DBGrid ---------------------------------------------------------------------------------

DBGrid::DBGrid(CreationToken, Form& owner, std::string name)
    : Control(owner, std::move(name), clWindow) {
  setTabStop(true);
}

DBGrid::~DBGrid() = default;

Column& DBGrid::column(int index) const {
  if (index < 0 || index >= columnCount()) {
    throw std::out_of_range("Column " + std::to_string(index) + " of '" + name() + "'");
  }
  return *columns_[static_cast<size_t>(index)];
}

Column& DBGrid::addColumn(std::string fieldName, std::string title, int width,
                          Alignment titleAlignment) {
  auto column = std::unique_ptr<Column>(new Column(*this, std::move(fieldName)));
  column->title_ = std::move(title);
  column->width_ = width < 0 ? Column::kDefaultWidth : width;
  column->titleAlignment_ = titleAlignment;
  Column& added = *column;
  columns_.push_back(std::move(column));
  changed(Prop::Columns);
  if (selectedIndex_ < 0) setSelectedIndex(0);
  return added;
}

void DBGrid::clearColumns() {
  if (columns_.empty()) return;
  columns_.clear();
  changed(Prop::Columns);
  setSelectedIndex(-1);
}

int DBGrid::columnIndexOf(std::string_view fieldName) const {
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (sameName(columns_[i]->fieldName(), fieldName)) return static_cast<int>(i);
  }
  return -1;
}

void DBGrid::setSelectedIndex(int index) {
  if (index < -1 || index >= columnCount()) {
    throw std::out_of_range("Column " + std::to_string(index) + " of '" + name() + "'");
  }
  assign(selectedIndex_, index, Prop::SelectedIndex);
}

Column* DBGrid::selectedColumn() const {
  return selectedIndex_ >= 0 ? columns_[static_cast<size_t>(selectedIndex_)].get() : nullptr;
}

ClientDataSet* DBGrid::dataSet() const {
  if (dataSource_ == nullptr || dataSource_->state() == DataSetState::Inactive) return nullptr;
  return dataSource_->dataSet();
}

Field* DBGrid::columnField(int dataCol) const {
  const Column& col = column(dataCol);
  ClientDataSet* ds = dataSet();
  return ds != nullptr ? ds->findField(col.fieldName()) : nullptr;
}

int DBGrid::currentRow() const {
  const ClientDataSet* ds = dataSet();
  if (ds == nullptr || ds->displayRowCount() == 0) return -1;
  return ds->recNo() - 1;
}

// ---- Editing ----------------------------------------------------------------------------------

void DBGrid::setEditorMode(bool open) {
  if (!open) {
    editorModified_ = false;
    editorSelected_ = false;
  }
  assign(editorMode_, open, Prop::Editor);
}

bool DBGrid::canEditField(const Field& field) const {
  if (!hasOption(GridOption::Editing) || readOnly_ || !effectiveEnabled()) return false;
  const ClientDataSet* ds = dataSet();
  if (ds == nullptr || &field.dataSet() != ds || field.index() < 0) return false;
  if (field.readOnly() || field.isCalculated()) return false;
  const DataSetState state = ds->state();
  const bool modifiable =
      state == DataSetState::Browse || state == DataSetState::Edit || state == DataSetState::Insert;
  return modifiable && !ds->controlsDisabled();
}

bool DBGrid::canEditCell(int dataCol) const {
  const Column& col = column(dataCol);
  if (!col.visible() || col.readOnly()) return false;
  const Field* field = columnField(dataCol);
  return field != nullptr && canEditField(*field);
}

bool DBGrid::showEditor() {
  if (editorMode_) return true;
  if (selectedIndex_ < 0 || !canEditCell(selectedIndex_)) return false;
  std::string text;
  try {
    text = columnField(selectedIndex_)->text();
  } catch (const std::exception&) {
    // A text handler that fails leaves the editor empty rather than closed.
  }
  setEditorText(std::move(text));
  setEditorMode(true);
  editorModified_ = false;
  editorSelected_ = true;
  return true;
}

bool DBGrid::changeEditorText(std::string text) {
  if (!editorMode_) return false;
  ClientDataSet* ds = dataSet();
  if (ds != nullptr && ds->state() == DataSetState::Browse) ds->edit();
  setEditorText(std::move(text));
  editorModified_ = true;
  editorSelected_ = false;
  return true;
}

bool DBGrid::writeCell(int dataCol, std::string_view text) {
  if (!canEditCell(dataCol)) return false;
  ClientDataSet& ds = *dataSet();
  if (ds.state() == DataSetState::Browse) ds.edit();
  columnField(dataCol)->setAsString(text);
  return true;
}

bool DBGrid::commitEditor() {
  if (!editorMode_) return true;
  bool written = true;
  if (editorModified_ && selectedIndex_ >= 0) written = writeCell(selectedIndex_, editorText_);
  hideEditor();
  return written;
}

bool DBGrid::hasEditButton(int dataCol) const {
  return column(dataCol).buttonStyle() == ColumnButtonStyle::Ellipsis && canEditCell(dataCol);
}

bool DBGrid::pressEditButton() {
  if (selectedIndex_ < 0 || !hasEditButton(selectedIndex_)) return false;
  editButtonClick();
  return true;
}

void DBGrid::updateRecord(DataSource& source) {
  if (&source == dataSource_) commitEditor();
}

void DBGrid::discardEdits(DataSource& source) {
  if (&source == dataSource_) hideEditor();
}

GridDrawState DBGrid::cellState(bool currentRow, int dataCol) const {
  if (!currentRow) return {};
  const bool rowSelect = hasOption(GridOption::RowSelect);
  const bool isCurrentCell = dataCol == selectedIndex_;
  const bool shown = focused() || rowSelect || hasOption(GridOption::AlwaysShowSelection);
  const bool selected = shown && (rowSelect || isCurrentCell);
  if (!selected) return {};
  if (isCurrentCell && focused()) return {DrawFlag::Selected, DrawFlag::Focused};
  return {DrawFlag::Selected};
}

void DBGrid::drawCell(Canvas& canvas, const Rect& rect, int dataCol, GridDrawState state,
                      std::string_view displayText) {
  Column& col = column(dataCol);
  const bool selected = state.contains(DrawFlag::Selected);
  canvas.setBrushColor(selected ? clHighlight : color());
  canvas.setFontColor(selected ? clHighlightText : fontColor());
  canvas.setFontBold(fontBold());
  if (defaultDrawing_) {
    int x = rect.left + 2;
    if (col.alignment() == Alignment::Right) {
      x = rect.right - 2 - canvas.textWidth(displayText);
    } else if (col.alignment() == Alignment::Center) {
      x = rect.left + (rect.width() - canvas.textWidth(displayText)) / 2;
    }
    canvas.textRect(rect, x, rect.top + 2, displayText);
  }
  if (onDrawColumnCell) onDrawColumnCell(canvas, rect, dataCol, col, state);
}

bool DBGrid::selectColumn(int index) {
  Column& target = column(index);
  if (index == selectedIndex_) return true;
  if (!target.visible()) return false;
  commitEditor();
  if (onColExit) onColExit();
  setSelectedIndex(index);
  if (onColEnter) onColEnter();
  return true;
}

bool DBGrid::selectRow(int row) {
  ClientDataSet* ds = dataSet();
  if (!canFocus() || ds == nullptr || row < 0 || row >= ds->displayRowCount()) return false;
  if (row == currentRow()) return true;
  commitEditor();
  if (ds->state() == DataSetState::Insert) ds->post();
  if (row < ds->recordCount() && row + 1 != ds->recNo()) ds->setRecNo(row + 1);
  return true;
}

int DBGrid::nextVisibleColumn(int from, int step) const {
  for (int i = from + step; i >= 0 && i < columnCount(); i += step)
    if (columns_[static_cast<size_t>(i)]->visible()) return i;
  return -1;
}

void DBGrid::keyLeft(Key key, ShiftState shift, char32_t typed) {
  if (typed >= 32 && typed != 127) {
    if (!showEditor()) return;
    std::string text = editorSelected_ ? std::string() : editorText_;
    appendUtf8(text, typed);
    changeEditorText(std::move(text));
    return;
  }
  if (typed == 8 || key == VK_BACK) {
    if (!showEditor()) return;
    std::string text = editorSelected_ ? std::string() : editorText_;
    dropLastUtf8(text);
    changeEditorText(std::move(text));
    return;
  }
  if (typed == 13 || key == VK_RETURN) {
    commitEditor();
    return;
  }
  if (typed == 27 || key == VK_ESCAPE) {
    hideEditor();
    return;
  }
  int column = -1;
  switch (key) {
    case VK_F2:
      showEditor();
      return;
    case VK_UP:
    case VK_DOWN:
      if (currentRow() >= 0) selectRow(currentRow() + (key == VK_UP ? -1 : 1));
      return;
    case VK_TAB:
      if (!hasOption(GridOption::Tabs)) return;
      column = nextVisibleColumn(selectedIndex_, shift.contains(Modifier::Shift) ? -1 : 1);
      break;
    case VK_LEFT:
    case VK_RIGHT:
      if (editorMode_) return;
      column = nextVisibleColumn(selectedIndex_, key == VK_LEFT ? -1 : 1);
      break;
    default:
      return;
  }
  if (column >= 0) selectColumn(column);
}

void DBGrid::editButtonClick() {
  if (onEditButtonClick) onEditButtonClick();
}

void DBGrid::cellClick(int dataCol) {
  Column& col = column(dataCol);
  if (onCellClick) onCellClick(col);
}

void DBGrid::titleClick(int dataCol) {
  Column& col = column(dataCol);
  if (onTitleClick) onTitleClick(col);
}

}  // namespace platform::ui
