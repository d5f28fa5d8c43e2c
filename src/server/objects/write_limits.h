// The bounds every write is held to on the server, whatever the client sends: what the screen
// itself never sends is refused before anything is written.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace server::objects::limits {

// Per capita in the recipe unit. A kilogram or a litre per diner is already a whole meal, and a
// catalogue kept in grams stays under a thousand too; beyond it the figure is a slip or a broken
// client, and its products with the diners would overflow the month's sums.
inline constexpr double kMaxPerCapita = 1000;
// Diners of one dish on one day, far beyond any kitchen.
inline constexpr double kMaxDiners = 1'000'000;
// Changes in one recipe save: a day's whole menu holds a few hundred products at most.
inline constexpr size_t kMaxChanges = 500;
// Products priced by one GetCustoModos call: the whole stock catalogue of a large company.
inline constexpr size_t kMaxCostProducts = 5000;

// Column sizes of the schema, in characters, of the texts the writes take from the client.
inline constexpr int kBranch = 4;      // CDFILIAL
inline constexpr int kService = 5;     // CDSERVFILI
inline constexpr int kDishBranch = 4;  // CDFILAUXPRAT
inline constexpr int kDish = 10;       // CDPRATO
inline constexpr int kProduct = 10;    // CDPRODUTO
inline constexpr int kTreeCode = 20;   // CDARVPROD
inline constexpr int kUnit = 10;       // SGUNIDRECE
inline constexpr int kRecipeKind = 1;  // TIPO

// Characters (UTF-8 code points) of `text`.
size_t charCount(std::string_view text);
// `text` cut to `maxChars` characters: how a refusal quotes what the client sent.
std::string clip(std::string_view text, int maxChars);

// Client text as a refusal quotes it: at most kMaxEchoChars characters, "..." marking a cut,
// control characters as '?'. A refusal never repeats an unbounded value back.
inline constexpr int kMaxEchoChars = 40;
std::string echo(std::string_view text);
// "" when `text` fits `maxChars` characters, else the refusal naming `field`.
std::string sizeRefusal(std::string_view field, std::string_view text, int maxChars);

// One text of a request with the column it is written to.
struct SizedText {
  const char* field;
  const std::string& value;
  int size;
};
// The refusal of the first text that does not fit its column, "" when all fit.
std::string firstSizeRefusal(std::initializer_list<SizedText> texts);

}  // namespace server::objects::limits
