// A small JSON document model with a strict parser and a compact writer, used for the Variant and
// DataPacket wire forms. Standard library only.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform::json {

// Raised by parse(); what() names the problem and its byte offset ("... at 14").
class ParseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Value {
 public:
  enum class Kind { Null, Bool, Int, Double, String, Array, Object };
  using Array = std::vector<Value>;
  // Members keep their order of appearance; lookups are linear (objects here are small).
  using Object = std::vector<std::pair<std::string, Value>>;

  Value() = default;
  Value(std::nullptr_t) {}
  Value(bool b) : kind_(Kind::Bool), int_(b) {}
  Value(int64_t i) : kind_(Kind::Int), int_(i) {}
  Value(int i) : kind_(Kind::Int), int_(i) {}
  Value(double d) : kind_(Kind::Double), double_(d) {}
  Value(std::string s) : kind_(Kind::String), string_(std::move(s)) {}
  Value(const char* s) : kind_(Kind::String), string_(s) {}
  Value(Array a) : kind_(Kind::Array), array_(std::move(a)) {}
  Value(Object o) : kind_(Kind::Object), object_(std::move(o)) {}

  Kind kind() const { return kind_; }
  bool isNull() const { return kind_ == Kind::Null; }
  bool isBool() const { return kind_ == Kind::Bool; }
  bool isInt() const { return kind_ == Kind::Int; }
  bool isNumber() const { return kind_ == Kind::Int || kind_ == Kind::Double; }
  bool isString() const { return kind_ == Kind::String; }
  bool isArray() const { return kind_ == Kind::Array; }
  bool isObject() const { return kind_ == Kind::Object; }

  // Accessors; each throws std::invalid_argument when the kind does not match.
  bool asBool() const;
  int64_t asInt() const;
  double asDouble() const;  // Int or Double
  const std::string& asString() const;
  const Array& asArray() const;
  Array& asArray();
  const Object& asObject() const;
  Object& asObject();

  // Object member or nullptr.
  const Value* find(std::string_view key) const;

 private:
  Kind kind_ = Kind::Null;
  int64_t int_ = 0;
  double double_ = 0.0;
  std::string string_;
  Array array_;
  Object object_;
};

// Parses one JSON text (RFC 8259; surrounding whitespace allowed, nothing else). Nesting deeper
// than `maxDepth` is refused, so hostile input cannot exhaust the stack.
Value parse(std::string_view text, int maxDepth = 256);

// Compact writer. Doubles are written with the shortest text that reads back to the same value;
// non-finite doubles are written as null.
std::string write(const Value& value);
void writeTo(std::string& out, const Value& value);
void writeString(std::string& out, std::string_view s);  // quoted and escaped

}  // namespace platform::json
