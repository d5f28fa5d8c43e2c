#include "server/objects/ana_cust_rev_rec.h"

#include <limits>

namespace server::objects {

AnaCustRevRec::AnaCustRevRec(Environment env)
    : env_(std::move(env)), lastSweep_(std::numeric_limits<int64_t>::min()) {}

platform::Variant AnaCustRevRec::call(db::Database& db, const CallContext& context,
                                      std::string_view method,
                                      const std::vector<platform::Variant>& params) {
  static const MethodTable<AnaCustRevRec> kMethods = {
      {"GetParams", &AnaCustRevRec::GetParams},
      {"GetCustoPadrao", &AnaCustRevRec::GetCustoPadrao},
      {"GetTrabCusto", &AnaCustRevRec::GetTrabCusto},
      {"GetParamGeral", &AnaCustRevRec::GetParamGeral},
      {"DelConsplan", &AnaCustRevRec::DelConsplan},
      {"GetComensPlan", &AnaCustRevRec::GetComensPlan},
      {"GetCardapio", &AnaCustRevRec::GetCardapio},
      {"GetProduto", &AnaCustRevRec::GetProduto},
      {"GetConsServ", &AnaCustRevRec::GetConsServ},
      {"GetRealizado", &AnaCustRevRec::GetRealizado},
      {"GetItemReti", &AnaCustRevRec::GetItemReti},
      {"GetProdCustZero", &AnaCustRevRec::GetProdCustZero},
      {"GetProdCotDesatu", &AnaCustRevRec::GetProdCotDesatu},
      {"GetOrigemCusto", &AnaCustRevRec::GetOrigemCusto},
      {"getPesqProd", &AnaCustRevRec::getPesqProd},
      {"getVdProduto", &AnaCustRevRec::getVdProduto},
      {"VerifProd", &AnaCustRevRec::VerifProd},
      {"GravaReceita", &AnaCustRevRec::GravaReceita},
      {"AltComensais", &AnaCustRevRec::AltComensais},
      {"TrocaProduto", &AnaCustRevRec::TrocaProduto},
  };
  int64_t now = env_.nowSeconds();
  int64_t last = lastSweep_.load();
  bool due = last == std::numeric_limits<int64_t>::min() || now - last >= kSweepIntervalSeconds;
  // One caller sweeps; the others go on.
  if (due && !db.readOnly() && lastSweep_.compare_exchange_strong(last, now)) {
    try {
      sweepWorkTables(db);
    } catch (const db::DbError&) {
      // A busy database only delays the sweep to the next hour; the call itself goes on.
    }
  }
  return kMethods.call(*this, db, context, method, params);
}

}  // namespace server::objects
