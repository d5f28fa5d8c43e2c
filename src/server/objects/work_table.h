// The work table of a month load. GetTrabCusto keeps one CONSPLANCHAVE row under its key with what
// the month's lists need to plan the month again (branch, service, period, cost mode, cost branch,
// fixed cost date); the lists compute the planned products from it when asked. A load thus writes
// one small row instead of a row per day and product, and an abandoned screen leaves one row until
// the sweep.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "server/cost/month_plan.h"
#include "server/db/database.h"

namespace server::objects {

// Work tables one operator keeps at most; a load past it drops the operator's oldest.
inline constexpr int kMaxWorkTablesPerOperator = 8;

struct WorkTable {
  std::string key;  // CDCONSPLAN, 10 characters
  std::string branch;
  std::string service;
  std::string operatorCode;  // who loaded it
  double first = 0;
  double last = 0;
  int costMode = 0;
  std::string costBranch;  // where costs come from (the branch itself when not another)
  std::optional<double> fixedCostDate;
};

// One planned product of one day: the recipes' and consumption items' lines added up.
struct PlannedProduct {
  std::string code;
  std::string treeCode;
  std::string name;
  double quantity = 0;  // rounded to 5 decimals
  cost::UnitCost unit;
};
using PlannedKey = std::pair<double, std::string>;  // day, product code
using PlannedProducts = std::map<PlannedKey, PlannedProduct>;

// The lines of `lines` added up per day and product; recipe lines only when `recipeOnly`.
PlannedProducts aggregate(const std::vector<cost::PlannedLine>& lines, bool recipeOnly);

// Records `table` created at `nowSeconds` and drops the operator's oldest work tables beyond
// kMaxWorkTablesPerOperator, in one short transaction. Errors: DbError (e.g. the key is taken).
void storeWorkTable(db::Database& db, const WorkTable& table, int64_t nowSeconds);

// The work table of `key` for `branch`; nullopt when released, swept or of another branch.
// Errors: DbError.
std::optional<WorkTable> findWorkTable(db::Database& db, const std::string& key,
                                       const std::string& branch);

// The planned products of every day of the work table, as its load planned them.
// REQUIRES: table's cost mode is known. Errors: DbError.
PlannedProducts plannedProducts(db::Database& db, const WorkTable& table);

}  // namespace server::objects
