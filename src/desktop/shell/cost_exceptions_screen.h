// The cost exceptions screen (RCX00515), opened by "Recalcular Custos" of the zero-cost and the
// outdated-quotation pages: the products of that list for the month, ranked by their weight in
// the month's planned cost, each with the cost every cost mode would give it at the cost date, so
// the analyst sees which source has a price.
//
// The server answers the list with its quantities and weights (GetPesoExcecao) and the costs by
// mode (GetCustoModos); the screen only lays them side by side.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "platform/variant.h"

namespace desktop {

// The cost modes shown, in column order, as GetCustoModos answers them.
inline constexpr std::array<int, 6> kExceptionCostModes = {6, 44, 48, 10, 30, 7};

// What the screen receives: branch, service, cost mode, fixed cost date, reference date, whether
// the fixed date is used, and the list ("0" zero cost, "1" outdated quotation) followed by the
// work-table key.
struct CostExceptionsContext {
  std::string branch;
  std::string service;
  int costMode = 0;
  double fixedCostDate = 0;
  double referenceDate = 0;
  bool useFixedCostDate = false;
  bool outdatedList = false;
  std::string workTableKey;

  // The date the costs by mode are taken at: the fixed date when used, else the reference date.
  double costDate() const { return useFixedCostDate ? fixedCostDate : referenceDate; }
};

// Reads the seven parameters. Errors: std::invalid_argument "Tela RCX00515: parâmetros
// inválidos." for anything else.
CostExceptionsContext costExceptionsContext(const platform::Variant& params);

struct CostExceptionRow {
  std::string product;   // CDPRODUTO
  std::string treeCode;  // CDARVPROD
  std::string name;
  double quantity = 0;  // planned in the month
  double weight = 0;    // percent of the month's planned cost
  bool estimated = false;
  std::array<double, kExceptionCostModes.size()> modeCosts{};  // 0: the mode has no price
};

// Calls a method of the cost-analysis server with its arguments and answers its result.
using CostServerCall = std::function<platform::Variant(const std::string& method,
                                                       const std::vector<platform::Variant>& args)>;
// Calls through a connection of its own to the host shell's application server, under the
// operator's session.
platform::Variant callCostServer(const std::string& method,
                                 const std::vector<platform::Variant>& args);

// The rows of the context's list, in the server's ranking. Errors: std::runtime_error with the
// server's text when it refuses, or when its two answers do not name the same products.
std::vector<CostExceptionRow> loadCostExceptions(const CostServerCall& call,
                                                 const CostExceptionsContext& context);

class CostExceptionsModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  CostExceptionsModel(std::vector<CostExceptionRow> rows, int costMode, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  std::vector<CostExceptionRow> rows_;
  int costMode_;
};

// The screen over `rows` (a message instead of the table when there are none). Esc closes it.
QDialog* makeCostExceptionsScreen(const CostExceptionsContext& context,
                                  std::vector<CostExceptionRow> rows, QWidget* parent = nullptr);

}  // namespace desktop
