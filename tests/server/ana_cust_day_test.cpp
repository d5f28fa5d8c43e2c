// The day: dishes, recipe products, consumption and cost origin against the small fixture.
#include <gtest/gtest.h>

#include "platform/data_packet.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server_fixture.h"

namespace servertest {
namespace {

using platform::FieldType;
using platform::Variant;
using server::objects::AnaCustRevRec;

class DayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = openMemory();
    loadSmallFixture(*db_);
  }
  Variant produto(double d, int mode = 6, bool useFixed = false, double costDate = 0,
                  const std::string& costBranch = "") {
    return call(
        object_, *db_, "GetProduto",
        {"0001", "00001", Variant::date(d), mode, useFixed, Variant::date(useFixed ? costDate : d),
         Variant::date(day(2026, 3, 1)), costBranch});
  }
  Variant consServ(double d, const char* dayType, int mode = 6) {
    return call(object_, *db_, "GetConsServ",
                {"0001", "00001", Variant::date(d), mode, dayType, Variant::date(d), ""});
  }

  TestClock clock_;
  AnaCustRevRec object_{testEnvironment(clock_)};
  TestDatabase db_;
};

std::vector<std::string> names(const platform::DataPacket& p) {
  std::vector<std::string> out;
  for (const auto& f : p.fields)
    out.push_back(f.name);
  return out;
}

TEST_F(DayTest, PacketsCarryTheDatasetsFieldsInOrder) {
  struct Case {
    const char* label;
    Variant packet;
    std::vector<std::string> fields;
  };
  Variant cons = consServ(day(2026, 3, 16), "2");
  const Case cases[] = {
      {"cdsProduto",
       produto(day(2026, 3, 16)),
       {"CDARVPROD", "NMPRODUTO", "CDPRODUTO", "CDPRATO", "CDFILAUXPRAT", "IDINTESAFR", "QTDERECE",
        "SGUNIDRECE", "QTDEBRUTA", "SGUNIDPROD", "DTCARDAPIO", "CUSTOPRODANT", "CUSTOPROD", "TIPO",
        "IDCUSTODESATU"}},
      {"cdsCardapio",
       call(object_, *db_, "GetCardapio", {"0001", "00001", Variant::date(day(2026, 3, 1))}),
       {"NMPRATO", "COMENSPRATO", "CDFILIAL", "CDPRATO", "CDFILAUXPRAT", "CDSERVFILI", "DTCARDAPIO",
        "CDDIETPAD", "QTCOMESTICAR", "QTCLIESTICAR", "CONT", "VRPECONSCARD"}},
      {"cdsConsumo", cons[0], {"TPCONS", "CDTPRCONSFIX", "NMTIPOPRAT", "VRCUSTPADRTP"}},
      {"cdsConsServ",
       cons[1],
       {"IDCONSUMO", "NMPRODUTO", "SGUNIDADE", "QTCONSSERV", "CustoUnit", "CDPRODUTO",
        "IDCUSTODESATU"}},
      {"cdsComens", cons[2], {"QTCOMESTICAR"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ASSERT_TRUE(c.packet.isPacket()) << c.packet.debugString();
    EXPECT_EQ(names(c.packet.packet()), c.fields);
    c.packet.packet().validate();
  }
  Variant day16 = produto(day(2026, 3, 16));
  const auto& p = day16.packet();
  EXPECT_EQ(p.fields[13].type, FieldType::FixedText);
  EXPECT_EQ(p.fields[14].size, 4000);
  EXPECT_EQ(p.fields[0].size, 20);
  EXPECT_EQ(p.fields[10].type, FieldType::DateTime);
}

TEST_F(DayTest, ProductsOfTheDayWithTheRecipeInForce) {
  Variant result = produto(day(2026, 3, 16));
  const auto& p = result.packet();
  struct Row {
    const char* dish;
    const char* product;
    const char* kind;
    double net;
    double gross;
    double cost;
    double previous;  // cost at 28/02
    const char* outdated;
  };
  // Dishes in menu order (CDFILAUXPRAT, CDPRATO), products by tree code.
  const Row expected[] = {
      {"L00011", "1002", "S", 0.12, 0.12, 8.0, 8.0, "S"},
      {"L00011", "1007", "S", 0.05, 0.05, 2.0, 2.0, "N"},
      {"1001", "1001", "P", 0.1, 0.1, 4.0, 0.0, "N"},
      {"1001", "1010", "P", 0.02, 0.02, 0.0, 0.0, "N"},
      {"3001", "1003", "L", 0.18, 0.225, 3.5, 0.0, "N"},
  };
  ASSERT_EQ(p.rows.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(text(p, i, "CDPRATO"), expected[i].dish);
    EXPECT_EQ(text(p, i, "CDPRODUTO"), expected[i].product);
    EXPECT_EQ(text(p, i, "TIPO"), expected[i].kind);
    EXPECT_DOUBLE_EQ(num(p, i, "QTDERECE"), expected[i].net);
    EXPECT_DOUBLE_EQ(num(p, i, "QTDEBRUTA"), expected[i].gross);
    EXPECT_DOUBLE_EQ(num(p, i, "CUSTOPROD"), expected[i].cost);
    EXPECT_DOUBLE_EQ(num(p, i, "CUSTOPRODANT"), expected[i].previous);
    EXPECT_EQ(text(p, i, "IDCUSTODESATU"), expected[i].outdated);
    EXPECT_EQ(num(p, i, "DTCARDAPIO"), day(2026, 3, 16));
  }
  EXPECT_EQ(text(p, 4, "IDINTESAFR"), "111223333221");
  EXPECT_EQ(text(p, 4, "SGUNIDPROD"), "KG");
}

TEST_F(DayTest, CostDateAndCostBranchOfProducts) {
  struct Case {
    const char* label;
    Variant result;
    size_t row;
    double cost;
  };
  const Case cases[] = {
      {"fixed cost date 10/03 prices BATATA at 3.00",
       produto(day(2026, 3, 16), 6, true, day(2026, 3, 10)), 4, 3.0},
      {"mode 44 ARROZ", produto(day(2026, 3, 16), 44), 2, 4.5},
      {"mode 30 ARROZ", produto(day(2026, 3, 16), 30), 2, 5.1},
      {"cost branch 0002 ARROZ", produto(day(2026, 3, 16), 6, false, 0, "0002"), 2, 6.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_DOUBLE_EQ(num(c.result.packet(), c.row, "CUSTOPROD"), c.cost);
  }
}

TEST_F(DayTest, MenuOfTheMonth) {
  Variant result =
      call(object_, *db_, "GetCardapio", {"0001", "00001", Variant::date(day(2026, 3, 20))});
  const auto& p = result.packet();
  ASSERT_EQ(p.rows.size(), 5u);
  EXPECT_EQ(text(p, 0, "NMPRATO"), "ARROZ BRANCO");
  EXPECT_EQ(num(p, 0, "DTCARDAPIO"), day(2026, 3, 9));
  EXPECT_EQ(text(p, 1, "CDFILAUXPRAT"), "0001");
  EXPECT_DOUBLE_EQ(num(p, 1, "COMENSPRATO"), 40);
  EXPECT_DOUBLE_EQ(num(p, 1, "QTCOMESTICAR"), 100);
  EXPECT_DOUBLE_EQ(num(p, 1, "QTCLIESTICAR"), 90);
  EXPECT_EQ(text(p, 1, "CDSERVFILI"), "00001");
  EXPECT_EQ(text(p, 1, "CDFILIAL"), "0001");
}

TEST_F(DayTest, ConsumptionOfTheDayType) {
  struct Case {
    const char* label;
    double day;
    const char* dayType;
    size_t types;
    size_t items;
    double diners;
  };
  const Case cases[] = {
      {"Monday", day(2026, 3, 16), "2", 2, 2, 100},
      {"holiday", day(2026, 3, 17), "8", 1, 1, 80},
      {"a day type without items", day(2026, 3, 16), "5", 0, 0, 100},
      {"a day without menu", day(2026, 3, 20), "6", 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Variant r = consServ(c.day, c.dayType);
    ASSERT_TRUE(r.isArray());
    EXPECT_EQ(r[0].packet().rows.size(), c.types);
    EXPECT_EQ(r[1].packet().rows.size(), c.items);
    EXPECT_DOUBLE_EQ(num(r[2].packet(), 0, "QTCOMESTICAR"), c.diners);
  }
  Variant monday = consServ(day(2026, 3, 16), "2");
  const auto& items = monday[1].packet();
  EXPECT_EQ(text(items, 0, "IDCONSUMO"), "P");
  EXPECT_DOUBLE_EQ(num(items, 0, "QTCONSSERV"), 1.5);
  EXPECT_DOUBLE_EQ(num(items, 0, "CustoUnit"), 0.1);
  EXPECT_EQ(text(items, 1, "IDCONSUMO"), "F");
  EXPECT_DOUBLE_EQ(num(items, 1, "CustoUnit"), 4.0);
  const auto& types = monday[0].packet();
  EXPECT_EQ(text(types, 0, "NMTIPOPRAT"), "DESCARTAVEIS");
  EXPECT_DOUBLE_EQ(num(types, 1, "VRCUSTPADRTP"), 10.0);
  EXPECT_TRUE(consServ(day(2026, 3, 16), "9").isText());
}

TEST_F(DayTest, OriginOfAQuotedCost) {
  struct Case {
    const char* label;
    int mode;
    double day;
    std::vector<std::string> suppliers;
    std::vector<double> unitCosts;
    double costUsed;
  };
  const Case cases[] = {
      {"lowest price comes from the pack quotation", 6, day(2026, 3, 16), {"F2"}, {4.0}, 4.0},
      {"average lists both", 44, day(2026, 3, 16), {"F2", "F1"}, {4.0, 5.0}, 4.5},
      {"only F1 is valid on 05/03", 48, day(2026, 3, 5), {"F1"}, {5.0}, 5.0},
      {"stock modes have no quotation origin", 10, day(2026, 3, 16), {}, {}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Variant r =
        call(object_, *db_, "GetOrigemCusto", {"0001", "1001", c.mode, Variant::date(c.day)});
    const auto& p = r.packet();
    std::vector<std::string> suppliers;
    std::vector<double> unitCosts;
    for (size_t i = 0; i < p.rows.size(); ++i) {
      suppliers.push_back(text(p, i, "CDFORNECED"));
      unitCosts.push_back(num(p, i, "VRUNITARIO"));
      EXPECT_DOUBLE_EQ(num(p, i, "VRCUSTO"), c.costUsed);
      EXPECT_EQ(num(p, i, "DTCUSTO"), c.day);
    }
    EXPECT_EQ(suppliers, c.suppliers);
    EXPECT_EQ(unitCosts, c.unitCosts);
  }
  Variant origin =
      call(object_, *db_, "GetOrigemCusto", {"0001", "1001", 6, Variant::date(day(2026, 3, 16))});
  const auto& pack = origin.packet();
  EXPECT_EQ(text(pack, 0, "CDARVPROD"), "01.01.001.5001");
  EXPECT_EQ(text(pack, 0, "NMRAZSOCFORN"), "FORNECEDOR DOIS");
  EXPECT_EQ(num(pack, 0, "DTFINVALITM"), day(2026, 3, 20));
  EXPECT_EQ(text(pack, 0, "NMMARCA"), "MARCA B");
  EXPECT_TRUE(
      call(object_, *db_, "GetOrigemCusto", {"0001", "9999", 6, Variant::date(day(2026, 3, 16))})
          .isText());
}

}  // namespace
}  // namespace servertest
