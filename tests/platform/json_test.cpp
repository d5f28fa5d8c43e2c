#include "platform/json.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace platform::json {
namespace {

using ::testing::HasSubstr;

// Text in, canonical compact text out.
struct RoundTrip {
  std::string input;
  std::string written;
};

TEST(JsonTest, ParseThenWriteGivesTheCanonicalForm) {
  const RoundTrip cases[] = {
      {"null", "null"},
      {" true ", "true"},
      {"\tfalse\r\n", "false"},
      {"0", "0"},
      {"-0", "0"},
      {"42", "42"},
      {"-2147483649", "-2147483649"},
      {"9223372036854775807", "9223372036854775807"},
      {"-9223372036854775808", "-9223372036854775808"},
      {"9223372036854775808", "9223372036854775808.0"},  // beyond int64: a double
      {"1.5", "1.5"},
      {"2.0", "2.0"},
      {"-0.0", "-0.0"},
      {"1e2", "100.0"},
      {"1E+2", "100.0"},
      {"25e-1", "2.5"},
      {"0.1", "0.1"},
      {"1e300", "1e+300"},
      {"1e-400", "0.0"},  // underflow reads as zero
      {"4.9406564584124654e-324", "5e-324"},
      {"1.7976931348623157e308", "1.7976931348623157e+308"},
      {"123456789012345678901234567890", "1.2345678901234568e+29"},
      {"\"\"", "\"\""},
      {R"("a\"b\\c\/d")", R"("a\"b\\c/d")"},
      {R"("\b\f\n\r\t")", R"("\b\f\n\r\t")"},
      {R"("\u0001\u001f\u0000")", R"("\u0001\u001f\u0000")"},
      {R"("\u00e9\u00E9")", "\"\xC3\xA9\xC3\xA9\""},
      {R"("\u20ac")", "\"\xE2\x82\xAC\""},
      {R"("\ud83d\ude00")", "\"\xF0\x9F\x98\x80\""},
      {"\"a\xC3\xA7\xC3\xA3o\"", "\"a\xC3\xA7\xC3\xA3o\""},
      {"\"\xFF\xFE bytes\"", "\"\xFF\xFE bytes\""},  // invalid UTF-8 kept as bytes
      {"\"\x7F\"", "\"\x7F\""},
      {"[]", "[]"},
      {"[ 1 , [ ] , { } ]", "[1,[],{}]"},
      {R"({"b":1,"a":[true,null],"c":{"d":"e"}})", R"({"b":1,"a":[true,null],"c":{"d":"e"}})"},
      {R"({"":0})", R"({"":0})"},
  };
  for (const RoundTrip& c : cases) {
    SCOPED_TRACE(c.input);
    const Value value = parse(c.input);
    EXPECT_EQ(write(value), c.written);
    EXPECT_EQ(parse(write(value)), value);
  }
}

TEST(JsonTest, NumbersKeepTheirKind) {
  struct Case {
    const char* text;
    Value::Kind kind;
  };
  for (const Case c : {Case{"7", Value::Kind::Int}, Case{"7.0", Value::Kind::Double},
                       Case{"7e0", Value::Kind::Double}, Case{"-7", Value::Kind::Int},
                       Case{"99999999999999999999", Value::Kind::Double}}) {
    EXPECT_EQ(parse(c.text).kind(), c.kind) << c.text;
  }
  EXPECT_EQ(parse("-9223372036854775808").asInt(), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(parse("123456789012345678").asInt(), 123456789012345678);
}

TEST(JsonTest, DoublesRoundTripBitForBit) {
  std::mt19937_64 random(20260301);
  std::vector<double> values = {0.1,
                                1.0 / 3,
                                std::numeric_limits<double>::min(),
                                std::numeric_limits<double>::denorm_min(),
                                std::numeric_limits<double>::max(),
                                std::numeric_limits<double>::lowest(),
                                std::numeric_limits<double>::epsilon(),
                                9007199254740993.0,
                                -0.0,
                                123.456e-200};
  while (values.size() < 20000) {
    const uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (std::isfinite(value)) values.push_back(value);
  }
  for (const double value : values) {
    const std::string text = write(Value(value));
    const Value back = parse(text);
    ASSERT_EQ(back.kind(), Value::Kind::Double) << text;
    const double read = back.asDouble();
    ASSERT_EQ(std::memcmp(&read, &value, sizeof value), 0) << text;
  }
}

TEST(JsonTest, NonFiniteDoublesAreWrittenAsNull) {
  EXPECT_EQ(write(Value(std::numeric_limits<double>::quiet_NaN())), "null");
  EXPECT_EQ(write(Value(std::numeric_limits<double>::infinity())), "null");
  EXPECT_EQ(write(Value(Value::Array{Value(-std::numeric_limits<double>::infinity())})), "[null]");
}

TEST(JsonTest, WriterEscapesEveryControlCharacter) {
  std::string all;
  for (int c = 0; c < 0x20; ++c)
    all += static_cast<char>(c);
  const std::string written = write(Value(all));
  for (const char c : written)
    EXPECT_GE(static_cast<unsigned char>(c), 0x20);
  EXPECT_EQ(parse(written).asString(), all);
  std::string out;
  writeString(out, "tab\there \"quoted\" back\\slash");
  EXPECT_EQ(out, R"("tab\there \"quoted\" back\\slash")");
}

struct Malformed {
  std::string text;
  std::string fragment;
};

TEST(JsonTest, MalformedTextIsRefusedWithItsPlace) {
  const Malformed cases[] = {
      {"", "unexpected end of text at 0"},
      {"   ", "unexpected end of text at 3"},
      {"[1,]", "unexpected ']' at 3"},
      {"[1,2", "unexpected end of text in an array at 4"},
      {"[1 2]", "expected ',' or ']' at 3"},
      {R"({"a":1,})", "expected a string key at 7"},
      {R"({"a" 1})", "expected ':' at 5"},
      {R"({a:1})", "expected a string key at 1"},
      {R"({"a":1)", "unexpected end of text in an object at 6"},
      {R"({"a":1,"a":2})", "duplicate key \"a\""},
      {"01", "leading zero in a number at 0"},
      {"-01", "leading zero in a number at 0"},
      {"1.", "expected a digit after the decimal point at 2"},
      {".5", "unexpected '.' at 0"},
      {"1e", "expected a digit in the exponent at 2"},
      {"1e+", "expected a digit in the exponent at 3"},
      {"-", "unexpected end of text in a number at 1"},
      {"-a", "invalid number at 1"},
      {"+1", "unexpected '+' at 0"},
      {"1e400", "number out of range at 0"},
      {"-1e400", "number out of range at 0"},
      {"NaN", "unexpected 'N' at 0"},
      {"nan", "unexpected 'a' at 1"},
      {"Infinity", "unexpected 'I' at 0"},
      {"-Infinity", "invalid number at 1"},
      {"tru", "unexpected end of text at 3"},
      {"nul1", "unexpected '1' at 3"},
      {"True", "unexpected 'T' at 0"},
      {"1 2", "unexpected '2' after the value at 2"},
      {"{} x", "unexpected 'x' after the value at 3"},
      {"0x10", "unexpected 'x' after the value at 1"},
      {"\"abc", "unterminated string at 0"},
      {"\"abc\\", "unterminated string at 0"},
      {"\"a\tb\"", "control character in a string at 2"},
      {"\"a\nb\"", "control character in a string at 2"},
      {"\"\\x\"", "invalid escape 'x' in a string at 1"},
      {"\"\\'\"", "invalid escape ''' in a string at 1"},
      {"\"\\u12\"", "invalid \\u escape at 1"},
      {"\"\\u12", "unexpected end of text in a \\u escape"},
      {"\"\\uZZZZ\"", "invalid \\u escape at 1"},
      {"\"\\ud83d\"", "unpaired surrogate in a \\u escape at 1"},
      {"\"\\ud83dx\"", "unpaired surrogate"},
      {"\"\\ud83d\\u0041\"", "unpaired surrogate"},
      {"\"\\ude00\"", "unpaired surrogate"},
      {"[1,/*c*/2]", "unexpected '/' at 3"},
      {std::string("[1,\0]", 5), "unexpected byte 0x00 at 3"},
      {std::string("1\0", 2), "unexpected byte 0x00 after the value at 1"},
      {"\xEF\xBB\xBF{}", "unexpected byte 0xef at 0"},
  };
  for (const Malformed& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      parse(c.text);
      ADD_FAILURE() << "accepted";
    } catch (const ParseError& e) {
      EXPECT_THAT(e.what(), HasSubstr(c.fragment));
    }
  }
}

TEST(JsonTest, DuplicateKeysAreFoundInLargeObjectsToo) {
  std::string text = "{";
  for (int i = 0; i < 100; ++i)
    text += "\"k" + std::to_string(i) + "\":" + std::to_string(i) + ",";
  EXPECT_EQ(parse(text + "\"last\":0}").asObject().size(), 101u);
  EXPECT_THROW(parse(text + "\"k3\":0}"), ParseError);
  EXPECT_THROW(parse(text + "\"k99\":0}"), ParseError);
}

TEST(JsonTest, NestingIsBoundedSoHostileInputCannotExhaustTheStack) {
  auto nested = [](int depth, char open, char close) {
    std::string text;
    for (int i = 0; i < depth; ++i)
      text += open == '{' ? std::string("{\"a\":") : std::string(1, open);
    text += "1";
    for (int i = 0; i < depth; ++i)
      text += close;
    return text;
  };
  EXPECT_NO_THROW(parse(nested(256, '[', ']')));
  EXPECT_NO_THROW(parse(nested(256, '{', '}')));
  EXPECT_THAT([&] { parse(nested(257, '[', ']')); },
              ::testing::ThrowsMessage<ParseError>(HasSubstr("nesting deeper than 256 at 256")));
  EXPECT_THROW(parse(nested(257, '{', '}')), ParseError);
  EXPECT_THROW(parse(std::string(1'000'000, '[')), ParseError);
  EXPECT_NO_THROW(parse(nested(10, '[', ']'), 10));
  EXPECT_THROW(parse(nested(11, '[', ']'), 10), ParseError);
}

TEST(JsonTest, AccessorsRefuseTheWrongKind) {
  const Value number(3);
  EXPECT_EQ(number.asDouble(), 3.0);
  EXPECT_THROW(number.asString(), std::invalid_argument);
  EXPECT_THROW(number.asBool(), std::invalid_argument);
  EXPECT_THROW(Value(3.5).asInt(), std::invalid_argument);
  EXPECT_THROW(Value("x").asArray(), std::invalid_argument);
  EXPECT_THROW(Value().asObject(), std::invalid_argument);
  const Value object = parse(R"({"a":1,"b":"two"})");
  ASSERT_NE(object.find("b"), nullptr);
  EXPECT_EQ(object.find("b")->asString(), "two");
  EXPECT_EQ(object.find("c"), nullptr);
  EXPECT_EQ(number.find("a"), nullptr);
}

TEST(JsonReaderTest, WalksAnObjectWithoutBuildingValues) {
  Reader reader(
      R"( {"id": 7, "skip": {"x": [1, {"y": "]}"}, []], "z": {}}, "params": ["a\n", -2.5, true, null]} )");
  reader.beginObject();
  std::string_view key;
  std::vector<std::string> seen;
  for (bool first = true; reader.nextMember(first, key); first = false) {
    seen.emplace_back(key);
    if (key == "id") {
      EXPECT_EQ(reader.readNumber().i, 7);
    } else if (key == "params") {
      reader.beginArray();
      ASSERT_TRUE(reader.nextElement(true));
      EXPECT_EQ(reader.readString(), "a\n");
      ASSERT_TRUE(reader.nextElement(false));
      const Reader::Number n = reader.readNumber();
      EXPECT_FALSE(n.isInt);
      EXPECT_EQ(n.d, -2.5);
      ASSERT_TRUE(reader.nextElement(false));
      EXPECT_TRUE(reader.readBool());
      ASSERT_TRUE(reader.nextElement(false));
      reader.readNull();
      EXPECT_FALSE(reader.nextElement(false));
    } else {
      reader.skipValue();
    }
  }
  reader.finish();
  EXPECT_EQ(seen, (std::vector<std::string>{"id", "skip", "params"}));
}

TEST(JsonReaderTest, SkipValueIsAsStrictAsParse) {
  const char* bad[] = {"[1,]",    "{\"a\":1,}", "[1}",       "{\"a\":1]",
                       "{\"a\"}", "[01]",       "[\"\\q\"]", "{1:2}"};
  for (const char* text : bad) {
    Reader reader(text);
    EXPECT_THROW(reader.skipValue(), ParseError) << text;
  }
  std::string deep(300, '[');
  deep += std::string(300, ']');
  Reader tooDeep(deep);
  EXPECT_THROW(tooDeep.skipValue(), ParseError);
  Reader fine("[[[]],{\"a\":[{}]}] ");
  fine.skipValue();
  fine.finish();
}

TEST(JsonReaderTest, ReadingTheWrongKindFailsAtThatValue) {
  Reader reader("[\"text\"]");
  reader.beginArray();
  ASSERT_TRUE(reader.nextElement(true));
  EXPECT_THAT([&] { reader.readNumber(); },
              ::testing::ThrowsMessage<ParseError>(HasSubstr("unexpected '\"' at 1")));
}

}  // namespace
}  // namespace platform::json
