#include "server/objects/day_products.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "server/cost/menu.h"
#include "server/cost/unit_cost.h"
#include "server/objects/packets.h"

namespace server::objects {

platform::DataPacket dayProducts(db::Database& db, const std::string& branch,
                                 const std::string& service, double day, int costMode,
                                 double costDate, double monthStart,
                                 const std::string& costBranch) {
  auto dishes = cost::loadMenuDishes(db, branch, service, day, day);
  auto recipes = cost::loadRecipesInForce(db, branch, service, day, day);
  std::vector<std::string> products;
  for (const auto& [dish, lines] : recipes) {
    for (const auto& line : lines)
      products.push_back(line.product);
  }
  // One window holds both dates when they are close (the usual case); a fixed cost date far
  // away gets a window of its own rather than years of quotations.
  double close = monthStart - 1;
  bool together = std::abs(costDate - close) <= 62;
  cost::CostResolver current(db, costBranch, costMode,
                             together ? std::min(costDate, close) : costDate,
                             together ? std::max(costDate, close) : costDate, products);
  std::optional<cost::CostResolver> separate;
  if (!together) separate.emplace(db, costBranch, costMode, close, close, products);
  const cost::CostResolver& previous = together ? current : *separate;

  auto packet = packets::produto();
  for (const auto& dish : dishes) {
    auto recipe = recipes.find({dish.dishBranch, dish.dish});
    if (recipe == recipes.end()) continue;
    for (const auto& p : recipe->second) {
      cost::UnitCost now = current.at(p.product, costDate);
      cost::UnitCost before = previous.at(p.product, monthStart - 1);
      packet.rows.push_back(
          {packets::text(p.treeCode), packets::text(p.name), packets::text(p.product),
           packets::text(dish.dish), packets::text(dish.dishBranch), packets::text(p.seasons),
           packets::num(p.net), packets::text(p.recipeUnit), packets::num(p.gross),
           packets::text(p.stockUnit), packets::day(dish.day), packets::num(before.value),
           packets::num(now.value), packets::text(p.kind), packets::flag(now.outdated)});
    }
  }
  return packet;
}

}  // namespace server::objects
