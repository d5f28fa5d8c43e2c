#include "host/report_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "host/embedded_server.h"
#include "host/operator_session.h"
#include "host/temp_database.h"
#include "platform/date.h"

namespace host {
namespace {

using platform::Variant;
using ::testing::HasSubstr;

const double kDemoDay = platform::encodeDate(2026, 3, 10);

ReportOptions reportOptions(std::vector<std::string> extra = {}) {
  std::vector<std::string> args = {"--branch", "0001", "--service", "00001", "--month", "2026-03"};
  args.insert(args.end(), extra.begin(), extra.end());
  return parseReportOptions(args);
}

TEST(ReportOpeningValues, EightValuesInTheScreensOrder) {
  struct Case {
    std::vector<std::string> extra;
    Variant expected;
  } cases[] = {
      {{},
       Variant::array({Variant(""), Variant("0001"), Variant("00001"), Variant(int32_t{44}),
                       Variant(int32_t{1}), Variant::date(46082), Variant::date(46082),
                       Variant(false)})},
      {{"--cost-mode", "6", "--calc-mode", "2", "--fixed-cost-date", "2026-02-15"},
       Variant::array({Variant(""), Variant("0001"), Variant("00001"), Variant(int32_t{6}),
                       Variant(int32_t{2}), Variant::date(46082),
                       Variant::date(platform::encodeDate(2026, 2, 15)), Variant(true)})},
  };
  for (const Case& c : cases)
    EXPECT_EQ(openingValues(reportOptions(c.extra)), c.expected);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The demo company of a fixed day, served by the test itself, as a site's server would.
class ReportCommandTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch = new testing::TempDatabase();
    EmbeddedServerOptions options;
    options.databasePath = (scratch->dir() / "demo.db").string();
    options.demoDate = kDemoDay;
    server = new EmbeddedServer(options);
  }
  static void TearDownTestSuite() {
    delete server;
    delete scratch;
  }
  ReportOptions serverOptions(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {
        "--server",   "http://127.0.0.1:" + std::to_string(server->port()),
        "--operator", kDemoOperator,
        "--password", kDemoPassword,
        "--db",       server->databasePath()};
    args.insert(args.end(), extra.begin(), extra.end());
    return reportOptions(args);
  }
  // Compares with a checked-in golden file; MENUCOST_UPDATE_GOLDEN=1 rewrites it instead.
  void expectGolden(const std::string& actual, const std::string& name) {
    std::string path = std::string(MENUCOST_HOST_TESTDATA) + "/" + name;
    if (std::getenv("MENUCOST_UPDATE_GOLDEN")) std::ofstream(path) << actual;
    EXPECT_EQ(actual, readFile(path)) << "golden file " << path;
  }

  static testing::TempDatabase* scratch;
  static EmbeddedServer* server;
};
testing::TempDatabase* ReportCommandTest::scratch = nullptr;
EmbeddedServer* ReportCommandTest::server = nullptr;

TEST_F(ReportCommandTest, DemoMonthAsText) {
  std::ostringstream out, err;
  ASSERT_EQ(runReport(serverOptions(), out, err), 0) << err.str();
  EXPECT_EQ(err.str(), "");
  expectGolden(out.str(), "report_0001_00001_2026-03.txt");
}

TEST_F(ReportCommandTest, TheWindowsOptionsAreNamedAsIgnoredAndChangeNothing) {
  std::ostringstream plain, ignoring, err;
  ASSERT_EQ(runReport(serverOptions(), plain, err), 0) << err.str();
  ASSERT_EQ(err.str(), "");
  ASSERT_EQ(runReport(serverOptions({"--screenshot", "a.png", "--panel"}), ignoring, err), 0)
      << err.str();
  EXPECT_EQ(ignoring.str(), plain.str());
  EXPECT_EQ(err.str(),
            "menucost report: --screenshot applies to the window only; ignored\n"
            "menucost report: --panel applies to the window only; ignored\n");
}

TEST_F(ReportCommandTest, DemoMonthAsCsvWithPlannedVersusRealized) {
  std::ostringstream out, err;
  ASSERT_EQ(runReport(serverOptions({"--format", "csv", "--plan-real"}), out, err), 0) << err.str();
  expectGolden(out.str(), "report_0001_00001_2026-03_planreal.csv");
}

TEST_F(ReportCommandTest, TheEmbeddedServerGivesTheSameReport) {
  std::ostringstream remote, embedded, err;
  ASSERT_EQ(runReport(serverOptions(), remote, err), 0) << err.str();
  ReportOptions options = reportOptions({"--db", server->databasePath()});
  ASSERT_EQ(runReport(options, embedded, err), 0) << err.str();
  EXPECT_EQ(embedded.str(), remote.str());
}

TEST_F(ReportCommandTest, FailuresGoToStderrWithNothingOnStdout) {
  struct Case {
    const char* name;
    std::function<void(ReportOptions&)> change;
    const char* message;
  } cases[] = {
      {"unknown branch", [](ReportOptions& o) { o.branch = "0009"; }, "0009"},
      {"wrong password", [](ReportOptions& o) { o.password = "x"; }, "senha"},
      {"no server", [](ReportOptions& o) { o.server->port = 1; }, "127.0.0.1:1"},
      {"no database", [](ReportOptions& o) { o.database = (scratch->dir() / "none.db").string(); },
       "none.db"},
  };
  for (Case& c : cases) {
    ReportOptions options = serverOptions();
    c.change(options);
    std::ostringstream out, err;
    EXPECT_EQ(runReport(options, out, err), 1) << c.name;
    EXPECT_EQ(out.str(), "") << c.name;
    EXPECT_THAT(err.str(), HasSubstr(c.message)) << c.name;
  }
}

TEST_F(ReportCommandTest, AScreenThatFailsOrNeverShowsIsAFailure) {
  struct Case {
    const char* name;
    ScreenEntry entry;
    const char* message;
  } cases[] = {
      {"module missing",
       [](const Variant&) { throw std::runtime_error("Tela RCX00500 não disponível."); },
       "Tela RCX00500 não disponível."},
      {"never shown", [](const Variant&) {}, "not shown"},
  };
  for (Case& c : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(runReport(serverOptions(), out, err, c.entry), 1) << c.name;
    EXPECT_EQ(out.str(), "") << c.name;
    EXPECT_THAT(err.str(), HasSubstr(c.message)) << c.name;
  }
}

}  // namespace
}  // namespace host
