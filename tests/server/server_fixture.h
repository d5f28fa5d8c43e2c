// A small hand-built company whose figures are computed by hand in the tests, plus helpers to
// call the remote objects.
//
// Branch "0001" (processing date 10/03/2026, QTDIABLOQCAR 3: days before 13/03 are closed), cost
// branch "0002", service "00001". March 2026 menu of 0001/00001:
//   09/03 (closed, 50 diners): P/1001 ARROZ BRANCO (50)
//   16/03 (100 diners):        P/1001 (100), P/3001 BATATA ASSADA (60), 0001/L00011 (40)
//   17/03 (holiday, 80):       P/1001 (80)
// Recipes in force: P/1001 standard {ARROZ 0.1, VAGEM 0.02}; P/3001 local {BATATA 0.18};
// 0001/L00011 per service {FEIJAO 0.12, CHUCHU 0.05}. See server_fixture.cpp for the costs.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/variant.h"
#include "server/db/database.h"
#include "server/objects/remote_object.h"

namespace servertest {

// The backend under test: SQLite, or PostgreSQL when the environment variable MENUCOST_TEST_PG
// holds the URL of a cluster's maintenance database ("postgresql:///postgres?host=/dir") on
// which the tests may create and drop databases. The same test bodies run on either.
bool onPostgres();

// A migrated, empty database of the backend under test and one connection to it: in memory
// (SQLite) or a database created for it from a migrated template and dropped with it.
class TestDatabase {
 public:
  TestDatabase() = default;
  TestDatabase(TestDatabase&&) noexcept;
  TestDatabase& operator=(TestDatabase&&) noexcept;
  ~TestDatabase();
  server::db::Database& operator*() const { return *db_; }
  server::db::Database* operator->() const { return db_.get(); }
  server::db::Database* get() const { return db_.get(); }
  // Where the database is: what openDatabase() takes.
  const std::string& location() const { return location_; }
  // Another connection to the same database. REQUIRES: not an SQLite memory database.
  std::unique_ptr<server::db::Database> connect() const;

 private:
  friend TestDatabase openMemory();
  friend TestDatabase openShared(const std::string& name);
  void release() noexcept;
  std::string location_;
  std::string dropName_;  // the PostgreSQL database to drop, "" for none
  std::unique_ptr<server::db::Database> db_;
};

// A migrated, empty database (in memory on SQLite).
TestDatabase openMemory();
// A migrated, empty database that several connections can share (a file on SQLite).
TestDatabase openShared(const std::string& name);
// The location of a database that holds nothing, not even the schema, of the backend under test:
// a fresh temporary file path (created when opened with OpenMode::Create) or the URL of an empty
// database, dropped when the test program ends.
std::string tempDatabasePath(const std::string& name);
// Opens a location from tempDatabasePath() or TestDatabase::location().
std::unique_ptr<server::db::Database> connectTo(
    const std::string& location, server::db::OpenMode mode = server::db::OpenMode::ReadWrite);

void loadSmallFixture(server::db::Database& db);

double day(int year, int month, int dayOfMonth);

struct TestClock {
  int64_t now = 1'773'000'000;
  std::atomic<int> keys{0};
};
// Clock and keys under the test's control: keys are "KEY0000001", "KEY0000002", ...
server::objects::Environment testEnvironment(TestClock& clock);

platform::Variant call(server::objects::RemoteObject& object, server::db::Database& db,
                       const std::string& method, std::vector<platform::Variant> params,
                       const std::string& operatorCode = "analista");

// Reads a number of a packet row by field name.
double num(const platform::DataPacket& packet, size_t row, const std::string& field);
std::string text(const platform::DataPacket& packet, size_t row, const std::string& field);

// Count of rows of a query's single integer result.
int64_t scalar(server::db::Database& db, const std::string& sql);

}  // namespace servertest
