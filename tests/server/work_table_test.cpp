// The work table of a month load on the demo company: the lists computed from it (the outdated
// quotations and their weights) answer the rows the per-product work table answered (golden file
// captured from it), and each load costs one row.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/data_packet.h"
#include "platform/date.h"
#include "server/demo/demo_data.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server/objects/work_table.h"
#include "server_fixture.h"

namespace servertest {
namespace {

using platform::Variant;
using server::objects::AnaCustRevRec;

const double kReference = platform::encodeDate(2026, 3, 18);

class WorkTableTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    store_ = new TestDatabase(openMemory());
    db_ = store_->get();
    server::demo::createDemo(*db_, kReference, 1);
  }
  static void TearDownTestSuite() {
    delete store_;
    store_ = nullptr;
    db_ = nullptr;
  }
  static TestDatabase* store_;
  static server::db::Database* db_;
  TestClock clock_;
  AnaCustRevRec object_{testEnvironment(clock_)};
};
TestDatabase* WorkTableTest::store_ = nullptr;
server::db::Database* WorkTableTest::db_ = nullptr;

std::string cell(const Variant& v) {
  if (v.isNull()) return "";
  if (v.isText()) return v.toString();
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.5f", v.toDouble());
  return buffer;
}

std::string lines(const platform::DataPacket& packet) {
  std::string out;
  for (size_t r = 0; r < packet.rows.size(); ++r) {
    for (size_t c = 0; c < packet.fields.size(); ++c)
      out += (c ? ";" : "") + cell(packet.rows[r][c]);
    out += "\n";
  }
  return out;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct LoadCase {
  const char* label;
  const char* branch;
  const char* service;
  int mode;
  bool useFixed;
  double fixed;
  const char* costBranch;
};

TEST_F(WorkTableTest, ListsAnswerWhatThePerProductTableAnswered) {
  const LoadCase cases[] = {
      {"lunch, lowest quotation", "0001", "00001", 6, false, 0, ""},
      {"dinner, average quotation", "0001", "00002", 44, false, 0, ""},
      {"breakfast, latest quotation", "0001", "00003", 48, false, 0, ""},
      {"branch 2 lunch, lowest quotation", "0002", "00001", 6, false, 0, ""},
      {"fixed cost date", "0001", "00001", 6, true, day(2026, 3, 2), ""},
      {"costs of the other branch", "0002", "00002", 44, false, 0, "0001"},
      {"stock cost mode", "0001", "00001", 10, false, 0, ""},
  };
  struct Window {
    const char* label;
    double first;
    double last;
  };
  const Window windows[] = {{"month", day(2026, 3, 1), day(2026, 3, 31)},
                            {"days 10 to 20", day(2026, 3, 10), day(2026, 3, 20)}};
  std::string actual;
  for (const auto& c : cases) {
    Variant load =
        call(object_, *db_, "GetTrabCusto",
             {c.branch, c.service, Variant::date(day(2026, 3, 1)), Variant::date(day(2026, 3, 31)),
              c.mode, "analista", c.useFixed, Variant::date(c.fixed), c.costBranch, false});
    ASSERT_TRUE(load.isArray()) << c.label << ": " << load.debugString();
    actual += std::string("# ") + c.label + ": outdated days\n" + lines(load[2].packet());
    for (const auto& w : windows) {
      Variant list =
          call(object_, *db_, "GetProdCotDesatu",
               {load[0], c.branch, c.costBranch, c.service, c.mode, Variant::date(w.first),
                Variant::date(w.last), Variant::date(c.fixed), c.useFixed});
      ASSERT_TRUE(list.isPacket()) << c.label << ": " << list.debugString();
      actual += std::string("# ") + c.label + ": outdated products, " + w.label + "\n" +
                lines(list.packet());
      Variant weights = call(
          object_, *db_, "GetPesoExcecao",
          {"1", load[0], c.branch, c.costBranch, c.service, c.mode, Variant::date(w.first),
           Variant::date(w.last), Variant::date(c.fixed), c.useFixed, Variant::date(kReference)});
      ASSERT_TRUE(weights.isPacket()) << c.label << ": " << weights.debugString();
      actual += std::string("# ") + c.label + ": weights of the outdated products, " + w.label +
                "\n" + lines(weights.packet());
    }
    call(object_, *db_, "DelConsplan", {load[0], c.branch});
  }
  const std::string path = std::string(MENUCOST_SERVER_TESTDATA) + "/demo_outdated_2026-03.txt";
  // MENUCOST_UPDATE_GOLDEN=1 rewrites the golden file instead of comparing.
  if (std::getenv("MENUCOST_UPDATE_GOLDEN")) std::ofstream(path) << actual;
  EXPECT_EQ(actual, readFile(path)) << "golden file " << path;
}

// Month loads on the small fixture, clock and keys under the test's control.
class WorkTableRowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = openMemory();
    loadSmallFixture(*db_);
  }
  std::string load(const std::string& operatorCode) {
    clock_.now += 1;
    Variant result =
        call(object_, *db_, "GetTrabCusto",
             {"0001", "00001", Variant::date(day(2026, 3, 1)), Variant::date(day(2026, 3, 31)), 6,
              operatorCode, false, Variant::date(0.0), "", false},
             operatorCode);
    return result[0].toString();
  }
  int64_t keysOf(const std::string& operatorCode) {
    return scalar(*db_,
                  "SELECT COUNT(*) FROM CONSPLANCHAVE WHERE CDOPERADOR = '" + operatorCode + "'");
  }

  TestClock clock_;
  AnaCustRevRec object_{testEnvironment(clock_)};
  TestDatabase db_;
};

TEST_F(WorkTableRowsTest, EachLoadWritesOneRow) {
  for (int i = 1; i <= 3; ++i) {
    load("analista");
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM CONSPLANCHAVE"), i);
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM CONSPLAN"), 0);
  }
  // The row holds what planning the month again needs.
  auto work = server::objects::findWorkTable(*db_, "KEY0000002", "0001");
  ASSERT_TRUE(work);
  EXPECT_EQ(work->service, "00001");
  EXPECT_EQ(work->operatorCode, "analista");
  EXPECT_EQ(work->first, day(2026, 3, 1));
  EXPECT_EQ(work->last, day(2026, 3, 31));
  EXPECT_EQ(work->costMode, 6);
  EXPECT_EQ(work->costBranch, "0001");
  EXPECT_FALSE(work->fixedCostDate);
  EXPECT_FALSE(server::objects::findWorkTable(*db_, "KEY0000002", "0002"));
  EXPECT_FALSE(server::objects::findWorkTable(*db_, "", "0001"));
}

TEST_F(WorkTableRowsTest, AnOperatorHoldsABoundedNumberTheOldestDroppedFirst) {
  const int bound = server::objects::kMaxWorkTablesPerOperator;
  const std::string other = load("filial");
  std::vector<std::string> keys;
  for (int i = 0; i < bound + 3; ++i) {
    keys.push_back(load("analista"));
    EXPECT_EQ(keysOf("analista"), std::min(i + 1, bound)) << i;
  }
  for (size_t i = 0; i < keys.size(); ++i) {
    const bool kept = i >= keys.size() - bound;
    EXPECT_EQ(server::objects::findWorkTable(*db_, keys[i], "0001").has_value(), kept) << i;
  }
  EXPECT_TRUE(server::objects::findWorkTable(*db_, other, "0001"));
  EXPECT_EQ(keysOf("filial"), 1);
}

}  // namespace
}  // namespace servertest
