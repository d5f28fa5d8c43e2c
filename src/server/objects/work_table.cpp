#include "server/objects/work_table.h"

#include "platform/format.h"

namespace server::objects {

PlannedProducts aggregate(const std::vector<cost::PlannedLine>& lines, bool recipeOnly) {
  PlannedProducts byDayProduct;
  for (const auto& line : lines) {
    if (recipeOnly && !line.fromRecipe) continue;
    auto& entry = byDayProduct[{line.day, line.product}];
    entry.code = line.product;
    entry.treeCode = line.treeCode;
    entry.name = line.name;
    entry.quantity += line.quantity;
    entry.unit = line.unit;
  }
  for (auto& [key, entry] : byDayProduct)
    entry.quantity = platform::roundDec(entry.quantity, 5);
  return byDayProduct;
}

void storeWorkTable(db::Database& db, const WorkTable& table, int64_t nowSeconds) {
  db::Transaction tx(db);
  auto head = db.prepare(
      "INSERT INTO CONSPLANCHAVE (CDCONSPLAN, CDFILIAL, CDSERVFILI, DTCRIACAO, CDOPERADOR,"
      " DTINICIO, DTFIM, TPCUSTO, CDFILCUSTO, DTCUSTOFIXA)"
      " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
  head->bindText(1, table.key);
  head->bindText(2, table.branch);
  head->bindText(3, table.service);
  head->bindInt(4, nowSeconds);
  head->bindText(5, table.operatorCode);
  head->bindReal(6, table.first);
  head->bindReal(7, table.last);
  head->bindInt(8, table.costMode);
  head->bindText(9, table.costBranch);
  if (table.fixedCostDate) {
    head->bindReal(10, *table.fixedCostDate);
  } else {
    head->bindNull(10);
  }
  head->run();
  // A screen keeps one work table at a time; more belong to screens closed without releasing
  // theirs, and the oldest go first.
  auto excess = db.prepare(
      "DELETE FROM CONSPLANCHAVE WHERE CDOPERADOR = ?1 AND CDCONSPLAN <> ?2"
      " AND CDCONSPLAN NOT IN (SELECT CDCONSPLAN FROM CONSPLANCHAVE"
      "  WHERE CDOPERADOR = ?1 AND CDCONSPLAN <> ?2"
      "  ORDER BY DTCRIACAO DESC, CDCONSPLAN LIMIT ?3)");
  excess->bindText(1, table.operatorCode);
  excess->bindText(2, table.key);
  excess->bindInt(3, kMaxWorkTablesPerOperator - 1);
  excess->run();
  tx.commit();
}

std::optional<WorkTable> findWorkTable(db::Database& db, const std::string& key,
                                       const std::string& branch) {
  if (key.empty()) return std::nullopt;
  auto st = db.prepare(
      "SELECT CDSERVFILI, CDOPERADOR, DTINICIO, DTFIM, TPCUSTO, CDFILCUSTO, DTCUSTOFIXA"
      " FROM CONSPLANCHAVE WHERE CDCONSPLAN = ?1 AND CDFILIAL = ?2");
  st->bindText(1, key);
  st->bindText(2, branch);
  if (!st->step()) return std::nullopt;
  WorkTable table;
  table.key = key;
  table.branch = branch;
  table.service = st->text(0);
  table.operatorCode = st->text(1);
  table.first = st->real(2);
  table.last = st->real(3);
  table.costMode = static_cast<int>(st->integer(4));
  table.costBranch = st->text(5);
  if (!st->isNull(6)) table.fixedCostDate = st->real(6);
  return table;
}

PlannedProducts plannedProducts(db::Database& db, const WorkTable& table) {
  auto plan = cost::planMonth(db, table.branch, table.service, table.first, table.last,
                              table.costMode, table.costBranch, table.fixedCostDate);
  return aggregate(plan.lines, false);
}

}  // namespace server::objects
