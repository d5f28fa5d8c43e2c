#include "platform/field.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "platform/client_dataset.h"
#include "platform/date.h"
#include "platform/format.h"

namespace platform {
namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

// A number typed in the locale's notation or the invariant one: one decimal point, ',' or '.'.
std::optional<double> parseLocaleNumber(std::string_view text) {
  std::string s(trim(text));
  const char sep = formatSettings().decimalSeparator;
  for (char& c : s) {
    if (c == sep || c == ',') c = '.';
  }
  if (!s.empty() && s.front() == '+') s.erase(0, 1);
  if (s.empty()) return std::nullopt;
  const char first = s.front() == '-' && s.size() > 1 ? s[1] : s.front();
  if (!(first >= '0' && first <= '9') && first != '.') return std::nullopt;
  double value = 0.0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

std::optional<int64_t> parseInteger(std::string_view text) {
  std::string_view s = trim(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  int64_t value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

// "dd/mm/yyyy" with an optional " hh:nn" or " hh:nn:ss".
std::optional<double> parseDateTime(std::string_view text) {
  text = trim(text);
  const size_t blank = text.find(' ');
  const std::optional<double> day =
      parseShortDate(text.substr(0, blank), formatSettings().dateSeparator);
  if (!day || blank == std::string_view::npos) return day;
  std::string_view time = trim(text.substr(blank));
  int parts[3] = {0, 0, 0};
  int count = 0;
  while (!time.empty() && count < 3) {
    const size_t colon = time.find(':');
    const std::optional<int64_t> n = parseInteger(time.substr(0, colon));
    if (!n || *n < 0 || *n > 59 || (count == 0 && *n > 23)) return std::nullopt;
    parts[count++] = static_cast<int>(*n);
    if (colon == std::string_view::npos) {
      time = {};
    } else {
      time.remove_prefix(colon + 1);
      if (time.empty()) return std::nullopt;
    }
  }
  if (!time.empty() || count < 2) return std::nullopt;
  return *day + (parts[0] * 3600 + parts[1] * 60 + parts[2]) / 86400.0;
}

// The shortest general form of a number in the locale's notation ("12,5", "1E20").
std::string generalNumber(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  std::string out;
  const char sep = formatSettings().decimalSeparator;
  for (const char* p = buffer; *p; ++p) {
    if (*p == '.') {
      out += sep;
    } else if (*p == 'e') {
      out += 'E';
      ++p;
      if (*p == '-') out += '-';
      while (p[1] == '0' && p[2] != '\0')
        ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

std::pair<std::string_view, std::string_view> booleanTexts(const std::string& format) {
  const size_t semi = format.find(';');
  if (semi == std::string::npos) return {"True", "False"};
  return {std::string_view(format).substr(0, semi), std::string_view(format).substr(semi + 1)};
}

bool isNumberType(FieldType type) {
  return type == FieldType::Float || type == FieldType::Integer;
}

}  // namespace

std::string truncateChars(std::string text, int maxChars) {
  if (maxChars <= 0) return text;
  int count = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && ++count > maxChars) {
      text.resize(i);
      break;
    }
  }
  return text;
}

std::string fieldValueText(FieldType type, const Variant& value) {
  if (value.isNull()) return {};
  switch (type) {
    case FieldType::Text:
    case FieldType::FixedText:
      return value.toString();
    case FieldType::Float:
      return generalNumber(value.toDouble());
    case FieldType::Integer:
      return std::to_string(value.toInt64());
    case FieldType::DateTime: {
      const double d = value.toDate();
      const double seconds = std::round(std::fabs(d - std::trunc(d)) * 86400.0);
      if (seconds == 0.0 || seconds >= 86400.0) return shortDate(d);
      const FormatSettings& s = formatSettings();
      return shortDate(d) + " " + formatDateTime("hh:nn:ss", d, s);
    }
    case FieldType::Boolean:
      return value.toBool() ? "True" : "False";
  }
  return value.toString();
}

Field::Field(ClientDataSet* dataSet, std::string name, FieldType type, int size, FieldKind kind)
    : dataSet_(dataSet),
      name_(std::move(name)),
      type_(type),
      size_(type == FieldType::Text || type == FieldType::FixedText ? std::max(size, 0) : 0),
      kind_(kind) {}

int Field::displayWidth() const {
  if (displayWidth_ > 0) return displayWidth_;
  switch (type_) {
    case FieldType::Text:
    case FieldType::FixedText:
      return size_ > 0 ? size_ : 20;
    case FieldType::Boolean:
      return 5;
    default:
      return 10;
  }
}

const Variant& Field::current() const {
  return dataSet_->readSlot(*this);
}

Variant Field::value() const {
  return current();
}
bool Field::isNull() const {
  return current().isNull();
}
std::string Field::asString() const {
  return fieldValueText(type_, current());
}

double Field::asFloat() const {
  const Variant& v = current();
  if (v.isNull()) return 0.0;
  if (v.isText()) {
    const std::optional<double> d = parseLocaleNumber(v.toString());
    if (!d) throw ConversionError("'" + v.toString() + "' is not a valid number");
    return *d;
  }
  return v.toDouble();
}

int32_t Field::asInteger() const {
  const Variant& v = current();
  return v.isNull() ? 0 : v.toInt();
}

int64_t Field::asLargeInt() const {
  const Variant& v = current();
  return v.isNull() ? 0 : v.toInt64();
}

double Field::asDateTime() const {
  const Variant& v = current();
  if (v.isNull()) return 0.0;
  if (v.isText()) {
    const std::optional<double> d = parseDateTime(v.toString());
    if (!d) throw ConversionError("'" + v.toString() + "' is not a valid date");
    return *d;
  }
  return v.toDate();
}

bool Field::asBoolean() const {
  const Variant& v = current();
  return v.isNull() ? false : v.toBool();
}

std::string Field::formatValue(const Variant& v, const std::string& pattern) const {
  if (v.isNull()) return {};
  switch (type_) {
    case FieldType::Float:
    case FieldType::Integer:
      return pattern.empty() ? fieldValueText(type_, v) : formatFloat(pattern, v.toDouble());
    case FieldType::DateTime:
      return pattern.empty() ? fieldValueText(type_, v) : formatDateTime(pattern, v.toDate());
    case FieldType::Boolean: {
      const auto [yes, no] = booleanTexts(pattern);
      return std::string(v.toBool() ? yes : no);
    }
    default:
      return v.toString();
  }
}

std::string Field::displayText() const {
  if (onGetText) return onGetText(*this, true);
  return formatValue(current(), displayFormat_);
}

std::string Field::text() const {
  if (onGetText) return onGetText(*this, false);
  if (isNumberType(type_)) {
    return formatValue(current(), editFormat_.empty() ? displayFormat_ : editFormat_);
  }
  if (type_ == FieldType::Boolean) return formatValue(current(), displayFormat_);
  return formatValue(current(), editFormat_);
}

Variant Field::convert(const Variant& v) const {
  if (v.isNull()) return Variant::null();
  switch (type_) {
    case FieldType::Text:
    case FieldType::FixedText:
      if (v.isText() && size_ == 0) return v;
      return Variant(truncateChars(v.toString(), size_));
    case FieldType::Float:
      return Variant(v.toDouble());
    case FieldType::Integer: {
      const int64_t n = v.toInt64();
      if (n >= INT32_MIN && n <= INT32_MAX) return Variant(static_cast<int32_t>(n));
      return Variant(n);
    }
    case FieldType::DateTime:
      return Variant::date(v.toDate());
    case FieldType::Boolean:
      return Variant(v.toBool());
  }
  return v;
}

void Field::setValue(const Variant& value) {
  dataSet_->writeField(*this, convert(value));
}

void Field::setAsString(std::string_view text) {
  if (type_ == FieldType::Text || type_ == FieldType::FixedText) {
    setValue(Variant(text));
    return;
  }
  if (trim(text).empty()) {
    clear();
    return;
  }
  const std::string shown = "'" + std::string(text) + "'";
  switch (type_) {
    case FieldType::Float: {
      const std::optional<double> d = parseLocaleNumber(text);
      if (!d) throw ConversionError(shown + " is not a valid number");
      setValue(Variant(*d));
      return;
    }
    case FieldType::Integer: {
      const std::optional<int64_t> n = parseInteger(text);
      if (!n) throw ConversionError(shown + " is not a valid integer");
      setValue(Variant(*n));
      return;
    }
    case FieldType::DateTime: {
      const std::optional<double> d = parseDateTime(text);
      if (!d) throw ConversionError(shown + " is not a valid date");
      setValue(Variant::date(*d));
      return;
    }
    case FieldType::Boolean: {
      const auto [yes, no] = booleanTexts(displayFormat_);
      const std::string_view t = trim(text);
      const auto same = [](std::string_view a, std::string_view b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i) {
          if (std::tolower(static_cast<unsigned char>(a[i])) !=
              std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
          }
        }
        return true;
      };
      if (same(t, yes)) {
        setValue(Variant(true));
      } else if (same(t, no)) {
        setValue(Variant(false));
      } else {
        setValue(Variant(t));
      }
      return;
    }
    default:
      return;
  }
}

void Field::setAsFloat(double value) {
  setValue(Variant(value));
}
void Field::setAsInteger(int32_t value) {
  setValue(Variant(value));
}
void Field::setAsLargeInt(int64_t value) {
  setValue(Variant(value));
}
void Field::setAsDateTime(double dayNumber) {
  setValue(Variant::date(dayNumber));
}
void Field::setAsBoolean(bool value) {
  setValue(Variant(value));
}
void Field::clear() {
  setValue(Variant::null());
}

}  // namespace platform
