// The screen's message catalogue: every user-visible message and several captions, by key.
#pragma once

#include <span>
#include <string_view>

namespace screen {

struct CatalogueEntry {
  std::string_view key;
  std::string_view text;
};

// The 46 entries in their order; texts exactly as shown, trailing blanks included.
std::span<const CatalogueEntry> messageCatalogue();

}  // namespace screen
