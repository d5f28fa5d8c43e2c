#include "platform/product_code.h"

#include <gtest/gtest.h>

namespace {

using platform::fitProductCode;
using platform::ProductCodeError;

constexpr const char* kPicture = "99.99.999.9999";

TEST(ProductCode, AcceptsCodesWithOrWithoutSeparatorsAndWritesThePicture) {
  const struct {
    const char* typed;
    const char* picture;
    const char* fitted;
  } kCases[] = {
      {"01.02.003.0004", kPicture, "01.02.003.0004"},
      {"01020030004", kPicture, "01.02.003.0004"},
      {"  01020030004 ", kPicture, "01.02.003.0004"},  // blanks around are dropped
      {"01", kPicture, "01"},                          // a code of the first level
      {"0102", kPicture, "01.02"},
      {"01.02.003", kPicture, "01.02.003"},
      {"0102003", kPicture, "01.02.003"},
      {"AB-12", "AA-99", "AB-12"},
      {"AB12", "AA-99", "AB-12"},
      {"x1/2z", "XX/9X", "x1/2z"},
      {"1234", "9999", "1234"},  // one level, no separator at all
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(fitProductCode(c.typed, c.picture), c.fitted);
  }
  // Checked only: the code comes back as typed.
  EXPECT_EQ(fitProductCode(" 01020030004", kPicture, false), "01020030004");
}

TEST(ProductCode, RefusesCodesThatFitNoLevel) {
  const struct {
    const char* typed;
    const char* picture;
  } kCases[] = {
      {"", kPicture},
      {"   ", kPicture},
      {"0102003004", kPicture},        // ten digits end inside the fourth level
      {"010200300040", kPicture},      // one digit too many
      {"1.2.3.4", kPicture},           // levels shorter than the picture's
      {"01.02.0003.004", kPicture},    // digits in the wrong level
      {"01-02-003-0004", kPicture},    // another separator
      {"01.02.003.", kPicture},        // a separator with no level after it
      {"01.02.00A.0004", kPicture},    // a letter where a digit goes
      {"1B-12", "AA-99"},              // a digit where a letter goes
      {"0102", ""},                    // no picture
      {"01.02.003.0004.5", kPicture},  // more levels than the picture
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.typed);
    EXPECT_THROW(fitProductCode(c.typed, c.picture), ProductCodeError);
  }
}

TEST(ProductCode, RefusalNamesTheCodeAndThePicture) {
  try {
    fitProductCode(" 12.3 ", kPicture);
    FAIL() << "refused code accepted";
  } catch (const ProductCodeError& e) {
    EXPECT_STREQ(e.what(), "Código \"12.3\" não corresponde à máscara de produto 99.99.999.9999.");
    EXPECT_EQ(e.code(), "12.3");
    EXPECT_EQ(e.picture(), kPicture);
  }
  EXPECT_STREQ(ProductCodeError("7", "99", "Produto").what(),
               "Produto \"7\" não corresponde à máscara de produto 99.");
}

}  // namespace
