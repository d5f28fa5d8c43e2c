// Calendar arithmetic on date-times: days since 30 December 1899 (day 0), the fraction being the
// time of day. Day 1 is 31/12/1899; 46082 is 01/03/2026. Negative day numbers are before 1900.
#pragma once

#include <optional>
#include <string_view>

namespace platform {

struct Ymd {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  bool operator==(const Ymd&) const = default;
};

bool isLeapYear(int year);
int daysInMonth(int year, int month);  // REQUIRES: 1 <= month <= 12, else std::invalid_argument
// Whether year/month/day name a real calendar day (years 1..9999).
bool isValidDate(int year, int month, int day);

// REQUIRES: isValidDate(year, month, day), else std::invalid_argument.
double encodeDate(int year, int month, int day);
// The calendar day of a date-time (the time of day is ignored, also for negative values).
// ERRORS: std::out_of_range for a value outside the years 1..9999 (also NaN and infinities).
Ymd decodeDate(double dateTime);
// 1 = Sunday .. 7 = Saturday. ERRORS: as decodeDate.
int dayOfWeek(double dateTime);
// The whole day of a date-time, dropping the time of day.
double dateOnly(double dateTime);

// Reads a short date in the day/month/year order with the given separator: "07/03/2026",
// "7/3/2026", "07/03/26" (two-digit years are 2000-2049 below 50, else 1950-1999). Surrounding
// blanks are allowed. Returns nullopt for anything else, including impossible days.
std::optional<double> parseShortDate(std::string_view text, char separator = '/');

}  // namespace platform
