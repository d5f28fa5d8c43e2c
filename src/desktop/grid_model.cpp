#include "desktop/grid_model.h"

#include <algorithm>
#include <exception>

namespace desktop {
namespace {

Qt::Alignment toQt(platform::ui::Alignment alignment) {
  switch (alignment) {
    case platform::ui::Alignment::Right:
      return Qt::AlignRight | Qt::AlignVCenter;
    case platform::ui::Alignment::Center:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    case platform::ui::Alignment::Left:
      break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

QString fromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

GridModel::GridModel(platform::ui::DBGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid) {
  gridObserver_ = grid_.addObserver([this](platform::ui::Component&, platform::ui::Prop what) {
    if (what == platform::ui::Prop::DataBinding) {
      unbind();
      bind();
      reload();
    } else if (what == platform::ui::Prop::Columns) {
      reload();
    }
  });
  bind();
  rebuildColumns();
  wasActive_ = dataSet() != nullptr;
  lastCurrent_ = currentRow();
}

GridModel::~GridModel() {
  grid_.removeObserver(gridObserver_);
  unbind();
}

void GridModel::bind() {
  source_ = grid_.dataSource();
  if (source_ != nullptr) source_->addListener(this);
}

void GridModel::unbind() {
  if (source_ != nullptr) source_->removeListener(this);
  source_ = nullptr;
}

platform::ClientDataSet* GridModel::dataSet() const {
  if (source_ == nullptr || source_->state() == platform::DataSetState::Inactive) return nullptr;
  return source_->dataSet();
}

void GridModel::rebuildColumns() {
  columns_.clear();
  rows_ = 0;
  platform::ClientDataSet* ds = dataSet();
  if (grid_.columnCount() > 0) {
    for (int i = 0; i < grid_.columnCount(); ++i) {
      const platform::ui::Column& column = grid_.column(i);
      if (!column.visible()) continue;
      columns_.push_back({i, ds != nullptr ? ds->findField(column.fieldName()) : nullptr});
    }
  } else if (ds != nullptr) {
    for (platform::Field* f : ds->fields())
      if (f->visible()) columns_.push_back({-1, f});
  }
  if (ds != nullptr) rows_ = ds->displayRowCount();
}

void GridModel::reload() {
  beginResetModel();
  rebuildColumns();
  endResetModel();
  wasActive_ = dataSet() != nullptr;
  lastCurrent_ = currentRow();
  if (onCurrentRowChanged) onCurrentRowChanged(lastCurrent_);
}

int GridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

int GridModel::gridColumn(int column) const {
  if (column < 0 || column >= static_cast<int>(columns_.size())) return -1;
  return columns_[static_cast<size_t>(column)].gridColumn;
}

int GridModel::modelColumn(int gridColumn) const {
  for (size_t i = 0; i < columns_.size(); ++i)
    if (columns_[i].gridColumn == gridColumn) return static_cast<int>(i);
  return -1;
}

platform::Field* GridModel::field(int column) const {
  if (column < 0 || column >= static_cast<int>(columns_.size())) return nullptr;
  platform::Field* f = columns_[static_cast<size_t>(column)].field;
  return f != nullptr && f->index() >= 0 ? f : nullptr;
}

int GridModel::currentRow() const {
  return grid_.currentRow();
}

void GridModel::moveToRow(int row) {
  grid_.selectRow(row);
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rows_ || index.column() >= columnCount()) return {};
  if (role == Qt::TextAlignmentRole) {
    const int g = gridColumn(index.column());
    return g >= 0 ? QVariant(toQt(grid_.column(g).alignment())) : QVariant();
  }
  if (role != Qt::DisplayRole) return {};
  platform::ClientDataSet* ds = dataSet();
  platform::Field* f = field(index.column());
  if (ds == nullptr || f == nullptr || index.row() >= ds->displayRowCount()) return {};
  // A view may ask while a handler has the dataset mid-operation (a paint during a remote
  // call); show nothing rather than let the error escape into the view.
  try {
    std::string text;
    ds->withDisplayRow(index.row() + 1, [&] { text = f->displayText(); });
    return fromUtf8(text);
  } catch (const std::exception&) {
    return {};
  }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Vertical) {
    if (role != Qt::DisplayRole) return {};
    if (section < 0 || section >= rows_ || section != currentRow()) return QString();
    switch (dataSet()->state()) {
      case platform::DataSetState::Edit:
        return QString::fromUtf8("✎");
      case platform::DataSetState::Insert:
        return QStringLiteral("*");
      default:
        return QString::fromUtf8("▶");
    }
  }
  if (section < 0 || section >= columnCount()) return {};
  const int g = gridColumn(section);
  if (role == Qt::TextAlignmentRole) {
    return g >= 0 ? QVariant(toQt(grid_.column(g).titleAlignment()))
                  : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
  }
  if (role != Qt::DisplayRole) return {};
  if (g >= 0 && !grid_.column(g).title().empty()) return fromUtf8(grid_.column(g).title());
  if (platform::Field* f = field(section)) return fromUtf8(f->displayLabel());
  return g >= 0 ? fromUtf8(grid_.column(g).fieldName()) : QVariant();
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  // Fields shown without columns are for reading: the grid's editor works on its columns.
  const int g = gridColumn(index.column());
  if (g >= 0 && grid_.canEditCell(g)) result |= Qt::ItemIsEditable;
  return result;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || index.row() != currentRow()) return false;
  const int g = gridColumn(index.column());
  if (g < 0) return false;
  return grid_.writeCell(g, value.toString().toStdString());
}

void GridModel::dataChanged(platform::DataSource&, const platform::Field* changed) {
  platform::ClientDataSet* ds = dataSet();
  if (ds == nullptr || ds->displayRowCount() != rows_) {
    reload();
    return;
  }
  const int current = currentRow();
  const int last = columnCount() - 1;
  if (changed == nullptr && lastCurrent_ >= 0 && lastCurrent_ < rows_ && last >= 0)
    emit QAbstractTableModel::dataChanged(index(lastCurrent_, 0), index(lastCurrent_, last));
  if (current >= 0 && last >= 0)
    emit QAbstractTableModel::dataChanged(index(current, 0), index(current, last));
  const bool moved = current != lastCurrent_;
  if (moved || changed == nullptr) {
    const int low = std::max(std::min(current, lastCurrent_), 0);
    const int high = std::min(std::max(current, lastCurrent_), rows_ - 1);
    if (low <= high) emit headerDataChanged(Qt::Vertical, low, high);
  }
  lastCurrent_ = current;
  if (moved && onCurrentRowChanged) onCurrentRowChanged(current);
}

void GridModel::stateChanged(platform::DataSource& source) {
  // Entering or leaving edit keeps the rows: a reset would close an open cell editor.
  const bool active = dataSet() != nullptr;
  if (active != wasActive_ || !active) {
    reload();
    return;
  }
  dataChanged(source, nullptr);
}

void GridModel::layoutChanged(platform::DataSource&) {
  reload();
}

}  // namespace desktop
