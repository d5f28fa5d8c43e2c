#include "platform/ui/db_grid.h"

#include <algorithm>
#include <stdexcept>

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
  if (onColExit) onColExit();
  setSelectedIndex(index);
  if (onColEnter) onColEnter();
  return true;
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
