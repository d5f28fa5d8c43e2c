// Branch, planning and general parameters, standard cost and planned diners.
#include "platform/format.h"
#include "server/cost/menu.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server/objects/args.h"
#include "server/objects/context_checks.h"
#include "server/objects/packets.h"

namespace server::objects {

using platform::Variant;

Variant AnaCustRevRec::GetParams(db::Database& db, const CallContext&, const Params& params) {
  Args args("GetParams", params, 1);
  std::string branch = args.text(0);
  std::string refusal = checkBranchService(db, branch, "");
  if (!refusal.empty()) return Variant(refusal);

  auto filial = packets::paramFilial();
  auto pf = db.prepare("SELECT IDCOMCUSPERC FROM PARAMFILIAL WHERE CDFILIAL = ?1");
  pf->bindText(1, branch);
  filial.rows.push_back({packets::text(pf->step() ? pf->text(0) : "T")});

  auto planeja = packets::paramPlaneja();
  auto pp = db.prepare(
      "SELECT IDUTILFATCOR, IDUTILFATCOC, IDTIPCALCFAT, IDQTLIQUBRUT, NRCORSAFRA, NRCORINICSAF,"
      " NRCORENTRSAF, IDBLOALTRELO FROM PARAMPLANEJA WHERE CDFILIAL = ?1");
  pp->bindText(1, branch);
  if (pp->step()) {
    planeja.rows.push_back({packets::text(pp->text(0)), packets::text(pp->text(1)),
                            packets::text(pp->text(2)), packets::text(pp->text(3)),
                            packets::num(pp->real(4)), packets::num(pp->real(5)),
                            packets::num(pp->real(6)), packets::text(pp->text(7))});
  } else {
    planeja.rows.push_back({packets::text("S"), packets::text("N"), packets::text("M"),
                            packets::text("B"), packets::num(0), packets::num(0), packets::num(0),
                            packets::text("N")});
  }
  return Variant::array({Variant(std::move(filial)), Variant(std::move(planeja))});
}

Variant AnaCustRevRec::GetCustoPadrao(db::Database& db, const CallContext&, const Params& params) {
  Args args("GetCustoPadrao", params, 3);
  std::string branch = args.text(0);
  std::string service = args.text(1);
  double month = monthFirstDay(args.day(2));
  std::string refusal = checkBranchService(db, branch, service);
  if (!refusal.empty()) return Variant(refusal);
  auto st = db.prepare(
      "SELECT VRCUSTPADR FROM CUSTOPADRAO WHERE CDFILIAL = ?1 AND CDSERVFILI = ?2 AND DTMES = ?3");
  st->bindText(1, branch);
  st->bindText(2, service);
  st->bindReal(3, month);
  auto packet = packets::custoPadrao();
  packet.rows.push_back({packets::num(st->step() ? st->real(0) : 0.0)});
  return Variant(std::move(packet));
}

Variant AnaCustRevRec::GetParamGeral(db::Database& db, const CallContext&, const Params& params) {
  Args args("GetParamGeral", params, 0);
  auto packet = packets::paramGeral();
  auto st = db.prepare(
      "SELECT QTDIABLOQCAR, IDUTCARDPADR, CDGRUPPROD FROM PARAMGERAL ORDER BY IDPARAMGERAL");
  if (st->step()) {
    packet.rows.push_back(
        {packets::num(st->real(0)), packets::text(st->text(1)), packets::text(st->text(2))});
  } else {
    packet.rows.push_back({packets::num(0), packets::text("N"), packets::text("")});
  }
  return Variant(std::move(packet));
}

Variant AnaCustRevRec::GetComensPlan(db::Database& db, const CallContext&, const Params& params) {
  Args args("GetComensPlan", params, 3);
  std::string branch = args.text(0);
  std::string service = args.text(1);
  double first = monthFirstDay(args.day(2));
  std::string refusal = checkBranchService(db, branch, service);
  if (!refusal.empty()) return Variant(refusal);
  // The same diners the per-capita values divide by: client diners when the branch says "C".
  auto pf = db.prepare("SELECT IDCOMCUSPERC FROM PARAMFILIAL WHERE CDFILIAL = ?1");
  pf->bindText(1, branch);
  bool clients = pf->step() && pf->text(0) == "C";
  double diners = 0;
  for (const auto& day : cost::loadMenuDays(db, branch, service, first, monthLastDay(first))) {
    diners += clients ? day.clients : day.estimated;
  }
  return Variant(platform::roundDec(diners, 5));
}

}  // namespace server::objects
