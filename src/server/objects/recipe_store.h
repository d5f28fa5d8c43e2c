// Reading and writing the three recipe kinds through one interface, and the ingredient swap both
// swap methods share.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
  // Replaces `product`'s line by `newProduct` with `line` while the line still holds `original`
  // and, when `newProduct` differs, the recipe does not hold `newProduct` yet.
  bool updateUnchanged(const RecipeTarget& target, const std::string& product,
                       const RecipeLine& original, const std::string& newProduct,
                       const RecipeLine& line);
  // Deletes `product`'s line while it still holds `original`.
  bool removeUnchanged(const RecipeTarget& target, const std::string& product,
                       const RecipeLine& original);

  // Replaces `product`'s line by `newProduct` with `line`, whatever it holds.
  // REQUIRES: the line exists.
  void update(const RecipeTarget& target, const std::string& product, const std::string& newProduct,
              const RecipeLine& line);

 private:
  db::Database& db_;
};

// Swaps `oldProduct` for its optional `newProduct` in the `kind` recipe (Local or PerService) of
// every dish `dish` of the branch (and service), in one transaction. Returns "" when done, else
// the refusal text, with nothing written. Errors: DbError (nothing written).
std::string swapProduct(db::Database& db, RecipeKind kind, const std::string& dish,
                        const std::string& branch, const std::string& service,
                        const std::string& oldProduct, const std::string& newProduct,
                        const std::string& unit);

}  // namespace server::objects
