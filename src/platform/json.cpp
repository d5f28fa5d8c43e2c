#include "platform/json.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_set>

namespace platform::json {

namespace {

constexpr std::string_view kKindNames[] = {"null",   "boolean", "integer", "number",
                                           "string", "array",   "object"};

[[noreturn]] void wrongKind(Value::Kind actual, const char* wanted) {
  throw std::invalid_argument(std::string("JSON value is ") +
                              std::string(kKindNames[static_cast<int>(actual)]) + ", not " +
                              wanted);
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string describeChar(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 0x20 && byte < 0x7F) return std::string("'") + c + "'";
  static constexpr char kHex[] = "0123456789abcdef";
  return std::string("byte 0x") + kHex[byte >> 4] + kHex[byte & 0xF];
}

// Whether a number too large or too small for a double overflows (rather than underflows):
// its decimal exponent, counted from the first significant digit, is positive.
bool overflows(std::string_view number) {
  size_t pos = number[0] == '-' ? 1 : 0;
  int64_t magnitude = 0;
  bool significant = false;
  for (; pos < number.size() && isDigit(number[pos]); ++pos) {
    if (number[pos] != '0') significant = true;
    if (significant) ++magnitude;
  }
  if (pos < number.size() && number[pos] == '.') {
    for (++pos; pos < number.size() && isDigit(number[pos]); ++pos) {
      if (significant) continue;
      if (number[pos] != '0') {
        significant = true;
      } else {
        --magnitude;
      }
    }
  }
  if (!significant) return false;
  if (pos < number.size()) {  // exponent
    ++pos;
    const bool negative = number[pos] == '-';
    if (number[pos] == '-' || number[pos] == '+') ++pos;
    int64_t exponent = 0;
    for (; pos < number.size(); ++pos) {
      exponent = std::min<int64_t>(exponent * 10 + (number[pos] - '0'), 1'000'000'000);
    }
    magnitude += negative ? -exponent : exponent;
  }
  return magnitude > 0;
}

}  // namespace

// --- Value -------------------------------------------------------------------------------------

bool Value::asBool() const {
  if (kind_ != Kind::Bool) wrongKind(kind_, "boolean");
  return int_ != 0;
}

int64_t Value::asInt() const {
  if (kind_ != Kind::Int) wrongKind(kind_, "integer");
  return int_;
}

double Value::asDouble() const {
  if (kind_ == Kind::Int) return static_cast<double>(int_);
  if (kind_ != Kind::Double) wrongKind(kind_, "number");
  return double_;
}

const std::string& Value::asString() const {
  if (kind_ != Kind::String) wrongKind(kind_, "string");
  return string_;
}

const Value::Array& Value::asArray() const {
  if (kind_ != Kind::Array) wrongKind(kind_, "array");
  return array_;
}

Value::Array& Value::asArray() {
  if (kind_ != Kind::Array) wrongKind(kind_, "array");
  return array_;
}

const Value::Object& Value::asObject() const {
  if (kind_ != Kind::Object) wrongKind(kind_, "object");
  return object_;
}

Value::Object& Value::asObject() {
  if (kind_ != Kind::Object) wrongKind(kind_, "object");
  return object_;
}

const Value* Value::find(std::string_view key) const {
  if (kind_ != Kind::Object) return nullptr;
  for (const auto& [name, value] : object_) {
    if (name == key) return &value;
  }
  return nullptr;
}

// --- Reader ------------------------------------------------------------------------------------

void Reader::fail(std::string_view what) const {
  fail(what, pos_);
}

void Reader::fail(std::string_view what, size_t offset) const {
  throw ParseError(std::string(what) + " at " + std::to_string(offset));
}

void Reader::unexpected() const {
  if (pos_ >= text_.size()) fail("unexpected end of text");
  fail("unexpected " + describeChar(text_[pos_]));
}

void Reader::expectLiteral(std::string_view literal) {
  if (text_.substr(pos_, literal.size()) != literal) {
    // Point at the first character that differs.
    size_t i = 0;
    while (pos_ + i < text_.size() && i < literal.size() && text_[pos_ + i] == literal[i])
      ++i;
    if (pos_ + i >= text_.size()) fail("unexpected end of text", pos_ + i);
    fail("unexpected " + describeChar(text_[pos_ + i]), pos_ + i);
  }
  pos_ += literal.size();
}

void Reader::readNull() {
  if (peek() != 'n') unexpected();
  expectLiteral("null");
}

bool Reader::readBool() {
  const char c = peek();
  if (c == 't') {
    expectLiteral("true");
    return true;
  }
  if (c != 'f') unexpected();
  expectLiteral("false");
  return false;
}

Reader::Number Reader::readNumber() {
  const char first = peek();
  if (first != '-' && !isDigit(first)) unexpected();
  const size_t start = pos_;
  const size_t size = text_.size();
  size_t pos = pos_;
  if (text_[pos] == '-') ++pos;
  if (pos >= size || !isDigit(text_[pos])) {
    pos_ = pos;
    fail(pos >= size ? "unexpected end of text in a number" : "invalid number");
  }
  uint64_t mantissa = 0;
  size_t digits = 0;
  if (text_[pos] == '0') {
    ++pos;
    if (pos < size && isDigit(text_[pos])) fail("leading zero in a number", start);
    digits = 1;
  } else {
    for (; pos < size && isDigit(text_[pos]); ++pos, ++digits) {
      mantissa = mantissa * 10 + static_cast<uint64_t>(text_[pos] - '0');
    }
  }
  bool isInt = true;
  if (pos < size && text_[pos] == '.') {
    isInt = false;
    ++pos;
    if (pos >= size || !isDigit(text_[pos])) {
      pos_ = pos;
      fail("expected a digit after the decimal point");
    }
    while (pos < size && isDigit(text_[pos]))
      ++pos;
  }
  if (pos < size && (text_[pos] == 'e' || text_[pos] == 'E')) {
    isInt = false;
    ++pos;
    if (pos < size && (text_[pos] == '+' || text_[pos] == '-')) ++pos;
    if (pos >= size || !isDigit(text_[pos])) {
      pos_ = pos;
      fail("expected a digit in the exponent");
    }
    while (pos < size && isDigit(text_[pos]))
      ++pos;
  }
  pos_ = pos;

  Number number;
  const bool negative = text_[start] == '-';
  if (isInt && digits <= 18) {  // cannot overflow uint64 nor int64
    number.isInt = true;
    number.i = negative ? -static_cast<int64_t>(mantissa) : static_cast<int64_t>(mantissa);
    number.d = static_cast<double>(number.i);
    return number;
  }
  const char* begin = text_.data() + start;
  const char* end = text_.data() + pos;
  if (isInt) {
    int64_t value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec == std::errc() && ptr == end) {
      number.isInt = true;
      number.i = value;
      number.d = static_cast<double>(value);
      return number;
    }
  }
  const auto [ptr, ec] = std::from_chars(begin, end, number.d);
  if (ec == std::errc::result_out_of_range) {
    if (overflows(text_.substr(start, pos - start))) fail("number out of range", start);
    number.d = negative ? -0.0 : 0.0;
  } else if (ec != std::errc() || ptr != end) {
    fail("invalid number", start);
  }
  return number;
}

std::string_view Reader::readString() {
  if (peek() != '"') unexpected();
  const size_t start = ++pos_;
  const char* data = text_.data();
  const size_t size = text_.size();
  for (size_t pos = start; pos < size; ++pos) {
    const auto c = static_cast<unsigned char>(data[pos]);
    if (c == '"') {
      pos_ = pos + 1;
      return text_.substr(start, pos - start);
    }
    if (c == '\\') return readEscapedString(start, pos);
    if (c < 0x20) fail("control character in a string", pos);
  }
  fail("unterminated string", start - 1);
}

std::string_view Reader::readEscapedString(size_t start, size_t pos) {
  scratch_.assign(text_.data() + start, pos - start);
  const size_t size = text_.size();
  auto readHex4 = [&](size_t at) -> uint32_t {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
      if (at + i >= size) fail("unexpected end of text in a \\u escape", at + i);
      const int digit = hexValue(text_[at + i]);
      if (digit < 0) fail("invalid \\u escape", at - 2);
      value = value * 16 + static_cast<uint32_t>(digit);
    }
    return value;
  };
  while (pos < size) {
    const char c = text_[pos];
    if (c == '"') {
      pos_ = pos + 1;
      return scratch_;
    }
    if (static_cast<unsigned char>(c) < 0x20) fail("control character in a string", pos);
    if (c != '\\') {
      scratch_ += c;
      ++pos;
      continue;
    }
    if (pos + 1 >= size) break;
    const char escape = text_[pos + 1];
    switch (escape) {
      case '"':
        scratch_ += '"';
        break;
      case '\\':
        scratch_ += '\\';
        break;
      case '/':
        scratch_ += '/';
        break;
      case 'b':
        scratch_ += '\b';
        break;
      case 'f':
        scratch_ += '\f';
        break;
      case 'n':
        scratch_ += '\n';
        break;
      case 'r':
        scratch_ += '\r';
        break;
      case 't':
        scratch_ += '\t';
        break;
      case 'u': {
        uint32_t cp = readHex4(pos + 2);
        if (cp >= 0xDC00 && cp <= 0xDFFF) fail("unpaired surrogate in a \\u escape", pos);
        if (cp >= 0xD800 && cp <= 0xDBFF) {
          if (pos + 7 >= size || text_[pos + 6] != '\\' || text_[pos + 7] != 'u') {
            fail("unpaired surrogate in a \\u escape", pos);
          }
          const uint32_t low = readHex4(pos + 8);
          if (low < 0xDC00 || low > 0xDFFF) fail("unpaired surrogate in a \\u escape", pos);
          cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          pos += 6;
        }
        appendUtf8(scratch_, cp);
        pos += 4;
        break;
      }
      default:
        fail("invalid escape " + describeChar(escape) + " in a string", pos);
    }
    pos += 2;
  }
  fail("unterminated string", start - 1);
}

void Reader::enter() {
  if (depth_ >= maxDepth_) fail("nesting deeper than " + std::to_string(maxDepth_));
  ++depth_;
  ++pos_;
}

void Reader::beginArray() {
  if (peek() != '[') unexpected();
  enter();
}

void Reader::beginObject() {
  if (peek() != '{') unexpected();
  enter();
}

bool Reader::nextElement(bool first) {
  const char c = peek();
  if (c == ']') {
    ++pos_;
    --depth_;
    return false;
  }
  if (!first) {
    if (c != ',') {
      if (pos_ >= text_.size()) fail("unexpected end of text in an array");
      fail("expected ',' or ']'");
    }
    ++pos_;
  }
  return true;
}

bool Reader::nextMember(bool first, std::string_view& key) {
  char c = peek();
  if (c == '}') {
    ++pos_;
    --depth_;
    return false;
  }
  if (!first) {
    if (c != ',') {
      if (pos_ >= text_.size()) fail("unexpected end of text in an object");
      fail("expected ',' or '}'");
    }
    ++pos_;
    c = peek();
  }
  if (c != '"') {
    if (pos_ >= text_.size()) fail("unexpected end of text in an object");
    fail("expected a string key");
  }
  key = readString();
  if (peek() != ':') fail("expected ':'");
  ++pos_;
  return true;
}

void Reader::skipValue() {
  // Iterative, so the reader's depth limit is the only bound on nesting.
  std::string open;  // the containers entered here, innermost last
  for (;;) {
    std::string_view key;
    switch (peek()) {
      case '[':
        beginArray();
        if (nextElement(true)) {
          open += '[';
          continue;
        }
        break;
      case '{':
        beginObject();
        if (nextMember(true, key)) {
          open += '{';
          continue;
        }
        break;
      case '"':
        readString();
        break;
      case 't':
      case 'f':
        readBool();
        break;
      case 'n':
        readNull();
        break;
      default:
        readNumber();
        break;
    }
    // A value is complete: go on in the container around it, closing those that end here.
    for (;;) {
      if (open.empty()) return;
      if (open.back() == '[' ? nextElement(false) : nextMember(false, key)) break;
      open.pop_back();
    }
  }
}

void Reader::finish() {
  if (peek() != '\0' || pos_ < text_.size()) {
    fail("unexpected " + describeChar(text_[pos_]) + " after the value");
  }
}

// --- parse -------------------------------------------------------------------------------------

namespace {

constexpr size_t kLinearKeySearch = 16;

Value parseValue(Reader& reader) {
  switch (reader.peek()) {
    case '"':
      return Value(std::string(reader.readString()));
    case 't':
    case 'f':
      return Value(reader.readBool());
    case 'n':
      reader.readNull();
      return Value();
    case '[': {
      reader.beginArray();
      Value::Array items;
      for (bool first = true; reader.nextElement(first); first = false) {
        items.push_back(parseValue(reader));
      }
      return Value(std::move(items));
    }
    case '{': {
      reader.beginObject();
      Value::Object members;
      std::unordered_set<std::string> seen;  // filled only once an object grows large
      std::string_view key;
      for (bool first = true; reader.nextMember(first, key); first = false) {
        bool duplicate = false;
        if (members.size() < kLinearKeySearch) {
          for (const auto& member : members)
            duplicate = duplicate || member.first == key;
        } else {
          if (seen.empty()) {
            for (const auto& member : members)
              seen.insert(member.first);
          }
          duplicate = !seen.emplace(key).second;
        }
        if (duplicate) reader.fail("duplicate key \"" + std::string(key) + "\"");
        std::string name(key);
        members.emplace_back(std::move(name), parseValue(reader));
      }
      return Value(std::move(members));
    }
    default: {
      const char c = reader.peek();
      if (c != '-' && !isDigit(c)) reader.unexpected();
      const Reader::Number number = reader.readNumber();
      return number.isInt ? Value(number.i) : Value(number.d);
    }
  }
}

}  // namespace

Value parse(std::string_view text, int maxDepth) {
  Reader reader(text, maxDepth);
  Value value = parseValue(reader);
  reader.finish();
  return value;
}

// --- write -------------------------------------------------------------------------------------

void writeString(std::string& out, std::string_view s) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  size_t run = 0;  // start of the bytes not yet copied
  for (size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out.append(s.data() + run, i - run);
    run = i + 1;
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += "\\u00";
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
    }
  }
  out.append(s.data() + run, s.size() - run);
  out += '"';
}

void writeDouble(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  const std::string_view text(buffer, static_cast<size_t>(end - buffer));
  out += text;
  if (text.find_first_of(".e") == std::string_view::npos) out += ".0";
}

void writeTo(std::string& out, const Value& value) {
  switch (value.kind()) {
    case Value::Kind::Null:
      out += "null";
      break;
    case Value::Kind::Bool:
      out += value.asBool() ? "true" : "false";
      break;
    case Value::Kind::Int: {
      char buffer[24];
      const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value.asInt());
      out.append(buffer, end);
      break;
    }
    case Value::Kind::Double:
      writeDouble(out, value.asDouble());
      break;
    case Value::Kind::String:
      writeString(out, value.asString());
      break;
    case Value::Kind::Array: {
      out += '[';
      bool first = true;
      for (const Value& item : value.asArray()) {
        if (!first) out += ',';
        first = false;
        writeTo(out, item);
      }
      out += ']';
      break;
    }
    case Value::Kind::Object: {
      out += '{';
      bool first = true;
      for (const auto& [name, member] : value.asObject()) {
        if (!first) out += ',';
        first = false;
        writeString(out, name);
        out += ':';
        writeTo(out, member);
      }
      out += '}';
      break;
    }
  }
}

std::string write(const Value& value) {
  std::string out;
  writeTo(out, value);
  return out;
}

}  // namespace platform::json
