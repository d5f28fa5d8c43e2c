#include "platform/format.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "platform/date.h"

namespace platform {
namespace {

FormatSettings& settingsStorage() {
  static FormatSettings settings;
  return settings;
}

// A non-negative decimal number: 0.d1d2d3... x 10^pointPos. No leading or trailing zero digits;
// zero has no digits.
struct Decimal {
  std::string digits;
  int pointPos = 0;
};

// Digits a double carries beyond this are representation noise of a value computed from
// decimals; below 1e15 the value is read back at this precision before rounding.
constexpr int kSignificantDigits = 15;

void trimZeros(Decimal& d) {
  size_t end = d.digits.find_last_not_of('0');
  d.digits.erase(end == std::string::npos ? 0 : end + 1);
  size_t begin = d.digits.find_first_not_of('0');
  if (begin == std::string::npos) {
    d.digits.clear();
  } else if (begin > 0) {
    d.digits.erase(0, begin);
    d.pointPos -= static_cast<int>(begin);
  }
  if (d.digits.empty()) d.pointPos = 0;
}

// Parses the scientific form "d.ddde[+-]xx" that std::to_chars writes.
Decimal parseScientific(std::string_view text) {
  Decimal d;
  size_t e = text.find('e');
  for (char c : text.substr(0, e)) {
    if (c != '.') d.digits.push_back(c);
  }
  int exponent = 0;
  std::string_view exp = text.substr(e + 1);
  if (!exp.empty() && exp.front() == '+') exp.remove_prefix(1);
  std::from_chars(exp.data(), exp.data() + exp.size(), exponent);
  d.pointPos = exponent + 1;
  trimZeros(d);
  return d;
}

// REQUIRES: value finite and >= 0.
Decimal toDecimal(double value) {
  if (value == 0) return {};
  char buffer[64];
  auto shortest =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  Decimal d = parseScientific(std::string_view(buffer, shortest.ptr - buffer));
  if (d.digits.size() > static_cast<size_t>(kSignificantDigits) && value < 1e15) {
    auto clean = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific,
                               kSignificantDigits - 1);
    d = parseScientific(std::string_view(buffer, clean.ptr - buffer));
  }
  return d;
}

// Rounds half away from zero (the number is a magnitude) to `decimals` places after the point.
void roundTo(Decimal& d, int decimals) {
  const long keep = static_cast<long>(d.pointPos) + decimals;
  if (keep >= static_cast<long>(d.digits.size())) return;
  if (keep < 0) {
    d = {};
    return;
  }
  const bool up = d.digits[static_cast<size_t>(keep)] >= '5';
  d.digits.resize(static_cast<size_t>(keep));
  if (up) {
    size_t i = d.digits.size();
    while (i > 0 && d.digits[i - 1] == '9')
      d.digits[--i] = '0';
    if (i == 0) {
      d.digits.insert(d.digits.begin(), '1');
      ++d.pointPos;
    } else {
      ++d.digits[i - 1];
    }
  }
  trimZeros(d);
}

double toDouble(const Decimal& d, bool negative) {
  if (d.digits.empty()) return 0.0;
  std::string text =
      d.digits + "e" + std::to_string(d.pointPos - static_cast<int>(d.digits.size()));
  double value = 0;
  auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec == std::errc::result_out_of_range) value = HUGE_VAL;
  return negative ? -value : value;
}

// Digits of the integer part, without leading zeros ("" for a value below 1).
std::string integerDigits(const Decimal& d) {
  if (d.pointPos <= 0) return {};
  std::string out = d.digits.substr(0, static_cast<size_t>(d.pointPos));
  out.resize(static_cast<size_t>(d.pointPos), '0');
  return out;
}

std::string fractionDigits(const Decimal& d) {
  if (static_cast<long>(d.digits.size()) <= d.pointPos) return {};
  if (d.pointPos >= 0) return d.digits.substr(static_cast<size_t>(d.pointPos));
  return std::string(static_cast<size_t>(-d.pointPos), '0') + d.digits;
}

std::string nonFinite(double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

// ---- number patterns ------------------------------------------------------------------------

struct Token {
  enum Kind { Zero, Hash, Point, Comma, Literal } kind;
  std::string text;  // Literal only
};

std::vector<std::string_view> splitSections(std::string_view pattern) {
  std::vector<std::string_view> sections;
  size_t start = 0;
  char quote = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == ';') {
      sections.push_back(pattern.substr(start, i - start));
      start = i + 1;
    }
  }
  sections.push_back(pattern.substr(start));
  return sections;
}

std::vector<Token> tokenize(std::string_view section) {
  std::vector<Token> tokens;
  auto literal = [&tokens](std::string_view text) {
    if (!tokens.empty() && tokens.back().kind == Token::Literal) {
      tokens.back().text += text;
    } else {
      tokens.push_back({Token::Literal, std::string(text)});
    }
  };
  for (size_t i = 0; i < section.size(); ++i) {
    const char c = section[i];
    switch (c) {
      case '0':
        tokens.push_back({Token::Zero, {}});
        break;
      case '#':
        tokens.push_back({Token::Hash, {}});
        break;
      case '.':
        tokens.push_back({Token::Point, {}});
        break;
      case ',':
        tokens.push_back({Token::Comma, {}});
        break;
      case '\'':
      case '"': {
        size_t end = section.find(c, i + 1);
        if (end == std::string_view::npos) end = section.size();
        literal(section.substr(i + 1, end - i - 1));
        i = end;
        break;
      }
      default:
        literal(section.substr(i, 1));
    }
  }
  return tokens;
}

// The layout of one section of a number pattern.
struct NumberLayout {
  std::vector<Token> tokens;
  long pointIndex = -1;  // first Point token, -1 when none
  long firstDigit = -1;  // first placeholder
  long lastDigit = -1;   // last placeholder
  bool grouping = false;
  int minInteger = 0;
  int minDecimals = 0;
  int maxDecimals = 0;
};

NumberLayout analyse(std::string_view section) {
  NumberLayout l;
  l.tokens = tokenize(section);
  for (size_t i = 0; i < l.tokens.size(); ++i) {
    const Token::Kind kind = l.tokens[i].kind;
    if (kind == Token::Point && l.pointIndex < 0) l.pointIndex = static_cast<long>(i);
    if (kind == Token::Zero || kind == Token::Hash) {
      if (l.firstDigit < 0) l.firstDigit = static_cast<long>(i);
      l.lastDigit = static_cast<long>(i);
    }
  }
  int integerPlaceholders = 0;
  bool seenZero = false;
  int fractionPlaceholders = 0;
  for (size_t i = 0; i < l.tokens.size(); ++i) {
    const Token::Kind kind = l.tokens[i].kind;
    const bool inInteger = l.pointIndex < 0 || static_cast<long>(i) < l.pointIndex;
    if (inInteger) {
      if (kind == Token::Comma) l.grouping = true;
      if (kind == Token::Zero) seenZero = true;
      if ((kind == Token::Zero || kind == Token::Hash) && seenZero) ++integerPlaceholders;
    } else if (kind == Token::Zero || kind == Token::Hash) {
      ++fractionPlaceholders;
      if (kind == Token::Zero) l.minDecimals = fractionPlaceholders;
    }
  }
  l.minInteger = integerPlaceholders;
  l.maxDecimals = fractionPlaceholders;
  return l;
}

std::string group(const std::string& digits, char separator) {
  std::string out;
  out.reserve(digits.size() + digits.size() / 3);
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(separator);
    out.push_back(digits[i]);
  }
  return out;
}

// Formats the magnitude `d` (already rounded to l.maxDecimals) with one section.
std::string render(const NumberLayout& l, const Decimal& d, const FormatSettings& s) {
  const auto& t = l.tokens;
  std::string out;
  if (l.firstDigit < 0) {
    for (const Token& token : t) {
      if (token.kind == Token::Literal) out += token.text;
    }
    return out;
  }
  const long numberStart =
      l.pointIndex >= 0 && l.pointIndex < l.firstDigit ? l.pointIndex : l.firstDigit;
  const long numberEnd = l.pointIndex > l.lastDigit ? l.pointIndex : l.lastDigit;
  for (long i = 0; i < numberStart; ++i) {
    if (t[static_cast<size_t>(i)].kind == Token::Literal) out += t[static_cast<size_t>(i)].text;
  }

  std::string integer = integerDigits(d);
  if (static_cast<int>(integer.size()) < l.minInteger) {
    integer.insert(0, static_cast<size_t>(l.minInteger) - integer.size(), '0');
  }
  std::string fraction = fractionDigits(d);
  if (static_cast<int>(fraction.size()) < l.minDecimals) {
    fraction.resize(static_cast<size_t>(l.minDecimals), '0');
  }

  // Literals inside the integer part stay where they stand relative to the digits on their
  // right, and appear only when a digit is written to their left.
  const long integerEnd = l.pointIndex >= 0 ? l.pointIndex : numberEnd + 1;
  std::vector<std::pair<size_t, std::string>> embedded;  // (placeholders to the right, text)
  size_t placeholdersRight = 0;
  for (long i = integerEnd - 1; i >= numberStart; --i) {
    const Token& token = t[static_cast<size_t>(i)];
    if (token.kind == Token::Zero || token.kind == Token::Hash) ++placeholdersRight;
    if (token.kind == Token::Literal) embedded.emplace_back(placeholdersRight, token.text);
  }
  std::string grouped = l.grouping ? group(integer, s.thousandSeparator) : integer;
  for (const auto& [right, text] : embedded) {
    if (integer.size() <= right) continue;
    // Position in `grouped` that has `right` digits after it.
    size_t digitsSeen = 0;
    size_t pos = grouped.size();
    while (pos > 0 && digitsSeen < right) {
      --pos;
      if (grouped[pos] >= '0' && grouped[pos] <= '9') ++digitsSeen;
    }
    grouped.insert(pos, text);
  }
  out += grouped;

  if (!fraction.empty()) {
    out.push_back(s.decimalSeparator);
    size_t written = 0;
    for (long i = l.pointIndex + 1; i <= numberEnd; ++i) {
      const Token& token = t[static_cast<size_t>(i)];
      if (token.kind == Token::Zero || token.kind == Token::Hash) {
        if (written < fraction.size()) out.push_back(fraction[written++]);
      } else if (token.kind == Token::Literal && written < fraction.size()) {
        out += token.text;
      }
    }
  }

  for (size_t i = static_cast<size_t>(numberEnd) + 1; i < t.size(); ++i) {
    if (t[i].kind == Token::Literal) out += t[i].text;
  }
  return out;
}

// The general form used when there is no pattern: up to 15 significant digits, scientific for
// very large or very small magnitudes.
std::string formatGeneral(double value, const FormatSettings& s) {
  const Decimal d = toDecimal(std::fabs(value));
  if (d.digits.empty()) return "0";
  std::string out = value < 0 ? "-" : "";
  if (d.pointPos > kSignificantDigits || d.pointPos < -4) {
    out.push_back(d.digits[0]);
    if (d.digits.size() > 1) {
      out.push_back(s.decimalSeparator);
      out += d.digits.substr(1);
    }
    out += "E" + std::to_string(d.pointPos - 1);
    return out;
  }
  const std::string integer = integerDigits(d);
  out += integer.empty() ? "0" : integer;
  const std::string fraction = fractionDigits(d);
  if (!fraction.empty()) {
    out.push_back(s.decimalSeparator);
    out += fraction;
  }
  return out;
}

// ---- date patterns --------------------------------------------------------------------------

std::string pad(int value, int width) {
  std::string text = std::to_string(value);
  if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), '0');
  return text;
}

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

struct DateParts {
  double day = 0;  // whole day number
  Ymd ymd;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

DateParts split(double dateTime) {
  if (!std::isfinite(dateTime)) throw std::out_of_range("Date-time is not a number");
  DateParts p;
  double whole = std::trunc(dateTime);
  long long ms = std::llround(std::fabs(dateTime - whole) * 86400000.0);
  if (ms >= 86400000) {
    ms = 0;
    whole += 1;
  }
  p.day = whole;
  p.ymd = decodeDate(whole);
  p.hour = static_cast<int>(ms / 3600000);
  p.minute = static_cast<int>(ms / 60000 % 60);
  p.second = static_cast<int>(ms / 1000 % 60);
  p.millisecond = static_cast<int>(ms % 1000);
  return p;
}

void formatDate(std::string_view pattern, const DateParts& p, const FormatSettings& s, int depth,
                std::string& out) {
  bool afterHour = false;
  for (size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    if (c == '\'' || c == '"') {
      size_t end = pattern.find(c, i + 1);
      if (end == std::string_view::npos) end = pattern.size();
      out += pattern.substr(i + 1, end - i - 1);
      i = end + 1;
      continue;
    }
    const char l = lower(c);
    size_t run = 1;
    while (i + run < pattern.size() && lower(pattern[i + run]) == l)
      ++run;
    bool consumed = true;
    switch (l) {
      case 'd':
        if (run == 1) {
          out += std::to_string(p.ymd.day);
        } else if (run == 2) {
          out += pad(p.ymd.day, 2);
        } else if (run == 3) {
          out += s.shortDayNames[static_cast<size_t>(dayOfWeek(p.day) - 1)];
        } else if (run == 4) {
          out += s.longDayNames[static_cast<size_t>(dayOfWeek(p.day) - 1)];
        } else if (depth < 2) {
          formatDate(run == 5 ? std::string_view(s.shortDateFormat)
                              : std::string_view("dddd, d 'de' mmmm 'de' yyyy"),
                     p, s, depth + 1, out);
        }
        afterHour = false;
        break;
      case 'm':
        if (afterHour) {
          out += run == 1 ? std::to_string(p.minute) : pad(p.minute, 2);
        } else if (run == 1) {
          out += std::to_string(p.ymd.month);
        } else if (run == 2) {
          out += pad(p.ymd.month, 2);
        } else if (run == 3) {
          out += s.shortMonthNames[static_cast<size_t>(p.ymd.month - 1)];
        } else {
          out += s.longMonthNames[static_cast<size_t>(p.ymd.month - 1)];
        }
        afterHour = false;
        break;
      case 'y':
        out += run <= 2 ? pad(p.ymd.year % 100, 2) : pad(p.ymd.year, 4);
        afterHour = false;
        break;
      case 'h':
        out += run == 1 ? std::to_string(p.hour) : pad(p.hour, 2);
        afterHour = true;
        break;
      case 'n':
        out += run == 1 ? std::to_string(p.minute) : pad(p.minute, 2);
        afterHour = false;
        break;
      case 's':
        out += run == 1 ? std::to_string(p.second) : pad(p.second, 2);
        afterHour = false;
        break;
      case 'z':
        out += run < 3 ? std::to_string(p.millisecond) : pad(p.millisecond, 3);
        afterHour = false;
        break;
      case 't':
        if (depth < 2) formatDate(run == 1 ? "hh:nn" : "hh:nn:ss", p, s, depth + 1, out);
        afterHour = false;
        break;
      case 'c':
        if (depth < 2) {
          formatDate(s.shortDateFormat, p, s, depth + 1, out);
          if (p.hour != 0 || p.minute != 0 || p.second != 0 || p.millisecond != 0) {
            out += " ";
            formatDate("hh:nn:ss", p, s, depth + 1, out);
          }
        }
        afterHour = false;
        break;
      default:
        consumed = false;
    }
    if (consumed) {
      i += run;
      continue;
    }
    out.push_back(c == '/' ? s.dateSeparator : c);
    ++i;
  }
}

}  // namespace

const FormatSettings& formatSettings() {
  return settingsStorage();
}

void setFormatSettings(const FormatSettings& settings) {
  settingsStorage() = settings;
}

std::string formatFloat(std::string_view pattern, double value, const FormatSettings& settings) {
  if (!std::isfinite(value)) return nonFinite(value);
  if (pattern.empty()) return formatGeneral(value, settings);

  const std::vector<std::string_view> sections = splitSections(pattern);
  const bool negative = value < 0;
  const bool hasNegativeSection = sections.size() >= 2 && !sections[1].empty();
  const bool hasZeroSection = sections.size() >= 3 && !sections[2].empty();

  NumberLayout layout = analyse(negative && hasNegativeSection ? sections[1] : sections[0]);
  Decimal d = toDecimal(std::fabs(value));
  roundTo(d, layout.maxDecimals);
  if (d.digits.empty()) {
    // Zero after rounding never shows a sign.
    if (hasZeroSection) {
      layout = analyse(sections[2]);
    } else if (negative && hasNegativeSection) {
      layout = analyse(sections[0]);
    }
    return render(layout, d, settings);
  }
  std::string text = render(layout, d, settings);
  if (negative && !hasNegativeSection) text.insert(0, "-");
  return text;
}

std::string formatDateTime(std::string_view pattern, double dateTime,
                           const FormatSettings& settings) {
  const DateParts parts = split(dateTime);
  std::string out;
  formatDate(pattern.empty() ? std::string_view("c") : pattern, parts, settings, 0, out);
  return out;
}

std::string shortDate(double dateTime, const FormatSettings& settings) {
  return formatDateTime("dd/mm/yyyy", dateTime, settings);
}

double roundDec(double value, int decimals) {
  if (!std::isfinite(value)) return value;
  Decimal d = toDecimal(std::fabs(value));
  roundTo(d, decimals);
  return toDouble(d, value < 0);
}

}  // namespace platform
