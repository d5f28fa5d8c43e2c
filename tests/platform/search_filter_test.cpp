#include "platform/search_filter.h"

#include <gtest/gtest.h>

namespace {

using platform::foldForSearch;
using platform::searchMatches;
using platform::splitSearchCaption;

TEST(SearchFilter, FoldsCaseAndAccentsOfPortugueseLetters) {
  const struct {
    const char* text;
    const char* folded;
  } kCases[] = {
      {"Feijão", "feijao"},
      {"AÇÚCAR CRISTAL", "acucar cristal"},
      {"maçã, pêra e côco", "maca, pera e coco"},
      {"ÀÁÂÃÄÅ àáâãäå", "aaaaaa aaaaaa"},
      {"ÈÉÊË ÌÍÎÏ ÒÓÔÕÖ ÙÚÛÜ Ñ Ý ÿ", "eeee iiii ooooo uuuu n y y"},
      {"Æ ß × ÷", "æ ß × ÷"},                // no base letter: only the case folds
      {"01.02.003.0004", "01.02.003.0004"},  // digits and separators kept
      {"\xC3", "\xC3"},                      // a cut sequence is kept as it is
      {"Ωmega", "Ωmega"},                    // other scripts are kept
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(foldForSearch(c.text), c.folded);
  }
}

TEST(SearchFilter, TypedTextKeepsRowsByNameOrCode) {
  const char* code = "01.02.003.0004";
  const char* name = "Feijão Carioca";
  const struct {
    const char* typed;
    bool kept;
  } kCases[] = {
      {"", true},           // nothing typed: every row
      {"   ", true},        // blanks only
      {"feijao", true},     // case and accents ignored
      {"FEIJÃO", true},     // ... both ways
      {"carioca", true},    // anywhere in the name
      {" carioca ", true},  // surrounding blanks ignored
      {"01.02", true},      // the code as written
      {"003.0004", true},   // any part of it
      {"0102003", true},    // without its separators
      {"0304", false},      // digits that are not consecutive in the code
      {"arroz", false},    {"feijao preto", false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(searchMatches(c.typed, code, name), c.kept);
  }
}

TEST(SearchFilter, CaptionGivesTitleAndEmptyListText) {
  EXPECT_EQ(splitSearchCaption("Produto|Não há produto cadastrado.").title, "Produto");
  EXPECT_EQ(splitSearchCaption("Produto|Não há produto cadastrado.").emptyText,
            "Não há produto cadastrado.");
  EXPECT_EQ(splitSearchCaption("Produto").title, "Produto");
  EXPECT_EQ(splitSearchCaption("Produto").emptyText, "");
  EXPECT_EQ(splitSearchCaption("Produto|a|b").emptyText, "a|b");  // only the first bar splits
}

}  // namespace
