#include "host/cli_options.h"

#include <gtest/gtest.h>

#include "host/shell_session.h"
#include "platform/date.h"

namespace host {
namespace {

const double kToday = platform::encodeDate(2026, 4, 15);

TEST(WindowOptions, DefaultsAreTheDemoBranchServiceAndTheCurrentMonth) {
  const WindowOptions options = parseWindowOptions({}, kToday);
  EXPECT_FALSE(options.server);
  EXPECT_EQ(options.branch, "0001");
  EXPECT_EQ(options.service, "00001");
  EXPECT_EQ(options.year, 2026);
  EXPECT_EQ(options.month, 4);
  EXPECT_EQ(options.costMode, 44);
  EXPECT_TRUE(options.screenshot.empty());

  const platform::Variant values = openingValues(options);
  ASSERT_EQ(values.size(), 8u);
  EXPECT_EQ(values[0].toString(), "");
  EXPECT_EQ(values[1].toString(), "0001");
  EXPECT_EQ(values[2].toString(), "00001");
  EXPECT_EQ(values[3].toInt(), 44);
  EXPECT_EQ(values[4].toInt(), 1);
  EXPECT_EQ(values[5].toDate(), platform::encodeDate(2026, 4, 1));
  EXPECT_EQ(values[6].toDate(), platform::encodeDate(2026, 4, 1));
  EXPECT_FALSE(values[7].toBool());
}

TEST(WindowOptions, EveryOptionIsRead) {
  const WindowOptions options = parseWindowOptions({"--server",
                                                    "http://10.0.0.5:8080",
                                                    "--operator=filial",
                                                    "--password",
                                                    "x",
                                                    "--db",
                                                    "/tmp/a.db",
                                                    "--branch",
                                                    "0002",
                                                    "--service",
                                                    "00003",
                                                    "--month",
                                                    "2025-12",
                                                    "--cost-mode",
                                                    "6",
                                                    "--calc-mode=2",
                                                    "--cost-branch",
                                                    "0001",
                                                    "--fixed-cost-date",
                                                    "2025-11-30",
                                                    "--screenshot",
                                                    "out.png",
                                                    "--page",
                                                    "Matéria Prima",
                                                    "--panel"},
                                                   kToday);
  ASSERT_TRUE(options.server);
  EXPECT_EQ(options.server->host, "10.0.0.5");
  EXPECT_EQ(options.server->port, 8080);
  EXPECT_EQ(options.operatorCode, "filial");
  EXPECT_EQ(options.password, "x");
  EXPECT_EQ(options.database, "/tmp/a.db");
  EXPECT_EQ(options.year, 2025);
  EXPECT_EQ(options.month, 12);
  EXPECT_EQ(options.calcMode, 2);
  EXPECT_EQ(options.page, "Matéria Prima");
  EXPECT_TRUE(options.panel);

  const platform::Variant values = openingValues(options);
  EXPECT_EQ(values[0].toString(), "0001");
  EXPECT_EQ(values[3].toInt(), 6);
  EXPECT_EQ(values[5].toDate(), platform::encodeDate(2025, 12, 1));
  EXPECT_EQ(values[6].toDate(), platform::encodeDate(2025, 11, 30));
  EXPECT_TRUE(values[7].toBool());
}

TEST(WindowOptions, BadCommandLinesAreRefusedWithAReason) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"--month", "2026-13"}, "--month needs a month as YYYY-MM, not '2026-13'"},
      {{"--month", "2026-4"}, "--month needs a month as YYYY-MM, not '2026-4'"},
      {{"--cost-mode", "abc"}, "--cost-mode needs a whole number from 0 to 999, not 'abc'"},
      {{"--server", "http://h:1"}, "--server needs --operator and --password"},
      {{"--password", "x"}, "--password needs --operator"},
      {{"--panel"}, "--page and --panel need --screenshot"},
      {{"--page", "Realizado"}, "--page and --panel need --screenshot"},
      {{"--branch"}, "--branch needs a value"},
      {{"--branch", "1", "--branch", "2"}, "--branch given twice"},
      {{"--colour"}, "unknown option '--colour'"},
      {{"report"}, "unexpected argument 'report'"},
      {{"--panel=yes", "--screenshot", "a.png"}, "--panel takes no value"},
      {{"--print-pdf", "m.pdf", "--screenshot", "a.png"},
       "--print-pdf and --screenshot cannot be used together"},
      {{"--print-pdf"}, "--print-pdf needs a value"},
      {{"--output", "r.xlsx"}, "--output applies to menucost report only"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    try {
      parseWindowOptions(c.args, kToday);
      ADD_FAILURE() << "accepted";
    } catch (const UsageError& error) {
      EXPECT_STREQ(error.what(), c.message);
    }
  }
}

TEST(WindowOptions, HelpNeedsNothingElse) {
  EXPECT_TRUE(parseWindowOptions({"--help"}, kToday).help);
  EXPECT_NE(windowUsage().find("--screenshot FILE"), std::string::npos);
}

}  // namespace
}  // namespace host
