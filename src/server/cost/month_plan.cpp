#include "server/cost/month_plan.h"

#include <map>
#include <string>
#include <vector>

#include "platform/date.h"
#include "platform/format.h"
#include "server/cost/menu.h"

namespace server::cost {

using platform::roundDec;

namespace {

double indirectAmount(db::Database& db, const std::string& branch, const std::string& service,
                      double from) {
  platform::Ymd ymd = platform::decodeDate(from);
  auto st = db.prepare(
      "SELECT VRRATEIO FROM RATEIO WHERE CDFILIAL = ?1 AND CDSERVFILI = ?2 AND DTMESRAT = ?3");
  st->bindText(1, branch);
  st->bindText(2, service);
  st->bindReal(3, platform::encodeDate(ymd.year, ymd.month, 1));
  return st->step() ? st->real(0) : 0.0;
}

}  // namespace

MonthPlan planMonth(db::Database& db, const std::string& branch, const std::string& service,
                    double from, double to, int costMode, const std::string& costBranch,
                    std::optional<double> fixedCostDate) {
  MonthPlan plan;
  auto menuDays = loadMenuDays(db, branch, service, from, to);
  auto dishes = loadMenuDishes(db, branch, service, from, to);
  auto recipes = loadRecipesInForce(db, branch, service, from, to);
  auto items = loadConsumption(db, branch, service);
  auto holidays = loadHolidays(db, branch, from, to);
  double indirect = indirectAmount(db, branch, service, from);
  std::vector<std::string> products;
  for (const auto& [dish, lines] : recipes) {
    for (const auto& line : lines)
      products.push_back(line.product);
  }
  for (const auto& item : items)
    products.push_back(item.product);
  CostResolver costs(db, costBranch, costMode, fixedCostDate.value_or(from),
                     fixedCostDate.value_or(to), products);

  std::map<double, size_t> dayIndex;
  double monthDiners = 0;
  for (double d = from; d <= to; d += 1) {
    dayIndex[d] = plan.days.size();
    plan.days.push_back({d});
  }
  for (const auto& md : menuDays) {
    auto it = dayIndex.find(md.day);
    if (it == dayIndex.end()) continue;
    DayCost& dc = plan.days[it->second];
    dc.hasMenu = true;
    dc.estimated = md.estimated;
    dc.clients = md.clients;
    monthDiners += md.estimated;
  }

  // Sums follow the screen's order (dishes, then their products) and stay unrounded until stored.
  std::vector<double> material(plan.days.size(), 0.0);
  std::vector<double> consumption(plan.days.size(), 0.0);
  for (const auto& dish : dishes) {
    auto recipe = recipes.find({dish.dishBranch, dish.dish});
    if (recipe == recipes.end()) continue;
    size_t index = dayIndex.at(dish.day);
    double costDate = fixedCostDate.value_or(dish.day);
    for (const auto& product : recipe->second) {
      PlannedLine line;
      line.day = dish.day;
      line.product = product.product;
      line.treeCode = product.treeCode;
      line.name = product.name;
      line.unit = costs.at(product.product, costDate);
      line.quantity = lineQuantity(product.gross, dish.diners);
      line.cost = lineCost(line.unit.value, product.gross, dish.diners);
      material[index] += line.cost;
      plan.lines.push_back(std::move(line));
    }
  }
  for (size_t i = 0; i < plan.days.size(); ++i) {
    DayCost& dc = plan.days[i];
    if (!dc.hasMenu) continue;
    int type = dayTypeOf(dc.day, holidays);
    double costDate = fixedCostDate.value_or(dc.day);
    for (const auto& item : items) {
      if (item.dayType != type) continue;
      PlannedLine line;
      line.day = dc.day;
      line.product = item.product;
      line.treeCode = item.treeCode;
      line.name = item.name;
      line.fromRecipe = false;
      line.unit = costs.at(item.product, costDate);
      line.quantity = consumptionQuantity(item.kind, item.quantity, dc.estimated);
      line.cost = consumptionCost(line.unit.value, item.kind, item.quantity, dc.estimated);
      consumption[i] += line.cost;
      plan.lines.push_back(std::move(line));
    }
    dc.material = roundDec(material[i], 5);
    dc.consumption = roundDec(consumption[i], 5);
    dc.indirect = monthDiners > 0 ? roundDec(indirect * dc.estimated / monthDiners, 5) : 0.0;
  }
  return plan;
}

}  // namespace server::cost
