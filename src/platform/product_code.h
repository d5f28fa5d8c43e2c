// Product codes written to the host's product-code picture ("99.99.999.9999"): the tree levels
// of a product, each a fixed number of positions, separated by literal characters.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// A code that does not fit the picture; what() is the text shown to the user, naming the value
// by `label`: "Código \"0102X\" não corresponde à máscara de produto 99.99.999.9999."
class ProductCodeError : public std::invalid_argument {
 public:
  ProductCodeError(std::string code, std::string picture, std::string_view label = "Código");
  const std::string& code() const { return code_; }
  const std::string& picture() const { return picture_; }

 private:
  std::string code_;
  std::string picture_;
};

// `code` written in the form of `picture`, or, with `reformat` false, checked only and returned
// as typed (without surrounding blanks).
//
// Picture positions: '9' a digit, 'A' a letter, 'X' a letter or a digit; any other character is
// a literal that separates two levels. A code fits when it holds the levels of the picture from
// the first one on, each with exactly its positions, written either with the picture's
// separators or with none at all:
//   fitProductCode("01.02.003.0004", "99.99.999.9999") == "01.02.003.0004"
//   fitProductCode("0102003004", ...)                  -> error (10 digits fill no level)
//   fitProductCode("01020030004", ...)                 == "01.02.003.0004"
//   fitProductCode("0102", ...)                        == "01.02" (a code of the second level)
// ERRORS: ProductCodeError naming the code and the picture for an empty code, a code that fills
// no whole level, a character out of place, or an empty picture.
std::string fitProductCode(std::string_view code, std::string_view picture, bool reformat = true);

}  // namespace platform
