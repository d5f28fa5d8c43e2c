#include "host/cli_options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/shell_session.h"
#include "platform/date.h"

namespace host {
namespace {

using Args = std::vector<std::string>;
using ::testing::HasSubstr;
using ::testing::Not;

const Args kBase = {"--branch", "0001", "--service", "00001", "--month", "2026-03"};

Args with(Args extra) {
  Args args = kBase;
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

TEST(ReportOptions, DefaultsAndEveryOption) {
  ReportOptions plain = parseReportOptions(kBase);
  EXPECT_EQ(plain.branch, "0001");
  EXPECT_EQ(plain.service, "00001");
  EXPECT_EQ(plain.year, 2026);
  EXPECT_EQ(plain.month, 3);
  EXPECT_EQ(plain.costMode, 44);
  EXPECT_EQ(plain.calcMode, 1);
  EXPECT_FALSE(plain.server);
  EXPECT_FALSE(plain.fixedCostDate);
  EXPECT_EQ(plain.format, ReportFormat::Text);
  EXPECT_FALSE(plain.planReal);

  ReportOptions all = parseReportOptions({"--server",
                                          "http://10.0.0.5:8400",
                                          "--operator=ANA",
                                          "--password",
                                          "",
                                          "--db",
                                          "/tmp/x.db",
                                          "--branch",
                                          "0002",
                                          "--service=00003",
                                          "--month",
                                          "2025-12",
                                          "--cost-mode",
                                          "6",
                                          "--calc-mode=2",
                                          "--fixed-cost-date",
                                          "2025-11-30",
                                          "--format",
                                          "csv",
                                          "--plan-real",
                                          "--verbose"});
  EXPECT_EQ(all.server, (ServerAddress{"10.0.0.5", 8400}));
  EXPECT_EQ(all.operatorCode, "ANA");
  EXPECT_EQ(all.password, "");
  EXPECT_EQ(all.database, "/tmp/x.db");
  EXPECT_EQ(all.branch, "0002");
  EXPECT_EQ(all.service, "00003");
  EXPECT_EQ(all.year, 2025);
  EXPECT_EQ(all.month, 12);
  EXPECT_EQ(all.costMode, 6);
  EXPECT_EQ(all.calcMode, 2);
  EXPECT_EQ(all.fixedCostDate, platform::encodeDate(2025, 11, 30));
  EXPECT_EQ(all.format, ReportFormat::Csv);
  EXPECT_TRUE(all.planReal);
  EXPECT_TRUE(all.verbose);

  EXPECT_TRUE(parseReportOptions({"--help"}).help);
  EXPECT_TRUE(parseReportOptions({"--month", "x", "--help"}).help);
}

TEST(ReportOptions, FormatsAndTheirOutput) {
  const std::vector<std::string> month = {"--branch", "1", "--service", "1", "--month", "2026-03"};
  const struct {
    std::vector<std::string> extra;
    ReportFormat format;
    const char* output;
  } cases[] = {
      {{}, ReportFormat::Text, ""},
      {{"--format", "csv", "--output", "m.csv"}, ReportFormat::Csv, "m.csv"},
      {{"--format", "xlsx", "--output", "m.xlsx"}, ReportFormat::Xlsx, "m.xlsx"},
      {{"--output", "m.txt"}, ReportFormat::Text, "m.txt"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = month;
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const ReportOptions options = parseReportOptions(args, 46000);
    EXPECT_EQ(options.format, c.format) << c.output;
    EXPECT_EQ(options.output, c.output);
  }
  // The window's print mode is the window's alone.
  std::vector<std::string> args = month;
  args.insert(args.end(), {"--print-pdf", "m.pdf"});
  EXPECT_EQ(parseReportOptions(args, 46000).ignored, std::vector<std::string>{"--print-pdf"});
}

TEST(ReportOptions, BadCommandLinesAreRefusedWithTheReason) {
  struct Case {
    Args args;
    const char* message;
  } cases[] = {
      {{}, "--branch is required"},
      {{"--branch", "0001", "--month", "2026-03"}, "--service is required"},
      {{"--branch", "0001", "--service", "00001"}, "--month is required"},
      {{"--branch", "", "--service", "00001", "--month", "2026-03"}, "--branch needs a value"},
      {with({"--bogus"}), "unknown option '--bogus'"},
      {with({"report"}), "unexpected argument 'report'"},
      {with({"--branch", "0002"}), "--branch given twice"},
      {with({"--cost-mode"}), "--cost-mode needs a value"},
      {with({"--cost-mode", "abc"}), "--cost-mode needs a whole number"},
      {with({"--cost-mode", "4.5"}), "--cost-mode needs a whole number"},
      {with({"--calc-mode", "-1"}), "--calc-mode needs a whole number"},
      {with({"--plan-real=yes"}), "--plan-real takes no value"},
      {with({"--format", "html"}), "--format needs text or csv"},
      {with({"--format", "xlsx"}), "--format xlsx needs --output FILE"},
      {with({"--output"}), "--output needs a value"},
      {with({"--fixed-cost-date", "2026-02-30"}), "YYYY-MM-DD"},
      {with({"--fixed-cost-date", "01/03/2026"}), "YYYY-MM-DD"},
      {{"--branch", "1", "--service", "1", "--month", "2026-13"}, "--month needs a month"},
      {{"--branch", "1", "--service", "1", "--month", "2026-3"}, "--month needs a month"},
      {{"--branch", "1", "--service", "1", "--month", "2026-03-01"}, "--month needs a month"},
      {with({"--server", "http://h:8080"}), "--server needs --operator and --password"},
      {with({"--server", "http://h:8080", "--operator", "ANA"}), "--operator and --password"},
      {with({"--password", "x"}), "--password needs --operator"},
      {with({"--server", "ftp://h:21", "--operator", "A", "--password", "p"}), "https://"},
      {with(
           {"--server", "http://h:80", "--operator", "A", "--password", "p", "--tls-ca", "ca.pem"}),
       "--tls-ca needs an https --server"},
      {with({"--tls-ca", "ca.pem"}), "--tls-ca needs an https --server"},
      {with({"--server", "h:0", "--operator", "A", "--password", "p"}), "server port"},
      {with({"--server", "h", "--operator", "A", "--password", "p"}), "host:port"},
      {with({"--db", ""}), "--db needs a value"},
  };
  for (const Case& c : cases) {
    try {
      parseReportOptions(c.args);
      ADD_FAILURE() << "accepted: " << ::testing::PrintToString(c.args);
    } catch (const UsageError& e) {
      EXPECT_THAT(e.what(), HasSubstr(c.message)) << ::testing::PrintToString(c.args);
    }
  }
}

TEST(ReportOptions, AnHttpsServerTakesItsCaFile) {
  const ReportOptions o = parseReportOptions({"--branch", "0001", "--service", "00001", "--month",
                                              "2026-03", "--server", "https://h", "--operator", "A",
                                              "--password", "p", "--tls-ca", "/etc/ca.pem"});
  ASSERT_TRUE(o.server);
  EXPECT_EQ(*o.server, (ServerAddress{"h", 443, true}));
  EXPECT_EQ(o.server->url(), "https://h:443");
  EXPECT_EQ(o.tlsCaFile, "/etc/ca.pem");
}

TEST(ReportOptions, TheWindowsOptionsAreAcceptedAndNamedAsIgnored) {
  ReportOptions options =
      parseReportOptions(with({"--screenshot", "a.png", "--panel", "--page=Realizado"}));
  EXPECT_EQ(options.ignored, (Args{"--screenshot", "--page", "--panel"}));
  EXPECT_EQ(options.branch, "0001");
  EXPECT_TRUE(parseReportOptions(kBase).ignored.empty());
  // The window's rule that --page needs --screenshot does not bind what is ignored anyway.
  EXPECT_EQ(parseReportOptions(with({"--panel"})).ignored, (Args{"--panel"}));
}

TEST(ReportOptions, WindowDefaultsGiveTheWindowsBranchServiceAndMonth) {
  const double today = platform::encodeDate(2026, 4, 15);
  const ReportOptions defaults = parseReportOptions({"--window-defaults"}, today);
  const WindowOptions window = parseWindowOptions({}, today);
  EXPECT_EQ(defaults.branch, window.branch);
  EXPECT_EQ(defaults.service, window.service);
  EXPECT_EQ(defaults.year, 2026);
  EXPECT_EQ(defaults.month, 4);
  const ReportOptions given =
      parseReportOptions({"--window-defaults", "--branch", "0002", "--month", "2025-01"}, today);
  EXPECT_EQ(given.branch, "0002");
  EXPECT_EQ(given.service, "00001");
  EXPECT_EQ(given.year, 2025);
  EXPECT_EQ(given.month, 1);
}

TEST(ShellOptions, OneDefinitionServesTheWindowAndTheReport) {
  const double today = platform::encodeDate(2026, 4, 15);
  // Every session option reads the same in both.
  const Args session = {
      "--server",      "http://h:1", "--operator",        "filial",    "--password",  "x",
      "--db",          "/tmp/a.db",  "--branch",          "0002",      "--service",   "00003",
      "--month",       "2025-12",    "--cost-mode",       "6",         "--calc-mode", "2",
      "--cost-branch", "0001",       "--fixed-cost-date", "2025-11-30"};
  const WindowOptions window = parseWindowOptions(session, today);
  const ReportOptions report = parseReportOptions(session, today);
  EXPECT_EQ(openingValues(window), openingValues(report));
  EXPECT_EQ(window.server, report.server);
  EXPECT_EQ(window.operatorCode, report.operatorCode);
  EXPECT_EQ(window.password, report.password);
  EXPECT_EQ(window.database, report.database);
  EXPECT_EQ(openingValues(report)[0].toString(), "0001");

  // What belongs to one alone is refused by the other, with the reason.
  for (const char* option : {"--plan-real", "--verbose", "--window-defaults"}) {
    EXPECT_THAT([&] { parseWindowOptions({option}, today); },
                ::testing::ThrowsMessage<UsageError>(std::string(option) +
                                                     " applies to menucost report only"));
  }
  EXPECT_THAT(
      [&] {
        parseWindowOptions({"--format", "csv"}, today);
      },
      ::testing::ThrowsMessage<UsageError>("--format applies to menucost report only"));

  // Both usage texts list every session option with the same words.
  const std::string windowText = windowUsage(), reportText = reportUsage();
  for (const char* line : {"  --server URL             application server (http[s]://host:port)",
                           "  --cost-branch B          branch whose costs are used (default: none)",
                           "  --fixed-cost-date DATE   take every cost at DATE (YYYY-MM-DD)\n",
                           "  --help                   this text\n"}) {
    EXPECT_THAT(windowText, HasSubstr(line));
    EXPECT_THAT(reportText, HasSubstr(line));
  }
  EXPECT_THAT(windowText, HasSubstr("  --branch B               branch code (default 0001"));
  EXPECT_THAT(reportText, HasSubstr("  --branch B               branch code\n"));
  EXPECT_THAT(reportText, HasSubstr("  --format text|csv        output format"));
  EXPECT_THAT(windowText, Not(HasSubstr("--format")));
  EXPECT_THAT(reportText, Not(HasSubstr("--screenshot FILE")));
}

}  // namespace
}  // namespace host
