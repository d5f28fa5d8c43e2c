// The sweep of abandoned work tables: at open, then periodically on its own thread, and what it
// does with failures.
#include "server/app/work_table_sweep.h"

#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "server/app/server_app.h"
#include "server/db/sqlite_database.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server_fixture.h"

namespace servertest {
namespace {

using namespace std::chrono_literals;
using server::WorkTableSweep;

// Polls `done` for up to five seconds.
template <typename Done>
bool eventually(Done done) {
  for (int i = 0; i < 500; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(10ms);
  }
  return done();
}

TEST(WorkTableSweepTest, SweepsAtOnceThenPeriodicallyAndStopsWithoutWaitingTheInterval) {
  std::atomic<int> sweeps{0};
  {
    WorkTableSweep hourly([&] { ++sweeps; }, std::chrono::hours(1), {});
    EXPECT_EQ(sweeps.load(), 1);
  }
  EXPECT_EQ(sweeps.load(), 1);

  sweeps = 0;
  WorkTableSweep quick([&] { ++sweeps; }, 5ms, {});
  EXPECT_TRUE(eventually([&] { return sweeps.load() >= 3; }));
}

TEST(WorkTableSweepTest, AFailedFirstSweepIsRaisedLaterOnesAreReportedAndRetried) {
  EXPECT_THROW(WorkTableSweep([] { throw std::runtime_error("database is locked"); }, 5ms, {}),
               std::runtime_error);

  std::atomic<int> sweeps{0};
  std::mutex mutex;
  std::vector<std::string> reasons;
  WorkTableSweep sweep(
      [&] {
        const int n = ++sweeps;
        if (n == 2) throw std::runtime_error("database is locked");
        if (n == 3) throw 42;
      },
      5ms,
      [&](const std::string& reason) {
        std::lock_guard lock(mutex);
        reasons.push_back(reason);
      });
  EXPECT_TRUE(eventually([&] { return sweeps.load() >= 5; }));
  std::lock_guard lock(mutex);
  ASSERT_GE(reasons.size(), 2u);
  EXPECT_EQ(reasons[0], "database is locked");
  EXPECT_EQ(reasons[1], "unknown failure");
}

int64_t workTables(server::db::Database& db) {
  return scalar(db, "SELECT COUNT(*) FROM CONSPLANCHAVE");
}

void addWorkTable(server::db::Database& db, const std::string& key, int64_t ageSeconds) {
  db.exec("INSERT INTO CONSPLANCHAVE (CDCONSPLAN, CDFILIAL, CDSERVFILI, DTCRIACAO) VALUES ('" +
          key + "', '0001', '00001', " + std::to_string(std::time(nullptr) - ageSeconds) + ")");
}

TEST(WorkTableSweepTest, TheServerSweepsAbandonedWorkTablesAtOpenAndWithoutAnyCall) {
  server::ServerOptions options;
  options.databasePath = tempDatabasePath("sweep");
  server::openServer(options);  // the schema
  {
    auto db = connectTo(options.databasePath);
    addWorkTable(*db, "OLD0000001", 2 * 24 * 3600);
    addWorkTable(*db, "NEW0000001", 60);
  }
  options.sweepInterval = 10ms;
  server::ServerInstance instance = server::openServer(options);
  auto db = instance.pool->acquire();
  EXPECT_EQ(scalar(*db, "SELECT COUNT(*) FROM CONSPLANCHAVE WHERE CDCONSPLAN = 'OLD0000001'"), 0);
  EXPECT_EQ(workTables(*db), 1);

  addWorkTable(*db, "OLD0000002", 24 * 3600 + 60);
  EXPECT_TRUE(eventually([&] { return workTables(*db) == 1; }));
  EXPECT_EQ(scalar(*db, "SELECT COUNT(*) FROM CONSPLANCHAVE WHERE CDCONSPLAN = 'NEW0000001'"), 1);
}

// Several servers over one database sweep at the same time: every abandoned work table goes
// exactly once, nothing live goes, and no sweep fails on another's locks.
TEST(WorkTableSweepTest, ServersSharingADatabaseSweepEachWorkTableOnce) {
  TestDatabase shared = openShared("sweeps");
  for (int i = 0; i < 40; ++i)
    addWorkTable(*shared, "OLD" + std::to_string(1000000 + i), 2 * 24 * 3600);
  for (int i = 0; i < 5; ++i)
    addWorkTable(*shared, "NEW" + std::to_string(1000000 + i), 60);

  TestClock clock;
  clock.now = std::time(nullptr);
  std::atomic<int64_t> swept{0};
  std::atomic<int> failures{0};
  std::vector<std::thread> servers;
  for (int s = 0; s < 3; ++s) {
    servers.emplace_back([&] {
      try {
        auto db = shared.connect();
        server::objects::AnaCustRevRec costs(testEnvironment(clock));
        for (int round = 0; round < 10; ++round)
          swept += costs.sweepWorkTables(*db);
      } catch (const std::exception&) {
        ++failures;
      }
    });
  }
  for (auto& t : servers)
    t.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(swept.load(), 40);
  EXPECT_EQ(workTables(*shared), 5);
}

// While one server sweeps, another skips its turn instead of waiting, and sweeps the next time.
TEST(WorkTableSweepTest, ASweepUnderWayElsewhereIsSkipped) {
  if (!onPostgres()) GTEST_SKIP() << "SQLite's write transaction already excludes other writers";
  TestDatabase shared = openShared("sweep-turns");
  addWorkTable(*shared, "OLD0000001", 2 * 24 * 3600);
  TestClock clock;
  clock.now = std::time(nullptr);
  server::objects::AnaCustRevRec costs(testEnvironment(clock));
  auto other = shared.connect();
  {
    server::db::Transaction sweeping(*other);
    auto lock =
        other->prepare(other->dialect().tryTaskLock(server::objects::AnaCustRevRec::kSweepLock));
    ASSERT_TRUE(lock->step());
    ASSERT_EQ(lock->integer(0), 1);
    EXPECT_EQ(costs.sweepWorkTables(*shared), 0);
    EXPECT_EQ(workTables(*shared), 1);
  }
  EXPECT_EQ(costs.sweepWorkTables(*shared), 1);
  EXPECT_EQ(workTables(*shared), 0);
}

}  // namespace
}  // namespace servertest
