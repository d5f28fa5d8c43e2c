// The host's search list and clipboard on the desktop.
//
// The search dialog lists a snapshot of the data source's visible rows taken once when it opens:
// typing then filters that snapshot through a proxy model and never touches the dataset, so a
// keystroke costs one pass of platform::searchMatches over the rows, whatever the dataset's own
// filters and events would cost. The dataset moves only when a row is chosen.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <QSortFilterProxyModel>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "remote/host_services.h"

class QLabel;
class QLineEdit;
class QStackedWidget;
class QTableView;

namespace platform {
class ClientDataSet;
}

namespace desktop {

// The rows of a search list as texts, each with the dataset's record number it came from.
class SearchRowsModel : public QAbstractTableModel {
 public:
  struct Column {
    QString title;
    int widthChars = 0;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
  };
  struct Row {
    std::vector<QString> cells;
    std::string code;  // the texts the filter compares, kept in UTF-8 and folded once
    std::string name;
    int recNo = 0;
  };

  explicit SearchRowsModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  // The visible fields and visible records of `ds`, without moving its cursor. The filter
  // compares CDARVPROD and NMPRODUTO when the dataset has them, else its first two visible
  // fields.
  void load(const platform::ClientDataSet& ds);
  void setRows(std::vector<Column> columns, std::vector<Row> rows);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  const Column& column(int c) const { return columns_[static_cast<size_t>(c)]; }
  const Row& row(int r) const { return rows_[static_cast<size_t>(r)]; }
  // The model row of record `recNo`, -1 when it is not listed.
  int rowOfRecNo(int recNo) const;

 private:
  std::vector<Column> columns_;
  std::vector<Row> rows_;
};

// Keeps the rows that platform::searchMatches keeps for the typed text.
class SearchFilterModel : public QSortFilterProxyModel {
 public:
  explicit SearchFilterModel(QObject* parent = nullptr) : QSortFilterProxyModel(parent) {}
  void setTyped(const QString& typed);
  const std::string& typed() const { return typed_; }

 protected:
  bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

 private:
  std::string typed_;
};

class SearchDialog : public QDialog {
 public:
  // `filterAsTyped` false filters only when Enter is pressed on a changed text.
  SearchDialog(const QString& title, const QString& emptyText, bool filterAsTyped,
               QWidget* parent = nullptr);

  SearchRowsModel& rows() { return rows_; }
  SearchFilterModel& filtered() { return filter_; }
  QLineEdit& filterEdit() { return *edit_; }
  QTableView& table() { return *table_; }
  QLabel& emptyLabel() { return *empty_; }

  // Highlights record `recNo` (the first row when it is not listed) and sizes the columns.
  void showRows(int recNo);
  // The record number of the chosen row once accepted; 0 otherwise.
  int chosenRecNo() const { return chosen_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void applyFilter();
  void choose();
  void showListOrText();

  SearchRowsModel rows_;
  SearchFilterModel filter_;
  QLineEdit* edit_;
  QStackedWidget* stack_;
  QTableView* table_;
  QLabel* empty_;
  bool filterAsTyped_;
  int chosen_ = 0;
};

class QtSearchList : public remote::SearchList {
 public:
  // Opens the dialog over the active window. Rows are read-only whatever `editable` says: the
  // list only chooses.
  bool Pesquisar(platform::DataSource& source, const std::string& caption, bool editable,
                 bool filterAsTyped) override;

  // Called with each dialog once it is filled, before it runs (tests, benchmarks).
  std::function<void(SearchDialog&)> onOpened;
};

class QtClipboard : public remote::Clipboard {
 public:
  std::string text() const override;
  void setText(const std::string& text) override;
};

}  // namespace desktop
