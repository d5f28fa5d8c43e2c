#include "desktop/shell/cost_origin_screen.h"
#include "desktop/screen/window_test_support.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

#include "desktop/shell/sibling_screens.h"
#include "platform/date.h"

namespace desktop {
namespace {

using testing::onNextDialog;

using platform::FieldType;
using platform::Variant;

// The fields GetOrigemCusto answers, in its order.
platform::DataPacket serverShaped() {
  platform::DataPacket packet;
  packet.fields = {{"CDFORNECED", FieldType::Text, 21},     {"IDTPIJURFORN", FieldType::Text, 1},
                   {"NRINSJURFORN", FieldType::Text, 20},   {"NMRAZSOCFORN", FieldType::Text, 40},
                   {"CDPRODUTO", FieldType::Text, 10},      {"CDARVPROD", FieldType::Text, 20},
                   {"NMPRODUTO", FieldType::Text, 50},      {"DTINIVALITM", FieldType::DateTime, 0},
                   {"DTFINVALITM", FieldType::DateTime, 0}, {"NMMARCA", FieldType::Text, 20},
                   {"IDORIGEM", FieldType::Text, 1}};
  return packet;
}

platform::Row quote(const char* supplier, const char* kind, const char* number, const char* name,
                    const char* product, int fromDay, int toDay, const char* brand,
                    const char* origin) {
  return {Variant(supplier),
          Variant(kind),
          Variant(number),
          Variant(name),
          Variant(product),
          Variant("01.02.003"),
          Variant("ARROZ AGULHINHA TIPO 1"),
          Variant::date(platform::encodeDate(2026, 4, fromDay)),
          Variant::date(platform::encodeDate(2026, 4, toDay)),
          Variant(brand),
          Variant(origin)};
}

// Several suppliers whose average set the cost: the server sends just those.
platform::DataPacket averagedQuotes() {
  platform::DataPacket packet = serverShaped();
  packet.rows = {
      quote("0001", "J", "12345678000101", "DISTRIBUIDORA ALFA LTDA", "00012", 1, 15, "BOA MESA",
            "C"),
      quote("0004", "F", "98765432100", "JOAO DA SILVA", "00012", 3, 30, "", "C"),
      quote("0007", "J", "12345678000150", "ATACADO CENTRAL LTDA", "00012", 10, 20, "PRIMOR", "E"),
  };
  return packet;
}

// Quotations with their unit cost and the cost used: only the equal one set it.
platform::DataPacket pricedQuotes() {
  platform::DataPacket packet;
  packet.fields = {{"NMRAZSOCFORN", FieldType::Text, 40},
                   {"VRUNITARIO", FieldType::Float, 0},
                   {"VRCUSTO", FieldType::Float, 0},
                   {"DTCUSTO", FieldType::DateTime, 0}};
  const Variant costDate = Variant::date(platform::encodeDate(2026, 4, 12));
  packet.rows = {{Variant("FORNECEDOR A"), Variant(1234.5), Variant(2.25), costDate},
                 {Variant("FORNECEDOR B"), Variant(2.2500000001), Variant(2.25), costDate},
                 {Variant("FORNECEDOR C"), Variant::null(), Variant(2.25), costDate}};
  return packet;
}

struct Seen {
  QString title;
  QStringList headers;
  std::vector<QStringList> rows;
  std::vector<bool> bold;
  QString emptyMessage;
  bool hasTable = false;
};

Seen openThroughRegistry(const platform::DataPacket& packet, const char* product) {
  host::ScreenRegistry registry;
  registerSiblingScreens(registry);
  Seen seen;
  onNextDialog([&](QDialog& dialog) {
    seen.title = dialog.windowTitle();
    if (auto* label = dialog.findChild<QLabel*>("emptyMessage")) seen.emptyMessage = label->text();
    auto* view = dialog.findChild<QTableView*>("originTable");
    if (view == nullptr) return;
    seen.hasTable = true;
    QAbstractItemModel* model = view->model();
    for (int c = 0; c < model->columnCount(); ++c)
      seen.headers << model->headerData(c, Qt::Horizontal).toString();
    for (int r = 0; r < model->rowCount(); ++r) {
      QStringList cells;
      for (int c = 0; c < model->columnCount(); ++c)
        cells << model->index(r, c).data().toString();
      seen.rows.push_back(cells);
      seen.bold.push_back(model->index(r, 1).data(Qt::FontRole).value<QFont>().bold());
    }
  });
  registry.open("RCX00514", Variant::array({Variant(packet), Variant("0001"), Variant(product)}));
  return seen;
}

TEST(CostOriginScreen, ShowsTheQuotationsWithTheOnesThatSetTheCostMarked) {
  const QStringList serverHeaders{"Custo",          "Código",    "Fornecedor", "Inscrição",
                                  "Produto cotado", "Descrição", "Válida de",  "Válida até",
                                  "Marca",          "Origem"};
  const struct {
    const char* name;
    platform::DataPacket packet;
    const char* product;
    QString title;
    QStringList headers;
    std::vector<QStringList> rows;
    std::vector<bool> bold;
  } cases[] = {
      {"quotation-priced, averaged",
       averagedQuotes(),
       "00012",
       "Origem do Custo — Produto 00012 - ARROZ AGULHINHA TIPO 1 — Filial 0001",
       serverHeaders,
       {{"✔", "0001", "DISTRIBUIDORA ALFA LTDA", "CNPJ 12345678000101", "01.02.003",
         "ARROZ AGULHINHA TIPO 1", "01/04/2026", "15/04/2026", "BOA MESA", "Cotação"},
        {"✔", "0004", "JOAO DA SILVA", "CPF 98765432100", "01.02.003", "ARROZ AGULHINHA TIPO 1",
         "03/04/2026", "30/04/2026", "", "Cotação"},
        {"✔", "0007", "ATACADO CENTRAL LTDA", "CNPJ 12345678000150", "01.02.003",
         "ARROZ AGULHINHA TIPO 1", "10/04/2026", "20/04/2026", "PRIMOR", "Histórico de estoque"}},
       {true, true, true}},
      // A recipe product costed through its stock product: the quoted name is not its name.
      {"recipe product through its stock product",
       averagedQuotes(),
       "00090",
       "Origem do Custo — Produto 00090 — Filial 0001",
       serverHeaders,
       {},
       {true, true, true}},
      {"unit cost against the cost used",
       pricedQuotes(),
       "00012",
       "Origem do Custo — Produto 00012 — Filial 0001 — Custo de 12/04/2026",
       {"Custo", "Fornecedor", "Custo unitário"},
       {{"", "FORNECEDOR A", "1.234,50000"},
        {"✔", "FORNECEDOR B", "2,25000"},
        {"", "FORNECEDOR C", ""}},
       {false, true, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Seen seen = openThroughRegistry(c.packet, c.product);
    EXPECT_EQ(seen.title, c.title);
    ASSERT_TRUE(seen.hasTable);
    EXPECT_TRUE(seen.emptyMessage.isEmpty());
    EXPECT_EQ(seen.headers, c.headers);
    if (!c.rows.empty()) {
      EXPECT_EQ(seen.rows, c.rows);
    }
    EXPECT_EQ(seen.bold, c.bold);
    EXPECT_EQ(seen.rows.size(), c.packet.rows.size());
  }
}

// Unit costs against the cost used, as GetOrigemCusto answers them.
platform::DataPacket costedQuotes(std::vector<double> unitCosts, double used) {
  platform::DataPacket packet;
  packet.fields = {{"NMRAZSOCFORN", FieldType::Text, 40},
                   {"VRUNITARIO", FieldType::Float, 0},
                   {"VRCUSTO", FieldType::Float, 0},
                   {"DTCUSTO", FieldType::DateTime, 0}};
  for (double unit : unitCosts)
    packet.rows.push_back({Variant("FORNECEDOR"), Variant(unit), Variant(used),
                           Variant::date(platform::encodeDate(2026, 4, 17))});
  return packet;
}

TEST(CostOriginScreen, AnAverageMarksNoQuotationAndSaysHowManyItAverages) {
  const struct {
    const char* name;
    platform::DataPacket packet;
    std::vector<QString> marks;
    QString caption;  // empty: none shown
  } cases[] = {
      {"mean of two prices",
       costedQuotes({4.0, 5.0}, 4.5),
       {"", ""},
       "Custo médio de 2 cotações: 4,50000"},
      {"mean equal to the middle price",
       costedQuotes({1.0, 2.0, 3.0}, 2.0),
       {"", "", ""},
       "Custo médio de 3 cotações: 2,00000"},
      {"tied lowest prices", costedQuotes({4.0, 4.0}, 4.0), {"✔", "✔"}, ""},
      {"one quotation", costedQuotes({4.0}, 4.0), {"✔"}, ""},
      {"a price that is not the cost", costedQuotes({4.0, 6.0}, 4.0), {"✔", ""}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<QDialog> dialog(makeCostOriginScreen(c.packet, "0001", "00012"));
    EXPECT_TRUE(dialog->windowTitle().endsWith(QString::fromUtf8("— Custo de 17/04/2026")))
        << dialog->windowTitle().toStdString();
    auto* view = dialog->findChild<QTableView*>("originTable");
    ASSERT_NE(view, nullptr);
    std::vector<QString> marks;
    for (int r = 0; r < view->model()->rowCount(); ++r)
      marks.push_back(view->model()->index(r, 0).data().toString());
    EXPECT_EQ(marks, c.marks);
    auto* caption = dialog->findChild<QLabel*>("averageCaption");
    EXPECT_EQ(caption != nullptr ? caption->text() : QString(), c.caption);
  }
}

TEST(CostOriginScreen, APacketWithoutRowsSaysSoInsteadOfAnEmptyTable) {
  const struct {
    const char* name;
    platform::DataPacket packet;
  } cases[] = {
      {"stock-cost mode (fields, no rows)", serverShaped()},
      {"no fields at all", platform::DataPacket{}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Seen seen = openThroughRegistry(c.packet, "00012");
    EXPECT_EQ(seen.title, "Origem do Custo — Produto 00012 — Filial 0001");
    EXPECT_FALSE(seen.hasTable);
    EXPECT_EQ(seen.emptyMessage,
              "Nenhuma cotação de fornecedor deu origem ao custo deste produto.");
  }
}

TEST(CostOriginScreen, EscAndFecharCloseIt) {
  for (const bool byEsc : {true, false}) {
    SCOPED_TRACE(byEsc ? "Esc" : "Fechar");
    std::unique_ptr<QDialog> dialog(makeCostOriginScreen(averagedQuotes(), "0001", "00012"));
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    if (byEsc) {
      QTest::keyClick(dialog->findChild<QTableView*>("originTable"), Qt::Key_Escape);
    } else {
      QPushButton* close = nullptr;
      for (auto* button : dialog->findChildren<QPushButton*>())
        if (button->text() == "Fechar") close = button;
      ASSERT_NE(close, nullptr);
      QTest::mouseClick(close, Qt::LeftButton);
    }
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
  }
}

TEST(CostOriginScreen, TheModelKeepsItsContract) {
  for (const platform::DataPacket& packet : {averagedQuotes(), pricedQuotes(), serverShaped()}) {
    CostOriginModel model(packet);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), static_cast<int>(packet.rows.size()));
    EXPECT_FALSE(model.index(0, model.columnCount()).data().isValid());
  }
}

}  // namespace
}  // namespace desktop
