#include "host/cli_options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/date.h"

namespace host {
namespace {

using Args = std::vector<std::string>;
using ::testing::HasSubstr;

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
      {with({"--fixed-cost-date", "2026-02-30"}), "YYYY-MM-DD"},
      {with({"--fixed-cost-date", "01/03/2026"}), "YYYY-MM-DD"},
      {{"--branch", "1", "--service", "1", "--month", "2026-13"}, "--month needs a month"},
      {{"--branch", "1", "--service", "1", "--month", "2026-3"}, "--month needs a month"},
      {{"--branch", "1", "--service", "1", "--month", "2026-03-01"}, "--month needs a month"},
      {with({"--server", "http://h:8080"}), "--server needs --operator and --password"},
      {with({"--server", "http://h:8080", "--operator", "ANA"}), "--operator and --password"},
      {with({"--password", "x"}), "--password needs --operator"},
      {with({"--server", "https://h:443", "--operator", "A", "--password", "p"}), "http://"},
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

TEST(ServerAddressParse, Forms) {
  struct Case {
    const char* url;
    ServerAddress address;
  } cases[] = {
      {"http://127.0.0.1:8080", {"127.0.0.1", 8080}},
      {"http://localhost:9000/", {"localhost", 9000}},
      {"server.local:1", {"server.local", 1}},
      {"http://server", {"server", 80}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(parseServerAddress(c.url), c.address) << c.url;
  for (const char* bad : {"", "http://", ":8080", "h:65536", "h:x", "ftp://h:21", "http://a/b:1"})
    EXPECT_THROW(parseServerAddress(bad), UsageError) << bad;
}

TEST(ServerOptions, DefaultsAndEveryOption) {
  ServerOptions plain = parseServerOptions({"--db", "suite.db"});
  EXPECT_EQ(plain.database, "suite.db");
  EXPECT_FALSE(plain.demo);
  EXPECT_EQ(plain.scale, 1);
  EXPECT_EQ(plain.port, 8080);
  EXPECT_EQ(plain.bindAddress, "127.0.0.1");
  EXPECT_FALSE(plain.demoDate);

  ServerOptions all = parseServerOptions({"--db=d.db", "--demo", "--scale", "3", "--demo-date",
                                          "2026-03-10", "--port", "0", "--bind", "0.0.0.0"});
  EXPECT_TRUE(all.demo);
  EXPECT_EQ(all.scale, 3);
  EXPECT_EQ(all.demoDate, platform::encodeDate(2026, 3, 10));
  EXPECT_EQ(all.port, 0);
  EXPECT_EQ(all.bindAddress, "0.0.0.0");
  EXPECT_TRUE(parseServerOptions({"--help"}).help);
}

TEST(ServerOptions, BadCommandLinesAreRefusedWithTheReason) {
  struct Case {
    Args args;
    const char* message;
  } cases[] = {
      {{}, "--db is required"},
      {{"--demo"}, "--db is required"},
      {{"--db"}, "--db needs a value"},
      {{"--db", "d", "--scale", "2"}, "--scale needs --demo"},
      {{"--db", "d", "--demo-date", "2026-03-10"}, "--demo-date needs --demo"},
      {{"--db", "d", "--demo", "--scale", "0"}, "--scale needs a whole number from 1"},
      {{"--db", "d", "--port", "65536"}, "--port needs a whole number from 0 to 65535"},
      {{"--db", "d", "--port", "80x"}, "--port needs a whole number"},
      {{"--db", "d", "--bind", ""}, "--bind needs a value"},
      {{"--db", "d", "--demo", "--demo"}, "--demo given twice"},
      {{"--db", "d", "--month", "2026-03"}, "unknown option '--month'"},
      {{"--db", "d", "-p", "80"}, "unexpected argument '-p'"},
  };
  for (const Case& c : cases) {
    try {
      parseServerOptions(c.args);
      ADD_FAILURE() << "accepted: " << ::testing::PrintToString(c.args);
    } catch (const UsageError& e) {
      EXPECT_THAT(e.what(), HasSubstr(c.message)) << ::testing::PrintToString(c.args);
    }
  }
}

}  // namespace
}  // namespace host
