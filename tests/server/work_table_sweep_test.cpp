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

}  // namespace
}  // namespace servertest
