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

  // Same kind and same value, element-wise (Int 1 and Double 1.0 differ: the kind is the form).
  bool operator==(const Value& other) const = default;

 private:
  Kind kind_ = Kind::Null;
  int64_t int_ = 0;
  double double_ = 0.0;
  std::string string_;
  Array array_;
  Object object_;
};

// Parses one JSON text (RFC 8259; surrounding whitespace allowed, nothing else). Strict: no
// trailing commas, leading zeros, NaN/Infinity, comments, control characters inside strings,
// invalid escapes or unpaired \u surrogates; numbers beyond the double range and duplicate object
// keys are refused too. Nesting deeper than `maxDepth` is refused, so hostile input cannot exhaust
// the stack. Bytes that are not valid UTF-8 are kept as they are. An integer that does not fit
// int64 becomes a Double.
// ERRORS: ParseError naming the problem and its byte offset.
Value parse(std::string_view text, int maxDepth = 256);

// Compact writer. Doubles are written with the shortest text that reads back to the same value,
// always with a fraction or an exponent so that they read back as doubles ("2.0", "1e+300");
// non-finite doubles are written as null. Strings: '"', '\\' and control characters are escaped,
// every other byte (also invalid UTF-8) is written as it is.
std::string write(const Value& value);
void writeTo(std::string& out, const Value& value);
void writeString(std::string& out, std::string_view s);  // quoted and escaped
void writeDouble(std::string& out, double value);        // as the writer writes doubles

// A pull reader over one JSON text, for decoders that build their own values straight from the
// text instead of through a Value tree (the Variant and packet decoders). As strict as parse(),
// which is built on it. Every read skips the blanks before it; every error is a ParseError
// naming the byte offset.
//
//   Reader reader(text);
//   reader.beginArray();
//   for (bool first = true; reader.nextElement(first); first = false) sum += reader.readNumber().d;
//   reader.finish();
class Reader {
 public:
  struct Number {
    bool isInt = false;  // written without fraction or exponent and fits int64: `i` holds it
    int64_t i = 0;
    double d = 0.0;  // the value as a double, also for integers
  };

  explicit Reader(std::string_view text, int maxDepth = 256) : text_(text), maxDepth_(maxDepth) {}

  // The first character of the next value without consuming it; '\0' at the end of the text.
  // '"' string, '-' or digit number, 't'/'f' boolean, 'n' null, '[' array, '{' object.
  char peek();

  // Each REQUIRES the next value to be of its kind, else ParseError.
  void readNull();
  bool readBool();
  Number readNumber();
  // The unescaped string. The view stays valid until the next readString or nextMember (it
  // points into the text when the string has no escapes, else into the reader).
  std::string_view readString();

  // Consume the opening bracket and enter one nesting level (ParseError beyond maxDepth).
  void beginArray();
  void beginObject();
  // Whether another element follows: true after consuming the ',' before it (none before the
  // first), false after consuming the closing bracket. `first`: no element was read yet.
  bool nextElement(bool first);
  // As nextElement for objects; when true, `key` is the member's key (valid as readString's
  // view) and the ':' after it has been consumed, so the member's value is next.
  bool nextMember(bool first, std::string_view& key);
  // Reads and drops the next value, whatever it is.
  void skipValue();
  // REQUIRES: only blanks remain, else ParseError ("unexpected character ... after the value").
  void finish();

  size_t offset() const { return pos_; }
  // Throws ParseError "<what> at <offset>".
  [[noreturn]] void fail(std::string_view what) const;
  [[noreturn]] void fail(std::string_view what, size_t offset) const;
  // Throws ParseError for whatever stands at the current position where a value was expected.
  [[noreturn]] void unexpected() const;

 private:
  void expectLiteral(std::string_view literal);
  std::string_view readEscapedString(size_t start, size_t pos);
  void enter();

  std::string_view text_;
  size_t pos_ = 0;
  int depth_ = 0;
  int maxDepth_;
  std::string scratch_;
};

inline char Reader::peek() {
  while (pos_ < text_.size()) {
    const char c = text_[pos_];
    if (c != ' ' && c != '\n' && c != '\r' && c != '\t') return c;
    ++pos_;
  }
  return '\0';
}

}  // namespace platform::json
