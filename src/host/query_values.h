// Text and date helpers the direct-query executors of both backends share.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace host::queryvalues {

std::string upper(std::string_view text);
bool sameName(std::string_view a, std::string_view b);
// Characters (not bytes) of a UTF-8 text.
int characters(std::string_view utf8);

// "YYYY-MM-DD", with " HH:MM:SS" when the day number has a time of day.
std::string isoDate(double dateTime);
// "YYYY-MM-DD", optionally followed by " HH:MM[:SS[.fff]]" or "THH:MM..."; nullopt for anything
// else, an impossible day included.
std::optional<double> parseIsoDate(std::string_view text);

}  // namespace host::queryvalues
