// Product search, validation of a typed product code and the check of a product before it joins
// a recipe.
#include <charconv>

#include "server/cost/unit_cost.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server/objects/args.h"
#include "server/objects/context_checks.h"
#include "server/objects/lookups.h"
#include "server/objects/messages.h"
#include "server/objects/packets.h"
#include "server/objects/write_limits.h"

namespace server::objects {

using platform::Variant;

namespace {

// The product-tree level as the screen sends it ("4"); nullopt when it is not a level.
std::optional<int> parseLevel(const std::string& text) {
  int level = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), level);
  if (ec != std::errc() || end != text.data() + text.size() || level < 1 || level > 20) {
    return std::nullopt;
  }
  return level;
}

}  // namespace

Variant AnaCustRevRec::getPesqProd(db::Database& db, const CallContext&, const Params& params) {
  Args args("getPesqProd", params, 2);
  auto level = parseLevel(args.text(0));
  std::string group = args.text(1);
  if (!level) return Variant(msg::kNivelInvalido + limits::echo(args.text(0)));
  auto st = db.prepare(
      "SELECT CDARVPROD, CDPRODUTO, NMPRODUTO, SGUNIDADE, DSCOMPLNOME, VRPEFATOCORR, CDPRODESTO"
      " FROM PRODUTO WHERE CDNVPRODUTO = ?1 AND CDPRODUTO = CDPRODESTO AND IDATIVO = 'S'"
      " AND (?2 = '' OR CDGRUPPROD = ?2) ORDER BY CDARVPROD");
  st->bindInt(1, *level);
  st->bindText(2, group);
  auto packet = packets::pesqProd();
  while (st->step()) {
    packet.rows.push_back({packets::text(st->text(0)), packets::text(st->text(1)),
                           packets::text(st->text(2)), packets::text(st->text(3)),
                           packets::text(st->text(4)), packets::num(st->real(5)),
                           packets::text(st->text(6))});
  }
  return Variant(std::move(packet));
}

Variant AnaCustRevRec::getVdProduto(db::Database& db, const CallContext&, const Params& params) {
  Args args("getVdProduto", params, 3);
  std::string code = args.text(0);
  auto level = parseLevel(args.text(1));
  std::string group = args.text(2);
  if (!level) return Variant(msg::kNivelInvalido + limits::echo(args.text(1)));
  auto st = db.prepare(
      "SELECT CDARVPROD, CDPRODUTO, NMPRODUTO, SGUNIDADE FROM PRODUTO"
      " WHERE CDARVPROD = ?1 AND CDNVPRODUTO = ?2 AND CDPRODUTO = CDPRODESTO"
      " AND (?3 = '' OR CDGRUPPROD = ?3)");
  st->bindText(1, code);
  st->bindInt(2, *level);
  st->bindText(3, group);
  auto packet = packets::vdProduto();
  while (st->step()) {
    packet.rows.push_back({packets::text(st->text(0)), packets::text(st->text(1)),
                           packets::text(st->text(2)), packets::text(st->text(3))});
  }
  return Variant(std::move(packet));
}

Variant AnaCustRevRec::VerifProd(db::Database& db, const CallContext&, const Params& params) {
  Args args("VerifProd", params, 9);
  std::string branch = args.text(0);
  std::string service = args.text(1);
  auto level = parseLevel(args.text(2));
  std::string treeCode = args.text(3);
  int costMode = args.integer(4);
  double costDate = args.day(5);
  double monthStart = monthFirstDay(args.day(6));
  std::string costBranch = args.text(8);

  auto answer = [](std::string error, std::string product, double cost, double previous) {
    return Variant::array(
        {Variant(std::move(error)), Variant(std::move(product)), Variant(cost), Variant(previous)});
  };
  std::string refusal = checkCostContext(db, branch, service, costMode, costBranch);
  if (!refusal.empty()) return answer(refusal, "", 0, 0);
  if (!level) return answer(msg::kNivelInvalido + limits::echo(args.text(2)), "", 0, 0);

  auto product = productByTreeCode(db, treeCode, branch);
  if (product && product->level != *level) product.reset();
  std::string key = recipeProductRefusal(product);
  if (!key.empty()) return answer(key, product ? product->code : "", 0, 0);

  std::string from = effectiveCostBranch(branch, costBranch);
  cost::CostResolver current(db, from, costMode, costDate, costDate, {product->code});
  cost::CostResolver previous(db, from, costMode, monthStart - 1, monthStart - 1, {product->code});
  return answer("", product->code, current.at(product->code, costDate).value,
                previous.at(product->code, monthStart - 1).value);
}

}  // namespace server::objects
