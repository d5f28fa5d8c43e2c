#include "platform/date.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace platform {

namespace {

// Days from 01/01/1970 to the given proleptic Gregorian day (H. Hinnant's civil-day algorithm:
// exact over the whole year range, no tables).
constexpr int64_t daysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

constexpr Ymd civilFromDays(int64_t days) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t mp = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
  return Ymd{year, month, day};
}

constexpr int64_t kEpoch = daysFromCivil(1899, 12, 30);
constexpr int64_t kFirstDay = daysFromCivil(1, 1, 1) - kEpoch;
constexpr int64_t kLastDay = daysFromCivil(9999, 12, 31) - kEpoch;

static_assert(daysFromCivil(2026, 3, 1) - kEpoch == 46082);
static_assert(civilFromDays(kEpoch + 46082) == Ymd{2026, 3, 1});

// The whole day of a date-time as an integer. Throws for values no calendar day stands for, so
// the conversion to an integer stays defined.
int64_t wholeDay(double dateTime) {
  const double whole = std::trunc(dateTime);
  if (!(whole >= static_cast<double>(kFirstDay) && whole <= static_cast<double>(kLastDay))) {
    throw std::out_of_range("Date-time " + std::to_string(dateTime) + " is outside 0001-9999");
  }
  return static_cast<int64_t>(whole);
}

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

// Reads 1..maxDigits decimal digits at `pos`; -1 when there are none or too many.
int readNumber(std::string_view text, size_t& pos, size_t maxDigits, size_t& count) {
  int value = 0;
  count = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    if (++count > maxDigits) return -1;
    value = value * 10 + (text[pos] - '0');
    ++pos;
  }
  return count == 0 ? -1 : value;
}

}  // namespace

bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) {
    throw std::invalid_argument("Month " + std::to_string(month) + " is not 1..12");
  }
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool isValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= daysInMonth(year, month);
}

double encodeDate(int year, int month, int day) {
  if (!isValidDate(year, month, day)) {
    throw std::invalid_argument("Invalid date " + std::to_string(day) + "/" +
                                std::to_string(month) + "/" + std::to_string(year));
  }
  return static_cast<double>(daysFromCivil(year, month, day) - kEpoch);
}

Ymd decodeDate(double dateTime) {
  return civilFromDays(wholeDay(dateTime) + kEpoch);
}

int dayOfWeek(double dateTime) {
  // Day 0 (30/12/1899) was a Saturday.
  const int64_t days = wholeDay(dateTime);
  return static_cast<int>(((days % 7 + 7) % 7 + 6) % 7) + 1;
}

double dateOnly(double dateTime) {
  return std::trunc(dateTime);
}

std::optional<double> parseShortDate(std::string_view text, char separator) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && isBlank(text[begin]))
    ++begin;
  while (end > begin && isBlank(text[end - 1]))
    --end;
  const std::string_view body = text.substr(begin, end - begin);

  size_t pos = 0;
  size_t count = 0;
  const int day = readNumber(body, pos, 2, count);
  if (day < 0 || pos >= body.size() || body[pos++] != separator) return std::nullopt;
  const int month = readNumber(body, pos, 2, count);
  if (month < 0 || pos >= body.size() || body[pos++] != separator) return std::nullopt;
  int year = readNumber(body, pos, 4, count);
  if (year < 0 || pos != body.size() || (count != 2 && count != 4)) return std::nullopt;
  if (count == 2) year += year < 50 ? 2000 : 1900;
  if (!isValidDate(year, month, day)) return std::nullopt;
  return encodeDate(year, month, day);
}

}  // namespace platform
