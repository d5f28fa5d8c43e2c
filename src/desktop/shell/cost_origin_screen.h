// The cost-origin screen (RCX00514): the supplier quotations a product's unit cost was taken
// from, one row each, with the quotation that set the cost in bold and ticked.
//
// Which rows set the cost: when the packet carries both the quotation's unit cost (VRUNITARIO)
// and the cost used (VRCUSTO), the rows whose unit cost equals the cost used to five decimals,
// except when the cost is the mean of several different prices (mode 44): then no row set it
// alone, none is marked and a caption says "Custo médio de N cotações". Without those fields
// every row is marked, as the server then answers only the quotations the cost was taken from.
// The title ends with the cost date (DTCUSTO) when the packet has it.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <string>
#include <vector>

#include "platform/data_packet.h"

namespace desktop {

class CostOriginModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit CostOriginModel(platform::DataPacket packet, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  struct Column;  // a field shown, with its title and how it reads

 private:
  QString cellText(const Column& column, int row) const;

  platform::DataPacket packet_;
  std::vector<const Column*> columns_;  // the known columns the packet has, in display order
  std::vector<bool> marked_;
};

// The screen for `packet` (cdsOrigemCusto), the branch and the product it was asked for. Esc
// closes it.
QDialog* makeCostOriginScreen(const platform::DataPacket& packet, const std::string& branchCode,
                              const std::string& productCode, QWidget* parent = nullptr);

}  // namespace desktop
