#include "desktop/shell/cost_exceptions_screen.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDialog>
#include <QFont>
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/data_packet.h"
#include "platform/date.h"

namespace desktop {
namespace {

using platform::FieldType;
using platform::Variant;

const double kFixed = platform::encodeDate(2026, 4, 1);
const double kReference = platform::encodeDate(2026, 4, 15);

Variant params(Variant list, Variant useFixed = Variant(false)) {
  return Variant::array({Variant("0001"), Variant("00001"), Variant(int32_t{44}),
                         Variant::date(kFixed), Variant::date(kReference), useFixed, list});
}

TEST(CostExceptionsScreen, ReadsTheSevenParameters) {
  const struct {
    const char* name;
    Variant params;
    bool outdated;
    std::string key;
    double costDate;
  } cases[] = {
      {"zero cost with a key", params(Variant("0KEY0000001")), false, "KEY0000001", kReference},
      {"outdated quotations with a key", params(Variant("1KEY0000001")), true, "KEY0000001",
       kReference},
      {"no work table", params(Variant("1")), true, "", kReference},
      {"fixed cost date", params(Variant("0KEY0000001"), Variant(true)), false, "KEY0000001",
       kFixed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const CostExceptionsContext context = costExceptionsContext(c.params);
    EXPECT_EQ(context.branch, "0001");
    EXPECT_EQ(context.service, "00001");
    EXPECT_EQ(context.costMode, 44);
    EXPECT_EQ(context.outdatedList, c.outdated);
    EXPECT_EQ(context.workTableKey, c.key);
    EXPECT_EQ(context.costDate(), c.costDate);
  }
}

TEST(CostExceptionsScreen, RefusesParametersItCannotUse) {
  Variant six = params(Variant("0KEY"));
  std::vector<Variant> items = six.items();
  items.pop_back();
  Variant textMode = params(Variant("0"));
  std::vector<Variant> withTextMode = textMode.items();
  withTextMode[2] = Variant("44");
  const struct {
    const char* name;
    Variant params;
  } cases[] = {
      {"not a list", Variant("0001")},
      {"six parameters", Variant::array(items)},
      {"cost mode as text", Variant::array(withTextMode)},
      {"no list digit", params(Variant(""))},
      {"unknown list digit", params(Variant("2KEY0000001"))},
      {"key beyond ten characters", params(Variant("0KEY00000001"))},
      {"fixed-date flag not a flag", params(Variant("0"), Variant("talvez"))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      costExceptionsContext(c.params);
      ADD_FAILURE() << "accepted";
    } catch (const std::invalid_argument& error) {
      EXPECT_STREQ(error.what(), "Tela RCX00515: parâmetros inválidos.");
    }
  }
}

// A server that answers from scripted packets and records the calls.
struct ScriptedServer {
  std::map<std::string, Variant> answers;
  std::vector<std::pair<std::string, std::vector<Variant>>> calls;

  CostServerCall call() {
    return [this](const std::string& method, const std::vector<Variant>& args) {
      calls.emplace_back(method, args);
      return answers.at(method);
    };
  }
};

Variant weightsPacket(const std::vector<std::vector<Variant>>& rows) {
  platform::DataPacket packet;
  packet.fields = {{"CDPRODUTO", FieldType::Text, 10},  {"CDARVPROD", FieldType::Text, 20},
                   {"NMPRODUTO", FieldType::Text, 50},  {"QTPLANMES", FieldType::Float, 0},
                   {"VRCUSTOMES", FieldType::Float, 0}, {"PCPESO", FieldType::Float, 0},
                   {"IDPESOESTIM", FieldType::Text, 1}};
  for (const auto& row : rows)
    packet.rows.push_back(row);
  return Variant(std::move(packet));
}

Variant modesPacket(const std::vector<std::vector<Variant>>& rows) {
  platform::DataPacket packet;
  packet.fields = {{"CDARVPROD", FieldType::Text, 20}, {"NMPRODUTO", FieldType::Text, 50},
                   {"VRCUSTO6", FieldType::Float, 0},  {"VRCUSTO44", FieldType::Float, 0},
                   {"VRCUSTO48", FieldType::Float, 0}, {"VRCUSTO10", FieldType::Float, 0},
                   {"VRCUSTO30", FieldType::Float, 0}, {"VRCUSTO7", FieldType::Float, 0}};
  for (const auto& row : rows)
    packet.rows.push_back(row);
  return Variant(std::move(packet));
}

ScriptedServer twoProducts() {
  ScriptedServer server;
  server.answers["GetPesoExcecao"] =
      weightsPacket({{Variant("1002"), Variant("01.01.001.0002"), Variant("FEIJAO"), Variant(4.8),
                      Variant(38.4), Variant(12.5), Variant("S")},
                     {Variant("1010"), Variant("02.01.001.0005"), Variant("VAGEM"), Variant(1234.5),
                      Variant(0.0), Variant(0.0), Variant("N")}});
  server.answers["GetCustoModos"] =
      modesPacket({{Variant("01.01.001.0002"), Variant("FEIJAO"), Variant(8.0), Variant(8.0),
                    Variant(8.0), Variant(0.0), Variant(0.0), Variant(9.0)},
                   {Variant("02.01.001.0005"), Variant("VAGEM"), Variant(0.0), Variant(0.0),
                    Variant(0.0), Variant(0.0), Variant(0.0), Variant(0.0)}});
  return server;
}

TEST(CostExceptionsScreen, AsksTheListThenTheCostsOfItsProducts) {
  const struct {
    const char* name;
    Variant params;
    const char* list;
    double costDate;
  } cases[] = {
      {"zero cost on the reference date", params(Variant("0KEY0000001")), "0", kReference},
      {"outdated on the fixed date", params(Variant("1KEY0000001"), Variant(true)), "1", kFixed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server = twoProducts();
    const auto rows = loadCostExceptions(server.call(), costExceptionsContext(c.params));
    ASSERT_EQ(server.calls.size(), 2u);
    const auto& [weightsMethod, weightsArgs] = server.calls[0];
    EXPECT_EQ(weightsMethod, "GetPesoExcecao");
    const std::vector<Variant> expected = {Variant(c.list),
                                           Variant("KEY0000001"),
                                           Variant("0001"),
                                           Variant(""),
                                           Variant("00001"),
                                           Variant(int32_t{44}),
                                           Variant::date(platform::encodeDate(2026, 4, 1)),
                                           Variant::date(platform::encodeDate(2026, 4, 30)),
                                           Variant::date(kFixed),
                                           Variant(c.costDate == kFixed),
                                           Variant::date(c.costDate)};
    EXPECT_EQ(weightsArgs, expected);
    const auto& [modesMethod, modesArgs] = server.calls[1];
    EXPECT_EQ(modesMethod, "GetCustoModos");
    EXPECT_EQ(modesArgs, (std::vector<Variant>{Variant::array({Variant("1002"), Variant("1010")}),
                                               Variant("0001"), Variant::date(c.costDate)}));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].treeCode, "01.01.001.0002");
    EXPECT_TRUE(rows[0].estimated);
    EXPECT_DOUBLE_EQ(rows[0].weight, 12.5);
    EXPECT_EQ(rows[0].modeCosts, (std::array<double, 6>{8, 8, 8, 0, 0, 9}));
    EXPECT_DOUBLE_EQ(rows[1].quantity, 1234.5);
  }
}

TEST(CostExceptionsScreen, RefusalsAndMismatchedAnswersEndTheOpening) {
  ScriptedServer refused = twoProducts();
  refused.answers["GetPesoExcecao"] = Variant("Filial não cadastrada: 0001");
  ScriptedServer costsRefused = twoProducts();
  costsRefused.answers["GetCustoModos"] = Variant("Produto não cadastrado: 1010");
  ScriptedServer otherProducts = twoProducts();
  otherProducts.answers["GetCustoModos"] =
      modesPacket({{Variant("02.01.001.0005"), Variant("VAGEM"), Variant(0.0), Variant(0.0),
                    Variant(0.0), Variant(0.0), Variant(0.0), Variant(0.0)},
                   {Variant("01.01.001.0002"), Variant("FEIJAO"), Variant(8.0), Variant(8.0),
                    Variant(8.0), Variant(0.0), Variant(0.0), Variant(9.0)}});
  ScriptedServer notAPacket = twoProducts();
  notAPacket.answers["GetPesoExcecao"] = Variant(int32_t{1});
  struct Case {
    const char* name;
    ScriptedServer* server;
    std::string message;
  };
  const Case cases[] = {
      {"list refused", &refused, "Filial não cadastrada: 0001"},
      {"costs refused", &costsRefused, "Produto não cadastrado: 1010"},
      {"costs of other products", &otherProducts,
       "GetCustoModos: a resposta não traz os produtos pedidos."},
      {"not a packet", &notAPacket, "GetPesoExcecao: resposta inesperada do servidor."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      loadCostExceptions(c.server->call(), costExceptionsContext(params(Variant("0"))));
      ADD_FAILURE() << "loaded";
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(std::string(error.what()), c.message);
    }
  }
  // An empty list needs no costs.
  ScriptedServer empty = twoProducts();
  empty.answers["GetPesoExcecao"] = weightsPacket({});
  EXPECT_TRUE(
      loadCostExceptions(empty.call(), costExceptionsContext(params(Variant("0")))).empty());
  EXPECT_EQ(empty.calls.size(), 1u);
}

TEST(CostExceptionsScreen, ShowsEachModeSideBySideWithNoPriceSetApart) {
  ScriptedServer server = twoProducts();
  const CostExceptionsContext context = costExceptionsContext(params(Variant("1KEY0000001")));
  std::unique_ptr<QDialog> dialog(
      makeCostExceptionsScreen(context, loadCostExceptions(server.call(), context)));
  EXPECT_EQ(dialog->windowTitle(),
            "Exceções de Custo — Cotação Desatualizada — Filial 0001, Serviço 00001 — Mês "
            "04/2026 — Modo de custo 44 — Custo de 15/04/2026");
  auto* view = dialog->findChild<QTableView*>("exceptionsTable");
  ASSERT_NE(view, nullptr);
  QAbstractItemModel* model = view->model();
  QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  QStringList headers;
  for (int c = 0; c < model->columnCount(); ++c)
    headers << model->headerData(c, Qt::Horizontal).toString();
  EXPECT_EQ(headers,
            (QStringList{"Código", "Produto", "Qtde. Planejada", "Peso (%)", "6 - Menor cotação",
                         "44 - Média das cotações", "48 - Última cotação", "10 - Custo médio",
                         "30 - Última compra", "7 - Preço de referência"}));
  EXPECT_TRUE(model->headerData(5, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());
  EXPECT_FALSE(model->headerData(4, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());
  const std::vector<QStringList> expected = {
      {"01.01.001.0002", "FEIJAO", "4,80000", "12,50", "8,00000", "8,00000", "8,00000", "—", "—",
       "9,00000"},
      {"02.01.001.0005", "VAGEM", "1.234,50000", "0,00", "—", "—", "—", "—", "—", "—"}};
  for (int r = 0; r < model->rowCount(); ++r) {
    QStringList cells;
    for (int c = 0; c < model->columnCount(); ++c) {
      const QModelIndex index = model->index(r, c);
      cells << index.data().toString();
      if (c >= 2) {
        EXPECT_EQ(index.data(Qt::TextAlignmentRole).toInt(),
                  int(Qt::AlignRight | Qt::AlignVCenter));
      }
      // No price is shown apart from a price, greyed.
      EXPECT_EQ(index.data(Qt::ForegroundRole).isValid(), c >= 4 && cells.back() == "—");
    }
    EXPECT_EQ(cells, expected[static_cast<size_t>(r)]);
  }
  EXPECT_TRUE(model->index(0, 3).data(Qt::FontRole).value<QFont>().italic());
  EXPECT_FALSE(model->index(1, 3).data(Qt::FontRole).value<QFont>().italic());
  EXPECT_NE(dialog->findChild<QLabel*>("estimateNote"), nullptr);
}

TEST(CostExceptionsScreen, AnEmptyListSaysSoAndEscCloses) {
  const struct {
    const char* list;
    const char* message;
  } cases[] = {{"0KEY0000001", "Nenhum produto com custo zero no mês."},
               {"1KEY0000001", "Nenhum produto com cotação desatualizada no mês."}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.list);
    std::unique_ptr<QDialog> dialog(
        makeCostExceptionsScreen(costExceptionsContext(params(Variant(c.list))), {}));
    EXPECT_EQ(dialog->findChild<QTableView*>("exceptionsTable"), nullptr);
    auto* label = dialog->findChild<QLabel*>("emptyMessage");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), c.message);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
  }
}

}  // namespace
}  // namespace desktop
