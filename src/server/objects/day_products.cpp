#include "server/objects/day_products.h"

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
  // Two single-day windows: the cost date may lie far from the previous month's close.
  cost::CostResolver current(db, costBranch, costMode, costDate, costDate);
  cost::CostResolver previous(db, costBranch, costMode, monthStart - 1, monthStart - 1);

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
