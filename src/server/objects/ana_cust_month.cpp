// The month: daily costs with the work table, its release and sweep, and the two exception lists.
#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "platform/format.h"
#include "server/cost/month_plan.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server/objects/args.h"
#include "server/objects/context_checks.h"
#include "server/objects/messages.h"
#include "server/objects/packets.h"

namespace server::objects {

using platform::roundDec;
using platform::Variant;

namespace {

// A month is at most 31 days; a little slack keeps odd callers working without letting a call
// plan years at once.
constexpr double kMaxRangeDays = 62;

struct PlannedProduct {
  std::string code;
  std::string treeCode;
  std::string name;
  double quantity = 0;
  cost::UnitCost unit;
};
using PlannedKey = std::pair<double, std::string>;  // day, product

std::map<PlannedKey, PlannedProduct> aggregate(const std::vector<cost::PlannedLine>& lines,
                                               bool recipeOnly) {
  std::map<PlannedKey, PlannedProduct> byDayProduct;
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
    entry.quantity = roundDec(entry.quantity, 5);
  return byDayProduct;
}

bool countsClients(db::Database& db, const std::string& branch) {
  auto st = db.prepare("SELECT IDCOMCUSPERC FROM PARAMFILIAL WHERE CDFILIAL = ?1");
  st->bindText(1, branch);
  return st->step() && st->text(0) == "C";
}

void storeWorkTable(db::Database& db, const std::string& key, const std::string& branch,
                    const std::string& service, int64_t now,
                    const std::map<PlannedKey, PlannedProduct>& planned) {
  db::Transaction tx(db);
  auto head = db.prepare(
      "INSERT INTO CONSPLANCHAVE (CDCONSPLAN, CDFILIAL, CDSERVFILI, DTCRIACAO)"
      " VALUES (?1, ?2, ?3, ?4)");
  head->bindText(1, key);
  head->bindText(2, branch);
  head->bindText(3, service);
  head->bindInt(4, now);
  head->run();

  // Rows go in batches of multi-row inserts rather than one statement per product.
  constexpr size_t kBatch = 100;
  constexpr int kColumns = 8;
  std::vector<const std::pair<const PlannedKey, PlannedProduct>*> rows;
  for (const auto& entry : planned)
    rows.push_back(&entry);
  for (size_t start = 0; start < rows.size(); start += kBatch) {
    size_t count = std::min(kBatch, rows.size() - start);
    std::string sql =
        "INSERT INTO CONSPLAN (CDCONSPLAN, DTCONSPLAN, CDPRODUTO, QTCONSPLAN, CUSTOPROD,"
        " IDCUSTODESATU, DTCUSTOSUP, DTFINCUSTSUP) VALUES ";
    for (size_t i = 0; i < count; ++i) {
      int base = static_cast<int>(i) * kColumns;
      sql += i > 0 ? ", (" : "(";
      for (int c = 1; c <= kColumns; ++c) {
        sql += "?" + std::to_string(base + c) + (c < kColumns ? ", " : ")");
      }
    }
    auto st = db.prepare(sql);
    for (size_t i = 0; i < count; ++i) {
      const auto& [k, p] = *rows[start + i];
      int base = static_cast<int>(i) * kColumns;
      st->bindText(base + 1, key);
      st->bindReal(base + 2, k.first);
      st->bindText(base + 3, k.second);
      st->bindReal(base + 4, p.quantity);
      st->bindReal(base + 5, p.unit.value);
      st->bindText(base + 6, p.unit.outdated ? "S" : "N");
      if (p.unit.hasValidity) {
        st->bindReal(base + 7, p.unit.validFrom);
        st->bindReal(base + 8, p.unit.validTo);
      } else {
        st->bindNull(base + 7);
        st->bindNull(base + 8);
      }
    }
    st->run();
  }
  tx.commit();
}

}  // namespace

Variant AnaCustRevRec::GetTrabCusto(db::Database& db, const CallContext&, const Params& params) {
  Args args("GetTrabCusto", params, 10);
  std::string branch = args.text(0);
  std::string service = args.text(1);
  double first = args.day(2);
  double last = args.day(3);
  int costMode = args.integer(4);
  bool useFixed = args.boolean(6);
  double fixedDate = args.day(7);
  std::string costBranch = args.text(8);

  std::string refusal = checkCostContext(db, branch, service, costMode, costBranch);
  if (!refusal.empty()) return Variant(refusal);
  if (last < first || last - first > kMaxRangeDays) return Variant(msg::kPeriodoInvalido);

  auto plan = cost::planMonth(db, branch, service, first, last, costMode,
                              effectiveCostBranch(branch, costBranch),
                              useFixed ? std::optional<double>(fixedDate) : std::nullopt);
  auto planned = aggregate(plan.lines, false);

  std::string key;
  for (int attempt = 0;; ++attempt) {
    key = env_.newKey();
    try {
      storeWorkTable(db, key, branch, service, env_.nowSeconds(), planned);
      break;
    } catch (const db::DbError&) {
      // A key already taken is the only failure worth a second try.
      auto st = db.prepare("SELECT 1 FROM CONSPLANCHAVE WHERE CDCONSPLAN = ?1");
      st->bindText(1, key);
      if (attempt >= 3 || !st->step()) throw;
    }
  }

  bool clients = countsClients(db, branch);
  auto table = packets::trabCusto();
  double accCost = 0, accDiners = 0, sumMaterial = 0, sumConsumption = 0;
  for (const auto& day : plan.days) {
    // The running values as the screen recomputes them on load.
    double diners = clients ? day.clients : day.estimated;
    double total = day.material + (day.consumption + day.indirect);
    accCost = total + accCost;
    accDiners = diners + accDiners;
    sumMaterial += day.material;
    sumConsumption += day.consumption;
    double average = accDiners != 0 ? roundDec(accCost / accDiners, 5) : 0.0;
    table.rows.push_back(
        {packets::day(day.day), packets::num(day.material), packets::num(day.consumption),
         packets::num(day.indirect), packets::num(day.estimated), packets::num(day.clients),
         packets::num(accCost), packets::num(roundDec(sumConsumption, 5)),
         packets::num(roundDec(sumMaterial, 5)), packets::num(average), packets::num(accDiners)});
  }
  std::set<double> outdatedDays;
  for (const auto& [k, p] : planned) {
    if (p.unit.outdated) outdatedDays.insert(k.first);
  }
  auto outdated = packets::preCotDesatu();
  for (double d : outdatedDays)
    outdated.rows.push_back({packets::day(d)});

  return Variant::array({Variant(key), Variant(std::move(table)), Variant(std::move(outdated))});
}

Variant AnaCustRevRec::DelConsplan(db::Database& db, const CallContext&, const Params& params) {
  Args args("DelConsplan", params, 2);
  std::string key = args.text(0);
  std::string branch = args.text(1);
  if (key.empty()) return Variant("");
  db::Transaction tx(db);
  // CONSPLAN rows go with their key (ON DELETE CASCADE).
  auto st = db.prepare("DELETE FROM CONSPLANCHAVE WHERE CDCONSPLAN = ?1 AND CDFILIAL = ?2");
  st->bindText(1, key);
  st->bindText(2, branch);
  st->run();
  tx.commit();
  return Variant("");
}

int64_t AnaCustRevRec::sweepWorkTables(db::Database& db) {
  // Servers sharing a database sweep the same rows: one at a time, and the others skip their turn
  // rather than wait for rows that are going anyway.
  db::Transaction tx(db);
  auto lock = db.prepare(db.dialect().tryTaskLock(kSweepLock));
  if (!lock->step() || lock->integer(0) != 1) return 0;
  lock->reset();
  auto st = db.prepare("DELETE FROM CONSPLANCHAVE WHERE DTCRIACAO < ?1");
  st->bindInt(1, env_.nowSeconds() - kWorkTableLifetimeSeconds);
  st->run();
  int64_t swept = db.changes();
  tx.commit();
  return swept;
}

Variant AnaCustRevRec::GetProdCustZero(db::Database& db, const CallContext&, const Params& params) {
  Args args("GetProdCustZero", params, 8);
  std::string costBranch = args.text(0);
  int costMode = args.integer(1);
  double fixedDate = args.day(2);
  std::string branch = args.text(3);
  std::string service = args.text(4);
  double first = args.day(5);
  double last = args.day(6);
  bool useFixed = args.boolean(7);

  std::string refusal = checkCostContext(db, branch, service, costMode, costBranch);
  if (!refusal.empty()) return Variant(refusal);
  if (last < first || last - first > kMaxRangeDays) return Variant(msg::kPeriodoInvalido);

  auto plan = cost::planMonth(db, branch, service, first, last, costMode,
                              effectiveCostBranch(branch, costBranch),
                              useFixed ? std::optional<double>(fixedDate) : std::nullopt);
  std::vector<std::tuple<double, std::string, std::string, PlannedProduct>> rows;
  for (const auto& [k, p] : aggregate(plan.lines, true)) {
    if (p.unit.value == 0) rows.emplace_back(k.first, p.treeCode, k.second, p);
  }
  // By day, then by product tree code.
  std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
    return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
  });
  auto packet = packets::prodCustZero();
  for (const auto& [day, tree, code, p] : rows) {
    packet.rows.push_back({packets::text(tree), packets::text(code), packets::text(p.name),
                           packets::day(day), packets::num(0.0), packets::num(p.quantity)});
  }
  return Variant(std::move(packet));
}

Variant AnaCustRevRec::GetProdCotDesatu(db::Database& db, const CallContext&,
                                        const Params& params) {
  Args args("GetProdCotDesatu", params, 9);
  std::string key = args.text(0);
  std::string branch = args.text(1);
  std::string costBranch = args.text(2);
  std::string service = args.text(3);
  int costMode = args.integer(4);
  double first = args.day(5);
  double last = args.day(6);
  double fixedDate = args.day(7);
  bool useFixed = args.boolean(8);

  std::string refusal = checkCostContext(db, branch, service, costMode, costBranch);
  if (!refusal.empty()) return Variant(refusal);
  if (last < first || last - first > kMaxRangeDays) return Variant(msg::kPeriodoInvalido);

  auto packet = packets::prodCotDesatu();
  auto addRow = [&](double day, const std::string& code, const std::string& tree,
                    const std::string& name, double quantity, double unit, bool hasValidity,
                    double from, double to) {
    packet.rows.push_back({packets::day(day), packets::text(code), packets::text(tree),
                           packets::text(name), packets::num(quantity), packets::num(unit),
                           hasValidity ? packets::day(from) : Variant::null(),
                           hasValidity ? packets::day(to) : Variant::null()});
  };

  auto head = db.prepare("SELECT 1 FROM CONSPLANCHAVE WHERE CDCONSPLAN = ?1 AND CDFILIAL = ?2");
  head->bindText(1, key);
  head->bindText(2, branch);
  if (!key.empty() && head->step()) {
    auto st = db.prepare(
        "SELECT C.DTCONSPLAN, C.CDPRODUTO, P.CDARVPROD, P.NMPRODUTO, C.QTCONSPLAN, C.CUSTOPROD,"
        " C.DTCUSTOSUP, C.DTFINCUSTSUP"
        " FROM CONSPLAN C JOIN PRODUTO P ON P.CDPRODUTO = C.CDPRODUTO"
        " WHERE C.CDCONSPLAN = ?1 AND C.IDCUSTODESATU = 'S' AND C.DTCONSPLAN >= ?2"
        " AND C.DTCONSPLAN <= ?3 ORDER BY C.DTCONSPLAN, P.CDARVPROD");
    st->bindText(1, key);
    st->bindReal(2, first);
    st->bindReal(3, last);
    while (st->step()) {
      addRow(st->real(0), st->text(1), st->text(2), st->text(3), st->real(4), st->real(5),
             !st->isNull(6), st->real(6), st->real(7));
    }
    return Variant(std::move(packet));
  }
  // The work table is gone (released or swept): plan the month again rather than answer an
  // empty list for a screen still open.
  auto plan = cost::planMonth(db, branch, service, first, last, costMode,
                              effectiveCostBranch(branch, costBranch),
                              useFixed ? std::optional<double>(fixedDate) : std::nullopt);
  std::vector<std::pair<std::pair<double, std::string>, const PlannedProduct*>> rows;
  auto planned = aggregate(plan.lines, false);
  for (const auto& [k, p] : planned) {
    if (p.unit.outdated) rows.push_back({{k.first, p.treeCode}, &p});
  }
  std::sort(rows.begin(), rows.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [k, p] : rows) {
    addRow(k.first, p->code, p->treeCode, p->name, p->quantity, p->unit.value, p->unit.hasValidity,
           p->unit.validFrom, p->unit.validTo);
  }
  return Variant(std::move(packet));
}

}  // namespace server::objects
