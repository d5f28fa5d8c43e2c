// Variant: the dynamically typed value that flows between datasets, remote calls and the host.
//
// A Variant holds exactly one of: Empty (never assigned), Null, text (UTF-8), 32-bit integer,
// 64-bit integer, double, boolean, date-time, array (indexed from 0) or data packet.
// Copies are cheap: arrays are copy-on-write (the non-const accessors detach), packets are
// shared immutably.
//
// Conversions follow the usual variant rules:
//   Variant("12").toInt()      == 12
//   Variant("abc").toInt()     throws ConversionError
//   Variant::date(46082).toDouble() == 46082.0   (a date is its day number)
//   Variant(true).toInt()      == 1   (false == 0); a Boolean's text is "True"/"False"
//   Null/Empty convert to 0, 0.0, false and ""; converting an array or packet to a scalar throws.
// Text that is converted to a number is read in the invariant (C) notation: "1.5", " 12 ".
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct DataPacket;
namespace json {
class Reader;
}

// Raised when a value cannot be converted to the requested type.
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Variant {
 public:
  enum class Type { Empty, Null, Text, Int32, Int64, Double, Bool, DateTime, Array, Packet };

  Variant() = default;  // Empty
  Variant(std::nullptr_t) : type_(Type::Null) {}
  Variant(const char* text) : type_(Type::Text), text_(text) {}
  Variant(std::string text) : type_(Type::Text), text_(std::move(text)) {}
  Variant(std::string_view text) : type_(Type::Text), text_(text) {}
  Variant(int32_t v) : type_(Type::Int32), int_(v) {}
  Variant(int64_t v) : type_(Type::Int64), int_(v) {}
  Variant(double v) : type_(Type::Double), double_(v) {}
  Variant(bool v) : type_(Type::Bool), int_(v ? 1 : 0) {}
  Variant(std::vector<Variant> items);
  Variant(DataPacket packet);
  Variant(std::shared_ptr<const DataPacket> packet);  // a null pointer gives Null

  static Variant null() { return Variant(nullptr); }
  // A date-time: days since 30 December 1899, the fraction being the time of day.
  static Variant date(double days);
  static Variant array(std::vector<Variant> items) { return Variant(std::move(items)); }

  Type type() const { return type_; }
  bool isEmpty() const { return type_ == Type::Empty; }
  // True for Null and for Empty: "has no value".
  bool isNull() const { return type_ == Type::Null || type_ == Type::Empty; }
  // True for every text form. A remote result that is text is an error message.
  bool isText() const { return type_ == Type::Text; }
  bool isNumeric() const;  // Int32, Int64, Double (not Bool, not DateTime)
  bool isArray() const { return type_ == Type::Array; }
  bool isPacket() const { return type_ == Type::Packet; }
  bool isDate() const { return type_ == Type::DateTime; }

  // Conversions; each throws ConversionError when the value cannot be converted, with a text
  // naming the value and the target ("Could not convert 'abc' to integer").
  // Numbers in text are read in invariant notation with blanks around them allowed ("1.5",
  // " 12 ", "-3e2"); "inf", "nan", hex and empty text are not numbers. Booleans are 1/0 as
  // numbers. Dates are their day number as numbers.
  std::string toString() const;  // numbers in invariant notation (shortest round-trip form for
                                 // doubles), dates as "dd/mm/yyyy[ hh:nn:ss]" (the time only when
                                 // it is not midnight once rounded to the second), Bool
                                 // "True"/"False"; arrays and packets throw
  int32_t toInt() const;    // doubles, and text such as "1.5", are rounded half away from zero;
                            // range-checked
  int64_t toInt64() const;  // as toInt
  double toDouble() const;
  bool toBool() const;    // numbers: non-zero; text: "true"/"false"/"1"/"0" in any case
  double toDate() const;  // the day number; text is read as a dd/mm/yyyy short date; Bool throws

  // Array access. REQUIRES: isArray() and index < size(), else std::out_of_range.
  size_t size() const;  // element count for arrays, 0 otherwise
  const Variant& operator[](size_t index) const;
  // Detaches first when the array is shared, so no other copy sees the change. Write through the
  // reference before this Variant is copied again (a copy shares the array) or changed.
  Variant& operator[](size_t index);
  const std::vector<Variant>& items() const;  // REQUIRES: isArray(), else ConversionError

  // REQUIRES: isPacket(), else ConversionError.
  const DataPacket& packet() const;
  std::shared_ptr<const DataPacket> sharedPacket() const;

  // Same type and same value (arrays element-wise, packets by content). Int32 and Int64 of the
  // same number are equal; so are numbers of equal value across Int/Double (exactly: 2^53 + 1
  // does not equal the double 2^53). Empty and Null differ; Bool and DateTime equal only
  // their own type. A NaN double equals nothing.
  bool operator==(const Variant& other) const;
  bool operator!=(const Variant& other) const { return !(*this == other); }

  // A short human-readable form for messages and test output.
  std::string debugString() const;

  // JSON form: null, string, number, boolean as themselves (integers stay integers),
  // {"$date": n} for a date-time, arrays as arrays, {"$packet": {...}} for a data packet.
  // Empty is written as null. Doubles are written in their shortest round-trip form, always
  // with a fraction or exponent ("2.0"), so they read back as doubles; a non-finite double, or a
  // date-time whose day number is not finite, is written as null.
  std::string toJson() const;
  void appendJson(std::string& out) const;  // toJson() appended to `out`
  // Reads the JSON form: integers that fit int32 give Int32, other integers Int64 (beyond int64:
  // Double), numbers with a fraction or exponent Double. Objects other than {"$date": number}
  // and {"$packet": {...}} are refused. The JSON text is parsed strictly (see json::parse).
  // Throws std::invalid_argument with a clear text on malformed JSON or an invalid packet.
  static Variant fromJson(std::string_view json);
  // The building block of fromJson and of the packet decoder: reads the next value from
  // `reader`, leaving it after the value. Throws json::ParseError for malformed or unsupported
  // JSON, PacketError for an invalid embedded packet.
  static Variant readJson(json::Reader& reader);

 private:
  const std::vector<Variant>& arrayItems() const;

  Type type_ = Type::Empty;
  union {
    int64_t int_ = 0;  // Int32, Int64, Bool
    double double_;    // Double, DateTime
  };
  std::string text_;
  // The array (a std::vector<Variant>, owned by this type and detached before any change) or
  // the packet.
  std::shared_ptr<const void> shared_;
};

// "empty", "null", "text", "int32", "int64", "double", "boolean", "datetime", "array", "packet".
const char* typeName(Variant::Type type);

// Writes debugString(), so test failures show values readably.
std::ostream& operator<<(std::ostream& out, const Variant& value);

}  // namespace platform
