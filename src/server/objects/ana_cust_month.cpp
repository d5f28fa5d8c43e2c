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
#include "server/objects/work_table.h"

namespace server::objects {

using platform::roundDec;
using platform::Variant;

namespace {

// A month is at most 31 days; a little slack keeps odd callers working without letting a call
// plan years at once.
constexpr double kMaxRangeDays = 62;

bool countsClients(db::Database& db, const std::string& branch) {
  auto st = db.prepare("SELECT IDCOMCUSPERC FROM PARAMFILIAL WHERE CDFILIAL = ?1");
  st->bindText(1, branch);
  return st->step() && st->text(0) == "C";
}

}  // namespace

Variant AnaCustRevRec::GetTrabCusto(db::Database& db, const CallContext& context,
                                    const Params& params) {
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

  WorkTable work{.branch = branch,
                 .service = service,
                 .operatorCode = context.operatorCode,
                 .first = first,
                 .last = last,
                 .costMode = costMode,
                 .costBranch = effectiveCostBranch(branch, costBranch),
                 .fixedCostDate = useFixed ? std::optional<double>(fixedDate) : std::nullopt};
  auto plan = cost::planMonth(db, branch, service, first, last, costMode, work.costBranch,
                              work.fixedCostDate);
  auto planned = aggregate(plan.lines, false);

  std::string key;
  for (int attempt = 0;; ++attempt) {
    key = env_.newKey();
    work.key = key;
    try {
      storeWorkTable(db, work, env_.nowSeconds());
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

  // The month as its load planned it; planned from the call's own arguments when the work table
  // is gone (released or swept) rather than an empty list for a screen still open.
  WorkTable work;
  if (auto found = findWorkTable(db, key, branch)) {
    work = std::move(*found);
  } else {
    work = WorkTable{.branch = branch,
                     .service = service,
                     .first = first,
                     .last = last,
                     .costMode = costMode,
                     .costBranch = effectiveCostBranch(branch, costBranch),
                     .fixedCostDate = useFixed ? std::optional<double>(fixedDate) : std::nullopt};
  }
  const PlannedProducts planned = plannedProducts(db, work);
  std::vector<std::pair<std::pair<double, std::string>, const PlannedProduct*>> rows;
  for (const auto& [k, p] : planned) {
    if (p.unit.outdated && k.first >= first && k.first <= last)
      rows.push_back({{k.first, p.treeCode}, &p});
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
