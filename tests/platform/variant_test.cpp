#include "platform/variant.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <sstream>

#include "platform/data_packet.h"

namespace platform {
namespace {

using ::testing::HasSubstr;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

Variant smallArray() {
  return Variant::array({Variant(1), Variant("a")});
}

DataPacket smallPacket() {
  DataPacket packet;
  packet.fields = {{"CDPRODUTO", FieldType::Text, 10}, {"QTDE", FieldType::Float, 0}};
  packet.rows = {{Variant("00010"), Variant(1.5)}};
  return packet;
}

// One conversion case: the value, and either the expected result or a fragment of the error.
template <typename T>
struct Conversion {
  Variant value;
  std::optional<T> expected;
  std::string error = {};
};

template <typename T>
void checkConversions(const std::vector<Conversion<T>>& cases,
                      std::function<T(const Variant&)> convert) {
  for (const Conversion<T>& c : cases) {
    SCOPED_TRACE(c.value.debugString());
    if (c.expected) {
      EXPECT_EQ(convert(c.value), *c.expected);
    } else {
      try {
        const T result = convert(c.value);
        ADD_FAILURE() << "converted to " << result;
      } catch (const ConversionError& e) {
        EXPECT_THAT(e.what(), HasSubstr(c.error));
      }
    }
  }
}

TEST(VariantTest, ToInt) {
  checkConversions<int32_t>(
      {
          {Variant("12"), 12},
          {Variant(" 12 "), 12},
          {Variant("\t-7\n"), -7},
          {Variant("+7"), 7},
          {Variant("1.5"), 2},
          {Variant("-1.5"), -2},
          {Variant("2.4999"), 2},
          {Variant("1e3"), 1000},
          {Variant("2147483647"), 2147483647},
          {Variant("-2147483648"), -2147483647 - 1},
          {Variant("abc"), std::nullopt, "Could not convert 'abc' to integer"},
          {Variant(""), std::nullopt, "Could not convert '' to integer"},
          {Variant("12abc"), std::nullopt, "Could not convert '12abc' to integer"},
          {Variant("1,5"), std::nullopt, "Could not convert '1,5' to integer"},
          {Variant("+-1"), std::nullopt, "Could not convert '+-1' to integer"},
          {Variant("--1"), std::nullopt, "Could not convert '--1' to integer"},
          {Variant("0x10"), std::nullopt, "Could not convert '0x10' to integer"},
          {Variant("inf"), std::nullopt, "Could not convert 'inf' to integer"},
          {Variant("nan"), std::nullopt, "Could not convert 'nan' to integer"},
          {Variant("2147483648"), std::nullopt, "'2147483648' to integer: out of range"},
          {Variant("-2147483649"), std::nullopt, "out of range"},
          {Variant("99999999999999999999"), std::nullopt, "out of range"},
          {Variant("3e9"), std::nullopt, "out of range"},
          {Variant(int32_t{5}), 5},
          {Variant(int64_t{-3}), -3},
          {Variant(int64_t{1} << 40), std::nullopt, "Could not convert 1099511627776 to integer"},
          {Variant(2.5), 3},
          {Variant(-2.5), -3},
          {Variant(2147483647.4), 2147483647},
          {Variant(2147483647.5), std::nullopt, "out of range"},
          {Variant(kNaN), std::nullopt, "Could not convert NaN to integer"},
          {Variant(true), 1},
          {Variant(false), 0},
          {Variant::date(46082.75), 46083},
          {Variant::null(), 0},
          {Variant(), 0},
          {smallArray(), std::nullopt, "Could not convert array to integer"},
          {Variant(smallPacket()), std::nullopt, "Could not convert packet to integer"},
      },
      [](const Variant& v) { return v.toInt(); });
}

TEST(VariantTest, ToInt64) {
  checkConversions<int64_t>(
      {
          {Variant("9223372036854775807"), std::numeric_limits<int64_t>::max()},
          {Variant(" -9223372036854775808 "), std::numeric_limits<int64_t>::min()},
          {Variant("9223372036854775808"), std::nullopt, "to 64-bit integer: out of range"},
          {Variant("5e9"), 5000000000},
          {Variant("x"), std::nullopt, "Could not convert 'x' to 64-bit integer"},
          {Variant(int64_t{1} << 40), int64_t{1} << 40},
          {Variant(-0.5), -1},
          {Variant(1e19), std::nullopt, "out of range"},
          {Variant(-9223372036854775808.0), std::numeric_limits<int64_t>::min()},
          {Variant(true), 1},
          {Variant::null(), 0},
          {smallArray(), std::nullopt, "array"},
      },
      [](const Variant& v) { return v.toInt64(); });
}

TEST(VariantTest, ToDouble) {
  checkConversions<double>(
      {
          {Variant("1.5"), 1.5},
          {Variant(" -2.25 "), -2.25},
          {Variant(".5"), 0.5},
          {Variant("1e-3"), 0.001},
          {Variant("12"), 12.0},
          {Variant("+3"), 3.0},
          {Variant("0.1"), 0.1},
          {Variant("1,5"), std::nullopt, "Could not convert '1,5' to float"},
          {Variant("abc"), std::nullopt, "Could not convert 'abc' to float"},
          {Variant("inf"), std::nullopt, "'inf'"},
          {Variant("-Infinity"), std::nullopt, "'-Infinity'"},
          {Variant("NaN"), std::nullopt, "'NaN'"},
          {Variant("1e400"), std::nullopt, "'1e400'"},
          {Variant(""), std::nullopt, "''"},
          {Variant(" "), std::nullopt, "' '"},
          {Variant("1.5.2"), std::nullopt, "'1.5.2'"},
          {Variant(int64_t{9007199254740993}), 9007199254740992.0},
          {Variant(int32_t{-4}), -4.0},
          {Variant::date(46082.5), 46082.5},
          {Variant(false), 0.0},
          {Variant(true), 1.0},
          {Variant::null(), 0.0},
          {Variant(smallPacket()), std::nullopt, "packet"},
      },
      [](const Variant& v) { return v.toDouble(); });
}

TEST(VariantTest, ToString) {
  const double tenThirty = (10 * 3600 + 30 * 60 + 15) / 86400.0;
  checkConversions<std::string>(
      {
          {Variant("as is "), "as is "},
          {Variant(int32_t{-12}), "-12"},
          {Variant(int64_t{9007199254740993}), "9007199254740993"},
          {Variant(1.5), "1.5"},
          {Variant(0.1), "0.1"},
          {Variant(100.0), "100"},
          {Variant(-0.000125), "-0.000125"},
          {Variant(1e20), "1e+20"},
          {Variant(kNaN), "NaN"},
          {Variant(-std::numeric_limits<double>::infinity()), "-Infinity"},
          {Variant(true), "True"},
          {Variant(false), "False"},
          {Variant::date(46082), "01/03/2026"},
          {Variant::date(46082.5), "01/03/2026 12:00:00"},
          {Variant::date(46088 + tenThirty), "07/03/2026 10:30:15"},
          {Variant::date(0.99999999999), "31/12/1899"},  // rounds to the next midnight
          {Variant::date(-1.25), "29/12/1899 06:00:00"},
          {Variant::date(36585), "29/02/2000"},
          {Variant::date(1e300), std::nullopt, "Could not convert date 1e+300 to text"},
          {Variant::date(kNaN), std::nullopt, "Could not convert datetime to text"},
          {Variant::null(), ""},
          {Variant(), ""},
          {smallArray(), std::nullopt, "Could not convert array to text"},
      },
      [](const Variant& v) { return v.toString(); });
}

TEST(VariantTest, ToBool) {
  checkConversions<bool>(
      {
          {Variant("TRUE"), true},
          {Variant("false"), false},
          {Variant(" 1 "), true},
          {Variant("0"), false},
          {Variant("False"), false},
          {Variant("yes"), std::nullopt, "Could not convert 'yes' to boolean"},
          {Variant(""), std::nullopt, "Could not convert '' to boolean"},
          {Variant(int32_t{0}), false},
          {Variant(int64_t{-2}), true},
          {Variant(0.5), true},
          {Variant(0.0), false},
          {Variant::null(), false},
          {smallArray(), std::nullopt, "array"},
      },
      [](const Variant& v) { return v.toBool(); });
}

TEST(VariantTest, ToDate) {
  checkConversions<double>(
      {
          {Variant("07/03/2026"), 46088},
          {Variant(" 7/3/26 "), 46088},
          {Variant("2026-03-07"), std::nullopt, "Could not convert '2026-03-07' to date"},
          {Variant("31/02/2026"), std::nullopt, "'31/02/2026' to date"},
          {Variant(int32_t{5}), 5},
          {Variant(46082.5), 46082.5},
          {Variant::date(46082.25), 46082.25},
          {Variant::null(), 0},
          {Variant(true), std::nullopt, "Could not convert boolean to date"},
      },
      [](const Variant& v) { return v.toDate(); });
}

TEST(VariantTest, TypeQueries) {
  struct Case {
    Variant value;
    Variant::Type type;
    bool null, text, numeric;
  };
  const Case cases[] = {
      {Variant(), Variant::Type::Empty, true, false, false},
      {Variant::null(), Variant::Type::Null, true, false, false},
      {Variant(std::string_view("x")), Variant::Type::Text, false, true, false},
      {Variant(1), Variant::Type::Int32, false, false, true},
      {Variant(int64_t{1}), Variant::Type::Int64, false, false, true},
      {Variant(1.0), Variant::Type::Double, false, false, true},
      {Variant(true), Variant::Type::Bool, false, false, false},
      {Variant::date(1), Variant::Type::DateTime, false, false, false},
      {smallArray(), Variant::Type::Array, false, false, false},
      {Variant(smallPacket()), Variant::Type::Packet, false, false, false},
      {Variant(std::shared_ptr<const DataPacket>()), Variant::Type::Null, true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value.debugString());
    EXPECT_EQ(c.value.type(), c.type);
    EXPECT_EQ(c.value.isNull(), c.null);
    EXPECT_EQ(c.value.isText(), c.text);
    EXPECT_EQ(c.value.isNumeric(), c.numeric);
  }
}

TEST(VariantTest, Equality) {
  struct Case {
    Variant a, b;
    bool equal;
  };
  DataPacket other = smallPacket();
  other.rows[0][1] = Variant(2.5);
  const Case cases[] = {
      {Variant(1), Variant(int64_t{1}), true},
      {Variant(1), Variant(1.0), true},
      {Variant(int64_t{1} << 40), Variant(1099511627776.0), true},
      {Variant(int64_t{9007199254740993}), Variant(9007199254740992.0), false},
      {Variant(std::numeric_limits<int64_t>::max()), Variant(9223372036854775808.0), false},
      {Variant(0), Variant(0.5), false},
      {Variant(0.0), Variant(-0.0), true},
      {Variant(kNaN), Variant(kNaN), false},
      {Variant("1"), Variant(1), false},
      {Variant("a"), Variant("a"), true},
      {Variant("a"), Variant("A"), false},
      {Variant::null(), Variant::null(), true},
      {Variant(), Variant(), true},
      {Variant(), Variant::null(), false},
      {Variant(true), Variant(1), false},
      {Variant(true), Variant(true), true},
      {Variant::date(1), Variant(1.0), false},
      {Variant::date(1), Variant::date(1), true},
      {smallArray(), smallArray(), true},
      {smallArray(), Variant::array({Variant(1.0), Variant("a")}), true},
      {smallArray(), Variant::array({Variant(1)}), false},
      {Variant(smallPacket()), Variant(smallPacket()), true},
      {Variant(smallPacket()), Variant(other), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a.debugString() + " vs " + c.b.debugString());
    EXPECT_EQ(c.a == c.b, c.equal);
    EXPECT_EQ(c.b == c.a, c.equal);
    EXPECT_EQ(c.a != c.b, !c.equal);
  }
}

TEST(VariantTest, ArraysAreCopyOnWrite) {
  Variant original = Variant::array({Variant(1), Variant("two"), Variant::array({Variant(3)})});
  const Variant copy = original;
  original[1] = Variant("changed");
  original[2][0] = Variant(30);
  EXPECT_EQ(copy[1], Variant("two"));
  EXPECT_EQ(copy[2][0], Variant(3));
  EXPECT_EQ(original[1], Variant("changed"));
  EXPECT_EQ(original[2][0], Variant(30));
  EXPECT_EQ(original.size(), 3u);
  EXPECT_EQ(copy.items().size(), 3u);

  EXPECT_THROW(copy[3], std::out_of_range);
  EXPECT_THROW(original[3], std::out_of_range);
  EXPECT_THROW(Variant(5)[0], std::out_of_range);
  EXPECT_EQ(Variant(5).size(), 0u);
  EXPECT_THROW(Variant(5).items(), ConversionError);
  EXPECT_EQ(Variant::array({}).size(), 0u);
}

TEST(VariantTest, PacketsAreSharedAndReadOnly) {
  const Variant a(smallPacket());
  const Variant b = a;
  EXPECT_EQ(a.sharedPacket(), b.sharedPacket());
  EXPECT_EQ(b.packet().rows[0][0], Variant("00010"));
  EXPECT_THROW(Variant(1).packet(), ConversionError);
  EXPECT_THROW(Variant::null().sharedPacket(), ConversionError);
}

TEST(VariantTest, DebugStringNamesTypeAndValue) {
  EXPECT_EQ(Variant("a\"b").debugString(), "Text \"a\\\"b\"");
  EXPECT_EQ(Variant(int64_t{7}).debugString(), "Int64 7");
  EXPECT_EQ(Variant::date(46082).debugString(), "Date 01/03/2026 (46082)");
  EXPECT_EQ(Variant::date(1e300).debugString(), "Date 1e+300");
  EXPECT_EQ(smallArray().debugString(), "Array [Int32 1, Text \"a\"]");
  EXPECT_EQ(Variant(smallPacket()).debugString(), "Packet (2 fields, 1 rows, 0 changes)");
  std::ostringstream out;
  out << Variant(true);
  EXPECT_EQ(out.str(), "Bool True");
}

TEST(VariantJsonTest, WritesTheWireFormAndReadsItBackWithTheSameType) {
  struct Case {
    Variant value;
    std::string json;
  };
  const Case cases[] = {
      {Variant::null(), "null"},
      {Variant("caf\xC3\xA9 \"1\"\n"), "\"caf\xC3\xA9 \\\"1\\\"\\n\""},
      {Variant(-5), "-5"},
      {Variant(int64_t{1} << 40), "1099511627776"},
      {Variant(2.0), "2.0"},
      {Variant(0.1), "0.1"},
      {Variant(-1e-300), "-1e-300"},
      {Variant(true), "true"},
      {Variant::date(46082), "{\"$date\":46082}"},
      {Variant::date(46082.25), "{\"$date\":46082.25}"},
      {Variant::date(-1.5), "{\"$date\":-1.5}"},
      {Variant::array({Variant(1), Variant::array({}), Variant::null(), Variant::date(2)}),
       "[1,[],null,{\"$date\":2}]"},
      {Variant(smallPacket()),
       "{\"$packet\":{\"fields\":[{\"name\":\"CDPRODUTO\",\"type\":\"text\",\"size\":10},"
       "{\"name\":\"QTDE\",\"type\":\"float\"}],\"rows\":[[\"00010\",1.5]]}}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    EXPECT_EQ(c.value.toJson(), c.json);
    const Variant back = Variant::fromJson(c.json);
    EXPECT_EQ(back, c.value);
    EXPECT_EQ(back.type(), c.value.type());
  }
}

TEST(VariantJsonTest, UnwritableValuesBecomeNull) {
  EXPECT_EQ(Variant().toJson(), "null");
  EXPECT_EQ(Variant(kNaN).toJson(), "null");
  EXPECT_EQ(Variant::date(std::numeric_limits<double>::infinity()).toJson(), "null");
  std::string out = "[";
  Variant(3).appendJson(out);
  EXPECT_EQ(out, "[3");
}

TEST(VariantJsonTest, NumbersTakeTheNarrowestIntegerType) {
  struct Case {
    const char* json;
    Variant::Type type;
  };
  for (const Case c :
       {Case{"2147483647", Variant::Type::Int32}, Case{"-2147483648", Variant::Type::Int32},
        Case{"2147483648", Variant::Type::Int64}, Case{"-2147483649", Variant::Type::Int64},
        Case{"18446744073709551616", Variant::Type::Double}, Case{"1.0", Variant::Type::Double},
        Case{"1e2", Variant::Type::Double}, Case{" {\"$date\" : 46082} ", Variant::Type::DateTime},
        Case{"{\"$date\":-0.5}", Variant::Type::DateTime},
        Case{"\"\\u00e7\"", Variant::Type::Text}}) {
    EXPECT_EQ(Variant::fromJson(c.json).type(), c.type) << c.json;
  }
}

TEST(VariantJsonTest, MalformedOrUnsupportedJsonIsRefused) {
  struct Case {
    const char* json;
    const char* fragment;
  };
  const Case cases[] = {
      {"", "Invalid JSON value: unexpected end of text at 0"},
      {"[1,]", "unexpected ']' at 3"},
      {"{}", "empty object where"},
      {"{\"a\":1}", "unsupported object member \"a\""},
      {"{\"$date\":\"07/03/2026\"}", "\"$date\" must be a number"},
      {"{\"$date\":null}", "\"$date\" must be a number"},
      {"{\"$date\":1,\"x\":2}", "unexpected member \"x\" beside the \"$date\""},
      {"{\"$packet\":{}}", "Invalid data packet: missing 'fields'"},
      {"{\"$packet\":[]}", "the packet must be an object"},
      {"NaN", "unexpected 'N'"},
      {"1 1", "after the value"},
      {"\"\\ud800\"", "unpaired surrogate"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    try {
      Variant::fromJson(c.json);
      ADD_FAILURE() << "accepted";
    } catch (const std::invalid_argument& e) {
      EXPECT_THAT(e.what(), HasSubstr(c.fragment));
    }
  }
  std::string deep(300, '[');
  EXPECT_THROW(Variant::fromJson(deep + std::string(300, ']')), std::invalid_argument);
}

}  // namespace
}  // namespace platform
