#include "server/objects/other_objects.h"

#include "server/objects/args.h"
#include "server/objects/database_messages.h"
#include "server/objects/lookups.h"
#include "server/objects/messages.h"
#include "server/objects/packets.h"
#include "server/objects/recipe_store.h"
#include "server/objects/write_limits.h"

namespace server::objects {

using platform::Variant;

Variant Autoriza::call(db::Database& db, const CallContext& context, std::string_view method,
                       const std::vector<Variant>& params) {
  if (method != "Autoriza") {
    throw RpcFault(kMethodNotFound,
                   "Method '" + limits::echo(method) + "' not found in " + std::string(kName));
  }
  Args args("Autoriza", params, 3, 4);
  // The host's form leaves the operator to the session: (kind, action key, complement).
  if (params.size() == 3 && params[0].isNumeric()) {
    return Variant(hasRight(db, context.operatorCode, args.integer(0), args.text(1)));
  }
  // Rights are the caller's own business: naming anyone else is refused.
  const std::string operatorCode = args.text(0);
  if (!operatorCode.empty() && operatorCode != context.operatorCode)
    return Variant(msg::kOutroOperador);
  return Variant(hasRight(db, context.operatorCode, args.integer(1), args.text(2)));
}

Variant InfPrato::call(db::Database& db, const CallContext& context, std::string_view method,
                       const std::vector<Variant>& params) {
  static const MethodTable<InfPrato> kMethods = {
      {"PesqProdOpc", {&InfPrato::PesqProdOpc}},
      {"TrocaProduto", {&InfPrato::TrocaProduto, Access::Writes}},
  };
  return kMethods.call(*this, db, context, method, params);
}

Variant InfPrato::PesqProdOpc(db::Database& db, const CallContext&, const Params& params) {
  Args args("PesqProdOpc", params, 2);
  std::string treeCode = args.text(0);
  auto st = db.prepare(
      "SELECT O.CDARVPROD, O.NMPRODUTO, O.SGUNIDADE, O.CDPRODUTO, O.CDPRODESTO, O.VRPEFATOCORR"
      " FROM PRODUTO P JOIN PRODOPCIONAL X ON X.CDPRODUTO = P.CDPRODUTO"
      " JOIN PRODUTO O ON O.CDPRODUTO = X.CDPRODOPC"
      " WHERE P.CDARVPROD = ?1 ORDER BY O.CDARVPROD");
  st->bindText(1, treeCode);
  auto packet = packets::pesqProdOpc();
  while (st->step()) {
    packet.rows.push_back({packets::text(st->text(0)), packets::text(st->text(1)),
                           packets::text(st->text(2)), packets::text(st->text(3)),
                           packets::text(st->text(4)), packets::num(st->real(5))});
  }
  return Variant(std::move(packet));
}

Variant InfPrato::TrocaProduto(db::Database& db, const CallContext& context, const Params& params) {
  try {
    std::string refusal = swapProduct(db, swapRequest(RecipeKind::Local, params));
    if (!refusal.empty()) return Variant(refusal);
  } catch (const db::DbError& e) {
    return Variant(databaseRefusal(context, e));
  }
  return Variant(true);
}

Variant ReceitaPadrao::call(db::Database& db, const CallContext& context, std::string_view method,
                            const std::vector<Variant>& params) {
  static const MethodTable<ReceitaPadrao> kMethods = {
      {"GetParamGrup", {&ReceitaPadrao::GetParamGrup}},
      {"Verif_Status_Prod", {&ReceitaPadrao::Verif_Status_Prod}},
      {"GetVerifProd", {&ReceitaPadrao::GetVerifProd}},
  };
  return kMethods.call(*this, db, context, method, params);
}

Variant ReceitaPadrao::GetParamGrup(db::Database& db, const CallContext& context,
                                    const Params& params) {
  Args args("GetParamGrup", params, 2);
  const std::string operatorCode = args.text(0);
  if (!operatorCode.empty() && operatorCode != context.operatorCode)
    return Variant(msg::kOutroOperador);
  return Variant(operatorParam(db, context.operatorCode, args.text(1)));
}

Variant ReceitaPadrao::Verif_Status_Prod(db::Database& db, const CallContext&,
                                         const Params& params) {
  Args args("Verif_Status_Prod", params, 3);
  auto product = productByTreeCode(db, args.text(2), args.text(0));
  bool usable = product && product->active && product->activeInBranch;
  return Variant(usable ? "" : msg::kStatusInativo);
}

Variant ReceitaPadrao::GetVerifProd(db::Database& db, const CallContext&, const Params& params) {
  Args args("GetVerifProd", params, 2);
  auto product = productByCode(db, args.text(1), args.text(0));
  return Variant(!product || product->stockProduct != product->code || !product->controlsStock);
}

}  // namespace server::objects
