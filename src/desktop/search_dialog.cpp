#include "desktop/search_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "desktop/qt_text.h"
#include "platform/client_dataset.h"
#include "platform/data_source.h"
#include "platform/field.h"
#include "platform/search_filter.h"

namespace desktop {

namespace {

bool isNumeric(platform::FieldType type) {
  return type == platform::FieldType::Float || type == platform::FieldType::Integer;
}

}  // namespace

// ---- Rows ---------------------------------------------------------------------------------------

void SearchRowsModel::load(const platform::ClientDataSet& ds) {
  std::vector<Column> columns;
  std::vector<const platform::Field*> shown;
  for (const platform::Field* f : ds.fields()) {
    if (!f->visible()) continue;
    shown.push_back(f);
    columns.push_back(
        {qs(f->displayLabel()), f->displayWidth(),
         (isNumeric(f->fieldType()) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter});
  }
  const platform::Field* code = ds.findField("CDARVPROD");
  const platform::Field* name = ds.findField("NMPRODUTO");
  if (code == nullptr && name == nullptr) {
    code = !shown.empty() ? shown[0] : nullptr;
    name = shown.size() > 1 ? shown[1] : nullptr;
  }

  std::vector<Row> rows;
  const int count = ds.active() ? ds.recordCount() : 0;
  rows.reserve(static_cast<size_t>(count));
  // A record being inserted is a display row of its own; the list shows stored records only.
  const bool inserting = ds.displayRowCount() != count;
  auto& cds = const_cast<platform::ClientDataSet&>(ds);
  auto readRow = [&](int recNo) {
    Row row;
    row.recNo = recNo;
    row.cells.reserve(shown.size());
    for (const platform::Field* f : shown)
      row.cells.push_back(qs(f->displayText()));
    if (code != nullptr) row.code = code->displayText();
    // Folded once here, so a keystroke does not fold every name again.
    if (name != nullptr) row.name = platform::foldForSearch(name->displayText());
    rows.push_back(std::move(row));
  };
  if (!inserting) {
    for (int r = 1; r <= count; ++r)
      cds.withDisplayRow(r, [&] { readRow(r); });
  } else {
    const int insertedAt = ds.recNo();
    for (int r = 1, display = 1; r <= count; ++r, ++display) {
      if (display == insertedAt) ++display;
      cds.withDisplayRow(display, [&] { readRow(r); });
    }
  }
  setRows(std::move(columns), std::move(rows));
}

void SearchRowsModel::setRows(std::vector<Column> columns, std::vector<Row> rows) {
  beginResetModel();
  columns_ = std::move(columns);
  rows_ = std::move(rows);
  endResetModel();
}

int SearchRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int SearchRowsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant SearchRowsModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  if (role == Qt::DisplayRole)
    return rows_[static_cast<size_t>(index.row())].cells[static_cast<size_t>(index.column())];
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(columns_[static_cast<size_t>(index.column())].alignment);
  return {};
}

QVariant SearchRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  if (role == Qt::DisplayRole) return columns_[static_cast<size_t>(section)].title;
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(columns_[static_cast<size_t>(section)].alignment);
  return {};
}

int SearchRowsModel::rowOfRecNo(int recNo) const {
  // Snapshot rows are in record order, one per record.
  const int r = recNo - 1;
  return r >= 0 && r < rowCount() && rows_[static_cast<size_t>(r)].recNo == recNo ? r : -1;
}

// ---- Filter -------------------------------------------------------------------------------------

void SearchFilterModel::setTyped(const QString& typed) {
  std::string now = utf8(typed);
  if (now == typed_) return;
  typed_ = std::move(now);
  // One layout change, not a removal or insertion per run of rows: with thousands of rows the
  // views' bookkeeping of scattered runs cost more than the filtering.
  invalidate();
}

bool SearchFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
  const auto* rows = static_cast<const SearchRowsModel*>(sourceModel());
  const SearchRowsModel::Row& row = rows->row(sourceRow);
  return platform::searchMatches(typed_, row.code, row.name);
}

// ---- Dialog -------------------------------------------------------------------------------------

SearchDialog::SearchDialog(const QString& title, const QString& emptyText, bool filterAsTyped,
                           QWidget* parent)
    : QDialog(parent), filterAsTyped_(filterAsTyped) {
  setWindowTitle(title);
  setModal(true);
  filter_.setSourceModel(&rows_);

  edit_ = new QLineEdit(this);
  edit_->setObjectName(QStringLiteral("searchText"));
  edit_->setPlaceholderText(QString::fromUtf8("Digite parte do código ou do nome"));
  edit_->setClearButtonEnabled(true);
  edit_->installEventFilter(this);

  table_ = new QTableView(this);
  table_->setObjectName(QStringLiteral("searchRows"));
  table_->setModel(&filter_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setWordWrap(false);
  table_->setAlternatingRowColors(true);
  table_->setTabKeyNavigation(false);
  table_->verticalHeader()->hide();
  // Fixed row heights keep 20,000 rows from being measured one by one.
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->horizontalHeader()->setHighlightSections(false);
  table_->installEventFilter(this);
  connect(table_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    if (!index.isValid()) return;
    table_->setCurrentIndex(index);
    choose();
  });

  empty_ = new QLabel(emptyText, this);
  empty_->setObjectName(QStringLiteral("emptyText"));
  empty_->setAlignment(Qt::AlignCenter);
  empty_->setWordWrap(true);

  stack_ = new QStackedWidget(this);
  stack_->addWidget(table_);
  stack_->addWidget(empty_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(edit_);
  layout->addWidget(stack_, 1);

  if (filterAsTyped_) connect(edit_, &QLineEdit::textChanged, this, [this] { applyFilter(); });
}

void SearchDialog::showRows(int recNo) {
  const QFontMetrics metrics(table_->font());
  // Digits are wider than the average character: sized by the average, a whole product code did
  // not fit its column.
  const int charWidth =
      std::max({metrics.averageCharWidth(), metrics.horizontalAdvance(QLatin1Char('0')), 1});
  int total = 0;
  for (int c = 0; c < rows_.columnCount(); ++c) {
    const SearchRowsModel::Column& column = rows_.column(c);
    const int width =
        std::max(column.widthChars * charWidth, metrics.horizontalAdvance(column.title)) + 12;
    table_->setColumnWidth(c, width);
    total += width;
  }
  // Wide enough for its columns, within reason; tall enough for a good page of rows.
  resize(std::clamp(total + 40, 360, 900), 420);
  const int row = rows_.rowOfRecNo(recNo);
  const QModelIndex at = filter_.mapFromSource(rows_.index(row >= 0 ? row : 0, 0));
  if (at.isValid()) {
    table_->setCurrentIndex(at);
    table_->scrollTo(at, QAbstractItemView::PositionAtCenter);
  }
  showListOrText();
  edit_->setFocus();
}

void SearchDialog::applyFilter() {
  filter_.setTyped(edit_->text());
  if (!table_->currentIndex().isValid() && filter_.rowCount() > 0)
    table_->setCurrentIndex(filter_.index(0, 0));
  showListOrText();
}

void SearchDialog::showListOrText() {
  // Nothing to choose from at all shows the list's own text; a filter that keeps nothing keeps
  // the (empty) list, so the user sees the typing is what hides the rows.
  stack_->setCurrentWidget(rows_.rowCount() == 0 ? static_cast<QWidget*>(empty_) : table_);
}

void SearchDialog::choose() {
  const QModelIndex current = table_->currentIndex();
  if (!current.isValid()) return;
  chosen_ = rows_.row(filter_.mapToSource(current).row()).recNo;
  accept();
}

bool SearchDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (watched == edit_ && !filterAsTyped_ && filter_.typed() != utf8(edit_->text())) {
        applyFilter();
        return true;
      }
      choose();
      return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      // The arrows move through the rows while the user keeps typing.
      if (watched == edit_) {
        QApplication::sendEvent(table_, key);
        return true;
      }
      break;
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

// ---- Host services ------------------------------------------------------------------------------

bool QtSearchList::Pesquisar(platform::DataSource& source, const std::string& caption, bool,
                             bool filterAsTyped) {
  platform::ClientDataSet* ds = source.dataSet();
  const platform::SearchCaption parts = platform::splitSearchCaption(caption);
  SearchDialog dialog(qs(parts.title), qs(parts.emptyText), filterAsTyped,
                      QApplication::activeWindow());
  if (ds != nullptr) dialog.rows().load(*ds);
  dialog.showRows(ds != nullptr && ds->active() ? ds->recNo() : 0);
  if (onOpened) onOpened(dialog);
  if (dialog.exec() != QDialog::Accepted || dialog.chosenRecNo() == 0 || ds == nullptr)
    return false;
  ds->setRecNo(dialog.chosenRecNo());
  return true;
}

std::string QtClipboard::text() const {
  return utf8(QGuiApplication::clipboard()->text());
}

void QtClipboard::setText(const std::string& text) {
  QGuiApplication::clipboard()->setText(qs(text));
}

}  // namespace desktop
