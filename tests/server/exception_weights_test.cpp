// GetPesoExcecao against what the month's other methods answer on the small company: the
// exception lists (GetProdCustZero, GetProdCotDesatu), the month's costs (GetTrabCusto) and the
// costs by mode (GetCustoModos).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/data_packet.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server_fixture.h"

namespace servertest {
namespace {

using platform::DataPacket;
using platform::Variant;

struct Expected {
  double quantity = 0;
  double cost = 0;
  bool estimated = false;
};

class ExceptionWeightsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = openMemory();
    loadSmallFixture(*db_);
  }
  Variant first() const { return Variant::date(day(2026, 3, 1)); }
  Variant last() const { return Variant::date(day(2026, 3, 31)); }
  Variant costDate() const { return Variant::date(day(2026, 3, 16)); }

  Variant trabCusto(int mode) {
    return call(object_, *db_, "GetTrabCusto",
                {"0001", "00001", first(), last(), mode, "analista", false, first(), "", false});
  }
  Variant weights(const std::string& list, const std::string& key, int mode) {
    return call(
        object_, *db_, "GetPesoExcecao",
        {list, key, "0001", "", "00001", mode, first(), last(), first(), false, costDate()});
  }
  // The month's planned cost of products: every day's raw material and consumption.
  static double monthCost(const Variant& trab) {
    const DataPacket& table = trab[1].packet();
    double total = 0;
    for (size_t r = 0; r < table.rows.size(); ++r)
      total += num(table, r, "VRCUSTPRODMAT") + num(table, r, "VRCUSTOCONS");
    return total;
  }
  // The first cost GetCustoModos gives the product, in its column order.
  double firstModeCost(const std::string& product) {
    Variant r = call(object_, *db_, "GetCustoModos",
                     {Variant::array({Variant(product)}), "0001", costDate()});
    for (const char* column :
         {"VRCUSTO6", "VRCUSTO44", "VRCUSTO48", "VRCUSTO10", "VRCUSTO30", "VRCUSTO7"}) {
      const double value = num(r.packet(), 0, column);
      if (value != 0) return value;
    }
    return 0;
  }

  // Checks `answer` row by row against `expected` by product, its weights against `total` and its
  // ranking.
  static void expectRows(const Variant& answer, const std::map<std::string, Expected>& expected,
                         double total) {
    ASSERT_TRUE(answer.isPacket()) << answer.debugString();
    const DataPacket& p = answer.packet();
    ASSERT_EQ(p.rows.size(), expected.size());
    for (size_t r = 0; r < p.rows.size(); ++r) {
      const std::string code = text(p, r, "CDPRODUTO");
      SCOPED_TRACE(code);
      ASSERT_EQ(expected.count(code), 1u);
      const Expected& e = expected.at(code);
      EXPECT_NEAR(num(p, r, "QTPLANMES"), e.quantity, 1e-5);
      EXPECT_NEAR(num(p, r, "VRCUSTOMES"), e.cost, 1e-4);
      EXPECT_NEAR(num(p, r, "PCPESO"), 100 * e.cost / total, 1e-3);
      EXPECT_EQ(text(p, r, "IDPESOESTIM"), e.estimated ? "S" : "N");
      EXPECT_FALSE(text(p, r, "CDARVPROD").empty());
      if (r > 0) {
        EXPECT_GE(num(p, r - 1, "PCPESO"), num(p, r, "PCPESO"));
      }
    }
  }

  TestClock clock_;
  server::objects::AnaCustRevRec object_{testEnvironment(clock_)};
  TestDatabase db_;
};

TEST_F(ExceptionWeightsTest, ZeroCostProductsWeighWhatTheFirstPricedModeWouldCost) {
  // Mode 10 (average stock cost) prices neither FEIJAO nor CHUCHU nor VAGEM: the first two have
  // quotations, VAGEM no price at all.
  for (int mode : {10, 6}) {
    SCOPED_TRACE(mode);
    Variant trab = trabCusto(mode);
    Variant zero = call(object_, *db_, "GetProdCustZero",
                        {"", mode, first(), "0001", "00001", first(), last(), false});
    std::map<std::string, Expected> expected;
    for (size_t r = 0; r < zero.packet().rows.size(); ++r)
      expected[text(zero.packet(), r, "CDPRODUTO")].quantity += num(zero.packet(), r, "QTDEBRUTA");
    ASSERT_FALSE(expected.empty());
    for (auto& [code, e] : expected) {
      const double price = firstModeCost(code);
      e.cost = e.quantity * price;
      e.estimated = price != 0;
    }
    expectRows(weights("0", trab[0].toString(), mode), expected, monthCost(trab));
  }
}

TEST_F(ExceptionWeightsTest, OutdatedQuotationsFromTheWorkTableOrPlannedAgain) {
  const struct {
    const char* label;
    bool released;  // the work table is gone: the month is planned again
  } cases[] = {{"work table kept", false}, {"work table released", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Variant trab = trabCusto(6);
    const std::string key = trab[0].toString();
    Variant outdated = call(object_, *db_, "GetProdCotDesatu",
                            {key, "0001", "", "00001", 6, first(), last(), first(), false});
    std::map<std::string, Expected> expected;
    for (size_t r = 0; r < outdated.packet().rows.size(); ++r) {
      Expected& e = expected[text(outdated.packet(), r, "CDPRODUTO")];
      e.quantity += num(outdated.packet(), r, "QTCONSPLAN");
      e.cost += num(outdated.packet(), r, "QTCONSPLAN") * num(outdated.packet(), r, "CUSTOPROD");
    }
    ASSERT_FALSE(expected.empty());
    if (c.released) call(object_, *db_, "DelConsplan", {key, "0001"});
    expectRows(weights("1", key, 6), expected, monthCost(trab));
  }
}

TEST_F(ExceptionWeightsTest, TheWorkTableIsReadForItsBranchAndPeriodOnly) {
  Variant trab = trabCusto(6);
  const std::string key = trab[0].toString();
  auto uses = server::objects::AnaCustRevRec::readWorkTable(*db_, key, "0001", day(2026, 3, 16),
                                                            day(2026, 3, 16));
  ASSERT_TRUE(uses.has_value());
  std::vector<std::string> products;
  for (const auto& use : *uses)
    products.push_back(use.product);
  // 16/03 alone: ARROZ, FEIJAO, BATATA, CHUCHU, VAGEM and the consumption items COPO, DETERGENTE.
  EXPECT_EQ(products,
            (std::vector<std::string>{"1001", "1002", "1003", "1007", "1008", "1009", "1010"}));
  for (const auto& use : *uses)
    EXPECT_EQ(use.outdated, use.product == "1002") << use.product;
  EXPECT_FALSE(server::objects::AnaCustRevRec::readWorkTable(*db_, key, "0002", day(2026, 3, 1),
                                                             day(2026, 3, 31))
                   .has_value());
  EXPECT_FALSE(server::objects::AnaCustRevRec::readWorkTable(*db_, "", "0001", day(2026, 3, 1),
                                                             day(2026, 3, 31))
                   .has_value());
}

TEST_F(ExceptionWeightsTest, Refusals) {
  const struct {
    const char* label;
    std::vector<Variant> params;
    std::string error;
  } cases[] = {
      {"unknown list",
       {"2", "", "0001", "", "00001", 6, first(), last(), first(), false, costDate()},
       "Lista de exceções inválida (0: custo zero, 1: cotação desatualizada): 2"},
      {"key beyond its column",
       {"1", "KEY00000001", "0001", "", "00001", 6, first(), last(), first(), false, costDate()},
       "Texto longo demais no campo CDCONSPLAN (máximo 10 caracteres)."},
      {"unknown branch",
       {"0", "", "0009", "", "00001", 6, first(), last(), first(), false, costDate()},
       "Filial não cadastrada: 0009"},
      {"unknown service",
       {"0", "", "0001", "", "00009", 6, first(), last(), first(), false, costDate()},
       "Serviço não cadastrado para a filial: 00009"},
      {"unknown cost mode",
       {"0", "", "0001", "", "00001", 99, first(), last(), first(), false, costDate()},
       "Tipo de custo não cadastrado: 99"},
      {"period ending before it starts",
       {"0", "", "0001", "", "00001", 6, last(), first(), first(), false, costDate()},
       "Período inválido."},
      {"period of a year",
       {"0", "", "0001", "", "00001", 6, first(), Variant::date(day(2027, 3, 1)), first(), false,
        costDate()},
       "Período inválido."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(call(object_, *db_, "GetPesoExcecao", c.params), Variant(c.error));
  }
}

}  // namespace
}  // namespace servertest
