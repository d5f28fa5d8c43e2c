#include "host/direct_queries.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/temp_database.h"
#include "server/server_fixture.h"

namespace host {
namespace {

using platform::FieldType;
using platform::Variant;
using ::testing::HasSubstr;

using Params = std::vector<std::pair<std::string, Variant>>;
using servertest::onPostgres;

const char* kSinaSafra =
    "SELECT NMSINASAFRA, NRCORSINSAFR FROM SINASAFRA WHERE VRLIMINFSAFR < :P_PERCSAFRA AND "
    "VRLIMSUPSAFR >= :P_PERCSAFRA OR :P_PERCSAFRA = 0 AND VRLIMINFSAFR = :P_PERCSAFRA";

class DirectQueriesTest : public ::testing::Test {
 protected:
  DirectQueriesTest() {
    createSuiteTables(db);
    queries = openDirectQueries(db.path());
  }
  std::vector<std::string> column(const platform::DataPacket& packet, size_t index) {
    std::vector<std::string> out;
    for (const auto& row : packet.rows)
      out.push_back(row[index].toString());
    return out;
  }

  testing::TempDatabase db;
  std::unique_ptr<DirectQueries> queries;
};

// One name in four places takes one value: the season band lookup.
TEST_F(DirectQueriesTest, RepeatedParameterTakesOneValue) {
  struct Case {
    double percent;
    std::vector<std::string> bands;
  } cases[] = {
      {0, {"FORA"}},     {0.01, {"FORA"}}, {30, {"FORA"}}, {30.001, {"MEIA"}}, {60, {"MEIA"}},
      {99.5, {"SAFRA"}}, {100, {"SAFRA"}}, {100.5, {}},    {-1, {}},
  };
  for (const Case& c : cases) {
    platform::DataPacket rows = queries->execute(kSinaSafra, {{"P_PERCSAFRA", Variant(c.percent)}});
    EXPECT_EQ(column(rows, 0), c.bands) << c.percent;
  }
}

TEST_F(DirectQueriesTest, ParametersBindByNameWhateverTheCase) {
  const char* sql =
      "SELECT NMSERVICO FROM SERVICO WHERE CDFILIAL = :P_CDFILIAL AND CDSERVFILI = :P_CDSERVFILI";
  struct Case {
    Params params;
    std::vector<std::string> names;
  } cases[] = {
      {{{"P_CDFILIAL", Variant("0001")}, {"P_CDSERVFILI", Variant("00002")}}, {"JANTAR"}},
      {{{"p_cdservfili", Variant("00001")}, {"p_CdFilial", Variant("0002")}}, {"CAFE"}},
      // Parameters the statement does not use are ignored.
      {{{"P_CDFILIAL", Variant("0001")}, {"P_CDSERVFILI", Variant("00001")}, {"X", Variant(1)}},
       {"  ALMOCO  "}},
      {{{"P_CDFILIAL", Variant("9999")}, {"P_CDSERVFILI", Variant("00001")}}, {}},
      // Null matches nothing.
      {{{"P_CDFILIAL", Variant::null()}, {"P_CDSERVFILI", Variant("00001")}}, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(column(queries->execute(sql, c.params), 0), c.names);
}

TEST_F(DirectQueriesTest, DatesBindAsDayNumbersAndNumbersAsNumbers) {
  const char* sql =
      "SELECT COUNT(*) AS CTFERIFILI FROM FERIFILI WHERE CDFILIAL = :P_CDFILIAL AND "
      "DTFERIFILI = :P_DTFERIFILI";
  struct Case {
    Variant branch, day;
    int count;
  } cases[] = {
      {Variant("0001"), Variant::date(46082), 2},    {Variant("0001"), Variant(46082.0), 2},
      {Variant("0001"), Variant(int32_t{46082}), 2}, {Variant("0001"), Variant::date(46083), 0},
      {Variant("0002"), Variant::date(46083), 1},
  };
  for (const Case& c : cases) {
    platform::DataPacket rows =
        queries->execute(sql, {{"P_CDFILIAL", c.branch}, {"P_DTFERIFILI", c.day}});
    ASSERT_EQ(rows.rows.size(), 1u);
    EXPECT_EQ(rows.rows[0][0].toInt(), c.count) << c.day.debugString();
  }
}

TEST_F(DirectQueriesTest, FieldTypesFollowTheDeclaredColumnTypes) {
  db.exec(R"sql(
    CREATE TABLE TIPOS (NMTEXTO VARCHAR(40), IDFLAG CHAR(1), DSLIVRE TEXT, VRVALOR DOUBLE PRECISION,
                        QTINTEIRO INTEGER, DTDIA DOUBLE PRECISION, DTISO TIMESTAMP,
                        VRNUMERIC NUMERIC(15,2), IDATIVO BOOLEAN);
    INSERT INTO TIPOS VALUES ('ARROZ', 'S', 'çã livre', 1.5, 7, 46082, '2026-03-01 12:00:00', 2,
                              TRUE);
    INSERT INTO TIPOS VALUES (NULL, NULL, 'x', NULL, 3000000000, 46083.5, '2026-03-02', 2.25,
                              FALSE);
  )sql");
  platform::DataPacket rows = queries->execute("SELECT * FROM TIPOS", {});
  struct Expected {
    const char* name;
    FieldType type;
    int size;
  } fields[] = {
      {"NMTEXTO", FieldType::Text, 40},     {"IDFLAG", FieldType::Text, 1},
      {"DSLIVRE", FieldType::Text, 8},      {"VRVALOR", FieldType::Float, 0},
      {"QTINTEIRO", FieldType::Integer, 0}, {"DTDIA", FieldType::DateTime, 0},
      {"DTISO", FieldType::DateTime, 0},    {"VRNUMERIC", FieldType::Float, 0},
      {"IDATIVO", FieldType::Boolean, 0},
  };
  ASSERT_EQ(rows.fields.size(), std::size(fields));
  for (size_t i = 0; i < std::size(fields); ++i) {
    EXPECT_EQ(rows.fields[i].name, fields[i].name);
    EXPECT_EQ(rows.fields[i].type, fields[i].type) << fields[i].name;
    EXPECT_EQ(rows.fields[i].size, fields[i].size) << fields[i].name;
  }
  EXPECT_NO_THROW(rows.validate());
  const platform::Row& first = rows.rows[0];
  EXPECT_EQ(first[0], Variant("ARROZ"));
  EXPECT_EQ(first[3], Variant(1.5));
  EXPECT_EQ(first[4], Variant(int32_t{7}));
  EXPECT_EQ(first[5], Variant::date(46082));
  EXPECT_EQ(first[6], Variant::date(46082.5));
  EXPECT_EQ(first[8], Variant(true));
  const platform::Row& second = rows.rows[1];
  EXPECT_TRUE(second[0].isNull());
  EXPECT_TRUE(second[3].isNull());
  EXPECT_EQ(second[4], Variant(int64_t{3000000000}));
  EXPECT_EQ(second[5], Variant::date(46083.5));
  EXPECT_EQ(second[6], Variant::date(46083));
  EXPECT_EQ(second[8], Variant(false));
}

// SQLite keeps what it is given: a non-integral number in an INTEGER column widens the field
// instead of losing the fraction.
TEST_F(DirectQueriesTest, AnIntegerColumnHoldingAFractionIsAFloat) {
  if (onPostgres()) GTEST_SKIP() << "PostgreSQL stores a column's own type";
  db.exec("CREATE TABLE MISTO (QTMISTO INTEGER); INSERT INTO MISTO VALUES (3), (2.5);");
  platform::DataPacket rows = queries->execute("SELECT QTMISTO FROM MISTO", {});
  EXPECT_EQ(rows.fields[0].type, FieldType::Float);
  EXPECT_EQ(rows.rows[1][0], Variant(2.5));
}

TEST_F(DirectQueriesTest, ExpressionColumnsTakeTheTypeOfTheirValues) {
  struct Case {
    const char* sql;
    FieldType type;
    Variant value;
  } cases[] = {
      {"SELECT COUNT(*) AS CTFERIFILI FROM FERIFILI", FieldType::Integer, Variant(int32_t{3})},
      {"SELECT CAST(COUNT(*) AS FLOAT) AS CTFERIFILI FROM FERIFILI", FieldType::Float,
       Variant(3.0)},
      {"SELECT MAX(DTFERIFILI) AS DTULTIMO FROM FERIFILI", FieldType::DateTime,
       Variant::date(46083)},
      {"SELECT 'abc' || 'de' AS NMJUNTO", FieldType::Text, Variant("abcde")},
      {"SELECT NULL AS NADA", FieldType::Text, Variant::null()},
      // Sums and averages: whole sums stay integers, fractions make floats.
      {"SELECT SUM(CDSINASAFRA) AS QTSOMA FROM SINASAFRA", FieldType::Integer, Variant(int32_t{6})},
      {"SELECT SUM(CDSINASAFRA) / 4.0 AS VRMEDIA FROM SINASAFRA", FieldType::Float, Variant(1.5)},
      {"SELECT AVG(VRLIMINFSAFR) AS VRMEDIA FROM SINASAFRA", FieldType::Float, Variant(30.0)},
      {"SELECT MIN(DTPROCESSO) AS DTMENOR FROM FILIAL", FieldType::DateTime, Variant::date(46085)},
      // The DT... rule follows the table's column through an alias.
      {"SELECT DTPROCESSO AS PROCESSO FROM FILIAL WHERE CDFILIAL = '0002'", FieldType::DateTime,
       Variant::date(46085)},
  };
  for (const Case& c : cases) {
    platform::DataPacket rows = queries->execute(c.sql, {});
    ASSERT_EQ(rows.rows.size(), 1u) << c.sql;
    EXPECT_EQ(rows.fields[0].type, c.type) << c.sql;
    EXPECT_EQ(rows.rows[0][0], c.value) << c.sql;
  }
}

TEST_F(DirectQueriesTest, AnythingButOneSelectIsRefusedAndNothingChanges) {
  const char* refused[] = {
      "INSERT INTO FILIAL VALUES ('0009', 'X', 1)",
      "UPDATE FILIAL SET DTPROCESSO = 0",
      "DELETE FROM FERIFILI",
      "DROP TABLE SINASAFRA",
      "CREATE TABLE X (A INTEGER)",
      "PRAGMA journal_mode",
      "ATTACH DATABASE ':memory:' AS other",
      "BEGIN",
      "SELECT 1; DELETE FROM FERIFILI",
      "SELECT 1; SELECT 2",
      "WITH x AS (SELECT 1) DELETE FROM FERIFILI",
      "REPLACE INTO FILIAL VALUES ('0001', 'X', 1)",
      "SELECT * INTO NOVA FROM FILIAL",
      "WITH x AS (DELETE FROM FERIFILI RETURNING *) SELECT * FROM x",
      "",
      "   -- only a comment",
  };
  for (const char* sql : refused) {
    EXPECT_THROW(queries->execute(sql, {}), std::runtime_error) << sql;
  }
  EXPECT_EQ(db.count("FERIFILI"), 3);
  EXPECT_EQ(db.count("FILIAL"), 3);
  EXPECT_EQ(db.count("SINASAFRA"), 3);

  const char* accepted[] = {"SELECT 1",
                            "SELECT 1;",
                            "  SELECT 1 ;  ",
                            "SELECT 1 -- note",
                            "WITH x AS (SELECT 1 AS A) SELECT A FROM x",
                            "VALUES (1)"};
  for (const char* sql : accepted)
    EXPECT_NO_THROW(queries->execute(sql, {})) << sql;
}

TEST_F(DirectQueriesTest, ErrorsSayWhatWentWrong) {
  struct Case {
    const char* sql;
    Params params;
    const char* message;
    const char* postgresMessage = nullptr;  // when the server words it otherwise
  } cases[] = {
      {"SELECT NMSERVICO FROM SERVICO WHERE CDFILIAL = :P_CDFILIAL", {}, "P_CDFILIAL"},
      {"SELECT NMSERVICO FROM SERVICO WHERE CDFILIAL = ?", {}, "named parameters"},
      {"SELECT NMSERVICO FROM SERVICO WHERE CDFILIAL = :P_CDFILIAL",
       {{"P_CDFILIAL", Variant::array({Variant("0001")})}},
       "array"},
      {"SELECT * FROM NAOEXISTE", {}, "no such table", "does not exist"},
      {"SELEC 1", {}, "syntax error"},
      {"DELETE FROM FERIFILI", {}, "Only SELECT"},
      {"SELECT 1; SELECT 2", {}, "one statement"},
  };
  for (const Case& c : cases) {
    try {
      queries->execute(c.sql, c.params);
      ADD_FAILURE() << "no error for " << c.sql;
    } catch (const std::runtime_error& e) {
      EXPECT_THAT(e.what(),
                  HasSubstr(onPostgres() && c.postgresMessage ? c.postgresMessage : c.message))
          << c.sql;
    }
  }
}

TEST_F(DirectQueriesTest, ValuesThatDoNotFitTheirColumnAreReported) {
  if (onPostgres()) GTEST_SKIP() << "PostgreSQL refuses such values when they are written";
  db.exec(
      "CREATE TABLE RUIM (VRVALOR DOUBLE PRECISION, DTDIA DATE);"
      "INSERT INTO RUIM VALUES ('abc', '2026-03-01'), (1, 'ontem');");
  EXPECT_THAT([&] { queries->execute("SELECT VRVALOR FROM RUIM", {}); },
              ::testing::ThrowsMessage<std::runtime_error>(HasSubstr("'abc' is not a number")));
  EXPECT_THAT([&] { queries->execute("SELECT DTDIA FROM RUIM", {}); },
              ::testing::ThrowsMessage<std::runtime_error>(HasSubstr("row 2: 'ontem'")));
}

TEST(DirectQueriesOpen, AMissingOrForeignFileIsRefusedAndNeverCreated) {
  testing::TempDatabase db;
  std::filesystem::path missing = db.dir() / "missing.db";
  EXPECT_THROW(openDirectQueries(missing.string()), std::runtime_error);
  EXPECT_FALSE(std::filesystem::exists(missing));

  std::filesystem::path text = db.dir() / "text.db";
  std::ofstream(text) << "this is not a database, just some text long enough to have a header";
  EXPECT_THROW(openDirectQueries(text.string()), std::runtime_error);
}

TEST(DirectQueriesOpen, AnUnreachableServerIsRefusedWithoutThePassword) {
  for (const char* url : {"postgresql://menucost:segredo@/nada?host=/nonexistent-menucost",
                          "postgres:///nada?host=/nonexistent-menucost&password=segredo"}) {
    try {
      openDirectQueries(url);
      ADD_FAILURE() << "opened " << url;
    } catch (const std::runtime_error& e) {
      EXPECT_THAT(e.what(), HasSubstr("Cannot open database")) << url;
      EXPECT_THAT(e.what(), ::testing::Not(HasSubstr("segredo"))) << url;
    }
  }
}

TEST_F(DirectQueriesTest, IsoTextDatesBindAsText) {
  db.exec(
      "CREATE TABLE FERIADO (DTDIA TIMESTAMP); INSERT INTO FERIADO VALUES ('2026-03-01');"
      "INSERT INTO FERIADO VALUES ('2026-03-01 06:00:00');");
  std::unique_ptr<DirectQueries> iso = openDirectQueries(db.path(), DateStorage::IsoText);
  struct Case {
    double day;
    size_t rows;
  } cases[] = {{46082, 1}, {46082.25, 1}, {46083, 0}};
  for (const Case& c : cases) {
    auto rows =
        iso->execute("SELECT DTDIA FROM FERIADO WHERE DTDIA = :D", {{"D", Variant::date(c.day)}});
    EXPECT_EQ(rows.rows.size(), c.rows) << c.day;
  }
}

// The local cache answers the tables it holds as they were at the last refresh.
TEST_F(DirectQueriesTest, CachedTablesAreReadFromTheCopy) {
  EXPECT_FALSE(queries->isCached("SINASAFRA"));
  queries->cacheTable("sinasafra");
  EXPECT_TRUE(queries->isCached("SINASAFRA"));

  db.exec(
      "UPDATE SINASAFRA SET NMSINASAFRA = 'NOVA' WHERE CDSINASAFRA = 1;"
      "UPDATE FILIAL SET NMFILIAL = 'MUDOU' WHERE CDFILIAL = '0001'");
  auto band = [&] {
    return column(queries->execute(kSinaSafra, {{"P_PERCSAFRA", Variant(10.0)}}), 0);
  };
  EXPECT_EQ(band(), std::vector<std::string>{"FORA"});
  // The copy keeps the declared types.
  platform::DataPacket rows = queries->execute("SELECT NMSINASAFRA FROM SINASAFRA", {});
  EXPECT_EQ(rows.fields[0].size, 20);
  // A statement that also reads an uncached table runs on the database on SQLite; PostgreSQL
  // reads the copy of each cached table and the others live.
  EXPECT_EQ(column(queries->execute("SELECT S.NMSINASAFRA, F.NMFILIAL FROM SINASAFRA S, FILIAL F"
                                    " WHERE S.CDSINASAFRA = 1 AND F.CDFILIAL = '0001'",
                                    {}),
                   0),
            std::vector<std::string>{onPostgres() ? "FORA" : "NOVA"});
  EXPECT_EQ(column(queries->execute("SELECT NMFILIAL FROM FILIAL WHERE CDFILIAL = '0001'", {}), 0),
            std::vector<std::string>{"MUDOU"});
  // Still read-only on the copy.
  EXPECT_THROW(queries->execute("DELETE FROM SINASAFRA", {}), std::runtime_error);

  queries->cacheTable("SINASAFRA");
  EXPECT_EQ(band(), std::vector<std::string>{"NOVA"});
}

TEST_F(DirectQueriesTest, CachingAnUnknownTableKeepsTheCache) {
  queries->cacheTable("SINASAFRA");
  EXPECT_THAT([&] { queries->cacheTable("NAOEXISTE"); },
              ::testing::ThrowsMessage<std::runtime_error>(HasSubstr("NAOEXISTE")));
  EXPECT_THROW(queries->cacheTable("SINASAFRA\"; DROP TABLE FILIAL; --"), std::runtime_error);
  EXPECT_TRUE(queries->isCached("SINASAFRA"));
  EXPECT_FALSE(queries->isCached("NAOEXISTE"));
  EXPECT_EQ(queries->execute("SELECT * FROM SINASAFRA", {}).rows.size(), 3u);
  EXPECT_EQ(db.count("FILIAL"), 3);
}

// A colon inside a literal, a quoted name or a comment is text, not a parameter.
TEST_F(DirectQueriesTest, ParametersAreOnlyTakenOutsideTextsAndComments) {
  struct Case {
    const char* sql;
    std::vector<std::string> values;
    bool postgresOnly = false;
  } cases[] = {
      {"SELECT ':P_X' AS A, :P_X AS B -- :P_Y", {":P_X", "7"}},
      {"SELECT 'it''s :P_Y' AS A, :p_x AS \":P_Z\" /* :P_Y */", {"it's :P_Y", "7"}},
      {"SELECT CAST(:P_X AS VARCHAR(5)) AS A, '1'::INTEGER AS B", {"7", "1"}, true},
      {"SELECT $$ :P_Y $$ AS A, E'\\' :P_Y' AS B, :P_X::TEXT AS C",
       {" :P_Y ", "' :P_Y", "7"},
       true},
      {"SELECT /* /* :P_Y */ */ :P_X AS A", {"7"}, true},
  };
  for (const Case& c : cases) {
    if (c.postgresOnly && !onPostgres()) continue;
    platform::DataPacket rows = queries->execute(c.sql, {{"P_X", Variant("7")}});
    ASSERT_EQ(rows.rows.size(), 1u) << c.sql;
    std::vector<std::string> values;
    for (const Variant& v : rows.rows[0])
      values.push_back(v.toString());
    EXPECT_EQ(values, c.values) << c.sql;
  }
}

// A direct query leaves nothing behind on the connection: neither the transaction nor what a
// refused statement started.
TEST_F(DirectQueriesTest, EachQueryStandsAlone) {
  EXPECT_THROW(queries->execute("SELECT * FROM NAOEXISTE", {}), std::runtime_error);
  EXPECT_EQ(queries->execute("SELECT COUNT(*) AS N FROM FILIAL", {}).rows[0][0],
            Variant(int32_t{3}));
  db.exec("INSERT INTO FILIAL VALUES ('0004', 'QUARTA', 46000)");
  // No snapshot is held between queries: the next one sees the other writer's row.
  EXPECT_EQ(queries->execute("SELECT COUNT(*) AS N FROM FILIAL", {}).rows[0][0],
            Variant(int32_t{4}));
}

// The database restarting under a long-running host: the next query connects again, and the
// cached tables are copied again.
TEST_F(DirectQueriesTest, ALostConnectionIsOpenedAgainWithItsCache) {
  if (!onPostgres()) GTEST_SKIP() << "an SQLite file has no connection to lose";
  queries->cacheTable("SINASAFRA");
  db.exec(
      "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = current_database()"
      " AND pid <> pg_backend_pid()");
  db.exec("UPDATE SINASAFRA SET NMSINASAFRA = 'NOVA' WHERE CDSINASAFRA = 1");
  EXPECT_EQ(column(queries->execute(kSinaSafra, {{"P_PERCSAFRA", Variant(10.0)}}), 0),
            std::vector<std::string>{"NOVA"});
  EXPECT_TRUE(queries->isCached("SINASAFRA"));
}

}  // namespace
}  // namespace host
