// Filter expressions of ClientDataSet: parsed once, bound to the dataset's fields once, then
// evaluated per record without re-parsing.
//
// Grammar (keywords in any case):
//   expr       := term { OR term }
//   term       := factor { AND factor }
//   factor     := NOT factor | '(' expr ')' | comparison
//   comparison := operand op operand | operand IS [NOT] NULL
//   op         := '=' | '<>' | '!=' | '<' | '>' | '<=' | '>='
//   operand    := field | 'text' (a quote inside doubled: 'd''agua') | number | NULL | TRUE | FALSE
//   field      := name of letters, digits, '_' (not starting with a digit) | [any name]
// Each comparison names at least one field. Text compares exactly (byte-wise, case-sensitive).
// A literal is read as the field's type when the filter is bound: a quoted literal compared
// with a date-time field is a short date ("DTCARDAPIO = '07/03/2026'"); quoted numbers are
// accepted for number fields. Comparing a Null value is false for every operator; `X = NULL`
// and `X <> NULL` mean `X IS NULL` and `X IS NOT NULL`.
//
//   FilterExpression expr = FilterExpression::parse("CDPRATO = '0000000001' AND QTDE > 0");
//   CompiledFilter f = CompiledFilter::bind(expr, resolver);   // names -> row slots
//   f.matches(row);
//
// Errors are FilterError with "Filter expression: <what> at <n>", n being the 0-based byte
// offset in the text ("Filter expression: unexpected ')' at 14").
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/data_packet.h"
#include "platform/variant.h"

namespace platform {

class FilterError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

namespace filter_detail {
struct Ast;
struct Program;
}  // namespace filter_detail

// The syntax tree of a filter text. Cheap to copy (shared, immutable).
class FilterExpression {
 public:
  FilterExpression();  // the empty filter: matches everything

  // ERRORS: FilterError for a text that does not follow the grammar. Blank text is the empty
  // filter. Nesting deeper than 200 levels is refused.
  static FilterExpression parse(std::string_view text);

  const std::string& text() const;
  bool empty() const;  // blank text

 private:
  friend class CompiledFilter;
  std::shared_ptr<const filter_detail::Ast> ast_;
};

// What a field name resolves to: the slot of its value in the rows given to matches(), and its
// type. nullopt: no such field.
struct FilterField {
  int slot = 0;
  FieldType type = FieldType::Text;
};
using FilterResolver = std::function<std::optional<FilterField>(std::string_view name)>;

// A filter bound to one field layout. Cheap to copy (shared, immutable).
class CompiledFilter {
 public:
  CompiledFilter();  // matches everything

  // Resolves every field name and converts every literal to the type it is compared with.
  // ERRORS: FilterError for an unknown field ("Filter expression: Field 'X' not found at 0"),
  // a literal that cannot be read as its field's type, two fields of incomparable types, or a
  // comparison of two literals.
  static CompiledFilter bind(const FilterExpression& expression, const FilterResolver& resolver);

  // REQUIRES: `row` has a value at every slot the resolver gave, of that field's type or Null.
  // Never throws for such rows.
  bool matches(const Row& row) const;
  bool empty() const;

 private:
  std::shared_ptr<const filter_detail::Program> program_;
};

}  // namespace platform
