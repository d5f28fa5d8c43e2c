#include "desktop/shell/cost_exceptions_screen.h"

#include <QApplication>
#include <QBrush>
#include <QDialogButtonBox>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <cmath>
#include <stdexcept>

#include "desktop/qt_text.h"
#include "platform/consiste.h"
#include "platform/data_packet.h"
#include "platform/format.h"
#include "remote/host_services.h"
#include "remote/net_connection.h"

namespace desktop {

using platform::Variant;

namespace {

constexpr const char* kServerName = "Rcx00500.rdmAnaCustRevRec";
constexpr size_t kWorkTableKeySize = 10;

enum Column { kCode, kName, kQuantity, kWeight, kFirstMode };

const char* modeTitle(int mode) {
  switch (mode) {
    case 6:
      return "6 - Menor cotação";
    case 44:
      return "44 - Média das cotações";
    case 48:
      return "48 - Última cotação";
    case 10:
      return "10 - Custo médio";
    case 30:
      return "30 - Última compra";
    case 7:
      return "7 - Preço de referência";
    default:
      return "";
  }
}

const char* modeField(size_t column) {
  static constexpr const char* kFields[] = {"VRCUSTO6",  "VRCUSTO44", "VRCUSTO48",
                                            "VRCUSTO10", "VRCUSTO30", "VRCUSTO7"};
  static_assert(std::size(kFields) == kExceptionCostModes.size());
  return kFields[column];
}

bool isDay(const Variant& value) {
  return (value.isDate() || value.isNumeric()) && std::isfinite(value.toDouble());
}

// The packet a method answered; its text when the server refused.
const platform::DataPacket& packetOf(const Variant& answer, const char* method) {
  if (answer.isPacket()) return answer.packet();
  if (answer.isText()) throw std::runtime_error(answer.toString());
  throw std::runtime_error(std::string(method) + ": resposta inesperada do servidor.");
}

std::string textAt(const platform::DataPacket& packet, size_t row, const char* field) {
  const Variant& value = packet.value(row, field);
  return value.isNull() ? std::string() : value.toString();
}

double numberAt(const platform::DataPacket& packet, size_t row, const char* field) {
  const Variant& value = packet.value(row, field);
  return value.isNull() ? 0.0 : value.toDouble();
}

QString number(const char* pattern, double value) {
  return qs(platform::formatFloat(pattern, value));
}

}  // namespace

CostExceptionsContext costExceptionsContext(const Variant& params) {
  const auto refuse = [] { return std::invalid_argument("Tela RCX00515: parâmetros inválidos."); };
  if (!params.isArray() || params.size() != 7) throw refuse();
  if (!params[0].isText() || !params[1].isText() || !params[2].isNumeric() || !isDay(params[3]) ||
      !isDay(params[4]) || !params[6].isText())
    throw refuse();
  CostExceptionsContext context;
  context.branch = params[0].toString();
  context.service = params[1].toString();
  context.costMode = static_cast<int>(params[2].toInt64());
  context.fixedCostDate = params[3].toDouble();
  context.referenceDate = params[4].toDouble();
  try {
    context.useFixedCostDate = params[5].toBool();
  } catch (const std::exception&) {
    throw refuse();
  }
  const std::string list = params[6].toString();
  if (list.empty() || (list[0] != '0' && list[0] != '1') || list.size() > 1 + kWorkTableKeySize)
    throw refuse();
  context.outdatedList = list[0] == '1';
  context.workTableKey = list.substr(1);
  return context;
}

Variant callCostServer(const std::string& method, const std::vector<Variant>& args) {
  remote::TNetConnection connection(kServerName);
  connection.OnBeforeConnect = [](remote::TNetConnection& net) {
    net.Host = remote::hostShell().WebURL();
    net.Port = remote::hostShell().WebPort();
  };
  return connection.call(method, args);
}

std::vector<CostExceptionRow> loadCostExceptions(const CostServerCall& call,
                                                 const CostExceptionsContext& context) {
  const Variant weights = call(
      "GetPesoExcecao", {Variant(context.outdatedList ? "1" : "0"), Variant(context.workTableKey),
                         Variant(context.branch), Variant(""), Variant(context.service),
                         Variant(static_cast<int32_t>(context.costMode)),
                         Variant::date(Consiste::PriDiaMes(context.referenceDate)),
                         Variant::date(Consiste::UltimoDiaMes(context.referenceDate)),
                         Variant::date(context.fixedCostDate), Variant(context.useFixedCostDate),
                         Variant::date(context.costDate())});
  const platform::DataPacket& listed = packetOf(weights, "GetPesoExcecao");
  std::vector<CostExceptionRow> rows;
  std::vector<Variant> codes;
  for (size_t r = 0; r < listed.rows.size(); ++r) {
    CostExceptionRow row;
    row.product = textAt(listed, r, "CDPRODUTO");
    row.treeCode = textAt(listed, r, "CDARVPROD");
    row.name = textAt(listed, r, "NMPRODUTO");
    row.quantity = numberAt(listed, r, "QTPLANMES");
    row.weight = numberAt(listed, r, "PCPESO");
    row.estimated = textAt(listed, r, "IDPESOESTIM") == "S";
    codes.emplace_back(row.product);
    rows.push_back(std::move(row));
  }
  if (rows.empty()) return rows;

  const Variant costs =
      call("GetCustoModos", {Variant::array(std::move(codes)), Variant(context.branch),
                             Variant::date(context.costDate())});
  const platform::DataPacket& byMode = packetOf(costs, "GetCustoModos");
  // One row per product in the order asked; the list has each product once.
  if (byMode.rows.size() != rows.size())
    throw std::runtime_error("GetCustoModos: a resposta não traz os produtos pedidos.");
  for (size_t r = 0; r < rows.size(); ++r) {
    if (textAt(byMode, r, "CDARVPROD") != rows[r].treeCode)
      throw std::runtime_error("GetCustoModos: a resposta não traz os produtos pedidos.");
    for (size_t m = 0; m < kExceptionCostModes.size(); ++m)
      rows[r].modeCosts[m] = numberAt(byMode, r, modeField(m));
  }
  return rows;
}

CostExceptionsModel::CostExceptionsModel(std::vector<CostExceptionRow> rows, int costMode,
                                         QObject* parent)
    : QAbstractTableModel(parent), rows_(std::move(rows)), costMode_(costMode) {}

int CostExceptionsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CostExceptionsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kFirstMode + static_cast<int>(kExceptionCostModes.size());
}

QVariant CostExceptionsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
  const CostExceptionRow& row = rows_[static_cast<size_t>(index.row())];
  const int column = index.column();
  const bool isMode = column >= kFirstMode;
  const double modeCost = isMode ? row.modeCosts[static_cast<size_t>(column - kFirstMode)] : 0;
  switch (role) {
    case Qt::DisplayRole:
      switch (column) {
        case kCode:
          return qs(row.treeCode);
        case kName:
          return qs(row.name);
        case kQuantity:
          return number("#,##0.00000", row.quantity);
        case kWeight:
          return number("#,##0.00", row.weight);
        default:
          // A mode without a price shows a dash, never a cost of zero.
          return modeCost == 0 ? QString::fromUtf8("—") : number("#,##0.00000", modeCost);
      }
    case Qt::TextAlignmentRole:
      if (column >= kQuantity) return int(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    case Qt::ForegroundRole:
      if (isMode && modeCost == 0)
        return QBrush(QApplication::palette().color(QPalette::Disabled, QPalette::Text));
      return {};
    case Qt::FontRole:
      if (column == kWeight && row.estimated) {
        QFont italic;
        italic.setItalic(true);
        return italic;
      }
      return {};
    case Qt::ToolTipRole:
      if (column == kWeight && row.estimated)
        return QString::fromUtf8(
            "Peso estimado: o custo planejado é zero; vale o primeiro modo de custo com preço.");
      if (isMode && modeCost == 0) return QString::fromUtf8("Sem preço neste modo de custo.");
      return {};
    default:
      return {};
  }
}

QVariant CostExceptionsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  const int mode =
      section >= kFirstMode ? kExceptionCostModes[static_cast<size_t>(section - kFirstMode)] : 0;
  switch (role) {
    case Qt::DisplayRole:
      switch (section) {
        case kCode:
          return QString::fromUtf8("Código");
        case kName:
          return QString::fromUtf8("Produto");
        case kQuantity:
          return QString::fromUtf8("Qtde. Planejada");
        case kWeight:
          return QString::fromUtf8("Peso (%)");
        default:
          return QString::fromUtf8(modeTitle(mode));
      }
    case Qt::FontRole:
      // The mode the month is costed in stands out.
      if (mode != 0 && mode == costMode_) {
        QFont bold;
        bold.setBold(true);
        return bold;
      }
      return {};
    default:
      return {};
  }
}

QDialog* makeCostExceptionsScreen(const CostExceptionsContext& context,
                                  std::vector<CostExceptionRow> rows, QWidget* parent) {
  auto* dialog = new QDialog(parent != nullptr ? parent : QApplication::activeWindow());
  const QString list = context.outdatedList ? QString::fromUtf8("Cotação Desatualizada")
                                            : QString::fromUtf8("Produtos Custo Zero");
  dialog->setWindowTitle(
      QString::fromUtf8("Exceções de Custo — %1 — Filial %2, Serviço %3 — Mês %4 — Modo de "
                        "custo %5 — Custo de %6")
          .arg(list, qs(context.branch), qs(context.service),
               qs(platform::formatDateTime("mm/yyyy", context.referenceDate)))
          .arg(context.costMode)
          .arg(qs(platform::shortDate(context.costDate()))));

  auto* layout = new QVBoxLayout(dialog);
  if (rows.empty()) {
    auto* empty = new QLabel(
        context.outdatedList ? QString::fromUtf8("Nenhum produto com cotação desatualizada no mês.")
                             : QString::fromUtf8("Nenhum produto com custo zero no mês."),
        dialog);
    empty->setObjectName(QStringLiteral("emptyMessage"));
    layout->addWidget(empty);
  } else {
    bool anyEstimated = false;
    for (const CostExceptionRow& row : rows)
      anyEstimated = anyEstimated || row.estimated;
    auto* view = new QTableView(dialog);
    view->setObjectName(QStringLiteral("exceptionsTable"));
    view->setModel(new CostExceptionsModel(std::move(rows), context.costMode, view));
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->verticalHeader()->setVisible(false);
    view->resizeColumnsToContents();
    layout->addWidget(view);
    if (anyEstimated) {
      auto* note = new QLabel(QString::fromUtf8("Peso em itálico: estimado pelo primeiro modo de "
                                                "custo com preço, pois o custo planejado é zero."),
                              dialog);
      note->setObjectName(QStringLiteral("estimateNote"));
      layout->addWidget(note);
    }
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
  buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Fechar"));
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  layout->addWidget(buttons);
  dialog->resize(1100, 480);
  return dialog;
}

}  // namespace desktop
