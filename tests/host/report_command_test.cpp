#include "host/report_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "host/embedded_server.h"
#include "host/operator_session.h"
#include "host/temp_database.h"
#include "platform/date.h"
#include "platform/format.h"
#include "support/csv_reader.h"
#include "support/xlsx_reader.h"

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

// The workbook holds what the csv format prints, cell for cell: texts as texts, the grid's and the
// panel's numbers as numbers with the decimals shown, dates as dates.
TEST_F(ReportCommandTest, AWorkbookHoldsTheCsvTableTyped) {
  std::ostringstream csv, out, err;
  ASSERT_EQ(runReport(serverOptions({"--format", "csv", "--plan-real"}), csv, err), 0) << err.str();
  const std::string path = scratch->path() + ".report.xlsx";
  ASSERT_EQ(
      runReport(serverOptions({"--format", "xlsx", "--output", path, "--plan-real"}), out, err), 0)
      << err.str();
  EXPECT_EQ(out.str(), "");
  const testing_support::XlsxSheet sheet = testing_support::readXlsx(path);
  const auto lines = testing_support::parseCsv(csv.str());
  int numbers = 0, dates = 0;
  size_t cells = 0;
  for (size_t r = 0; r < lines.size(); ++r) {
    for (size_t c = 0; c < lines[r].size(); ++c) {
      const std::string& shown = lines[r][c];
      const auto* cell = sheet.at(static_cast<int>(r), static_cast<int>(c));
      SCOPED_TRACE("row " + std::to_string(r) + " column " + std::to_string(c) + ": " + shown);
      if (shown.empty()) {
        EXPECT_EQ(cell, nullptr);
        continue;
      }
      ++cells;
      ASSERT_NE(cell, nullptr);
      if (cell->type == "s") {
        EXPECT_EQ(cell->value, shown);
      } else if (cell->format == "dd/mm/yyyy") {
        ++dates;
        EXPECT_EQ(platform::shortDate(std::stod(cell->value)), shown.substr(0, 10));
      } else {
        ++numbers;
        ASSERT_EQ(cell->type, "");
        const size_t point = shown.find(',');
        const int decimals = point == std::string::npos ? 0 : int(shown.size() - point - 1);
        EXPECT_EQ(platform::formatFloat(decimals ? "#,##0." + std::string(size_t(decimals), '0')
                                                 : std::string("#,##0"),
                                        std::stod(cell->value)),
                  shown);
      }
    }
  }
  EXPECT_EQ(sheet.cells.size(), cells);
  EXPECT_GT(numbers, 0);
  EXPECT_GT(dates, 0);
}

TEST_F(ReportCommandTest, TextAndCsvGoToTheOutputFile) {
  for (const char* format : {"text", "csv"}) {
    std::ostringstream printed, out, err;
    ASSERT_EQ(runReport(serverOptions({"--format", format}), printed, err), 0) << err.str();
    const std::string path = scratch->path() + ".report." + format;
    ASSERT_EQ(runReport(serverOptions({"--format", format, "--output", path}), out, err), 0)
        << err.str();
    EXPECT_EQ(out.str(), "");
    // A csv file opens in a spreadsheet: it starts with the UTF-8 byte order mark.
    const std::string bom = std::string(format) == "csv" ? "\xEF\xBB\xBF" : "";
    EXPECT_EQ(readFile(path), bom + printed.str()) << format;
  }
}

TEST_F(ReportCommandTest, AnOutputThatCannotBeWrittenFails) {
  for (const char* format : {"csv", "xlsx"}) {
    std::ostringstream out, err;
    EXPECT_EQ(
        runReport(serverOptions({"--format", format, "--output", "/nonexistent-dir/r"}), out, err),
        1)
        << format;
    EXPECT_THAT(err.str(), HasSubstr("/nonexistent-dir/r")) << format;
  }
}

}  // namespace
}  // namespace host
