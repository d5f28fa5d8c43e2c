// GetCustoModos against costs worked out by hand on the small company (server_fixture.cpp).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/data_packet.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server_fixture.h"

namespace servertest {
namespace {

using platform::DataPacket;
using platform::Variant;

class CostModesTest : public ::testing::Test {
 public:
  void SetUp() override {
    db_ = openMemory();
    loadSmallFixture(*db_);
  }
  Variant costs(std::vector<Variant> codes, const std::string& branch, double date) {
    return call(object_, *db_, "GetCustoModos",
                {Variant::array(std::move(codes)), branch, Variant::date(date)});
  }

  TestClock clock_;
  server::objects::AnaCustRevRec object_{testEnvironment(clock_)};
  TestDatabase db_;
};

TEST_F(CostModesTest, EveryModeAtTheDate) {
  struct Case {
    const char* label;
    const char* product;
    const char* branch;
    double date;
    const char* treeCode;
    // VRCUSTO 6, 44, 48, 10, 30, 7
    double cost[6];
  };
  const double d16 = day(2026, 3, 16);
  const Case cases[] = {
      // Valid on 16/03: 1001 at 5.00 from 01/03 and its purchase product 1004 at 4.00 from 10/03.
      {"two quotations, history of both kinds",
       "1001",
       "0001",
       d16,
       "01.01.001.0001",
       {4.0, 4.5, 4.0, 4.9, 5.1, 5.5}},
      {"purchase product priced as its stock product",
       "1004",
       "0001",
       d16,
       "01.01.001.5001",
       {4.0, 4.5, 4.0, 4.9, 5.1, 5.5}},
      {"before the purchase product's quotation",
       "1001",
       "0001",
       day(2026, 3, 5),
       "01.01.001.0001",
       {5.0, 5.0, 5.0, 4.8, 5.1, 5.5}},
      {"the quotation that starts on the date",
       "1003",
       "0001",
       d16,
       "02.01.001.0001",
       {3.5, 3.5, 3.5, 2.95, 0, 3}},
      {"the last quotation that ended before the date",
       "1002",
       "0001",
       d16,
       "01.01.001.0002",
       {8, 8, 8, 0, 0, 9}},
      {"no cost anywhere", "1010", "0001", d16, "02.01.001.0005", {0, 0, 0, 0, 0, 0}},
      {"the cost branch's quotations and history",
       "1001",
       "0002",
       d16,
       "01.01.001.0001",
       {6, 6, 6, 0, 0, 5.5}},
  };
  const char* columns[] = {"VRCUSTO6",  "VRCUSTO44", "VRCUSTO48",
                           "VRCUSTO10", "VRCUSTO30", "VRCUSTO7"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Variant r = costs({c.product}, c.branch, c.date);
    ASSERT_TRUE(r.isPacket()) << r.debugString();
    const DataPacket& p = r.packet();
    ASSERT_EQ(p.rows.size(), 1u);
    EXPECT_EQ(text(p, 0, "CDARVPROD"), c.treeCode);
    for (int m = 0; m < 6; ++m)
      EXPECT_NEAR(num(p, 0, columns[m]), c.cost[m], 1e-9) << columns[m];
  }
}

TEST_F(CostModesTest, OneRowPerProductInTheOrderGiven) {
  Variant r = costs({"1003", "1001", "1003", "1007"}, "0001", day(2026, 3, 16));
  ASSERT_TRUE(r.isPacket()) << r.debugString();
  const DataPacket& p = r.packet();
  ASSERT_EQ(p.rows.size(), 3u);
  EXPECT_EQ(text(p, 0, "NMPRODUTO"), "BATATA");
  EXPECT_EQ(text(p, 1, "NMPRODUTO"), "ARROZ");
  EXPECT_EQ(text(p, 2, "NMPRODUTO"), "CHUCHU");
  EXPECT_DOUBLE_EQ(num(p, 2, "VRCUSTO44"), 2.0);
  EXPECT_TRUE(costs({}, "0001", day(2026, 3, 16)).packet().rows.empty());
}

TEST_F(CostModesTest, Refusals) {
  struct Case {
    const char* label;
    std::vector<Variant> codes;
    const char* branch;
    std::string error;
  };
  const Case cases[] = {
      {"unknown branch", {"1001"}, "0009", "Filial não cadastrada: 0009"},
      {"branch beyond its column",
       {"1001"},
       "00010",
       "Texto longo demais no campo CDFILIAL (máximo 4 caracteres)."},
      {"unknown product", {"1001", "9999"}, "0001", "Produto não cadastrado: 9999"},
      {"product beyond its column",
       {"10010000000"},
       "0001",
       "Texto longo demais no campo CDPRODUTO (máximo 10 caracteres)."},
      {"too many products", std::vector<Variant>(5001, Variant("1001")), "0001",
       "Produtos demais em uma só consulta: consulte no máximo 5.000 produtos por vez."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(costs(c.codes, c.branch, day(2026, 3, 16)), Variant(c.error));
  }
}

}  // namespace
}  // namespace servertest
