// The month: daily costs, the work table and the two exception lists, against the hand-computed
// figures of the small fixture.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/data_packet.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server/objects/work_table.h"
#include "server_fixture.h"

namespace servertest {
namespace {

using platform::Variant;
using server::objects::AnaCustRevRec;

class MonthTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = openMemory();
    loadSmallFixture(*db_);
  }
  // GetTrabCusto for March 2026 of 0001/00001.
  Variant trabCusto(int mode, bool useFixed = false, double fixed = 0,
                    const std::string& costBranch = "") {
    return call(object_, *db_, "GetTrabCusto",
                {"0001", "00001", Variant::date(day(2026, 3, 1)), Variant::date(day(2026, 3, 31)),
                 mode, "analista", useFixed, Variant::date(fixed), costBranch, false});
  }
  const platform::DataPacket* rowOf(const Variant& result, double d, size_t* row) {
    const auto& table = result[1].packet();
    for (size_t i = 0; i < table.rows.size(); ++i) {
      if (table.value(i, "DTDATA").toDouble() == d) {
        *row = i;
        return &table;
      }
    }
    return nullptr;
  }

  TestClock clock_;
  AnaCustRevRec object_{testEnvironment(clock_)};
  TestDatabase db_;
};

struct DayCase {
  const char* label;
  int mode;
  double day;
  double material;
  double consumption;
  double indirect;
  double estimated;
};

TEST_F(MonthTest, DailyCostsMatchHandComputedFigures) {
  // 16/03: ARROZ 0.1x100x4.00 = 40 + VAGEM 0 + BATATA RoundDec(0.18x1.25)=0.225 x60 = 13.5 x3.50
  // = 47.25 + FEIJAO 0.12x40 = 4.8 x8.00 (outdated) = 38.4 + CHUCHU 0.05x40 = 2 x2.00 = 4.
  // Consumption (Monday): COPO 1.5x100x0.10 = 15 + DETERGENTE 2x4.00 = 8. Indirect 900x100/230.
  const DayCase cases[] = {
      {"mode 6, 16/03", 6, day(2026, 3, 16), 129.65, 23.0, 391.30435, 100},
      {"mode 6, holiday 17/03", 6, day(2026, 3, 17), 32.0, 8.0, 313.04348, 80},
      {"mode 6, 09/03 before the cheaper quotation", 6, day(2026, 3, 9), 25.0, 15.5, 195.65217, 50},
      {"mode 44 averages ARROZ 5.00 and 4.00", 44, day(2026, 3, 16), 134.65, 23.0, 391.30435, 100},
      {"mode 48 takes the latest start (4.00)", 48, day(2026, 3, 16), 129.65, 23.0, 391.30435, 100},
      {"mode 7 reference prices", 7, day(2026, 3, 16), 55.0 + 40.5 + 43.2 + 4.0, 15.0 + 8.0,
       391.30435, 100},
      {"a day without menu", 6, day(2026, 3, 20), 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Variant result = trabCusto(c.mode);
    ASSERT_TRUE(result.isArray()) << result.debugString();
    size_t row = 0;
    const auto* table = rowOf(result, c.day, &row);
    ASSERT_NE(table, nullptr);
    EXPECT_DOUBLE_EQ(num(*table, row, "VRCUSTPRODMAT"), c.material);
    EXPECT_DOUBLE_EQ(num(*table, row, "VRCUSTOCONS"), c.consumption);
    EXPECT_DOUBLE_EQ(num(*table, row, "VRCUSTORAT"), c.indirect);
    EXPECT_DOUBLE_EQ(num(*table, row, "QTCOMESTICAR"), c.estimated);
  }
}

TEST_F(MonthTest, StockModesTakeTheLatestHistoryValue) {
  // Mode 10 on 16/03: ARROZ 4.90 (15/03), BATATA 2.95 (28/02), the rest without history: 0.
  Variant r10 = trabCusto(10);
  size_t row = 0;
  const auto* t = rowOf(r10, day(2026, 3, 16), &row);
  ASSERT_NE(t, nullptr);
  EXPECT_DOUBLE_EQ(num(*t, row, "VRCUSTPRODMAT"), 49.0 + 39.825);
  // 09/03 takes the 01/03 value 4.80.
  t = rowOf(r10, day(2026, 3, 9), &row);
  EXPECT_DOUBLE_EQ(num(*t, row, "VRCUSTPRODMAT"), 24.0);
  // Mode 31 is the higher of average (4.90) and last purchase (5.10) for ARROZ.
  Variant r31 = trabCusto(31);
  t = rowOf(r31, day(2026, 3, 16), &row);
  EXPECT_DOUBLE_EQ(num(*t, row, "VRCUSTPRODMAT"), 51.0 + 39.825);
  // Mode 61 takes the close of February: ARROZ has none yet (0), BATATA 2.95.
  Variant r61 = trabCusto(61);
  t = rowOf(r61, day(2026, 3, 16), &row);
  EXPECT_DOUBLE_EQ(num(*t, row, "VRCUSTPRODMAT"), 39.825);
}

TEST_F(MonthTest, FixedDateAndCostBranchChangeWhereCostsComeFrom) {
  // A fixed date of 10/03: ARROZ min(5.00, 4.00) = 4.00, BATATA 3.00 -> 16/03 BATATA line 40.5.
  Variant fixed = trabCusto(6, true, day(2026, 3, 10));
  size_t row = 0;
  const auto* t = rowOf(fixed, day(2026, 3, 16), &row);
  EXPECT_DOUBLE_EQ(num(*t, row, "VRCUSTPRODMAT"), 40.0 + 40.5 + 38.4 + 4.0);
  // Costs of branch 0002: ARROZ 6.00, nothing else quoted there.
  Variant other = trabCusto(6, false, 0, "0002");
  t = rowOf(other, day(2026, 3, 16), &row);
  EXPECT_DOUBLE_EQ(num(*t, row, "VRCUSTPRODMAT"), 60.0);
  EXPECT_DOUBLE_EQ(num(*t, row, "VRCUSTOCONS"), 0.0);
}

TEST_F(MonthTest, EveryDayOfTheMonthWithRunningValues) {
  Variant result = trabCusto(6);
  const auto& table = result[1].packet();
  ASSERT_EQ(table.rows.size(), 31u);
  EXPECT_EQ(table.value(0, "DTDATA").toDouble(), day(2026, 3, 1));
  EXPECT_EQ(table.value(30, "DTDATA").toDouble(), day(2026, 3, 31));
  // Running raw material after the 17th: 25 + 129.65 + 32.
  size_t row = 0;
  rowOf(result, day(2026, 3, 17), &row);
  EXPECT_DOUBLE_EQ(num(table, row, "VRCUSTMATACU"), 186.65);
  EXPECT_DOUBLE_EQ(num(table, row, "QTCOMESACU"), 230);
}

TEST_F(MonthTest, OutdatedDaysAndWorkTable) {
  Variant result = trabCusto(6);
  EXPECT_EQ(result[0].toString(), "KEY0000001");
  const auto& outdated = result[2].packet();
  ASSERT_EQ(outdated.rows.size(), 1u);
  EXPECT_EQ(outdated.value(0, "DTDATA").toDouble(), day(2026, 3, 16));
  // Planned consumption per day and product, recipes and consumption: 7 on 16/03, 3 on the
  // holiday, 4 on 09/03; planned from the work table's one row.
  EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM CONSPLANCHAVE WHERE CDCONSPLAN = 'KEY0000001'"), 1);
  auto work = server::objects::findWorkTable(*db_, "KEY0000001", "0001");
  ASSERT_TRUE(work);
  const auto planned = server::objects::plannedProducts(*db_, *work);
  EXPECT_EQ(planned.size(), 14u);
  EXPECT_EQ(std::count_if(planned.begin(), planned.end(),
                          [](const auto& entry) { return entry.second.unit.outdated; }),
            1);

  // The outdated list comes from the work table: FEIJAO on 16/03, 4.8 units at 8.00, valid in
  // February.
  Variant list = call(object_, *db_, "GetProdCotDesatu",
                      {"KEY0000001", "0001", "", "00001", 6, Variant::date(day(2026, 3, 1)),
                       Variant::date(day(2026, 3, 31)), Variant::date(0.0), false});
  const auto& p = list.packet();
  ASSERT_EQ(p.rows.size(), 1u);
  EXPECT_EQ(text(p, 0, "CDPRODUTO"), "1002");
  EXPECT_DOUBLE_EQ(num(p, 0, "QTCONSPLAN"), 4.8);
  EXPECT_DOUBLE_EQ(num(p, 0, "CUSTOPROD"), 8.0);
  EXPECT_EQ(num(p, 0, "DTCUSTOSUP"), day(2026, 2, 1));
  EXPECT_EQ(num(p, 0, "DTFINCUSTSUP"), day(2026, 2, 28));

  // Released: nothing left, and the list is planned again rather than lost.
  EXPECT_EQ(call(object_, *db_, "DelConsplan", {"KEY0000001", "0001"}), Variant(""));
  EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM CONSPLAN"), 0);
  EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM CONSPLANCHAVE"), 0);
  Variant again = call(object_, *db_, "GetProdCotDesatu",
                       {"KEY0000001", "0001", "", "00001", 6, Variant::date(day(2026, 3, 1)),
                        Variant::date(day(2026, 3, 31)), Variant::date(0.0), false});
  EXPECT_EQ(again.packet(), p);
  EXPECT_EQ(call(object_, *db_, "DelConsplan", {"", "0001"}), Variant(""));
}

TEST_F(MonthTest, AbandonedWorkTablesAreSweptAfterADay) {
  trabCusto(6);
  clock_.now += AnaCustRevRec::kWorkTableLifetimeSeconds - 10;
  trabCusto(6);
  EXPECT_EQ(object_.sweepWorkTables(*db_), 0);
  clock_.now += 20;
  EXPECT_EQ(object_.sweepWorkTables(*db_), 1);
  EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM CONSPLANCHAVE"), 1);
  EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM CONSPLAN WHERE CDCONSPLAN = 'KEY0000001'"), 0);
  // The hourly sweep without any call is the server app's: see work_table_sweep_test.cpp.
}

TEST_F(MonthTest, ZeroCostProductsOfTheMonth) {
  Variant result = call(object_, *db_, "GetProdCustZero",
                        {"", 6, Variant::date(0.0), "0001", "00001", Variant::date(day(2026, 3, 1)),
                         Variant::date(day(2026, 3, 31)), false});
  const auto& p = result.packet();
  // VAGEM on each menu day: 0.02 x 50, x 100, x 80.
  ASSERT_EQ(p.rows.size(), 3u);
  const double expected[] = {1.0, 2.0, 1.6};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(text(p, i, "CDARVPROD"), "02.01.001.0005");
    EXPECT_DOUBLE_EQ(num(p, i, "QTDEBRUTA"), expected[i]);
    EXPECT_DOUBLE_EQ(num(p, i, "CUSTOPROD"), 0.0);
  }
  EXPECT_EQ(num(p, 0, "DTCARDAPIO"), day(2026, 3, 9));
}

TEST_F(MonthTest, RefusalsComeBackAsText) {
  struct Case {
    const char* label;
    std::vector<Variant> params;
    const char* startsWith;
  };
  const Case cases[] = {
      {"unknown branch",
       {"9999", "00001", Variant::date(day(2026, 3, 1)), Variant::date(day(2026, 3, 31)), 6, "",
        false, Variant::date(0.0), "", false},
       "Filial não cadastrada"},
      {"unknown service",
       {"0001", "99999", Variant::date(day(2026, 3, 1)), Variant::date(day(2026, 3, 31)), 6, "",
        false, Variant::date(0.0), "", false},
       "Serviço não cadastrado"},
      {"unknown cost mode",
       {"0001", "00001", Variant::date(day(2026, 3, 1)), Variant::date(day(2026, 3, 31)), 45, "",
        false, Variant::date(0.0), "", false},
       "Tipo de custo não cadastrado: 45"},
      {"unknown cost branch",
       {"0001", "00001", Variant::date(day(2026, 3, 1)), Variant::date(day(2026, 3, 31)), 6, "",
        false, Variant::date(0.0), "7777", false},
       "Filial não cadastrada: 7777"},
      {"reversed period",
       {"0001", "00001", Variant::date(day(2026, 3, 31)), Variant::date(day(2026, 3, 1)), 6, "",
        false, Variant::date(0.0), "", false},
       "Período inválido"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Variant result = call(object_, *db_, "GetTrabCusto", c.params);
    ASSERT_TRUE(result.isText()) << result.debugString();
    EXPECT_EQ(result.toString().rfind(c.startsWith, 0), 0u) << result.toString();
  }
  EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM CONSPLANCHAVE"), 0);
}

}  // namespace
}  // namespace servertest
