#include "platform/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/date.h"

namespace platform {
namespace {

using Args = std::vector<std::string>;
using ::testing::HasSubstr;

ParsedOptions scan(const Args& args) {
  return ParsedOptions(
      args, {{"name"}, {"password", OptionRule::MaybeEmptyValue}, {"verbose", OptionRule::Flag}});
}

TEST(ParsedOptions, ValuesFollowTheirOptionOrAnEqualsSign) {
  const ParsedOptions options = scan({"--name=a=b", "--password", "", "--verbose"});
  ASSERT_NE(options.find("name"), nullptr);
  EXPECT_EQ(*options.find("name"), "a=b");
  EXPECT_EQ(options.required("password"), "");
  EXPECT_TRUE(options.has("verbose"));
  EXPECT_EQ(options.names(), (std::vector<std::string>{"name", "password", "verbose"}));
  const ParsedOptions empty = scan({});
  EXPECT_EQ(empty.find("name"), nullptr);
  EXPECT_FALSE(empty.has("verbose"));
}

TEST(ParsedOptions, BadCommandLinesAreRefusedWithTheReason) {
  const struct {
    Args args;
    const char* message;
  } cases[] = {
      {{"name"}, "unexpected argument 'name'"},
      {{"--"}, "unexpected argument '--'"},
      {{"-n", "x"}, "unexpected argument '-n'"},
      {{"--colour"}, "unknown option '--colour'"},
      {{"--name"}, "--name needs a value"},
      {{"--name="}, "--name needs a value"},
      {{"--name", ""}, "--name needs a value"},
      {{"--password"}, "--password needs a value"},
      {{"--verbose=yes"}, "--verbose takes no value"},
      {{"--name", "a", "--name=b"}, "--name given twice"},
      {{"--verbose", "--verbose"}, "--verbose given twice"},
  };
  for (const auto& c : cases) {
    try {
      scan(c.args);
      ADD_FAILURE() << "accepted: " << ::testing::PrintToString(c.args);
    } catch (const UsageError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
  EXPECT_THAT([] { scan({}).required("name"); },
              ::testing::ThrowsMessage<UsageError>("--name is required"));
}

TEST(CommandLineValues, NumbersDatesAndMonths) {
  EXPECT_EQ(parseWholeNumber("n", "0", 0, 9), 0);
  EXPECT_EQ(parseWholeNumber("n", "9", 0, 9), 9);
  for (const char* bad : {"", "10", "-1", "1.0", "1x", " 1", "x"})
    EXPECT_THAT([&] { parseWholeNumber("n", bad, 0, 9); },
                ::testing::ThrowsMessage<UsageError>("--n needs a whole number from 0 to 9, not '" +
                                                     std::string(bad) + "'"));

  EXPECT_EQ(parseIsoDay("d", "2024-02-29"), encodeDate(2024, 2, 29));
  for (const char* bad : {"2023-02-29", "2024-2-29", "2024/02/29", "2024-02-29x", "29-02-2024"})
    EXPECT_THAT([&] { parseIsoDay("d", bad); },
                ::testing::ThrowsMessage<UsageError>(HasSubstr("--d needs a date as YYYY-MM-DD")));

  int year = 0, month = 0;
  parseIsoMonth("m", "2025-12", year, month);
  EXPECT_EQ(year, 2025);
  EXPECT_EQ(month, 12);
  for (const char* bad : {"2025-13", "2025-00", "2025-1", "2025-12-01", "202512"})
    EXPECT_THAT([&] { parseIsoMonth("m", bad, year, month); },
                ::testing::ThrowsMessage<UsageError>(HasSubstr("--m needs a month as YYYY-MM")));
  EXPECT_EQ(year, 2025);
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
  EXPECT_EQ(parseServerAddress("h:1").text(), "h:1");
}

}  // namespace
}  // namespace platform
