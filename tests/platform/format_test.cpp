#include "platform/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "platform/date.h"

namespace platform {
namespace {

struct NumberCase {
  const char* pattern;
  double value;
  const char* expected;
};

void expectNumbers(const NumberCase* cases, size_t count, const FormatSettings& settings) {
  for (size_t i = 0; i < count; ++i) {
    const NumberCase& c = cases[i];
    SCOPED_TRACE(testing::Message() << "pattern \"" << c.pattern << "\" value " << c.value);
    EXPECT_EQ(formatFloat(c.pattern, c.value, settings), c.expected);
  }
}

TEST(FormatFloat, DisplayPatternsOfTheDatasets) {
  static const NumberCase kCases[] = {
      {"#,##0.00000", 0.125, "0,12500"},
      {"#,##0.00000", 1234.5, "1.234,50000"},
      {"#,##0.00000", 0.123456, "0,12346"},
      {"#,###,##0.00000", 1234567.123456, "1.234.567,12346"},
      {"#,###,##0.00000", 0, "0,00000"},
      {"#,###,##0", 1234567, "1.234.567"},
      {"#,###,##0", 999.5, "1.000"},
      {"#,###,##0", 0.4, "0"},
      {"###,##0.00", 1234.5, "1.234,50"},
      {"###,##0.00", 0, "0,00"},
      {"###,##0.00", 999999.999, "1.000.000,00"},
      {"#,##0.###", 2.5, "2,5"},
      {"#,##0.###", 3, "3"},
      {"#,##0.###", 1.23456, "1,235"},
      {"#,##0.###", 0.0005, "0,001"},
      {"#,##0.###", 0.0004, "0"},
      {"#,##0.###", 1500.25, "1.500,25"},
      {"#,##0.00", 12.5, "12,50"},
      {"#,##0", 1234.5, "1.235"},
      {"#,##0", 100, "100"},
      {"0", 2.5, "3"},
      {"0", 0.4, "0"},
  };
  expectNumbers(kCases, std::size(kCases), FormatSettings{});
}

// '%' is literal: percentages are stored already multiplied by 100.
TEST(FormatFloat, PercentIsLiteral) {
  static const NumberCase kCases[] = {
      {"#,##0.00 %", 60, "60,00 %"},   {"#,##0.00 %", 12.345, "12,35 %"},
      {"#,##0.00 %", 0, "0,00 %"},     {"#,##0.00 %", 100, "100,00 %"},
      {"#,##0.00 %", -7.5, "-7,50 %"},
  };
  expectNumbers(kCases, std::size(kCases), FormatSettings{});
}

TEST(FormatFloat, NegativesAndRoundingHalfAwayFromZero) {
  static const NumberCase kCases[] = {
      {"0", -2.5, "-3"},
      {"0", -0.4, "0"},  // rounds to zero: no sign
      {"#,##0.00", -1234.567, "-1.234,57"},
      {"#,##0.00", 0.125, "0,13"},
      {"#,##0.00", -0.125, "-0,13"},
      {"#,##0.00", 1.005, "1,01"},
      {"#,##0.00", 2.675, "2,68"},
      {"#,##0.00", -2.675, "-2,68"},
      {"#,##0.00", 0.1 + 0.2, "0,30"},
      {"#,##0.00000", -0.000004, "0,00000"},
      {"#,##0.00000", 1.0000049999999, "1,00000"},
      {"#,##0.00000", 0.000005, "0,00001"},
      {"#,##0", 0.145 * 100, "15"},  // 14.499999999999998 stands for 14.5
  };
  expectNumbers(kCases, std::size(kCases), FormatSettings{});
}

TEST(FormatFloat, BigValues) {
  static const NumberCase kCases[] = {
      {"#,##0.00000", 1e12, "1.000.000.000.000,00000"},
      {"#,##0.00", 123456789012.345, "123.456.789.012,35"},
      {"#,##0.00", 1e20, "100.000.000.000.000.000.000,00"},
      {"#,##0", 9007199254740992.0, "9.007.199.254.740.992"},
      {"0", -1e15, "-1000000000000000"},
  };
  expectNumbers(kCases, std::size(kCases), FormatSettings{});
}

TEST(FormatFloat, SectionsLiteralsAndPlaceholders) {
  static const NumberCase kCases[] = {
      {"#,##0.00;(#,##0.00)", -5, "(5,00)"},
      {"#,##0.00;(#,##0.00)", 5, "5,00"},
      {"#,##0.00;(#,##0.00)", -0.001, "0,00"},
      {"#,##0.00;(#,##0.00);'zero'", 0, "zero"},
      {"0.00;-0.00;'-'", 0.001, "-"},
      {"0.00;;'-'", -1, "-1,00"},  // empty negative section: the first one with a sign
      {"000", 7, "007"},
      {"00.0", 1.25, "01,3"},
      {"#", 0, ""},
      {"#.##", 0.5, ",5"},
      {"'R$ '#,##0.00", 1234.5, "R$ 1.234,50"},
      {"\"R$ \"#,##0.00", -3, "-R$ 3,00"},
      {"0.00' kg'", 0.125, "0,13 kg"},
      {"'a;b' 0", 1, "a;b 1"},
      {"0.0#", 1.5, "1,5"},
      {"0.0#", 1.456, "1,46"},
      {"dd", 5, "dd"},  // no placeholder: the literal text only
  };
  expectNumbers(kCases, std::size(kCases), FormatSettings{});
}

TEST(FormatFloat, GeneralFormWithoutPattern) {
  static const NumberCase kCases[] = {
      {"", 0.125, "0,125"},   {"", 0, "0"},
      {"", -2, "-2"},         {"", 1234567.5, "1234567,5"},
      {"", 0.1 + 0.2, "0,3"}, {"", 1.5e20, "1,5E20"},
      {"", 1e-6, "1E-6"},     {"", 0.00001, "0,00001"},
  };
  expectNumbers(kCases, std::size(kCases), FormatSettings{});
}

TEST(FormatFloat, NonFiniteValues) {
  EXPECT_EQ(formatFloat("#,##0.00", std::numeric_limits<double>::quiet_NaN()), "NAN");
  EXPECT_EQ(formatFloat("#,##0.00", std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(formatFloat("#,##0.00", -std::numeric_limits<double>::infinity()), "-INF");
}

TEST(FormatFloat, UsesTheGivenSeparators) {
  FormatSettings us;
  us.decimalSeparator = '.';
  us.thousandSeparator = ',';
  static const NumberCase kCases[] = {
      {"#,##0.00", 1234.5, "1,234.50"},
      {"#,###,##0", 1234567, "1,234,567"},
      {"", 0.5, "0.5"},
  };
  expectNumbers(kCases, std::size(kCases), us);
}

TEST(FormatSettingsTest, ReplacingTheProcessSettingsChangesTheDefault) {
  const FormatSettings saved = formatSettings();
  FormatSettings changed = saved;
  changed.decimalSeparator = '.';
  changed.thousandSeparator = ' ';
  setFormatSettings(changed);
  const std::string text = formatFloat("#,##0.00", 1234.5);
  setFormatSettings(saved);
  EXPECT_EQ(text, "1 234.50");
  EXPECT_EQ(formatFloat("#,##0.00", 1234.5), "1.234,50");
}

struct DateCase {
  const char* pattern;
  double dateTime;
  const char* expected;
};

// 46088 is Saturday 07/03/2026.
TEST(FormatDateTime, Patterns) {
  static const DateCase kCases[] = {
      {"dd/mm/yyyy", 46088, "07/03/2026"},
      {"ddddd", 46088, "07/03/2026"},
      {"ddddd ddd", 46088, "07/03/2026 sáb"},
      {"ddddd - ddd", 46088, "07/03/2026 - sáb"},
      {"dddd", 46088, "sábado"},
      {"ddd", 46082, "dom"},
      {"dddd", 46083, "segunda-feira"},
      {"dd", 46088, "07"},
      {"d", 46088, "7"},
      {"m", 46088, "3"},
      {"mm", 46088, "03"},
      {"mmm", 46088, "mar"},
      {"mmmm", 46088, "março"},
      {"yy", 46088, "26"},
      {"yyyy", 46088, "2026"},
      {"DD/MM/YYYY", 46088, "07/03/2026"},
      {"'Dia' dd", 46088, "Dia 07"},
      {"\"mm\" mm", 46088, "mm 03"},
      {"dddddd", 46088, "sábado, 7 de março de 2026"},
      {"dd/mm/yyyy hh:nn:ss", 46088.75, "07/03/2026 18:00:00"},
      {"hh:mm", 46088.5 + 5.0 / 1440, "12:05"},  // minutes after an hour
      {"h:n:s.zzz", 46088.0 + 1.5 / 86400, "0:0:1.500"},
      {"dd/mm/yyyy hh:nn:ss", 46088.9999999999, "08/03/2026 00:00:00"},
      {"", 46088, "07/03/2026"},
      {"", 46088.5, "07/03/2026 12:00:00"},
      {"ddddd ddd", 0, "30/12/1899 sáb"},
      {"dd/mm/yyyy", 1, "31/12/1899"},
      {"dd/mm/yyyy", -1, "29/12/1899"},
      {"dd/mm/yyyy hh:nn", -1.25, "29/12/1899 06:00"},
      {"ddddd ddd", 45351, "29/02/2024 qui"},
      {"ddddd", 2958465, "31/12/9999"},
  };
  for (const DateCase& c : kCases) {
    SCOPED_TRACE(testing::Message() << "pattern \"" << c.pattern << "\" date " << c.dateTime);
    EXPECT_EQ(formatDateTime(c.pattern, c.dateTime), c.expected);
  }
}

TEST(FormatDateTime, SeparatorAndShortDate) {
  FormatSettings dashed;
  dashed.dateSeparator = '-';
  EXPECT_EQ(shortDate(46088, dashed), "07-03-2026");
  EXPECT_EQ(formatDateTime("ddddd", 46088, dashed), "07-03-2026");
  EXPECT_EQ(shortDate(46088.75), "07/03/2026");
  EXPECT_EQ(shortDate(encodeDate(2026, 12, 31)), "31/12/2026");
}

TEST(FormatDateTime, OutOfRangeRaises) {
  EXPECT_THROW(formatDateTime("dd", std::numeric_limits<double>::quiet_NaN()), std::out_of_range);
  EXPECT_THROW(formatDateTime("dd", 1e9), std::out_of_range);
  EXPECT_THROW(shortDate(-1e9), std::out_of_range);
}

struct RoundCase {
  double value;
  int decimals;
  double expected;
};

TEST(RoundDec, RoundsTheDecimalValueHalfAwayFromZero) {
  static const RoundCase kCases[] = {
      {0.125, 2, 0.13},
      {0.1234567, 5, 0.12346},
      {0.999999, 5, 1},
      {1.005, 2, 1.01},
      {2.675, 2, 2.68},
      {1.0000049999999, 5, 1},
      {1.000005, 5, 1.00001},
      {0.145 * 100, 0, 15},
      {0.1 + 0.2, 5, 0.3},
      {2.5, 0, 3},
      {-2.5, 0, -3},
      {-0.125, 2, -0.13},
      {-1.005, 2, -1.01},
      {-2.675, 2, -2.68},
      {-1.0000049999999, 5, -1},
      {9.995, 2, 10},
      {0.004, 2, 0},
      {0.005, 2, 0.01},
      {1e12, 5, 1e12},
      {1e12 + 0.5, 0, 1e12 + 1},
      {123456789012.345, 2, 123456789012.35},
      {-123456789012.345, 2, -123456789012.35},
      {1e20, 2, 1e20},
      {1234.5678, -2, 1200},
      {1250, -2, 1300},
      {0, 5, 0},
  };
  for (const RoundCase& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.value << " to " << c.decimals);
    EXPECT_EQ(roundDec(c.value, c.decimals), c.expected);
  }
}

TEST(RoundDec, EveryNumberOfDecimals) {
  static const double kExpected[] = {1,       1.2,      1.23,      1.235,     1.2346,
                                     1.23457, 1.234568, 1.2345679, 1.23456789};
  for (int decimals = 0; decimals <= 8; ++decimals) {
    SCOPED_TRACE(decimals);
    EXPECT_EQ(roundDec(1.23456789, decimals), kExpected[decimals]);
    EXPECT_EQ(roundDec(-1.23456789, decimals), -kExpected[decimals]);
  }
}

TEST(RoundDec, ZeroHasNoSignAndNonFiniteStays) {
  EXPECT_FALSE(std::signbit(roundDec(-0.0000001, 5)));
  EXPECT_FALSE(std::signbit(roundDec(-0.0, 2)));
  EXPECT_TRUE(std::isnan(roundDec(std::numeric_limits<double>::quiet_NaN(), 2)));
  EXPECT_EQ(roundDec(std::numeric_limits<double>::infinity(), 2),
            std::numeric_limits<double>::infinity());
}

}  // namespace
}  // namespace platform
