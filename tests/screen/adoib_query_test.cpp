// TADOIBQuery: parameters, dialect texts and the rows it loads.
#include "remote/adoib_query.h"

#include <gtest/gtest.h>

#include "screen/support/screen_host.h"

namespace screentest {
namespace {

using platform::DataPacket;
using platform::Variant;
using remote::SqlDialect;
using remote::TADOIBQuery;

TEST(SqlParameterNames, FindsEachNameOnceOutsideQuotes) {
  const struct {
    const char* sql;
    std::vector<std::string> names;
  } cases[] = {
      {"SELECT 1", {}},
      {"WHERE A = :P_A AND B = :P_B", {"P_A", "P_B"}},
      {"WHERE A < :P AND B >= :P OR :p = 0", {"P"}},
      {"WHERE A = ':P_NOT' AND B = :P_YES", {"P_YES"}},
      {"WHERE A = 'it''s :X' AND B = :Y", {"Y"}},
      {"SELECT A::TEXT, :P1 FROM T", {"P1"}},
      {"WHERE A = : AND B = :B", {"B"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(remote::sqlParameterNames(c.sql), c.names) << c.sql;
}

// Answers one row with the statement it ran and its bound parameters.
class EchoQueries : public remote::QueryExecutor {
 public:
  SqlDialect sqlDialect = SqlDialect::Default;
  std::string lastSql;
  std::vector<std::pair<std::string, Variant>> lastParams;
  int runs = 0;

  SqlDialect dialect() const override { return sqlDialect; }
  DataPacket execute(const std::string& sql,
                     const std::vector<std::pair<std::string, Variant>>& params) override {
    ++runs;
    lastSql = sql;
    lastParams = params;
    DataPacket packet;
    packet.fields = {{"RESULT", platform::FieldType::Float, 0}};
    packet.rows = {{Variant(2.5)}};
    return packet;
  }
};

class AdoIBQueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    remote::HostServices services;
    services.queries = &queries;
    previous = remote::hostServices();
    remote::setHostServices(services);
  }
  void TearDown() override { remote::setHostServices(previous); }

  EchoQueries queries;
  remote::HostServices previous;
};

TEST_F(AdoIBQueryTest, RunsTheTextOfTheDatabaseDialect) {
  TADOIBQuery q("q");
  q.SQL = "DEFAULT";
  q.SQL_MSSQL = "MSSQL";
  q.SQL_IB = "IB";
  const struct {
    SqlDialect dialect;
    const char* ran;
  } cases[] = {{SqlDialect::Default, "DEFAULT"},
               {SqlDialect::Oracle, "DEFAULT"},  // empty variant: the default text
               {SqlDialect::MsSql, "MSSQL"},
               {SqlDialect::InterBase, "IB"}};
  for (const auto& c : cases) {
    queries.sqlDialect = c.dialect;
    q.Close();
    q.Open();
    EXPECT_EQ(queries.lastSql, c.ran);
  }
}

TEST_F(AdoIBQueryTest, ANameUsedSeveralTimesIsBoundOnce) {
  TADOIBQuery q("qrySinaSafra");
  q.SQL = "SELECT X FROM T WHERE A < :P_PERCSAFRA AND B >= :P_PERCSAFRA OR :P_PERCSAFRA = 0";
  q.addField("RESULT", platform::FieldType::Float).setDisplayLabel("Resultado");
  q.ParamByName("p_percsafra").setAsFloat(12.5);
  q.Open();
  ASSERT_EQ(queries.lastParams.size(), 1u);
  EXPECT_EQ(queries.lastParams[0].first, "P_PERCSAFRA");
  EXPECT_EQ(queries.lastParams[0].second, Variant(12.5));
  EXPECT_TRUE(q.Active());
  EXPECT_FALSE(q.IsEmpty());
  EXPECT_EQ(q.RecordCount(), 1);
  EXPECT_DOUBLE_EQ(q.FieldByName("RESULT").asFloat(), 2.5);
  EXPECT_EQ(q.FieldByName("RESULT").displayLabel(), "Resultado");
  // Open on an open query does not run the statement again.
  q.Open();
  EXPECT_EQ(queries.runs, 1);
  q.Close();
  EXPECT_FALSE(q.Active());
}

TEST_F(AdoIBQueryTest, UnsetParametersAreNullAndUnknownOnesAreRefused) {
  TADOIBQuery q("q");
  q.SQL = "SELECT 1 WHERE A = :P_A AND B = :P_B";
  q.ParamByName("P_B").setAsString("x");
  EXPECT_THROW(q.ParamByName("P_C"), std::invalid_argument);
  q.Open();
  ASSERT_EQ(queries.lastParams.size(), 2u);
  EXPECT_TRUE(queries.lastParams[0].second.isNull());
  EXPECT_EQ(queries.lastParams[1].second, Variant("x"));
}

}  // namespace
}  // namespace screentest
