// The database layer: dialect translation, statements, transactions, fault injection, the pool,
// read-only connections and migrations.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "server/db/connection_pool.h"
#include "server/db/dialect.h"
#include "server/db/sqlite_database.h"
#include "server/schema/migrations.h"
#include "server_fixture.h"

namespace servertest {
namespace {

using server::db::Backend;
using server::db::DbError;
using server::db::Dialect;
using server::db::OpenMode;
using server::db::SqliteDatabase;

TEST(DialectTest, TranslatesPortableSql) {
  struct Case {
    Backend backend;
    const char* portable;
    const char* expected;
  };
  const Case cases[] = {
      {Backend::SQLite, "SELECT ?1, ?12 FROM T WHERE A = ?1", "SELECT ?, ?12 FROM T WHERE A = ?1"},
      {Backend::SQLite, "VALUES (?1, ?2, ?3), (?4, ?5, ?6)", "VALUES (?, ?, ?), (?, ?, ?)"},
      {Backend::SQLite, "WHERE A = ?2 AND B = ?1 AND C = ?3", "WHERE A = ?2 AND B = ?1 AND C = ?"},
      {Backend::PostgreSQL, "SELECT ?1, ?12 FROM T WHERE A = ?1",
       "SELECT $1, $12 FROM T WHERE A = $1"},
      {Backend::PostgreSQL, "SELECT '?1', \"?2\" FROM T WHERE A = ?3",
       "SELECT '?1', \"?2\" FROM T WHERE A = $3"},
      {Backend::PostgreSQL, "SELECT 'it''s ?1' WHERE B = ?2", "SELECT 'it''s ?1' WHERE B = $2"},
      {Backend::SQLite, "CREATE TABLE X (ID {AUTOKEY})",
       "CREATE TABLE X (ID INTEGER PRIMARY KEY AUTOINCREMENT)"},
      {Backend::PostgreSQL, "CREATE TABLE X (ID {AUTOKEY})",
       "CREATE TABLE X (ID BIGSERIAL PRIMARY KEY)"},
      {Backend::PostgreSQL, "SELECT A ? B", "SELECT A ? B"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.portable);
    EXPECT_EQ(Dialect(c.backend).translate(c.portable), c.expected);
  }
  EXPECT_EQ(Dialect::sqlite().beginWrite(), "BEGIN IMMEDIATE");
  EXPECT_EQ(Dialect::postgres().beginWrite(), "BEGIN");
  EXPECT_EQ(Dialect::sqlite().upsert("T", {"A", "B", "C"}, {"A"}),
            "INSERT INTO T (A, B, C) VALUES (?1, ?2, ?3) ON CONFLICT (A) DO UPDATE SET B = "
            "excluded.B, C = excluded.C");
  EXPECT_EQ(Dialect::sqlite().upsert("T", {"A"}, {"A"}),
            "INSERT INTO T (A) VALUES (?1) ON CONFLICT (A) DO NOTHING");
  EXPECT_EQ(Dialect::postgres().addDays("DTPROCESSO", "QTDIABLOQCAR"),
            "(DTPROCESSO + QTDIABLOQCAR)");
}

class SqliteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = SqliteDatabase::open(":memory:", OpenMode::Create);
    db_->exec("CREATE TABLE T (K INTEGER PRIMARY KEY, V VARCHAR(10), D DOUBLE PRECISION)");
  }
  int64_t count() { return scalar(*db_, "SELECT COUNT(*) FROM T"); }
  void insert(int k) {
    auto st = db_->prepare("INSERT INTO T (K, V, D) VALUES (?1, ?2, ?3)");
    st->bindInt(1, k);
    st->bindText(2, "v" + std::to_string(k));
    st->bindReal(3, k / 4.0);
    st->run();
  }
  std::unique_ptr<SqliteDatabase> db_;
};

TEST_F(SqliteTest, StatementsBindStepAndRead) {
  insert(1);
  insert(2);
  auto st = db_->prepare("SELECT K, V, D, NULL FROM T WHERE K >= ?1 ORDER BY K");
  st->bindInt(1, 2);
  ASSERT_TRUE(st->step());
  EXPECT_EQ(st->integer(0), 2);
  EXPECT_EQ(st->text(1), "v2");
  EXPECT_DOUBLE_EQ(st->real(2), 0.5);
  EXPECT_TRUE(st->isNull(3));
  EXPECT_EQ(st->text(3), "");
  EXPECT_FALSE(st->step());
  st->reset();
  st->bindInt(1, 1);
  int rows = 0;
  while (st->step())
    ++rows;
  EXPECT_EQ(rows, 2);
  EXPECT_THROW(db_->prepare("SELEC nonsense"), DbError);
  EXPECT_THROW(insert(1), DbError);  // duplicate key
  EXPECT_FALSE(db_->lastError().empty());
}

TEST_F(SqliteTest, TransactionsCommitOrRollBack) {
  {
    server::db::Transaction tx(*db_);
    insert(1);
  }
  EXPECT_EQ(count(), 0);
  {
    server::db::Transaction tx(*db_);
    insert(2);
    tx.commit();
  }
  EXPECT_EQ(count(), 1);
  db_->begin();
  EXPECT_THROW(db_->begin(), DbError);
  db_->rollback();
  EXPECT_FALSE(db_->inTransaction());
}

TEST_F(SqliteTest, FaultInjectionFailsTheNthStatementOnce) {
  struct Case {
    int n;
    int64_t rowsAfter;  // of five inserts, the n-th fails
  };
  for (const auto& c : {Case{1, 4}, Case{3, 4}, Case{5, 4}, Case{7, 5}}) {
    SCOPED_TRACE(c.n);
    SetUp();
    db_->failNthStatement(c.n);
    int failures = 0;
    for (int k = 1; k <= 5; ++k) {
      try {
        insert(k);
      } catch (const DbError& e) {
        EXPECT_STREQ(e.what(), "injected fault");
        ++failures;
      }
    }
    db_->failNthStatement(0);
    EXPECT_EQ(failures, c.n <= 5 ? 1 : 0);
    EXPECT_EQ(count(), c.rowsAfter);
  }
  // A failed commit leaves the transaction to be rolled back: nothing is written.
  SetUp();
  db_->begin();
  insert(9);
  db_->failNthStatement(1);
  EXPECT_THROW(db_->commit(), DbError);
  EXPECT_TRUE(db_->inTransaction());
  db_->rollback();
  EXPECT_EQ(count(), 0);
}

TEST_F(SqliteTest, ReusedStatementsStartAsFreshOnes) {
  insert(1);
  insert(2);
  const char* sql = "SELECT COUNT(*), ?1 IS NULL FROM T WHERE K >= ?1";
  {
    auto st = db_->prepare(sql);
    st->bindInt(1, 2);
    ASSERT_TRUE(st->step());
    EXPECT_EQ(st->integer(0), 1);
  }
  size_t idle = db_->idleStatements();
  EXPECT_GE(idle, 1u);
  struct Case {
    const char* label;
    bool bind;
    int64_t count;
    int64_t unbound;
  };
  // Taken from the cache: nothing of the last use's binding or position carries over.
  for (const auto& c : {Case{"unbound reads NULL", false, 0, 1}, Case{"bound", true, 2, 0}}) {
    SCOPED_TRACE(c.label);
    auto st = db_->prepare(sql);
    EXPECT_EQ(db_->idleStatements(), idle - 1);
    if (c.bind) st->bindInt(1, 1);
    ASSERT_TRUE(st->step());
    EXPECT_EQ(st->integer(0), c.count);
    EXPECT_EQ(st->integer(1), c.unbound);
    EXPECT_FALSE(st->step());
  }
  // Two at once of the same text are two statements.
  auto a = db_->prepare("SELECT K FROM T ORDER BY K");
  auto b = db_->prepare("SELECT K FROM T ORDER BY K");
  ASSERT_TRUE(a->step() && b->step() && b->step());
  EXPECT_EQ(a->integer(0), 1);
  EXPECT_EQ(b->integer(0), 2);
  // A schema change recompiles a kept statement.
  a.reset();
  b.reset();
  db_->exec("ALTER TABLE T ADD COLUMN E INTEGER");
  auto all = db_->prepare("SELECT * FROM T");
  ASSERT_TRUE(all->step());
  EXPECT_EQ(all->columnCount(), 4);
}

TEST_F(SqliteTest, KeptStatementsStayBounded) {
  for (int i = 0; i < 3 * static_cast<int>(SqliteDatabase::kMaxIdleStatements); ++i) {
    auto st = db_->prepare("SELECT " + std::to_string(i) + " + ?1");
    st->bindInt(1, 1);
    ASSERT_TRUE(st->step());
    EXPECT_EQ(st->integer(0), i + 1);
    ASSERT_LE(db_->idleStatements(), SqliteDatabase::kMaxIdleStatements);
  }
}

// A statement left half-way through its rows and kept for reuse must not pin the connection to
// an old snapshot: writes by other connections are seen by the next statement.
TEST(StatementCacheTest, AKeptStatementHoldsNoSnapshot) {
  std::string path = tempDatabasePath("snapshot");
  auto reader = SqliteDatabase::open(path, OpenMode::Create);
  reader->exec("CREATE TABLE C (N INTEGER NOT NULL)");
  reader->exec("INSERT INTO C VALUES (1), (2)");
  auto writer = SqliteDatabase::open(path, OpenMode::ReadWrite);
  const char* count = "SELECT COUNT(*) FROM C";
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    {
      auto rows = reader->prepare("SELECT N FROM C");
      ASSERT_TRUE(rows->step());  // abandoned with rows left
    }
    writer->exec("INSERT INTO C VALUES (9)");
    EXPECT_EQ(scalar(*reader, count), 3 + round);
  }
}

TEST(ConnectionPoolTest, LendsEachConnectionToOneThreadAtATime) {
  std::string path = tempDatabasePath("pool");
  {
    auto db = SqliteDatabase::open(path, OpenMode::Create);
    db->exec("CREATE TABLE C (N INTEGER NOT NULL)");
    db->exec("INSERT INTO C VALUES (0)");
  }
  std::atomic<int> opened{0};
  server::db::ConnectionPool pool(
      [&] {
        ++opened;
        return SqliteDatabase::open(path, OpenMode::ReadWrite);
      },
      3);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 25; ++i) {
        auto db = pool.acquire();
        server::db::Transaction tx(*db);
        db->exec("UPDATE C SET N = N + 1");
        tx.commit();
      }
    });
  }
  for (auto& t : threads)
    t.join();
  auto db = pool.acquire();
  EXPECT_EQ(scalar(*db, "SELECT N FROM C"), 200);
  EXPECT_LE(opened.load(), 3);
  // A lease returned with an open transaction comes back clean.
  {
    auto lease = pool.acquire();
    lease->begin();
    lease->exec("UPDATE C SET N = 0");
  }
  EXPECT_EQ(scalar(*pool.acquire(), "SELECT N FROM C"), 200);
}

TEST(ReadOnlyTest, RefusesWritesAndMissingFiles) {
  std::string path = tempDatabasePath("readonly");
  {
    auto db = SqliteDatabase::open(path, OpenMode::Create);
    server::schema::migrate(*db, 1);
    loadSmallFixture(*db);
  }
  auto ro = SqliteDatabase::open(path, OpenMode::ReadOnly);
  EXPECT_TRUE(ro->readOnly());
  EXPECT_EQ(scalar(*ro, "SELECT COUNT(*) FROM FILIAL"), 2);
  EXPECT_THROW(ro->exec("DELETE FROM FILIAL"), DbError);
  EXPECT_THROW(SqliteDatabase::open(path + ".missing", OpenMode::ReadOnly), DbError);
  EXPECT_THROW(SqliteDatabase::open(path + ".missing", OpenMode::ReadWrite), DbError);
}

TEST(MigrationsTest, CreateTheSchemaOnceAndAreIdempotentOnAnExistingFile) {
  std::string path = tempDatabasePath("migrations");
  {
    auto db = SqliteDatabase::open(path, OpenMode::Create);
    EXPECT_EQ(server::schema::currentVersion(*db), 0);
    server::schema::migrate(*db, 100);
    EXPECT_EQ(server::schema::currentVersion(*db), server::schema::latestVersion());
    loadSmallFixture(*db);
  }
  auto db = SqliteDatabase::open(path, OpenMode::ReadWrite);
  int64_t tables = scalar(*db, "SELECT COUNT(*) FROM sqlite_master");
  server::schema::migrate(*db, 200);
  server::schema::migrate(*db, 300);
  EXPECT_EQ(scalar(*db, "SELECT COUNT(*) FROM sqlite_master"), tables);
  EXPECT_EQ(scalar(*db, "SELECT COUNT(*) FROM schema_version"), server::schema::latestVersion());
  EXPECT_EQ(scalar(*db, "SELECT MAX(applied_at) FROM schema_version"), 100);
  EXPECT_EQ(scalar(*db, "SELECT COUNT(*) FROM CARDAPIO"), 5);
  EXPECT_EQ(scalar(*db, "PRAGMA foreign_keys"), 1);
  auto st = db->prepare("PRAGMA journal_mode");
  ASSERT_TRUE(st->step());
  EXPECT_EQ(st->text(0), "wal");

  db->exec("INSERT INTO schema_version VALUES (99, 'from the future', 1)");
  EXPECT_THROW(server::schema::migrate(*db, 400), DbError);
}

TEST(MigrationsTest, ForeignKeysHoldTheMenuToItsDishes) {
  auto db = openMemory();
  loadSmallFixture(*db);
  EXPECT_THROW(db->exec("INSERT INTO CARDAPIO VALUES ('0001', '00001', 46097, 'P', 'NOPE', '',"
                        " 1, 1, 1)"),
               DbError);
  // Deleting a work-table key takes its rows along.
  db->exec(
      "INSERT INTO CONSPLANCHAVE (CDCONSPLAN, CDFILIAL, CDSERVFILI, DTCRIACAO)"
      " VALUES ('K', '0001', '00001', 1);"
      "INSERT INTO CONSPLAN VALUES ('K', 46097, '1001', 1, 1, 'N', NULL, NULL)");
  db->exec("DELETE FROM CONSPLANCHAVE");
  EXPECT_EQ(scalar(*db, "SELECT COUNT(*) FROM CONSPLAN"), 0);
}

}  // namespace
}  // namespace servertest
