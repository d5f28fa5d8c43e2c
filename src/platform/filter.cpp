#include "platform/filter.h"

#include <charconv>
#include <cmath>
#include <string>
#include <utility>

#include "platform/date.h"
#include "platform/format.h"

namespace platform {
namespace filter_detail {

enum class CmpOp { Eq, Ne, Lt, Gt, Le, Ge };

struct Operand {
  enum class Kind { Field, Text, Number, Null, Bool };
  Kind kind = Kind::Null;
  std::string text;  // field name, text literal, or a number as written
  double number = 0.0;
  bool boolean = false;
  size_t pos = 0;
};

struct AstNode {
  enum class Kind { And, Or, Not, Compare, IsNull };
  Kind kind = Kind::Compare;
  std::vector<int> children;  // And/Or: two or more; Not: one
  Operand lhs, rhs;
  CmpOp op = CmpOp::Eq;
  bool negate = false;  // IS NOT NULL
  size_t pos = 0;
};

struct Ast {
  std::string text;
  std::vector<AstNode> nodes;
  int root = -1;
};

enum class Cls { Text, Number, Bool };

struct PNode {
  enum class Kind {
    And,
    Or,
    Not,
    IsNull,
    NotNull,
    Text,
    Number,
    Bool,
    FieldsText,
    FieldsNumber,
    FieldsBool
  };
  Kind kind = Kind::And;
  CmpOp op = CmpOp::Eq;
  int slot = 0;
  int slot2 = 0;
  Variant textValue;  // Text: the literal, for comparisons without copying the row's text
  std::string text;
  double number = 0.0;
  bool boolean = false;
  std::vector<int> children;
};

struct Program {
  std::vector<PNode> nodes;
  int root = -1;
};

}  // namespace filter_detail

namespace {

using namespace filter_detail;

constexpr int kMaxDepth = 200;

[[noreturn]] void fail(const std::string& what, size_t pos) {
  throw FilterError("Filter expression: " + what + " at " + std::to_string(pos));
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

bool isNameStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}
bool isNameChar(unsigned char c) {
  return isNameStart(c) || (c >= '0' && c <= '9');
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads a whole text as a number in invariant notation, or with ',' as the decimal point.
std::optional<double> readNumber(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
    text.remove_suffix(1);
  std::string s(text);
  if (s.find('.') == std::string::npos) {
    const size_t comma = s.find(',');
    if (comma != std::string::npos) s[comma] = '.';
  }
  if (!s.empty() && s.front() == '+') s.erase(0, 1);
  if (s.empty()) return std::nullopt;
  const char c = s.front() == '-' && s.size() > 1 ? s[1] : s.front();
  if (!isDigit(c) && c != '.') return std::nullopt;  // no "inf", "nan"
  double value = 0.0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

struct Token {
  enum class Kind {
    Name,
    Text,
    Number,
    LParen,
    RParen,
    Op,
    And,
    Or,
    Not,
    Is,
    Null,
    True,
    False,
    End
  };
  Kind kind = Kind::End;
  std::string text;  // name, unescaped text, number spelling, operator
  size_t pos = 0;
  size_t len = 0;
  double number = 0.0;
};

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  Token next() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                   text_[pos_] == '\n' || text_[pos_] == '\r')) {
      ++pos_;
    }
    Token t;
    t.pos = pos_;
    if (pos_ >= text_.size()) return t;
    const char c = text_[pos_];
    if (c == '(' || c == ')') {
      t.kind = c == '(' ? Token::Kind::LParen : Token::Kind::RParen;
      t.text = std::string(1, c);
      ++pos_;
    } else if (c == '=' || c == '<' || c == '>' || c == '!') {
      t.kind = Token::Kind::Op;
      std::string op(1, c);
      if (pos_ + 1 < text_.size()) {
        const char d = text_[pos_ + 1];
        if ((c == '<' && (d == '>' || d == '=')) || (c == '>' && d == '=') ||
            (c == '!' && d == '=')) {
          op += d;
        }
      }
      if (op == "!") fail("unexpected '!'", pos_);
      pos_ += op.size();
      t.text = op;
    } else if (c == '\'') {
      t.kind = Token::Kind::Text;
      ++pos_;
      for (;;) {
        if (pos_ >= text_.size()) fail("unterminated text", t.pos);
        if (text_[pos_] == '\'') {
          if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
            t.text += '\'';
            pos_ += 2;
            continue;
          }
          ++pos_;
          break;
        }
        t.text += text_[pos_++];
      }
    } else if (c == '[') {
      t.kind = Token::Kind::Name;
      const size_t close = text_.find(']', pos_ + 1);
      if (close == std::string_view::npos) fail("unterminated field name", t.pos);
      t.text = std::string(text_.substr(pos_ + 1, close - pos_ - 1));
      if (t.text.empty()) fail("empty field name", t.pos);
      pos_ = close + 1;
    } else if (isDigit(c) || c == '.' ||
               ((c == '-' || c == '+') && pos_ + 1 < text_.size() &&
                (isDigit(text_[pos_ + 1]) || text_[pos_ + 1] == '.'))) {
      t.kind = Token::Kind::Number;
      size_t end = pos_ + 1;
      while (end < text_.size()) {
        const char d = text_[end];
        if (isDigit(d) || d == '.') {
          ++end;
        } else if ((d == 'e' || d == 'E')) {
          ++end;
          if (end < text_.size() && (text_[end] == '+' || text_[end] == '-')) ++end;
        } else {
          break;
        }
      }
      t.text = std::string(text_.substr(pos_, end - pos_));
      const std::optional<double> value = readNumber(t.text);
      if (!value) fail("invalid number '" + t.text + "'", t.pos);
      t.number = *value;
      pos_ = end;
    } else if (isNameStart(static_cast<unsigned char>(c))) {
      size_t end = pos_ + 1;
      while (end < text_.size() && isNameChar(static_cast<unsigned char>(text_[end])))
        ++end;
      t.text = std::string(text_.substr(pos_, end - pos_));
      pos_ = end;
      t.kind = Token::Kind::Name;
      static const std::pair<const char*, Token::Kind> kKeywords[] = {
          {"AND", Token::Kind::And},    {"OR", Token::Kind::Or},     {"NOT", Token::Kind::Not},
          {"IS", Token::Kind::Is},      {"NULL", Token::Kind::Null}, {"TRUE", Token::Kind::True},
          {"FALSE", Token::Kind::False}};
      for (const auto& [word, kind] : kKeywords) {
        if (equalsNoCase(t.text, word)) t.kind = kind;
      }
    } else {
      fail("unexpected character '" + std::string(1, c) + "'", pos_);
    }
    t.len = pos_ - t.pos;
    return t;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text), lexer_(text) { advance(); }

  Ast run() {
    Ast ast;
    ast.text = std::string(text_);
    ast_ = &ast;
    if (tok_.kind != Token::Kind::End) {
      ast.root = parseOr(0);
      if (tok_.kind != Token::Kind::End) unexpected();
    }
    return ast;
  }

 private:
  void advance() { tok_ = lexer_.next(); }

  [[noreturn]] void unexpected() const {
    if (tok_.kind == Token::Kind::End) fail("unexpected end of expression", tok_.pos);
    std::string shown(text_.substr(tok_.pos, tok_.len));
    if (shown.size() > 40) shown = shown.substr(0, 40) + "...";
    fail("unexpected " + (tok_.kind == Token::Kind::Text ? shown : "'" + shown + "'"), tok_.pos);
  }

  int add(AstNode node) {
    ast_->nodes.push_back(std::move(node));
    return static_cast<int>(ast_->nodes.size()) - 1;
  }

  int parseOr(int depth) { return parseChain(depth, Token::Kind::Or, AstNode::Kind::Or); }

  int parseChain(int depth, Token::Kind joiner, AstNode::Kind kind) {
    const size_t pos = tok_.pos;
    const int first = kind == AstNode::Kind::Or
                          ? parseChain(depth, Token::Kind::And, AstNode::Kind::And)
                          : parseFactor(depth);
    if (tok_.kind != joiner) return first;
    AstNode node;
    node.kind = kind;
    node.pos = pos;
    node.children.push_back(first);
    while (tok_.kind == joiner) {
      advance();
      node.children.push_back(kind == AstNode::Kind::Or
                                  ? parseChain(depth, Token::Kind::And, AstNode::Kind::And)
                                  : parseFactor(depth));
    }
    return add(std::move(node));
  }

  int parseFactor(int depth) {
    if (depth > kMaxDepth) fail("too deeply nested", tok_.pos);
    if (tok_.kind == Token::Kind::Not) {
      AstNode node;
      node.kind = AstNode::Kind::Not;
      node.pos = tok_.pos;
      advance();
      node.children.push_back(parseFactor(depth + 1));
      return add(std::move(node));
    }
    if (tok_.kind == Token::Kind::LParen) {
      advance();
      const int inner = parseOr(depth + 1);
      if (tok_.kind != Token::Kind::RParen) unexpected();
      advance();
      return inner;
    }
    return parseComparison();
  }

  Operand parseOperand() {
    Operand o;
    o.pos = tok_.pos;
    switch (tok_.kind) {
      case Token::Kind::Name:
        o.kind = Operand::Kind::Field;
        o.text = tok_.text;
        break;
      case Token::Kind::Text:
        o.kind = Operand::Kind::Text;
        o.text = tok_.text;
        break;
      case Token::Kind::Number:
        o.kind = Operand::Kind::Number;
        o.text = tok_.text;
        o.number = tok_.number;
        break;
      case Token::Kind::Null:
        o.kind = Operand::Kind::Null;
        break;
      case Token::Kind::True:
      case Token::Kind::False:
        o.kind = Operand::Kind::Bool;
        o.boolean = tok_.kind == Token::Kind::True;
        break;
      default:
        unexpected();
    }
    advance();
    return o;
  }

  int parseComparison() {
    AstNode node;
    node.pos = tok_.pos;
    node.lhs = parseOperand();
    if (tok_.kind == Token::Kind::Is) {
      advance();
      node.kind = AstNode::Kind::IsNull;
      if (tok_.kind == Token::Kind::Not) {
        node.negate = true;
        advance();
      }
      if (tok_.kind != Token::Kind::Null) unexpected();
      advance();
      if (node.lhs.kind != Operand::Kind::Field) fail("IS NULL needs a field name", node.pos);
      return add(std::move(node));
    }
    if (tok_.kind != Token::Kind::Op) {
      if (tok_.kind == Token::Kind::End) fail("expected a comparison operator", tok_.pos);
      unexpected();
    }
    const std::string& op = tok_.text;
    node.op = op == "="                  ? CmpOp::Eq
              : op == "<>" || op == "!=" ? CmpOp::Ne
              : op == "<"                ? CmpOp::Lt
              : op == ">"                ? CmpOp::Gt
              : op == "<="               ? CmpOp::Le
                                         : CmpOp::Ge;
    advance();
    node.rhs = parseOperand();
    node.kind = AstNode::Kind::Compare;
    return add(std::move(node));
  }

  std::string_view text_;
  Lexer lexer_;
  Token tok_;
  Ast* ast_ = nullptr;
};

// --- Binding ---

Cls classOf(FieldType type) {
  switch (type) {
    case FieldType::Text:
    case FieldType::FixedText:
      return Cls::Text;
    case FieldType::Boolean:
      return Cls::Bool;
    default:
      return Cls::Number;
  }
}

CmpOp mirror(CmpOp op) {
  switch (op) {
    case CmpOp::Lt:
      return CmpOp::Gt;
    case CmpOp::Gt:
      return CmpOp::Lt;
    case CmpOp::Le:
      return CmpOp::Ge;
    case CmpOp::Ge:
      return CmpOp::Le;
    default:
      return op;
  }
}

class Binder {
 public:
  Binder(const Ast& ast, const FilterResolver& resolver) : ast_(ast), resolver_(resolver) {}

  Program run() {
    if (ast_.root >= 0) program_.root = bind(ast_.root);
    return std::move(program_);
  }

 private:
  int add(PNode node) {
    program_.nodes.push_back(std::move(node));
    return static_cast<int>(program_.nodes.size()) - 1;
  }

  FilterField resolve(const Operand& o) {
    const std::optional<FilterField> f = resolver_(o.text);
    if (!f) fail("Field '" + o.text + "' not found", o.pos);
    return *f;
  }

  int bind(int index) {
    const AstNode& n = ast_.nodes[static_cast<size_t>(index)];
    PNode p;
    switch (n.kind) {
      case AstNode::Kind::And:
      case AstNode::Kind::Or:
      case AstNode::Kind::Not:
        p.kind = n.kind == AstNode::Kind::And  ? PNode::Kind::And
                 : n.kind == AstNode::Kind::Or ? PNode::Kind::Or
                                               : PNode::Kind::Not;
        for (int child : n.children)
          p.children.push_back(bind(child));
        return add(std::move(p));
      case AstNode::Kind::IsNull:
        p.kind = n.negate ? PNode::Kind::NotNull : PNode::Kind::IsNull;
        p.slot = resolve(n.lhs).slot;
        return add(std::move(p));
      case AstNode::Kind::Compare:
        return bindCompare(n);
    }
    return add(std::move(p));
  }

  int bindCompare(const AstNode& n) {
    Operand lhs = n.lhs, rhs = n.rhs;
    CmpOp op = n.op;
    if (lhs.kind != Operand::Kind::Field && rhs.kind == Operand::Kind::Field) {
      std::swap(lhs, rhs);
      op = mirror(op);
    }
    if (lhs.kind != Operand::Kind::Field) fail("a comparison needs a field name", n.pos);
    const FilterField field = resolve(lhs);
    const Cls cls = classOf(field.type);
    PNode p;
    p.op = op;
    p.slot = field.slot;
    if (rhs.kind == Operand::Kind::Field) {
      const FilterField other = resolve(rhs);
      if (classOf(other.type) != cls) {
        fail("cannot compare field '" + lhs.text + "' with field '" + rhs.text + "'", n.pos);
      }
      p.slot2 = other.slot;
      p.kind = cls == Cls::Text     ? PNode::Kind::FieldsText
               : cls == Cls::Number ? PNode::Kind::FieldsNumber
                                    : PNode::Kind::FieldsBool;
      return add(std::move(p));
    }
    if (rhs.kind == Operand::Kind::Null) {
      if (op != CmpOp::Eq && op != CmpOp::Ne) fail("NULL can only be compared with = or <>", n.pos);
      p.kind = op == CmpOp::Eq ? PNode::Kind::IsNull : PNode::Kind::NotNull;
      return add(std::move(p));
    }
    const std::string shown = "'" + rhs.text + "'";
    switch (cls) {
      case Cls::Text:
        if (rhs.kind == Operand::Kind::Bool) {
          fail("cannot compare text field '" + lhs.text + "' with a boolean", rhs.pos);
        }
        p.kind = PNode::Kind::Text;
        p.text = rhs.text;
        p.textValue = Variant(rhs.text);
        break;
      case Cls::Number:
        p.kind = PNode::Kind::Number;
        if (rhs.kind == Operand::Kind::Number) {
          p.number = rhs.number;
        } else if (rhs.kind == Operand::Kind::Text && field.type == FieldType::DateTime) {
          const std::optional<double> day =
              parseShortDate(rhs.text, formatSettings().dateSeparator);
          if (!day) fail(shown + " is not a valid date for field '" + lhs.text + "'", rhs.pos);
          p.number = *day;
        } else if (rhs.kind == Operand::Kind::Text) {
          const std::optional<double> value = readNumber(rhs.text);
          if (!value) fail(shown + " is not a valid number for field '" + lhs.text + "'", rhs.pos);
          p.number = *value;
        } else {
          fail("cannot compare field '" + lhs.text + "' with a boolean", rhs.pos);
        }
        break;
      case Cls::Bool:
        p.kind = PNode::Kind::Bool;
        if (rhs.kind == Operand::Kind::Bool) {
          p.boolean = rhs.boolean;
        } else if (rhs.kind == Operand::Kind::Number) {
          p.boolean = rhs.number != 0.0;
        } else if (equalsNoCase(rhs.text, "true") || rhs.text == "1") {
          p.boolean = true;
        } else if (equalsNoCase(rhs.text, "false") || rhs.text == "0") {
          p.boolean = false;
        } else {
          fail(shown + " is not a valid boolean for field '" + lhs.text + "'", rhs.pos);
        }
        break;
    }
    return add(std::move(p));
  }

  const Ast& ast_;
  const FilterResolver& resolver_;
  Program program_;
};

// --- Evaluation ---

template <typename T>
bool compare(CmpOp op, const T& a, const T& b) {
  switch (op) {
    case CmpOp::Eq:
      return a == b;
    case CmpOp::Ne:
      return !(a == b);
    case CmpOp::Lt:
      return a < b;
    case CmpOp::Gt:
      return b < a;
    case CmpOp::Le:
      return a < b || a == b;
    case CmpOp::Ge:
      return b < a || a == b;
  }
  return false;
}

bool evaluate(const Program& program, int index, const Row& row) {
  const PNode& n = program.nodes[static_cast<size_t>(index)];
  switch (n.kind) {
    case PNode::Kind::And:
      for (int child : n.children) {
        if (!evaluate(program, child, row)) return false;
      }
      return true;
    case PNode::Kind::Or:
      for (int child : n.children) {
        if (evaluate(program, child, row)) return true;
      }
      return false;
    case PNode::Kind::Not:
      return !evaluate(program, n.children.front(), row);
    case PNode::Kind::IsNull:
      return row[static_cast<size_t>(n.slot)].isNull();
    case PNode::Kind::NotNull:
      return !row[static_cast<size_t>(n.slot)].isNull();
    default:
      break;
  }
  const Variant& a = row[static_cast<size_t>(n.slot)];
  if (a.isNull()) return false;
  switch (n.kind) {
    case PNode::Kind::Text:
      if (n.op == CmpOp::Eq) return a == n.textValue;
      if (n.op == CmpOp::Ne) return a != n.textValue;
      return compare(n.op, a.toString(), n.text);
    case PNode::Kind::Number:
      return compare(n.op, a.toDouble(), n.number);
    case PNode::Kind::Bool:
      return compare(n.op, a.toBool(), n.boolean);
    default:
      break;
  }
  const Variant& b = row[static_cast<size_t>(n.slot2)];
  if (b.isNull()) return false;
  switch (n.kind) {
    case PNode::Kind::FieldsText:
      if (n.op == CmpOp::Eq) return a == b;
      if (n.op == CmpOp::Ne) return a != b;
      return compare(n.op, a.toString(), b.toString());
    case PNode::Kind::FieldsNumber:
      return compare(n.op, a.toDouble(), b.toDouble());
    case PNode::Kind::FieldsBool:
      return compare(n.op, a.toBool(), b.toBool());
    default:
      return false;
  }
}

}  // namespace

FilterExpression::FilterExpression() : ast_(std::make_shared<const Ast>()) {}

FilterExpression FilterExpression::parse(std::string_view text) {
  FilterExpression expr;
  expr.ast_ = std::make_shared<const Ast>(Parser(text).run());
  return expr;
}

const std::string& FilterExpression::text() const {
  return ast_->text;
}
bool FilterExpression::empty() const {
  return ast_->root < 0;
}

CompiledFilter::CompiledFilter() : program_(std::make_shared<const Program>()) {}

CompiledFilter CompiledFilter::bind(const FilterExpression& expression,
                                    const FilterResolver& resolver) {
  CompiledFilter compiled;
  compiled.program_ = std::make_shared<const Program>(Binder(*expression.ast_, resolver).run());
  return compiled;
}

bool CompiledFilter::matches(const Row& row) const {
  return program_->root < 0 || evaluate(*program_, program_->root, row);
}

bool CompiledFilter::empty() const {
  return program_->root < 0;
}

}  // namespace platform
