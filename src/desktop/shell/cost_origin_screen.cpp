#include "desktop/shell/cost_origin_screen.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <cmath>

#include "desktop/qt_text.h"
#include "platform/format.h"

namespace desktop {

enum class Kind { Text, Registration, Date, Money, Origin };

struct CostOriginModel::Column {
  const char* field;  // empty for the marker
  const char* title;
  Kind kind;
};

namespace {

using Column = CostOriginModel::Column;

const Column kMarker{"", "Custo", Kind::Text};
const Column kColumns[] = {
    {"CDFORNECED", "Código", Kind::Text},
    {"NMRAZSOCFORN", "Fornecedor", Kind::Text},
    {"NRINSJURFORN", "Inscrição", Kind::Registration},
    {"CDARVPROD", "Produto cotado", Kind::Text},
    {"NMPRODUTO", "Descrição", Kind::Text},
    {"DTINIVALITM", "Válida de", Kind::Date},
    {"DTFINVALITM", "Válida até", Kind::Date},
    {"NMMARCA", "Marca", Kind::Text},
    {"IDORIGEM", "Origem", Kind::Origin},
    {"VRUNITARIO", "Custo unitário", Kind::Money},
};

const platform::Variant* valueOf(const platform::DataPacket& packet, size_t row, const char* name) {
  const int index = packet.fieldIndex(name);
  if (index < 0 || row >= packet.rows.size()) return nullptr;
  const platform::Row& values = packet.rows[row];
  if (static_cast<size_t>(index) >= values.size() || values[index].isNull()) return nullptr;
  return &values[static_cast<size_t>(index)];
}

QString textOf(const platform::DataPacket& packet, size_t row, const char* name) {
  const platform::Variant* value = valueOf(packet, row, name);
  return value == nullptr ? QString() : qs(value->toString()).trimmed();
}

QString originName(const QString& code) {
  if (code == "C") return QString::fromUtf8("Cotação");
  if (code == "E") return QString::fromUtf8("Histórico de estoque");
  if (code == "R") return QString::fromUtf8("Preço de referência");
  return code;
}

QString dateText(const platform::Variant& value) {
  const double day = value.toDouble();
  if (!std::isfinite(day) || day < -693593 || day > 2958465) return QString();  // years 1..9999
  return qs(platform::shortDate(day));
}

// How many quotations the cost averages: 0 unless the rows carry different unit costs whose mean
// is the cost used (mode 44). Ties of the lowest price share one unit cost, so they are not an
// average, and neither is a cost that merely equals one of several prices.
size_t averagedCount(const platform::DataPacket& packet) {
  if (packet.rows.size() < 2) return 0;
  double sum = 0;
  bool differ = false;
  const platform::Variant* first = valueOf(packet, 0, "VRUNITARIO");
  const platform::Variant* used = valueOf(packet, 0, "VRCUSTO");
  if (first == nullptr || used == nullptr) return 0;
  for (size_t r = 0; r < packet.rows.size(); ++r) {
    const platform::Variant* unit = valueOf(packet, r, "VRUNITARIO");
    if (unit == nullptr) return 0;
    sum += unit->toDouble();
    differ = differ ||
             platform::roundDec(unit->toDouble(), 5) != platform::roundDec(first->toDouble(), 5);
  }
  const double mean = platform::roundDec(sum / static_cast<double>(packet.rows.size()), 5);
  return differ && mean == platform::roundDec(used->toDouble(), 5) ? packet.rows.size() : 0;
}

std::vector<bool> costRows(const platform::DataPacket& packet) {
  std::vector<bool> marked(packet.rows.size(), true);
  if (packet.fieldIndex("VRUNITARIO") < 0 || packet.fieldIndex("VRCUSTO") < 0) return marked;
  if (averagedCount(packet) > 0) return std::vector<bool>(packet.rows.size(), false);
  for (size_t r = 0; r < packet.rows.size(); ++r) {
    const platform::Variant* unit = valueOf(packet, r, "VRUNITARIO");
    const platform::Variant* used = valueOf(packet, r, "VRCUSTO");
    marked[r] = unit != nullptr && used != nullptr &&
                platform::roundDec(unit->toDouble(), 5) == platform::roundDec(used->toDouble(), 5);
  }
  return marked;
}

}  // namespace

CostOriginModel::CostOriginModel(platform::DataPacket packet, QObject* parent)
    : QAbstractTableModel(parent), packet_(std::move(packet)), marked_(costRows(packet_)) {
  columns_.push_back(&kMarker);
  for (const Column& column : kColumns)
    if (packet_.fieldIndex(column.field) >= 0) columns_.push_back(&column);
}

int CostOriginModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(packet_.rows.size());
}

int CostOriginModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QString CostOriginModel::cellText(const Column& column, int row) const {
  const auto r = static_cast<size_t>(row);
  if (&column == &kMarker) return marked_[r] ? QString::fromUtf8("✔") : QString();
  const platform::Variant* value = valueOf(packet_, r, column.field);
  if (value == nullptr) return QString();
  switch (column.kind) {
    case Kind::Date:
      return dateText(*value);
    case Kind::Money:
      return value->isNumeric() ? qs(platform::formatFloat("#,##0.00000", value->toDouble()))
                                : QString();
    case Kind::Origin:
      return originName(qs(value->toString()).trimmed());
    case Kind::Registration: {
      // The kind of registration says whether the number is a company's or a person's.
      const QString kind = textOf(packet_, r, "IDTPIJURFORN");
      const QString number = qs(value->toString()).trimmed();
      if (kind == "J") return "CNPJ " + number;
      if (kind == "F") return "CPF " + number;
      return number;
    }
    case Kind::Text:
      break;
  }
  return qs(value->toString()).trimmed();
}

QVariant CostOriginModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
  const Column& column = *columns_[static_cast<size_t>(index.column())];
  switch (role) {
    case Qt::DisplayRole:
      return cellText(column, index.row());
    case Qt::FontRole:
      if (marked_[static_cast<size_t>(index.row())]) {
        QFont bold;
        bold.setBold(true);
        return bold;
      }
      return {};
    case Qt::TextAlignmentRole:
      if (column.kind == Kind::Money) return int(Qt::AlignRight | Qt::AlignVCenter);
      if (&column == &kMarker) return int(Qt::AlignCenter);
      return {};
    default:
      return {};
  }
}

QVariant CostOriginModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= columnCount())
    return {};
  return QString::fromUtf8(columns_[static_cast<size_t>(section)]->title);
}

QDialog* makeCostOriginScreen(const platform::DataPacket& packet, const std::string& branchCode,
                              const std::string& productCode, QWidget* parent) {
  auto* dialog = new QDialog(parent != nullptr ? parent : QApplication::activeWindow());
  // The rows name the quoted product; its name belongs in the title only when it is the one asked
  // for (a recipe product may be costed through its stock product).
  QString product = qs(productCode);
  for (size_t r = 0; r < packet.rows.size(); ++r) {
    if (textOf(packet, r, "CDPRODUTO") == product.trimmed()) {
      const QString name = textOf(packet, r, "NMPRODUTO");
      if (!name.isEmpty()) product += " - " + name;
      break;
    }
  }
  QString title =
      QString::fromUtf8("Origem do Custo — Produto %1 — Filial %2").arg(product, qs(branchCode));
  if (const platform::Variant* date = valueOf(packet, 0, "DTCUSTO"); date != nullptr)
    title += QString::fromUtf8(" — Custo de ") + dateText(*date);
  dialog->setWindowTitle(title);

  auto* layout = new QVBoxLayout(dialog);
  if (packet.rows.empty()) {
    auto* empty = new QLabel(
        QString::fromUtf8("Nenhuma cotação de fornecedor deu origem ao custo deste produto."),
        dialog);
    empty->setObjectName(QStringLiteral("emptyMessage"));
    layout->addWidget(empty);
  } else {
    auto* view = new QTableView(dialog);
    view->setObjectName(QStringLiteral("originTable"));
    view->setModel(new CostOriginModel(packet, view));
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->verticalHeader()->setVisible(false);
    view->resizeColumnsToContents();
    layout->addWidget(view);
    if (const size_t averaged = averagedCount(packet); averaged > 0) {
      const platform::Variant* used = valueOf(packet, 0, "VRCUSTO");
      auto* caption =
          new QLabel(QString::fromUtf8("Custo médio de %1 cotações: %2")
                         .arg(averaged)
                         .arg(qs(platform::formatFloat("#,##0.00000", used->toDouble()))),
                     dialog);
      caption->setObjectName(QStringLiteral("averageCaption"));
      layout->addWidget(caption);
    }
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
  buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Fechar"));
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  layout->addWidget(buttons);
  dialog->resize(900, 320);
  return dialog;
}

}  // namespace desktop
