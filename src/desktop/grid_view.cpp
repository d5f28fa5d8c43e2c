#include "desktop/grid_view.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <exception>

#include "desktop/painter_canvas.h"
#include "desktop/qt_text.h"
#include "desktop/user_event.h"

namespace desktop {
namespace {

constexpr int kFallbackColumnWidth = 64;

}  // namespace

// ---- Cell painting and editing ----------------------------------------------------------------

CellDelegate::CellDelegate(GridView& view) : QStyledItemDelegate(&view), view_(view) {}

void CellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
  GridModel& model = view_.gridModel();
  platform::ui::DBGrid& grid = view_.grid();
  const QPalette& palette = view_.palette();
  painter->fillRect(option.rect, toQColor(grid.color(), palette));
  platform::ClientDataSet* ds = model.dataSet();
  // Disabled controls mean "do not repaint": the records are being walked or reloaded.
  if (ds == nullptr || ds->controlsDisabled() || index.row() >= ds->displayRowCount()) return;

  painter->save();
  painter->setClipRect(option.rect);
  painter->setFont(option.font);
  {
    QPainterCanvas canvas(*painter, palette);
    const platform::ui::Rect rect = toUiRect(option.rect);
    const int gridColumn = model.gridColumn(index.column());
    const platform::Field* field = model.field(index.column());
    const bool currentRow = index.row() == model.currentRow();
    try {
      ds->withDisplayRow(index.row() + 1, [&] {
        const std::string text = field != nullptr ? field->displayText() : std::string();
        if (gridColumn >= 0) {
          grid.drawCell(canvas, rect, gridColumn, grid.cellState(currentRow, gridColumn), text);
        } else {
          canvas.setBrushColor(currentRow ? platform::ui::clHighlight : grid.color());
          canvas.setFontColor(currentRow ? platform::ui::clHighlightText : grid.fontColor());
          canvas.fillRect(rect);
          canvas.textRect(rect, rect.left + 2, rect.top + 2, text);
        }
      });
    } catch (const std::exception&) {
      // A painting handler that fails leaves the cell as far as it got; painting cannot report.
    }
  }
  painter->restore();
}

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                    const QModelIndex&) const {
  auto* editor = new QLineEdit(parent);
  editor->setFrame(false);
  platform::ui::DBGrid* grid = &view_.grid();
  QObject::connect(editor, &QLineEdit::textEdited,
                   [grid](const QString& text) { grid->setEditorText(utf8(text)); });
  grid->setEditorMode(true);
  return editor;
}

void CellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  auto* line = static_cast<QLineEdit*>(editor);
  GridModel& model = view_.gridModel();
  platform::ClientDataSet* ds = model.dataSet();
  const platform::Field* field = model.field(index.column());
  if (ds == nullptr || field == nullptr || index.row() >= ds->displayRowCount()) return;
  std::string text;
  try {
    ds->withDisplayRow(index.row() + 1, [&] { text = field->text(); });
  } catch (const std::exception&) {
    return;
  }
  line->setText(qs(text));
  view_.grid().setEditorText(text);
  line->selectAll();
}

void CellDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                const QModelIndex& index) const {
  const std::string text = utf8(static_cast<QLineEdit*>(editor)->text());
  GridModel& model = view_.gridModel();
  runUserEvent([&] { model.writeCell(index.column(), text); });
}

void CellDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
  view_.grid().setEditorMode(false);
  QStyledItemDelegate::destroyEditor(editor, index);
}

// ---- View -------------------------------------------------------------------------------------

GridView::GridView(platform::ui::DBGrid& grid, QWidget* parent)
    : QTableView(parent),
      grid_(grid),
      model_(new GridModel(grid, this)),
      delegate_(new CellDelegate(*this)) {
  setModel(model_);
  setItemDelegate(delegate_);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  horizontalHeader()->setHighlightSections(false);

  horizontalHeader()->setSectionsMovable(false);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setHighlightSections(false);
  verticalHeader()->setSectionsClickable(false);
  verticalHeader()->setFixedWidth(14);
  verticalHeader()->setDefaultAlignment(Qt::AlignCenter);

  model_->onCurrentRowChanged = [this](int) { followModel(); };
  QObject::connect(model_, &QAbstractItemModel::modelReset, this, [this] {
    applyColumns();
    followModel();
  });
  QObject::connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
    const int column = model_->gridColumn(section);
    if (column >= 0) runUserEvent([&] { grid_.titleClick(column); });
  });
  QObject::connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
    const int column = model_->gridColumn(index.column());
    if (column >= 0) runUserEvent([&] { grid_.cellClick(column); });
  });
  refresh();
}

void GridView::applyColumns() {
  const QFontMetrics metrics(font());
  const int charWidth = std::max(metrics.averageCharWidth(), 1);
  for (int c = 0; c < model_->columnCount(); ++c) {
    const int g = model_->gridColumn(c);
    int width = g >= 0 ? grid_.column(g).width() : platform::ui::Column::kDefaultWidth;
    if (width < 0) {
      const platform::Field* field = model_->field(c);
      width = field != nullptr ? field->displayWidth() * charWidth + 4 : kFallbackColumnWidth;
    }
    if (columnWidth(c) != width) setColumnWidth(c, width);
  }
}

void GridView::refresh() {
  using platform::ui::GridOption;
  // The screens give columns about their titles' width; titles a pixel smaller keep them whole.
  QFont titleFont = font();
  titleFont.setPixelSize(std::max(font().pixelSize() - 1, 8));
  if (horizontalHeader()->font() != titleFont) horizontalHeader()->setFont(titleFont);
  QPalette pal = palette();
  const QColor base = toQColor(grid_.color(), pal);
  if (pal.color(QPalette::Base) != base) {
    pal.setColor(QPalette::Base, base);
    setPalette(pal);
  }
  const bool titles = grid_.hasOption(GridOption::Titles);
  if (horizontalHeader()->isVisible() != titles) horizontalHeader()->setVisible(titles);
  const bool indicator = grid_.hasOption(GridOption::Indicator);
  if (verticalHeader()->isVisible() != indicator) verticalHeader()->setVisible(indicator);
  setShowGrid(grid_.hasOption(GridOption::ColLines) || grid_.hasOption(GridOption::RowLines));
  horizontalHeader()->setSectionResizeMode(
      grid_.hasOption(GridOption::ColumnResize) ? QHeaderView::Interactive : QHeaderView::Fixed);
  const int rowHeight = fontMetrics().height() + 4;
  if (verticalHeader()->defaultSectionSize() != rowHeight) {
    verticalHeader()->setMinimumSectionSize(rowHeight);
    verticalHeader()->setDefaultSectionSize(rowHeight);
  }
  const bool editing = grid_.hasOption(GridOption::Editing) && !grid_.readOnly();
  setEditTriggers(editing ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                QAbstractItemView::AnyKeyPressed
                          : QAbstractItemView::NoEditTriggers);
  applyColumns();
  followModel();
  viewport()->update();
}

void GridView::followModel() {
  const int row = model_->currentRow();
  int column = model_->modelColumn(grid_.selectedIndex());
  if (column < 0 && model_->columnCount() > 0) column = 0;
  const QModelIndex target = row >= 0 && column >= 0 ? model_->index(row, column) : QModelIndex();
  if (target == currentIndex()) return;
  following_ = true;
  selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
  if (target.isValid()) scrollTo(target);
  following_ = false;
}

void GridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  viewport()->update();
  if (following_ || !current.isValid()) return;
  runUserEvent([&] {
    if (current.row() != model_->currentRow()) model_->moveToRow(current.row());
    const int column = model_->gridColumn(current.column());
    if (column >= 0 && column != grid_.selectedIndex()) grid_.selectColumn(column);
  });
  // A refused move leaves the dataset where it was: show it there.
  followModel();
}

}  // namespace desktop
