#include "server/objects/ana_cust_rev_rec.h"

namespace server::objects {

AnaCustRevRec::AnaCustRevRec(Environment env) : env_(std::move(env)) {}

platform::Variant AnaCustRevRec::call(db::Database& db, const CallContext& context,
                                      std::string_view method,
                                      const std::vector<platform::Variant>& params) {
  static const MethodTable<AnaCustRevRec> kMethods = {
      {"GetParams", {&AnaCustRevRec::GetParams}},
      {"GetCustoPadrao", {&AnaCustRevRec::GetCustoPadrao}},
      {"GetTrabCusto", {&AnaCustRevRec::GetTrabCusto, Access::Writes}},
      {"GetParamGeral", {&AnaCustRevRec::GetParamGeral}},
      {"DelConsplan", {&AnaCustRevRec::DelConsplan, Access::Writes}},
      {"GetComensPlan", {&AnaCustRevRec::GetComensPlan}},
      {"GetCardapio", {&AnaCustRevRec::GetCardapio}},
      {"GetProduto", {&AnaCustRevRec::GetProduto}},
      {"GetConsServ", {&AnaCustRevRec::GetConsServ}},
      {"GetRealizado", {&AnaCustRevRec::GetRealizado}},
      {"GetItemReti", {&AnaCustRevRec::GetItemReti}},
      {"GetProdCustZero", {&AnaCustRevRec::GetProdCustZero}},
      {"GetProdCotDesatu", {&AnaCustRevRec::GetProdCotDesatu}},
      {"GetOrigemCusto", {&AnaCustRevRec::GetOrigemCusto}},
      {"getPesqProd", {&AnaCustRevRec::getPesqProd}},
      {"getVdProduto", {&AnaCustRevRec::getVdProduto}},
      {"VerifProd", {&AnaCustRevRec::VerifProd}},
      {"GravaReceita", {&AnaCustRevRec::GravaReceita, Access::Writes}},
      {"AltComensais", {&AnaCustRevRec::AltComensais, Access::Writes}},
      {"TrocaProduto", {&AnaCustRevRec::TrocaProduto, Access::Writes}},
      {"GetCustoModos", {&AnaCustRevRec::GetCustoModos}},
      {"GetPesoExcecao", {&AnaCustRevRec::GetPesoExcecao}},
  };
  return kMethods.call(*this, db, context, method, params);
}

}  // namespace server::objects
