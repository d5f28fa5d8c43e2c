#include "platform/variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <ostream>
#include <utility>

#include "platform/data_packet.h"
#include "platform/date.h"
#include "platform/json.h"

namespace platform {

namespace {

using Items = std::vector<Variant>;

std::string_view trimBlanks(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const size_t begin = text.find_first_not_of(kBlanks);
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(kBlanks) - begin + 1);
}

std::string shortestDouble(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, end);
}

[[noreturn]] void cannotConvertText(std::string_view text, const char* target,
                                    const char* reason = nullptr) {
  std::string message = "Could not convert '" + std::string(text) + "' to " + target;
  if (reason != nullptr) message += std::string(": ") + reason;
  throw ConversionError(message);
}

[[noreturn]] void cannotConvert(Variant::Type type, const char* target) {
  throw ConversionError(std::string("Could not convert ") + typeName(type) + " to " + target);
}

// Invariant-notation number text; nullopt when the text is not a number or is beyond a double.
std::optional<double> parseNumberText(std::string_view text) {
  std::string_view body = trimBlanks(text);
  const bool negative = !body.empty() && body[0] == '-';
  if (!body.empty() && (body[0] == '+' || body[0] == '-')) body.remove_prefix(1);
  // Digits or a point must come first: this keeps out "inf", "nan" and a second sign.
  if (body.empty() || !(body[0] == '.' || (body[0] >= '0' && body[0] <= '9'))) return std::nullopt;
  double value = 0.0;
  const char* end = body.data() + body.size();
  const auto [ptr, ec] = std::from_chars(body.data(), end, value, std::chars_format::general);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return negative ? -value : value;
}

// Plain integer text ("-12", " +7 "); nullopt when the text has anything but sign and digits.
// `overflow` is set when it has only those but does not fit int64.
std::optional<int64_t> parseIntegerText(std::string_view text, bool& overflow) {
  overflow = false;
  std::string_view body = trimBlanks(text);
  if (!body.empty() && body[0] == '+') {
    body.remove_prefix(1);
    if (!body.empty() && body[0] == '-') return std::nullopt;
  }
  if (body.empty() || body[0] == '+') return std::nullopt;
  int64_t value = 0;
  const char* end = body.data() + body.size();
  const auto [ptr, ec] = std::from_chars(body.data(), end, value);
  if (ptr != end) return std::nullopt;
  if (ec == std::errc::result_out_of_range) {
    overflow = true;
    return std::nullopt;
  }
  if (ec != std::errc()) return std::nullopt;
  return value;
}

// Rounds half away from zero; nullopt when the result does not fit [low, high].
std::optional<int64_t> roundToInteger(double value, double low, double highExclusive) {
  const double rounded = std::round(value);
  if (!(rounded >= low && rounded < highExclusive)) return std::nullopt;
  return static_cast<int64_t>(rounded);
}

constexpr double kInt64Low = -9223372036854775808.0;
constexpr double kInt64High = 9223372036854775808.0;

bool intEqualsDouble(int64_t i, double d) {
  if (!(d >= kInt64Low && d < kInt64High) || d != std::trunc(d)) return false;
  return static_cast<int64_t>(d) == i;
}

std::string dateTimeText(double dateTime) {
  if (!std::isfinite(dateTime)) cannotConvert(Variant::Type::DateTime, "text");
  double whole = std::trunc(dateTime);
  long long seconds = std::llround(std::fabs(dateTime - whole) * 86400.0);
  if (seconds >= 86400) {  // rounds up to the next midnight
    whole += 1;
    seconds = 0;
  }
  Ymd ymd;
  try {
    ymd = decodeDate(whole);
  } catch (const std::out_of_range&) {
    throw ConversionError("Could not convert date " + shortestDouble(dateTime) + " to text");
  }
  char buffer[40];
  int length = std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d", ymd.day, ymd.month, ymd.year);
  if (seconds != 0) {
    length +=
        std::snprintf(buffer + length, sizeof buffer - static_cast<size_t>(length),
                      " %02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
  }
  return std::string(buffer, static_cast<size_t>(length));
}

void appendInteger(std::string& out, int64_t value) {
  char buffer[24];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, end);
}

}  // namespace

const char* typeName(Variant::Type type) {
  switch (type) {
    case Variant::Type::Empty:
      return "empty";
    case Variant::Type::Null:
      return "null";
    case Variant::Type::Text:
      return "text";
    case Variant::Type::Int32:
      return "int32";
    case Variant::Type::Int64:
      return "int64";
    case Variant::Type::Double:
      return "double";
    case Variant::Type::Bool:
      return "boolean";
    case Variant::Type::DateTime:
      return "datetime";
    case Variant::Type::Array:
      return "array";
    case Variant::Type::Packet:
      return "packet";
  }
  return "unknown";
}

Variant::Variant(std::vector<Variant> items)
    : type_(Type::Array), shared_(std::make_shared<Items>(std::move(items))) {}

Variant::Variant(DataPacket packet)
    : type_(Type::Packet), shared_(std::make_shared<const DataPacket>(std::move(packet))) {}

Variant::Variant(std::shared_ptr<const DataPacket> packet)
    : type_(packet ? Type::Packet : Type::Null), shared_(std::move(packet)) {}

Variant Variant::date(double days) {
  Variant v;
  v.type_ = Type::DateTime;
  v.double_ = days;
  return v;
}

bool Variant::isNumeric() const {
  return type_ == Type::Int32 || type_ == Type::Int64 || type_ == Type::Double;
}

// --- conversions -------------------------------------------------------------------------------

std::string Variant::toString() const {
  switch (type_) {
    case Type::Empty:
    case Type::Null:
      return {};
    case Type::Text:
      return text_;
    case Type::Int32:
    case Type::Int64:
      return std::to_string(int_);
    case Type::Double:
      return shortestDouble(double_);
    case Type::Bool:
      return int_ != 0 ? "True" : "False";
    case Type::DateTime:
      return dateTimeText(double_);
    case Type::Array:
    case Type::Packet:
      break;
  }
  cannotConvert(type_, "text");
}

int64_t Variant::toInt64() const {
  switch (type_) {
    case Type::Empty:
    case Type::Null:
      return 0;
    case Type::Int32:
    case Type::Int64:
    case Type::Bool:
      return int_;
    case Type::Double:
    case Type::DateTime:
      if (auto value = roundToInteger(double_, kInt64Low, kInt64High)) return *value;
      throw ConversionError("Could not convert " + shortestDouble(double_) +
                            " to 64-bit integer: out of range");
    case Type::Text: {
      bool overflow = false;
      if (auto value = parseIntegerText(text_, overflow)) return *value;
      if (overflow) cannotConvertText(text_, "64-bit integer", "out of range");
      if (auto number = parseNumberText(text_)) {
        if (auto value = roundToInteger(*number, kInt64Low, kInt64High)) return *value;
        cannotConvertText(text_, "64-bit integer", "out of range");
      }
      cannotConvertText(text_, "64-bit integer");
    }
    case Type::Array:
    case Type::Packet:
      break;
  }
  cannotConvert(type_, "64-bit integer");
}

int32_t Variant::toInt() const {
  constexpr double kLow = -2147483648.0;
  constexpr double kHigh = 2147483648.0;
  auto fits = [](int64_t v) {
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
  };
  switch (type_) {
    case Type::Empty:
    case Type::Null:
      return 0;
    case Type::Int32:
    case Type::Bool:
      return static_cast<int32_t>(int_);
    case Type::Int64:
      if (fits(int_)) return static_cast<int32_t>(int_);
      throw ConversionError("Could not convert " + std::to_string(int_) +
                            " to integer: out of range");
    case Type::Double:
    case Type::DateTime:
      if (auto value = roundToInteger(double_, kLow, kHigh)) return static_cast<int32_t>(*value);
      throw ConversionError("Could not convert " + shortestDouble(double_) +
                            " to integer: out of range");
    case Type::Text: {
      bool overflow = false;
      if (auto value = parseIntegerText(text_, overflow)) {
        if (fits(*value)) return static_cast<int32_t>(*value);
        cannotConvertText(text_, "integer", "out of range");
      }
      if (overflow) cannotConvertText(text_, "integer", "out of range");
      if (auto number = parseNumberText(text_)) {
        if (auto value = roundToInteger(*number, kLow, kHigh)) return static_cast<int32_t>(*value);
        cannotConvertText(text_, "integer", "out of range");
      }
      cannotConvertText(text_, "integer");
    }
    case Type::Array:
    case Type::Packet:
      break;
  }
  cannotConvert(type_, "integer");
}

double Variant::toDouble() const {
  switch (type_) {
    case Type::Empty:
    case Type::Null:
      return 0.0;
    case Type::Int32:
    case Type::Int64:
    case Type::Bool:
      return static_cast<double>(int_);
    case Type::Double:
    case Type::DateTime:
      return double_;
    case Type::Text:
      if (auto number = parseNumberText(text_)) return *number;
      cannotConvertText(text_, "float");
    case Type::Array:
    case Type::Packet:
      break;
  }
  cannotConvert(type_, "float");
}

bool Variant::toBool() const {
  switch (type_) {
    case Type::Empty:
    case Type::Null:
      return false;
    case Type::Int32:
    case Type::Int64:
    case Type::Bool:
      return int_ != 0;
    case Type::Double:
    case Type::DateTime:
      return double_ != 0.0;
    case Type::Text: {
      const std::string_view body = trimBlanks(text_);
      auto is = [body](std::string_view word) {
        if (body.size() != word.size()) return false;
        for (size_t i = 0; i < word.size(); ++i) {
          const char c =
              body[i] >= 'A' && body[i] <= 'Z' ? static_cast<char>(body[i] + 32) : body[i];
          if (c != word[i]) return false;
        }
        return true;
      };
      if (is("true") || is("1")) return true;
      if (is("false") || is("0")) return false;
      cannotConvertText(text_, "boolean");
    }
    case Type::Array:
    case Type::Packet:
      break;
  }
  cannotConvert(type_, "boolean");
}

double Variant::toDate() const {
  switch (type_) {
    case Type::Empty:
    case Type::Null:
      return 0.0;
    case Type::Int32:
    case Type::Int64:
      return static_cast<double>(int_);
    case Type::Double:
    case Type::DateTime:
      return double_;
    case Type::Text:
      if (auto day = parseShortDate(text_)) return *day;
      cannotConvertText(text_, "date");
    case Type::Bool:
    case Type::Array:
    case Type::Packet:
      break;
  }
  cannotConvert(type_, "date");
}

// --- arrays and packets ------------------------------------------------------------------------

const std::vector<Variant>& Variant::arrayItems() const {
  return *static_cast<const Items*>(shared_.get());
}

size_t Variant::size() const {
  return type_ == Type::Array ? arrayItems().size() : 0;
}

const Variant& Variant::operator[](size_t index) const {
  if (index >= size()) {
    throw std::out_of_range("Index " + std::to_string(index) + " out of range for " +
                            (isArray() ? "an array of " + std::to_string(size()) : "a non-array"));
  }
  return arrayItems()[index];
}

Variant& Variant::operator[](size_t index) {
  static_cast<void>(std::as_const(*this)[index]);  // the range check
  if (shared_.use_count() > 1) shared_ = std::make_shared<Items>(arrayItems());
  // The vector was created non-const by this class; only the shared handle is const.
  return const_cast<Items&>(arrayItems())[index];
}

const std::vector<Variant>& Variant::items() const {
  if (!isArray()) cannotConvert(type_, "array");
  return arrayItems();
}

const DataPacket& Variant::packet() const {
  if (!isPacket()) cannotConvert(type_, "packet");
  return *static_cast<const DataPacket*>(shared_.get());
}

std::shared_ptr<const DataPacket> Variant::sharedPacket() const {
  if (!isPacket()) cannotConvert(type_, "packet");
  return std::static_pointer_cast<const DataPacket>(shared_);
}

// --- comparison and display --------------------------------------------------------------------

bool Variant::operator==(const Variant& other) const {
  if (isNumeric() && other.isNumeric()) {
    const bool leftDouble = type_ == Type::Double;
    const bool rightDouble = other.type_ == Type::Double;
    if (leftDouble && rightDouble) return double_ == other.double_;
    if (leftDouble) return intEqualsDouble(other.int_, double_);
    if (rightDouble) return intEqualsDouble(int_, other.double_);
    return int_ == other.int_;
  }
  if (type_ != other.type_) return false;
  switch (type_) {
    case Type::Empty:
    case Type::Null:
      return true;
    case Type::Text:
      return text_ == other.text_;
    case Type::Bool:
      return int_ == other.int_;
    case Type::DateTime:
      return double_ == other.double_;
    case Type::Array:
      return shared_ == other.shared_ || arrayItems() == other.arrayItems();
    case Type::Packet:
      return shared_ == other.shared_ || packet() == other.packet();
    default:
      return false;  // numbers are compared above
  }
}

std::string Variant::debugString() const {
  switch (type_) {
    case Type::Empty:
      return "Empty";
    case Type::Null:
      return "Null";
    case Type::Text: {
      std::string out = "Text ";
      json::writeString(out, text_);
      return out;
    }
    case Type::Int32:
      return "Int32 " + std::to_string(int_);
    case Type::Int64:
      return "Int64 " + std::to_string(int_);
    case Type::Double:
      return "Double " + shortestDouble(double_);
    case Type::Bool:
      return int_ != 0 ? "Bool True" : "Bool False";
    case Type::DateTime:
      try {
        return "Date " + dateTimeText(double_) + " (" + shortestDouble(double_) + ")";
      } catch (const ConversionError&) {
        return "Date " + shortestDouble(double_);
      }
    case Type::Array: {
      std::string out = "Array [";
      for (size_t i = 0; i < size(); ++i) {
        if (i > 0) out += ", ";
        out += arrayItems()[i].debugString();
      }
      return out + "]";
    }
    case Type::Packet: {
      const DataPacket& p = packet();
      return "Packet (" + std::to_string(p.fields.size()) + " fields, " +
             std::to_string(p.rows.size()) + " rows, " + std::to_string(p.changes.size()) +
             " changes)";
    }
  }
  return "?";
}

std::ostream& operator<<(std::ostream& out, const Variant& value) {
  return out << value.debugString();
}

// --- JSON --------------------------------------------------------------------------------------

void Variant::appendJson(std::string& out) const {
  switch (type_) {
    case Type::Empty:
    case Type::Null:
      out += "null";
      break;
    case Type::Text:
      json::writeString(out, text_);
      break;
    case Type::Int32:
    case Type::Int64:
      appendInteger(out, int_);
      break;
    case Type::Double:
      json::writeDouble(out, double_);
      break;
    case Type::Bool:
      out += int_ != 0 ? "true" : "false";
      break;
    case Type::DateTime:
      if (!std::isfinite(double_)) {
        out += "null";
      } else {
        // Whole days are written as integers ({"$date":46082}); they read back as dates either way.
        char buffer[32];
        const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, double_);
        out += "{\"$date\":";
        out.append(buffer, end);
        out += '}';
      }
      break;
    case Type::Array: {
      out += '[';
      const Items& items = arrayItems();
      for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += ',';
        items[i].appendJson(out);
      }
      out += ']';
      break;
    }
    case Type::Packet:
      out += "{\"$packet\":";
      encodePacketTo(out, packet());
      out += '}';
      break;
  }
}

std::string Variant::toJson() const {
  std::string out;
  appendJson(out);
  return out;
}

Variant Variant::readJson(json::Reader& reader) {
  const char c = reader.peek();
  switch (c) {
    case '"':
      return Variant(reader.readString());
    case 't':
    case 'f':
      return Variant(reader.readBool());
    case 'n':
      reader.readNull();
      return null();
    case '[': {
      reader.beginArray();
      Items items;
      for (bool first = true; reader.nextElement(first); first = false) {
        items.push_back(readJson(reader));
      }
      return Variant(std::move(items));
    }
    case '{': {
      const size_t start = reader.offset();
      reader.beginObject();
      std::string_view key;
      if (!reader.nextMember(true, key)) {
        reader.fail("empty object where {\"$date\": n} or {\"$packet\": {...}} was expected",
                    start);
      }
      Variant value;
      if (key == "$date") {
        const char n = reader.peek();
        if (n != '-' && (n < '0' || n > '9')) reader.fail("\"$date\" must be a number");
        value = date(reader.readNumber().d);
      } else if (key == "$packet") {
        value = Variant(readPacket(reader));
      } else {
        reader.fail("unsupported object member \"" + std::string(key) +
                        "\" (only {\"$date\": n} and {\"$packet\": {...}} are values)",
                    start);
      }
      if (reader.nextMember(false, key)) {
        reader.fail("unexpected member \"" + std::string(key) + "\" beside the " +
                        (value.isDate() ? "\"$date\"" : "\"$packet\""),
                    start);
      }
      return value;
    }
    default:
      if (c != '-' && (c < '0' || c > '9')) reader.unexpected();
      const json::Reader::Number number = reader.readNumber();
      if (!number.isInt) return Variant(number.d);
      if (number.i >= std::numeric_limits<int32_t>::min() &&
          number.i <= std::numeric_limits<int32_t>::max()) {
        return Variant(static_cast<int32_t>(number.i));
      }
      return Variant(number.i);
  }
}

Variant Variant::fromJson(std::string_view json) {
  try {
    json::Reader reader(json);
    Variant value = readJson(reader);
    reader.finish();
    return value;
  } catch (const json::ParseError& e) {
    throw std::invalid_argument(std::string("Invalid JSON value: ") + e.what());
  } catch (const PacketError& e) {
    throw std::invalid_argument(e.what());
  }
}

}  // namespace platform
