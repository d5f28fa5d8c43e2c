#include "server/app/server_options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/command_line.h"
#include "platform/date.h"

namespace server {
namespace {

using Args = std::vector<std::string>;
using ::testing::HasSubstr;

TEST(ServerOptions, DefaultsAndEveryOption) {
  ServerCommandOptions plain = parseServerOptions({"--db", "suite.db"});
  EXPECT_EQ(plain.databasePath, "suite.db");
  EXPECT_FALSE(plain.demo);
  EXPECT_EQ(plain.scale, 1);
  EXPECT_EQ(plain.port, 8080);
  EXPECT_EQ(plain.bindAddress, "127.0.0.1");
  EXPECT_FALSE(plain.demoDate);

  ServerCommandOptions all =
      parseServerOptions({"--db=d.db", "--demo", "--scale", "3", "--demo-date", "2026-03-10",
                          "--port", "0", "--bind", "0.0.0.0"});
  EXPECT_TRUE(all.demo);
  EXPECT_EQ(all.scale, 3);
  EXPECT_EQ(all.demoDate, platform::encodeDate(2026, 3, 10));
  EXPECT_EQ(all.port, 0);
  EXPECT_EQ(all.bindAddress, "0.0.0.0");
  EXPECT_TRUE(parseServerOptions({"--help"}).help);
  EXPECT_NE(serverUsage().find("--demo-date YYYY-MM-DD"), std::string::npos);
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
    } catch (const platform::UsageError& e) {
      EXPECT_THAT(e.what(), HasSubstr(c.message)) << ::testing::PrintToString(c.args);
    }
  }
}

}  // namespace
}  // namespace server
