// The cost analysis screen opened in its desktop window against the embedded server over a
// temporary demo database (processing date 15/04/2026), with the desktop's own host services.
// Each test runs its steps on the open window, then the window is closed.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "desktop/form_window.h"
#include "host/screen_registry.h"
#include "host/sqlite_query_executor.h"
#include "platform/consiste.h"
#include "screen/ana_cust_rev_rec.h"

namespace desktop::testing {

// 15/04/2026, the demo's processing date: April's days up to the 15th are closed.
inline constexpr double kDemoDay = 46127;

class DemoCompany;

class DesktopScreenTest : public ::testing::Test {
 protected:
  using Steps = std::function<void(FormWindow& window, screen::TfrmAnaCustRevRec& form)>;

  static void SetUpTestSuite();
  static void TearDownTestSuite();

  // Opens the screen for April 2026 through IniProc with the desktop's host services, runs
  // `steps` once the window is shown and activated, then closes it. Returns the errors shown.
  std::vector<std::string> open(const Steps& steps, int costMode = 44);
  // The opening values of April 2026 for the demo branch's first service.
  static platform::Variant aprilValues(int costMode = 44);
  // The demo database's direct queries and sibling screens, for a shell of a test's own.
  static host::SqliteQueryExecutor& queries();
  static host::ScreenRegistry& screens();

  static DemoCompany* demo_;
};

}  // namespace desktop::testing
