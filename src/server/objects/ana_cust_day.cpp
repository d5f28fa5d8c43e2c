// The day: menu dishes, recipe products, consumption and the origin of a cost.
#include "platform/date.h"
#include "platform/format.h"
#include "server/cost/menu.h"
#include "server/cost/unit_cost.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server/objects/args.h"
#include "server/objects/context_checks.h"
#include "server/objects/day_products.h"
#include "server/objects/lookups.h"
#include "server/objects/messages.h"
#include "server/objects/packets.h"
#include "server/objects/write_limits.h"

namespace server::objects {

using platform::Variant;

Variant AnaCustRevRec::GetCardapio(db::Database& db, const CallContext&, const Params& params) {
  Args args("GetCardapio", params, 3);
  std::string branch = args.text(0);
  std::string service = args.text(1);
  double first = monthFirstDay(args.day(2));
  std::string refusal = checkBranchService(db, branch, service);
  if (!refusal.empty()) return Variant(refusal);

  auto packet = packets::cardapio();
  for (const auto& d : cost::loadMenuDishes(db, branch, service, first, monthLastDay(first))) {
    packet.rows.push_back({packets::text(d.name), packets::num(d.diners), packets::text(branch),
                           packets::text(d.dish), packets::text(d.dishBranch),
                           packets::text(service), packets::day(d.day), packets::text(d.diet),
                           packets::num(d.estimated), packets::num(d.clients),
                           packets::num(d.count), packets::num(d.weight)});
  }
  return Variant(std::move(packet));
}

Variant AnaCustRevRec::GetProduto(db::Database& db, const CallContext&, const Params& params) {
  Args args("GetProduto", params, 8);
  std::string branch = args.text(0);
  std::string service = args.text(1);
  double day = args.day(2);
  int costMode = args.integer(3);
  bool useFixed = args.boolean(4);
  double costDate = args.day(5);
  double monthStart = monthFirstDay(args.day(6));
  std::string costBranch = args.text(7);
  std::string refusal = checkCostContext(db, branch, service, costMode, costBranch);
  if (!refusal.empty()) return Variant(refusal);
  return Variant(dayProducts(db, branch, service, day, costMode, useFixed ? costDate : day,
                             monthStart, effectiveCostBranch(branch, costBranch)));
}

Variant AnaCustRevRec::GetConsServ(db::Database& db, const CallContext&, const Params& params) {
  Args args("GetConsServ", params, 7);
  std::string branch = args.text(0);
  std::string service = args.text(1);
  double day = args.day(2);
  int costMode = args.integer(3);
  std::string dayTypeText = args.text(4);
  double costDate = args.day(5);
  std::string costBranch = args.text(6);
  std::string refusal = checkCostContext(db, branch, service, costMode, costBranch);
  if (!refusal.empty()) return Variant(refusal);
  int dayType = 0;
  if (dayTypeText.size() == 1 && dayTypeText[0] >= '1' && dayTypeText[0] <= '8') {
    dayType = dayTypeText[0] - '0';
  } else {
    return Variant(msg::kTipoDiaInvalido + limits::echo(dayTypeText));
  }

  auto types = packets::consumo();
  auto items = packets::consServ();
  auto diners = packets::comens();
  auto menu = cost::loadMenuDays(db, branch, service, day, day);
  // A day without a menu has no service, so nothing is consumed.
  if (!menu.empty()) {
    diners.rows.push_back({packets::num(menu.front().estimated)});
    auto consumption = cost::loadConsumption(db, branch, service, dayType);
    std::vector<std::string> products;
    for (const auto& item : consumption)
      products.push_back(item.product);
    cost::CostResolver costs(db, effectiveCostBranch(branch, costBranch), costMode, costDate,
                             costDate, products);
    std::string lastType;
    for (const auto& item : consumption) {
      if (item.type != lastType) {
        types.rows.push_back({packets::text(item.kind), packets::text(item.type),
                              packets::text(item.typeName), packets::num(item.target)});
        lastType = item.type;
      }
      cost::UnitCost unit = costs.at(item.product, costDate);
      items.rows.push_back({packets::text(item.kind), packets::text(item.name),
                            packets::text(item.unit), packets::num(item.quantity),
                            packets::num(unit.value), packets::text(item.product),
                            packets::flag(unit.outdated)});
    }
  } else {
    diners.rows.push_back({packets::num(0.0)});
  }
  return Variant::array(
      {Variant(std::move(types)), Variant(std::move(items)), Variant(std::move(diners))});
}

Variant AnaCustRevRec::GetOrigemCusto(db::Database& db, const CallContext&, const Params& params) {
  Args args("GetOrigemCusto", params, 4);
  std::string branch = args.text(0);
  std::string productCode = args.text(1);
  int costMode = args.integer(2);
  double costDate = args.day(3);
  std::string refusal = checkCostContext(db, branch, "", costMode, "");
  if (!refusal.empty()) return Variant(refusal);
  auto product = productByCode(db, productCode, branch);
  if (!product) return Variant(msg::kProdutoNaoCadastrado + limits::echo(productCode));

  auto packet = packets::origemCusto();
  if (!cost::isQuotationMode(costMode)) return Variant(std::move(packet));
  std::string stockProduct = product->stockProduct.empty() ? product->code : product->stockProduct;
  cost::CostResolver costs(db, branch, costMode, costDate, costDate, {stockProduct});
  auto quotes = costs.origin(stockProduct, costDate);
  if (quotes.empty()) return Variant(std::move(packet));
  const double used = costs.at(stockProduct, costDate).value;
  // The chosen quotations with their supplier and quoted product, in one query.
  std::string ids;
  for (const auto& q : quotes)
    ids += (ids.empty() ? "" : ", ") + std::to_string(q.id);
  auto st = db.prepare(
      "SELECT C.CDFORNECED, F.IDTPIJURFORN, F.NRINSJURFORN, F.NMRAZSOCFORN, C.CDPRODUTO,"
      " P.CDARVPROD, P.NMPRODUTO, C.DTINIVALITM, C.DTFINVALITM, C.NMMARCA, C.IDORIGEM, C.VRPRECO"
      " FROM COTACAO C JOIN FORNECEDOR F ON F.CDFORNECED = C.CDFORNECED"
      " JOIN PRODUTO P ON P.CDPRODUTO = C.CDPRODUTO WHERE C.IDCOTACAO IN (" +
      ids + ") ORDER BY C.DTFINVALITM, C.IDCOTACAO");
  while (st->step()) {
    packet.rows.push_back(
        {packets::text(st->text(0)), packets::text(st->text(1)), packets::text(st->text(2)),
         packets::text(st->text(3)), packets::text(st->text(4)), packets::text(st->text(5)),
         packets::text(st->text(6)), packets::day(st->real(7)), packets::day(st->real(8)),
         packets::text(st->text(9)), packets::text(st->text(10)),
         packets::num(platform::roundDec(st->real(11), 5)), packets::num(used),
         packets::day(costDate)});
  }
  return Variant(std::move(packet));
}

}  // namespace server::objects
