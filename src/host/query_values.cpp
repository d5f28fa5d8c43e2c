#include "host/query_values.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "platform/date.h"

namespace host::queryvalues {

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && upper(a) == upper(b);
}

int characters(std::string_view utf8) {
  int count = 0;
  for (unsigned char c : utf8)
    if ((c & 0xC0) != 0x80) ++count;
  return count;
}

std::string isoDate(double dateTime) {
  platform::Ymd d = platform::decodeDate(dateTime);
  char buffer[32];
  double fraction = std::fabs(dateTime - std::floor(dateTime));
  long seconds = std::lround(fraction * 86400.0);
  if (seconds == 0 || seconds >= 86400) {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", d.year, d.month, d.day);
  } else {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02ld:%02ld:%02ld", d.year, d.month, d.day,
                  seconds / 3600, seconds / 60 % 60, seconds % 60);
  }
  return buffer;
}

std::optional<double> parseIsoDate(std::string_view text) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  double second = 0;
  std::string s(text);
  int consumed = 0;
  if (std::sscanf(s.c_str(), "%4d-%2d-%2d%n", &year, &month, &day, &consumed) != 3 ||
      consumed != 10 || !platform::isValidDate(year, month, day))
    return std::nullopt;
  double value = platform::encodeDate(year, month, day);
  if (s.size() == 10) return value;
  if (s[10] != ' ' && s[10] != 'T') return std::nullopt;
  int timeConsumed = 0;
  int fields = std::sscanf(s.c_str() + 11, "%2d:%2d%n:%lf%n", &hour, &minute, &timeConsumed,
                           &second, &timeConsumed);
  if (fields < 2 || 11 + timeConsumed != static_cast<int>(s.size()) || hour > 23 || minute > 59 ||
      second < 0 || second >= 60)
    return std::nullopt;
  return value + (hour * 3600 + minute * 60 + second) / 86400.0;
}

}  // namespace host::queryvalues
