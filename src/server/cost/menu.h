// The month's menus, the recipes in force for their dishes and the service's consumption items,
// each loaded with one query for a range of days, and the rounding rules every figure the
// screen adds up follows.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "server/db/database.h"

namespace server::cost {

struct MenuDay {
  double day = 0;
  double estimated = 0;  // QTCOMESTICAR
  double clients = 0;    // QTCLIESTICAR
};

struct MenuDish {
  double day = 0;
  std::string dishBranch;  // CDFILAUXPRAT
  std::string dish;        // CDPRATO
  std::string name;        // NMPRATO
  std::string diet;        // CDDIETPAD
  double diners = 0;       // COMENSPRATO
  double weight = 0;       // VRPECONSCARD
  double count = 0;        // CONT
  double estimated = 0;    // QTCOMESTICAR of the day
  double clients = 0;      // QTCLIESTICAR of the day
};

struct RecipeProduct {
  std::string kind;  // "S" per service, "L" local, "P" standard
  std::string product;
  std::string treeCode;
  std::string name;
  std::string seasons;  // IDINTESAFR
  std::string recipeUnit;
  std::string stockUnit;
  double net = 0;    // QTDERECE as stored
  double gross = 0;  // QTDEBRUTA: RoundDec(net x correction factor, 5)
};

using DishKey = std::pair<std::string, std::string>;  // CDFILAUXPRAT, CDPRATO
using Recipes = std::map<DishKey, std::vector<RecipeProduct>>;

// Menu days of the branch's service in [from, to], by day.
std::vector<MenuDay> loadMenuDays(db::Database& db, const std::string& branch,
                                  const std::string& service, double from, double to);
// Menu dishes in [from, to] ordered by day, CDFILAUXPRAT, CDPRATO.
std::vector<MenuDish> loadMenuDishes(db::Database& db, const std::string& branch,
                                     const std::string& service, double from, double to);
// The recipe in force for every dish on the menu in [from, to]: the per-service recipe when it
// has products, else the branch's local recipe, else the standard one. Products by CDARVPROD.
Recipes loadRecipesInForce(db::Database& db, const std::string& branch, const std::string& service,
                           double from, double to);

struct ConsumptionItem {
  std::string type;      // CDTPRCONSFIX
  std::string typeName;  // NMTIPOPRAT
  std::string kind;      // TPCONS: "P" per diner, "F" fixed
  double target = 0;     // VRCUSTPADRTP
  int dayType = 0;       // 1 Sunday .. 7 Saturday, 8 holiday
  std::string product;
  std::string treeCode;
  std::string name;
  std::string unit;
  double quantity = 0;  // QTCONSSERV
};

// Consumption items of the branch's service, all day types (dayType 0) or one; ordered by day
// type, type code and product tree code.
std::vector<ConsumptionItem> loadConsumption(db::Database& db, const std::string& branch,
                                             const std::string& service, int dayType = 0);

// The branch's holidays in [from, to].
std::set<double> loadHolidays(db::Database& db, const std::string& branch, double from, double to);
// 8 on a holiday, else the weekday (1 Sunday .. 7 Saturday).
int dayTypeOf(double day, const std::set<double>& holidays);

// RoundDec(net x factor, 5).
double grossQuantity(double net, double factor);
// The quantity a recipe line needs for the dish's diners: RoundDec(gross x diners, 5).
double lineQuantity(double gross, double diners);
// RoundDec(unit cost x lineQuantity, 5): what the screen shows as the product's total.
double lineCost(double unitCost, double gross, double diners);
// The quantity of a consumption item on a day: RoundDec(quantity x m, 5) with m the day's
// estimated diners for per-diner items and 1 for fixed ones.
double consumptionQuantity(const std::string& kind, double quantity, double estimated);
double consumptionCost(double unitCost, const std::string& kind, double quantity, double estimated);

}  // namespace server::cost
