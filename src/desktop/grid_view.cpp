#include "desktop/grid_view.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <exception>

#include "desktop/column_fit.h"
#include "desktop/painter_canvas.h"
#include "desktop/qt_text.h"
#include "desktop/widget_actions.h"
#include "platform/client_dataset.h"
#include "platform/ui/user_event.h"

namespace desktop {

namespace ui = platform::ui;
using platform::ui::runUserEvent;

namespace {

constexpr int kFallbackColumnWidth = 64;

// The edit button's face: an ellipsis in the editor's text colour.
QIcon ellipsisIcon(const QWidget& editor) {
  const int side = editor.fontMetrics().height();
  QPixmap pixmap(side, side);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setFont(editor.font());
  painter.setPen(editor.palette().color(QPalette::Text));
  painter.drawText(pixmap.rect(), Qt::AlignCenter, QString::fromUtf8("…"));
  return QIcon(pixmap);
}

}  // namespace

// ---- Cell painting and editing ----------------------------------------------------------------

CellDelegate::CellDelegate(GridView& view) : QStyledItemDelegate(&view), view_(view) {}

void CellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
  GridModel& model = view_.gridModel();
  ui::DBGrid& grid = view_.grid();
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
    const ui::Rect rect = toUiRect(option.rect);
    const int gridColumn = model.gridColumn(index.column());
    const platform::Field* field = model.field(index.column());
    const bool currentRow = index.row() == model.currentRow();
    try {
      ds->withDisplayRow(index.row() + 1, [&] {
        const std::string text = field != nullptr ? field->displayText() : std::string();
        if (gridColumn >= 0) {
          grid.drawCell(canvas, rect, gridColumn, grid.cellState(currentRow, gridColumn), text);
        } else {
          canvas.setBrushColor(currentRow ? ui::clHighlight : grid.color());
          canvas.setFontColor(currentRow ? ui::clHighlightText : grid.fontColor());
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
                                    const QModelIndex& index) const {
  ui::DBGrid& grid = view_.grid();
  const GridModel& model = view_.gridModel();
  const int column = model.gridColumn(index.column());
  if (column < 0 || column != grid.selectedIndex() || index.row() != model.currentRow())
    return nullptr;
  bool opened = false;
  creating_ = true;
  runUserEvent([&grid, &opened] { opened = grid.showEditor(); });
  creating_ = false;
  if (!opened) return nullptr;

  auto* editor = new QLineEdit(parent);
  editor->setFrame(false);
  if (grid.hasEditButton(column)) {
    QAction* button = editor->addAction(ellipsisIcon(*editor), QLineEdit::TrailingPosition);
    button->setObjectName(QStringLiteral("editButton"));
    QObject::connect(button, &QAction::triggered, editor,
                     [&grid] { runUserEvent([&grid] { grid.pressEditButton(); }); });
  }
  QObject::connect(editor, &QLineEdit::textChanged, editor, [this, editor](const QString& now) {
    if (settingText_) return;
    ui::DBGrid& g = view_.grid();
    const std::string typed = utf8(now);
    if (typed == g.editorText()) return;
    runUserEvent([&g, &typed] { g.changeEditorText(typed); });
    // A refused change (the dataset would not edit) puts the text back.
    if (g.editorMode() && g.editorText() != typed) setText(*editor, g.editorText());
  });
  open_ = editor;
  return editor;
}

void CellDelegate::setText(QLineEdit& editor, const std::string& text) const {
  settingText_ = true;
  editor.setText(qs(text));
  settingText_ = false;
}

void CellDelegate::setEditorData(QWidget* editor, const QModelIndex&) const {
  auto* line = static_cast<QLineEdit*>(editor);
  if (qs(view_.grid().editorText()) == line->text()) return;
  setText(*line, view_.grid().editorText());
  line->selectAll();
}

void CellDelegate::setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const {
  // The view closes its editor after committing; the grid's closing must not close it again.
  open_ = nullptr;
  ui::DBGrid& grid = view_.grid();
  runUserEvent([&grid] { grid.commitEditor(); });
}

void CellDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
  if (open_ == editor) open_ = nullptr;
  view_.grid().hideEditor();
  QStyledItemDelegate::destroyEditor(editor, index);
}

void CellDelegate::followGrid() {
  QLineEdit* editor = open_.data();
  const ui::DBGrid& grid = view_.grid();
  if (editor == nullptr) {
    // Code opened the grid's editor: show it on the current cell.
    if (grid.editorMode() && !creating_) view_.edit(view_.currentIndex());
    return;
  }
  if (!grid.editorMode()) {
    open_ = nullptr;
    view_.closeEditor(editor, QAbstractItemDelegate::NoHint);
  } else if (utf8(editor->text()) != grid.editorText()) {
    setText(*editor, grid.editorText());
  }
}

// ---- View -------------------------------------------------------------------------------------

GridView::GridView(ui::DBGrid& grid, FormRenderer& renderer, QWidget* parent)
    : ViewOf(grid, renderer, parent),
      model_(new GridModel(grid, this)),
      delegate_(new CellDelegate(*this)) {
  setModel(model_);
  setItemDelegate(delegate_);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  // Whether a cell opens its editor is the grid's answer (the model's flags).
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  horizontalHeader()->setHighlightSections(false);

  horizontalHeader()->setSectionsMovable(false);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setHighlightSections(false);
  verticalHeader()->setSectionsClickable(false);
  verticalHeader()->setFixedWidth(14);
  verticalHeader()->setDefaultAlignment(Qt::AlignCenter);

  model_->onCurrentRowChanged = [this](int) { followModel(); };
  QObject::connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
    // A burst of re-reads (a day's load) keeps what the user saw before the first.
    if (restorePending_) return;
    keptScroll_ = horizontalScrollBar()->value();
    keptColumn_ = currentIndex().column();
  });
  QObject::connect(model_, &QAbstractItemModel::modelReset, this, [this] {
    contentWidths_ = contentWidths(*this, *model_, fontMetrics());
    applyColumns();
    followModel();
    // Re-read rows keep the columns the user scrolled to, once the view has laid them out
    // again (its delayed layout starts them from the left).
    if (restorePending_) return;
    restorePending_ = true;
    QTimer::singleShot(0, this, [this] {
      restorePending_ = false;
      if (currentIndex().column() == keptColumn_) horizontalScrollBar()->setValue(keptScroll_);
      keptColumn_ = -1;
    });
  });
  QObject::connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
    const int column = model_->gridColumn(section);
    if (column >= 0) runUserEvent([this, column] { this->grid().titleClick(column); });
  });
  QObject::connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
    const int column = model_->gridColumn(index.column());
    if (column >= 0) runUserEvent([this, column] { this->grid().cellClick(column); });
  });
  gridObserver_ = grid.addObserver([this](ui::Component&, ui::Prop what) {
    if (what == ui::Prop::Editor) delegate_->followGrid();
  });
  refresh();
  // The titles are measured in the header's font, which refresh() sets.
  contentWidths_ = contentWidths(*this, *model_, fontMetrics());
  applyColumns();
  WidgetActions::decorate(*this);
}

GridView::~GridView() {
  grid().removeObserver(gridObserver_);
}

void GridView::applyColumns() {
  const QFontMetrics metrics(font());
  const int charWidth = std::max(metrics.averageCharWidth(), 1);
  for (int c = 0; c < model_->columnCount(); ++c) {
    const int g = model_->gridColumn(c);
    int width = g >= 0 ? grid().column(g).width() : ui::Column::kDefaultWidth;
    if (width < 0) {
      const platform::Field* field = model_->field(c);
      width = field != nullptr ? field->displayWidth() * charWidth + 4 : kFallbackColumnWidth;
    }
    if (static_cast<size_t>(c) < contentWidths_.size())
      width = std::max(width, contentWidths_[static_cast<size_t>(c)]);
    if (columnWidth(c) != width) setColumnWidth(c, width);
  }
}

void GridView::refresh() {
  using ui::GridOption;
  const ui::DBGrid& g = grid();
  // The screens give columns about their titles' width; titles a pixel smaller keep them whole.
  QFont titleFont = font();
  titleFont.setPixelSize(std::max(font().pixelSize() - 1, 8));
  if (horizontalHeader()->font() != titleFont) horizontalHeader()->setFont(titleFont);
  QPalette pal = palette();
  const QColor base = toQColor(g.color(), pal);
  if (pal.color(QPalette::Base) != base) {
    pal.setColor(QPalette::Base, base);
    setPalette(pal);
  }
  const bool titles = g.hasOption(GridOption::Titles);
  if (horizontalHeader()->isVisible() != titles) horizontalHeader()->setVisible(titles);
  const bool indicator = g.hasOption(GridOption::Indicator);
  if (verticalHeader()->isVisible() != indicator) verticalHeader()->setVisible(indicator);
  setShowGrid(g.hasOption(GridOption::ColLines) || g.hasOption(GridOption::RowLines));
  horizontalHeader()->setSectionResizeMode(
      g.hasOption(GridOption::ColumnResize) ? QHeaderView::Interactive : QHeaderView::Fixed);
  const int rowHeight = fontMetrics().height() + 4;
  if (verticalHeader()->defaultSectionSize() != rowHeight) {
    verticalHeader()->setMinimumSectionSize(rowHeight);
    verticalHeader()->setDefaultSectionSize(rowHeight);
  }
  applyColumns();
  followModel();
  viewport()->update();
}

void GridView::followModel() {
  const int row = model_->currentRow();
  int column = model_->modelColumn(grid().selectedIndex());
  if (column < 0 && model_->columnCount() > 0) column = 0;
  const QModelIndex target = row >= 0 && column >= 0 ? model_->index(row, column) : QModelIndex();
  if (target == currentIndex()) return;
  const int scrolled = horizontalScrollBar()->value();
  const int previousColumn = currentIndex().isValid() ? currentIndex().column() : keptColumn_;
  following_ = true;
  selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
  if (target.isValid()) {
    scrollTo(target);
    // Another row in the same column keeps the columns the user scrolled to.
    if (target.column() == previousColumn) horizontalScrollBar()->setValue(scrolled);
  }
  following_ = false;
}

void GridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  const int scrolled = horizontalScrollBar()->value();
  QTableView::currentChanged(current, previous);
  // Up and down keep the columns the user scrolled to.
  if (previous.isValid() && current.column() == previous.column())
    horizontalScrollBar()->setValue(scrolled);
  viewport()->update();
  if (following_ || !current.isValid()) return;
  runUserEvent([this, &current] {
    ui::DBGrid& g = grid();
    if (current.row() != g.currentRow()) g.selectRow(current.row());
    const int column = model_->gridColumn(current.column());
    if (column >= 0 && column != g.selectedIndex()) g.selectColumn(column);
  });
  // A refused move leaves the dataset where it was: show it there.
  followModel();
}

}  // namespace desktop
