// A demo company served on loopback for the whole suite (over an SQLite file, or a PostgreSQL
// database when MENUCOST_TEST_PG names a test cluster), and the screen opened on it through
// IniProc with recording host services and counting connections.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/direct_queries.h"
#include "host/host_shell.h"
#include "host/screen_registry.h"
#include "screen/entry.h"
#include "screen/support/screen_host.h"

namespace e2e {

// 15/04/2026: the demo's processing date. One blocking day: 01/04 to 15/04 are closed.
inline constexpr double kDemoDay = 46127;
inline constexpr double kApril1 = 46113;

class DemoServer;

class E2ETest : public ::testing::Test {
 public:
  // The first column of the first row of a direct query on the demo database.
  static platform::Variant scalarOf(const std::string& sql) { return scalar(sql); }

 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Opens the screen for April 2026 and runs `steps` while it is shown; the user then closes
  // it. Returns the errors shown.
  std::vector<std::string> open(screentest::ScriptedModal::Steps steps,
                                const std::string& branch = "0001", int costMode = 6,
                                const std::string& service = "00001");

  // A call of the cost-analysis object outside the screen, to compute expectations from.
  static platform::Variant call(const std::string& method, std::vector<platform::Variant> params);
  // The first column of the first row of a direct query on the demo database.
  static platform::Variant scalar(const std::string& sql);
  // GetTrabCusto as the screen asks it for a branch's service in April (its work table released).
  static platform::Variant aprilCosts(const std::string& branch, const std::string& service,
                                      int costMode);

  static DemoServer* demo_;
  std::unique_ptr<host::ScreenRegistry> registry;
  std::unique_ptr<host::Shell> shell;
  std::unique_ptr<screentest::TestHost> host;
  std::shared_ptr<screentest::CallLog> log = std::make_shared<screentest::CallLog>();
};

// Reads a packet's numeric field of a row.
double num(const platform::DataPacket& packet, size_t row, const std::string& field);

}  // namespace e2e
