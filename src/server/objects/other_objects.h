// The three smaller remote objects: the operator authorisation check, the dish information used
// by the ingredient swap, and the standard-recipe checks.
#pragma once

#include "server/objects/remote_object.h"

namespace server::objects {

// "Inv.rdmAutoriza".
//   Autoriza(kind, action key, complement) -> true when the calling operator holds the right.
//   Autoriza(operator code, kind, action key[, complement]) -> the same; the operator code must
//   be the calling operator's or empty, another operator is refused with a text.
class Autoriza : public RemoteObject {
 public:
  static constexpr const char* kName = "Inv.rdmAutoriza";
  std::string_view name() const override { return kName; }
  platform::Variant call(db::Database& db, const CallContext& context, std::string_view method,
                         const std::vector<platform::Variant>& params) override;
};

// "Rcx00502.rdmInfPrato".
//   PesqProdOpc(product tree code, levels) -> packet of cdsPesqProdOpc: the optional products.
//   TrocaProduto(dish, branch, "", old product, new product, unit, factor, CDFILAUXPRAT or "",
//   TIPO or "") -> true, or a refusal text: swaps the product in exactly one local recipe of the
//   branch (see swapProduct in recipe_store.h).
class InfPrato : public RemoteObject {
 public:
  static constexpr const char* kName = "Rcx00502.rdmInfPrato";
  std::string_view name() const override { return kName; }
  platform::Variant call(db::Database& db, const CallContext& context, std::string_view method,
                         const std::vector<platform::Variant>& params) override;

 private:
  using Params = std::vector<platform::Variant>;
  platform::Variant PesqProdOpc(db::Database&, const CallContext&, const Params&);
  platform::Variant TrocaProduto(db::Database&, const CallContext&, const Params&);
};

// "Rcx00503.rdmReceitaPadrao".
//   GetParamGrup(operator, parameter) -> 1 holds it, 0 not set, -1 denied or unknown operator;
//   the operator must be the calling one (or empty), another is refused with a text.
//   Verif_Status_Prod(branch, levels, product tree code) -> "PROD_INATIVO" when the product is
//   inactive or not registered for the branch, else "".
//   GetVerifProd(branch, product code) -> true when the product must not be used in a recipe.
class ReceitaPadrao : public RemoteObject {
 public:
  static constexpr const char* kName = "Rcx00503.rdmReceitaPadrao";
  std::string_view name() const override { return kName; }
  platform::Variant call(db::Database& db, const CallContext& context, std::string_view method,
                         const std::vector<platform::Variant>& params) override;

 private:
  using Params = std::vector<platform::Variant>;
  platform::Variant GetParamGrup(db::Database&, const CallContext&, const Params&);
  platform::Variant Verif_Status_Prod(db::Database&, const CallContext&, const Params&);
  platform::Variant GetVerifProd(db::Database&, const CallContext&, const Params&);
};

}  // namespace server::objects
