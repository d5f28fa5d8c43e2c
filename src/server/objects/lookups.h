// Lookups the remote objects share: branches and their closed days, products and whether a
// recipe may use them, operators' rights and parameters.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "server/db/database.h"

namespace server::objects {

// The branch's processing date, or nullopt for an unknown branch.
std::optional<double> processingDate(db::Database& db, const std::string& branch);
bool serviceExists(db::Database& db, const std::string& branch, const std::string& service);
// PARAMGERAL.QTDIABLOQCAR (0 when not configured).
double blockDays(db::Database& db);
// The first open day of the branch: processing date + QTDIABLOQCAR; days before it are closed.
// nullopt for an unknown branch.
std::optional<double> blockDate(db::Database& db, const std::string& branch);

// PARAMGERAL.CDGRUPPROD, the product group recipe products must belong to; "" when none is
// configured (empty or blank).
std::string productGroup(db::Database& db);

struct ProductInfo {
  std::string code;  // CDPRODUTO
  std::string treeCode;
  int level = 0;
  std::string name;
  std::string complement;
  std::string unit;
  std::string stockProduct;  // "" for tree nodes
  double factor = 1;
  std::string seasons;
  bool active = false;
  bool controlsStock = false;
  std::string group;
  bool activeInBranch = false;  // registered and active for the branch asked about
};

std::optional<ProductInfo> productByCode(db::Database& db, std::string_view code,
                                         const std::string& branch);
std::optional<ProductInfo> productByTreeCode(db::Database& db, std::string_view treeCode,
                                             const std::string& branch);

// "" when a recipe of the branch may use the product, else the catalogue key of the refusal:
// prod_inativo (unknown, inactive or not active for the branch), prod_compr (a purchase
// product), prod_n_ctrl_est (does not control stock).
std::string recipeProductRefusal(const std::optional<ProductInfo>& product);
// The catalogue text of a refusal key of recipeProductRefusal.
std::string refusalText(const std::string& key);

// Whether the operator (active) holds the right `action` of kind `kind`.
bool hasRight(db::Database& db, std::string_view operatorCode, int kind, std::string_view action);
// 1 when the operator holds the parameter, -1 when it is denied or the operator is unknown or
// inactive, 0 when it is not set.
int operatorParam(db::Database& db, std::string_view operatorCode, std::string_view param);

}  // namespace server::objects
