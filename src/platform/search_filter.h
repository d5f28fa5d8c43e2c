// What a search list keeps on view while the user types: the rule the host's search dialogs
// share, kept free of any toolkit so every front end filters alike.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// `text` lower-cased with its accents removed ("Feijão" -> "feijao", "AÇÚCAR" -> "acucar"), for
// comparing what a user typed with what a list shows. Letters of ASCII and of the Latin-1
// supplement are folded; every other character (digits, punctuation, other scripts) is kept as
// it is. Bytes that are not valid UTF-8 are kept unchanged.
std::string foldForSearch(std::string_view text);

// Whether a row with product code `code` and name `name` stays on view while the user has typed
// `typed`: the folded typed text occurs in the folded name or in the code, or, written without
// the code's separators, in the code's digits ("0102" finds "01.02.003.0004"). Surrounding
// blanks of `typed` are ignored; an empty or blank `typed` keeps every row.
bool searchMatches(std::string_view typed, std::string_view code, std::string_view name);

// A search caption "Title|text of an empty list": the part before the first '|' is the title,
// the rest is shown instead of the list when it has no rows. Without '|' the whole caption is
// the title and the empty-list text is empty.
struct SearchCaption {
  std::string title;
  std::string emptyText;
};
SearchCaption splitSearchCaption(std::string_view caption);

}  // namespace platform
