// The planned costs of a service over a range of days (a month): per day raw material,
// consumption and indirect costs, and every planned product line with its unit cost. Loaded with
// a fixed number of queries whatever the number of dishes and products.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "server/cost/unit_cost.h"
#include "server/db/database.h"

namespace server::cost {

struct PlannedLine {
  double day = 0;
  std::string product;
  std::string treeCode;
  std::string name;
  double quantity = 0;  // rounded as the screen rounds the line's total quantity
  double cost = 0;      // rounded as the screen rounds the line's total cost
  UnitCost unit;
  bool fromRecipe = true;  // false: a consumption item
};

struct DayCost {
  double day = 0;
  bool hasMenu = false;
  double estimated = 0;    // QTCOMESTICAR
  double clients = 0;      // QTCLIESTICAR
  double material = 0;     // VRCUSTPRODMAT, RoundDec 5 of the lines' sum
  double consumption = 0;  // VRCUSTOCONS
  double indirect = 0;     // VRCUSTORAT
};

struct MonthPlan {
  std::vector<DayCost> days;  // every day of [from, to]
  std::vector<PlannedLine> lines;
};

// Plans the branch's service for the days [from, to]. Costs come from `costBranch` in
// `costMode`, taken on each day or, with a fixed date, on that date.
// REQUIRES: from <= to; isKnownCostMode(costMode). Errors: DbError.
MonthPlan planMonth(db::Database& db, const std::string& branch, const std::string& service,
                    double from, double to, int costMode, const std::string& costBranch,
                    std::optional<double> fixedCostDate);

}  // namespace server::cost
