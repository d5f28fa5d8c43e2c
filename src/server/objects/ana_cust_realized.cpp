// Realized costs: stock withdrawals of the service valued by the realized-cost mode, and the
// diners actually served.
#include <map>
#include <string>
#include <vector>

#include "platform/format.h"
#include "server/cost/unit_cost.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server/objects/args.h"
#include "server/objects/context_checks.h"
#include "server/objects/messages.h"
#include "server/objects/packets.h"

namespace server::objects {

using platform::roundDec;
using platform::Variant;

namespace {

// calcMode 1: the unit cost recorded with the withdrawal; 2: the average stock cost of the day
// (or of the fixed cost date).
constexpr int kRecordedCost = 1;
constexpr int kAverageCost = 2;

struct Withdrawal {
  double day = 0;
  std::string product;
  std::string name;
  std::string unit;
  double quantity = 0;
  double unitCost = 0;
};

struct Served {
  double total = 0;
  double clients = 0;
};

struct Realized {
  std::vector<Withdrawal> withdrawals;  // by day, product tree code
  std::map<double, Served> served;
};

// Reads the month's withdrawals and served diners, valuing each withdrawal. Returns a refusal
// text in `refusal` when the arguments are unusable.
Realized loadRealized(db::Database& db, const Args& args, std::string* refusal) {
  std::string branch = args.text(0);
  std::string service = args.text(1);
  double first = monthFirstDay(args.day(2));
  double last = monthLastDay(first);
  int calcMode = args.integer(3);
  bool useFixed = args.boolean(4);
  double fixedDate = args.day(5);
  std::string costBranch = effectiveCostBranch(branch, args.text(6));
  Realized r;
  *refusal = checkCostContext(db, branch, service, 10, args.text(6));
  if (refusal->empty() && calcMode != kRecordedCost && calcMode != kAverageCost) {
    *refusal = msg::kModoCalculoInvalido + std::to_string(calcMode);
  }
  if (!refusal->empty()) return r;

  auto st = db.prepare(
      "SELECT R.DTRETIRADA, R.CDPRODUTO, P.NMPRODUTO, P.SGUNIDADE, R.QTRETIRADA, R.VRCUSTOUNIT"
      " FROM RETIRADA R JOIN PRODUTO P ON P.CDPRODUTO = R.CDPRODUTO"
      " WHERE R.CDFILIAL = ?1 AND R.CDSERVFILI = ?2 AND R.DTRETIRADA >= ?3 AND R.DTRETIRADA <= ?4"
      " ORDER BY R.DTRETIRADA, P.CDARVPROD");
  st->bindText(1, branch);
  st->bindText(2, service);
  st->bindReal(3, first);
  st->bindReal(4, last);
  while (st->step()) {
    r.withdrawals.push_back(
        {st->real(0), st->text(1), st->text(2), st->text(3), st->real(4), st->real(5)});
  }
  if (calcMode == kAverageCost) {
    double from = useFixed ? fixedDate : first;
    double to = useFixed ? fixedDate : last;
    std::vector<std::string> products;
    for (const auto& w : r.withdrawals)
      products.push_back(w.product);
    cost::CostResolver average(db, costBranch, 10, from, to, products);
    for (auto& w : r.withdrawals)
      w.unitCost = average.at(w.product, useFixed ? fixedDate : w.day).value;
  } else {
    for (auto& w : r.withdrawals)
      w.unitCost = roundDec(w.unitCost, 5);
  }

  auto served = db.prepare(
      "SELECT DTCARDAPIO, QTCOMEFETCAR, QTCLIEFETCAR FROM COMENSEFET"
      " WHERE CDFILIAL = ?1 AND CDSERVFILI = ?2 AND DTCARDAPIO >= ?3 AND DTCARDAPIO <= ?4");
  served->bindText(1, branch);
  served->bindText(2, service);
  served->bindReal(3, first);
  served->bindReal(4, last);
  while (served->step())
    r.served[served->real(0)] = {served->real(1), served->real(2)};
  return r;
}

}  // namespace

Variant AnaCustRevRec::GetRealizado(db::Database& db, const CallContext&, const Params& params) {
  Args args("GetRealizado", params, 7);
  std::string refusal;
  Realized r = loadRealized(db, args, &refusal);
  if (!refusal.empty()) return Variant(refusal);

  struct Day {
    double quantity = 0;
    double cost = 0;
  };
  std::map<double, Day> days;
  for (const auto& [day, s] : r.served)
    days[day];
  for (const auto& w : r.withdrawals) {
    Day& d = days[w.day];
    d.quantity += w.quantity;
    d.cost += w.unitCost * w.quantity;
  }
  auto packet = packets::realizado();
  double accCost = 0, accDiners = 0;
  for (const auto& [day, d] : days) {
    auto s = r.served.find(day);
    double diners = s == r.served.end() ? 0.0 : s->second.total;
    double cost = roundDec(d.cost, 5);
    accCost += cost;
    accDiners += diners;
    double storedCost = roundDec(accCost, 5);
    double storedDiners = roundDec(accDiners, 5);
    packet.rows.push_back(
        {packets::day(day), packets::num(diners), packets::num(roundDec(d.quantity, 5)),
         packets::num(cost), packets::num(storedCost), packets::num(storedDiners),
         packets::num(storedDiners != 0 ? roundDec(storedCost / storedDiners, 5) : 0.0)});
  }
  return Variant(std::move(packet));
}

Variant AnaCustRevRec::GetItemReti(db::Database& db, const CallContext&, const Params& params) {
  Args args("GetItemReti", params, 7);
  std::string refusal;
  Realized r = loadRealized(db, args, &refusal);
  if (!refusal.empty()) return Variant(refusal);
  auto packet = packets::itemReti();
  for (const auto& w : r.withdrawals) {
    auto s = r.served.find(w.day);
    Served served = s == r.served.end() ? Served{} : s->second;
    packet.rows.push_back({packets::text(w.name), packets::text(w.unit), packets::num(w.unitCost),
                           packets::num(w.quantity), packets::num(served.total),
                           packets::num(served.clients), packets::text(w.product),
                           packets::day(w.day)});
  }
  return Variant(std::move(packet));
}

}  // namespace server::objects
