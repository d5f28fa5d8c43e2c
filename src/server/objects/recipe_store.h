// Reading and writing the three recipe kinds through one interface, and the ingredient swap both
// swap methods share.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant.h"
#include "server/db/database.h"

namespace server::objects {

enum class RecipeKind { Standard, Local, PerService };

// "P" standard, "L" local, "S" per service; nullopt for anything else.
std::optional<RecipeKind> recipeKindOf(std::string_view code);

// One recipe: the standard recipe of a dish, a branch's local recipe of it, or the per-service
// recipe of a branch's service.
struct RecipeTarget {
  RecipeKind kind = RecipeKind::Standard;
  std::string branch;   // Local, PerService
  std::string service;  // PerService
  std::string dishBranch;
  std::string dish;
  bool operator<(const RecipeTarget& o) const;
};

struct RecipeLine {
  double net = 0;  // QTDERECE
  std::string unit;
};

class RecipeStore {
 public:
  explicit RecipeStore(db::Database& db) : db_(db) {}

  // Errors: DbError for all of them.
  std::optional<RecipeLine> find(const RecipeTarget& target, const std::string& product);
  int64_t count(const RecipeTarget& target);

  // Conditional writes: each writes only when the recipe still holds what the caller last saw,
  // and answers whether it did. The condition is part of the statement, so a concurrent change is
  // caught on a backend that does not lock at the start of a transaction as well. Per capita
  // quantities are stored rounded to 5 decimals and compared at 5 decimals.
  //
  // Adds `product` unless the recipe already has it.
  bool insertNew(const RecipeTarget& target, const std::string& product, const RecipeLine& line);
  enum class Update {
    Done,
    Changed,  // the line is gone or no longer holds `original`
    // the recipe holds `newProduct` already (seen by the statement itself: after this the
    // transaction may be unusable and must be rolled back)
    Taken,
  };
  // Replaces `product`'s line by `newProduct` with `line` while the line still holds `original`
  // and, when `newProduct` differs, the recipe does not hold `newProduct` yet. Answers Changed
  // also when a `newProduct` already there was seen by the condition.
  Update updateUnchanged(const RecipeTarget& target, const std::string& product,
                         const RecipeLine& original, const std::string& newProduct,
                         const RecipeLine& line);
  // Deletes `product`'s line while it still holds `original`.
  bool removeUnchanged(const RecipeTarget& target, const std::string& product,
                       const RecipeLine& original);

  // Makes every other writer of the recipes of dish (dishBranch, dish) wait until this
  // transaction ends, so what it reads of them stays true until it commits (a recipe emptied by
  // two saves deleting different lines, a line two saves both see unchanged). Writers lock their
  // dishes in ascending order. REQUIRES: a write transaction.
  void lockDish(const std::string& dishBranch, const std::string& dish);

 private:
  db::Database& db_;
};

// An ingredient swap as the two TrocaProduto forms send it.
struct SwapRequest {
  RecipeKind kind = RecipeKind::Local;  // Local or PerService
  std::string dish;                     // CDPRATO
  std::string branch;
  std::string service;     // PerService
  std::string oldProduct;  // CDPRODUTO
  std::string newProduct;  // one of oldProduct's optional products
  std::string unit;        // "" keeps the new product's own unit
  double factor = 1;       // the new product's correction factor as the client saw it
  std::string dishBranch;  // CDFILAUXPRAT; "" when the dish code names one recipe only
  std::string recipeKind;  // TIPO when the client names it: "P" is refused, else the form's kind
};

// Reads TrocaProduto's nine arguments: dish, branch, service ("" in the local form), old product,
// new product, unit, factor, then two texts the screen sends empty, read as CDFILAUXPRAT and
// TIPO so a client that knows them names the recipe exactly. Errors: RpcFault kInvalidParams.
SwapRequest swapRequest(RecipeKind kind, const std::vector<platform::Variant>& params);

// Swaps `oldProduct` for `newProduct` in exactly one recipe: the `kind` recipe of dish
// (dishBranch, dish) of the branch (and service), in one transaction, keeping the line's per
// capita. Refused with nothing written: texts beyond their columns, a factor not above 0, a
// branch whose IDBLOALTRELO is not "S", a product the recipe may not use or outside
// PARAMGERAL.CDGRUPPROD, a product that is not an optional of the old one, a standard recipe, a
// dish code naming several recipes without its dish branch, a dish on no open day's menu, and a
// recipe changed by someone else in the meantime. Returns "" when done, else the refusal text.
// Errors: DbError (nothing written).
std::string swapProduct(db::Database& db, const SwapRequest& request);

}  // namespace server::objects
