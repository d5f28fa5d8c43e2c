#include "platform/date.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace platform {
namespace {

struct KnownDay {
  Ymd ymd;
  double serial;
  int weekday;  // 1 = Sunday
};

// Serials and weekdays from an independent calendar; they cross the epoch, century years
// with and without a leap day, and both ends of the supported range.
constexpr KnownDay kKnownDays[] = {
    {{1899, 12, 30}, 0, 7},       {{1899, 12, 31}, 1, 1},      {{1899, 12, 29}, -1, 6},
    {{1900, 1, 1}, 2, 2},         {{1900, 2, 28}, 60, 4},      {{1900, 3, 1}, 61, 5},
    {{1904, 2, 29}, 1521, 2},     {{2000, 2, 29}, 36585, 3},   {{2000, 3, 1}, 36586, 4},
    {{2024, 2, 29}, 45351, 5},    {{2026, 3, 1}, 46082, 1},    {{2026, 3, 7}, 46088, 7},
    {{2100, 2, 28}, 73109, 1},    {{2100, 3, 1}, 73110, 2},    {{1, 1, 1}, -693593, 2},
    {{9999, 12, 31}, 2958465, 6}, {{1600, 2, 29}, -109512, 3}, {{1752, 9, 14}, -53797, 5},
};

TEST(DateTest, KnownDaysEncodeDecodeAndWeekday) {
  for (const KnownDay& known : kKnownDays) {
    SCOPED_TRACE(std::to_string(known.ymd.day) + "/" + std::to_string(known.ymd.month) + "/" +
                 std::to_string(known.ymd.year));
    EXPECT_EQ(encodeDate(known.ymd.year, known.ymd.month, known.ymd.day), known.serial);
    EXPECT_EQ(decodeDate(known.serial), known.ymd);
    EXPECT_EQ(dayOfWeek(known.serial), known.weekday);
    // The time of day moves away from zero: -1.99 is 29/12/1899 at 23:45.
    EXPECT_EQ(dayOfWeek(known.serial + (known.serial < 0 ? -0.99 : 0.99)), known.weekday);
  }
}

TEST(DateTest, EveryDayFrom1899To2100RoundTripsAndFollowsTheCalendar) {
  double serial = encodeDate(1899, 1, 1);
  int weekday = dayOfWeek(serial);
  for (int year = 1899; year <= 2100; ++year) {
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= daysInMonth(year, month); ++day) {
        ASSERT_EQ(encodeDate(year, month, day), serial) << day << "/" << month << "/" << year;
        ASSERT_EQ(decodeDate(serial), (Ymd{year, month, day}));
        ASSERT_EQ(dayOfWeek(serial), weekday);
        serial += 1;
        weekday = weekday % 7 + 1;
      }
    }
  }
  EXPECT_EQ(serial, encodeDate(2101, 1, 1));
}

TEST(DateTest, TimeOfDayIsIgnoredOnBothSidesOfTheEpoch) {
  struct Case {
    double dateTime;
    Ymd day;
    double dateOnly;
  };
  const Case cases[] = {
      {0.75, {1899, 12, 30}, 0},       {-0.25, {1899, 12, 30}, 0},
      {-1.5, {1899, 12, 29}, -1},      {1.999999, {1899, 12, 31}, 1},
      {46082.5, {2026, 3, 1}, 46082},  {46082.99999999, {2026, 3, 1}, 46082},
      {-693593.5, {1, 1, 1}, -693593}, {2958465.9, {9999, 12, 31}, 2958465},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dateTime);
    EXPECT_EQ(decodeDate(c.dateTime), c.day);
    EXPECT_EQ(dateOnly(c.dateTime), c.dateOnly);
  }
}

TEST(DateTest, ValuesNoCalendarDayStandsForAreRefused) {
  const double bad[] = {std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity(),
                        1e300,
                        -693594,
                        2958466};
  for (const double value : bad) {
    SCOPED_TRACE(value);
    EXPECT_THROW(decodeDate(value), std::out_of_range);
    EXPECT_THROW(dayOfWeek(value), std::out_of_range);
  }
}

TEST(DateTest, LeapYearsMonthLengthsAndValidity) {
  struct Case {
    int year;
    bool leap;
  };
  for (const Case c : {Case{1900, false}, Case{2000, true}, Case{2024, true}, Case{2026, false},
                       Case{2100, false}, Case{2400, true}, Case{4, true}}) {
    EXPECT_EQ(isLeapYear(c.year), c.leap) << c.year;
    EXPECT_EQ(daysInMonth(c.year, 2), c.leap ? 29 : 28) << c.year;
    EXPECT_EQ(isValidDate(c.year, 2, 29), c.leap) << c.year;
  }
  const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int month = 1; month <= 12; ++month)
    EXPECT_EQ(daysInMonth(2026, month), lengths[month - 1]);
  EXPECT_THROW(daysInMonth(2026, 0), std::invalid_argument);
  EXPECT_THROW(daysInMonth(2026, 13), std::invalid_argument);

  struct Invalid {
    int year, month, day;
  };
  for (const Invalid d :
       {Invalid{2026, 4, 31}, Invalid{2026, 0, 1}, Invalid{2026, 13, 1}, Invalid{2026, 1, 0},
        Invalid{0, 1, 1}, Invalid{10000, 1, 1}, Invalid{2026, 1, -1}}) {
    EXPECT_FALSE(isValidDate(d.year, d.month, d.day));
    EXPECT_THROW(encodeDate(d.year, d.month, d.day), std::invalid_argument);
  }
}

TEST(DateTest, ParseShortDateAcceptsDayMonthYearForms) {
  struct Case {
    const char* text;
    char separator;
    double expected;
  };
  const Case cases[] = {
      {"07/03/2026", '/', 46088},
      {"7/3/2026", '/', 46088},
      {"07/03/26", '/', 46088},
      {"  07/03/2026\t", '/', 46088},
      {"01/03/49", '/', encodeDate(2049, 3, 1)},
      {"01/03/50", '/', encodeDate(1950, 3, 1)},
      {"31/12/99", '/', encodeDate(1999, 12, 31)},
      {"29/02/2024", '/', 45351},
      {"07-03-2026", '-', 46088},
      {"30/12/1899", '/', 0},
      {"01/01/0001", '/', -693593},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto parsed = parseShortDate(c.text, c.separator);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(*parsed, c.expected);
  }
}

TEST(DateTest, ParseShortDateRefusesAnythingElse) {
  const char* refused[] = {
      "",           "   ",         "07/03",       "07/03/2026/1", "2026/03/07", "07-03-2026",
      "29/02/2025", "31/04/2026",  "00/03/2026",  "07/00/2026",   "07/13/2026", "07/03/202",
      "07/03/6",    "07/03/20266", "007/03/2026", "07/003/2026",  "+7/03/2026", "07/03/2026 10:00",
      "a7/03/2026", "07/03/-026",  "07//2026",    "/03/2026",     "07/03/0000", "7 /3/2026",
  };
  for (const char* text : refused) {
    EXPECT_FALSE(parseShortDate(text).has_value()) << "'" << text << "'";
  }
}

}  // namespace
}  // namespace platform
