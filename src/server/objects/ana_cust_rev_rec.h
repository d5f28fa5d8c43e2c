// "Rcx00500.rdmAnaCustRevRec": the cost-analysis object. Every method takes its arguments in the
// screen's contract order and answers the contract's shape; refusals are text results.
//
// Month methods build the daily costs (GetTrabCusto) and keep the month's planned consumption in
// the work table CONSPLAN under a new 10-character key, released by DelConsplan or swept once
// older than a day. Day methods answer the rows the screen adds up; what the screen adds up for a
// day equals that day's row of GetTrabCusto.
#pragma once

#include <atomic>
#include <cstdint>

#include "server/objects/remote_object.h"

namespace server::objects {

class AnaCustRevRec : public RemoteObject {
 public:
  static constexpr const char* kName = "Rcx00500.rdmAnaCustRevRec";
  // Work tables older than this are swept.
  static constexpr int64_t kWorkTableLifetimeSeconds = 24 * 3600;
  static constexpr int64_t kSweepIntervalSeconds = 3600;

  explicit AnaCustRevRec(Environment env);

  std::string_view name() const override { return kName; }
  // Sweeps expired work tables first when the last sweep is an hour old.
  platform::Variant call(db::Database& db, const CallContext& context, std::string_view method,
                         const std::vector<platform::Variant>& params) override;

  // Deletes the work tables older than a day, in one transaction. Returns how many keys went.
  // Errors: DbError.
  int64_t sweepWorkTables(db::Database& db);

 private:
  friend class MethodTable<AnaCustRevRec>;
  using Params = std::vector<platform::Variant>;

  // Parameters (ana_cust_params.cpp)
  platform::Variant GetParams(db::Database&, const CallContext&, const Params&);
  platform::Variant GetCustoPadrao(db::Database&, const CallContext&, const Params&);
  platform::Variant GetParamGeral(db::Database&, const CallContext&, const Params&);
  platform::Variant GetComensPlan(db::Database&, const CallContext&, const Params&);
  // The month (ana_cust_month.cpp)
  platform::Variant GetTrabCusto(db::Database&, const CallContext&, const Params&);
  platform::Variant DelConsplan(db::Database&, const CallContext&, const Params&);
  platform::Variant GetProdCustZero(db::Database&, const CallContext&, const Params&);
  platform::Variant GetProdCotDesatu(db::Database&, const CallContext&, const Params&);
  // The day (ana_cust_day.cpp)
  platform::Variant GetCardapio(db::Database&, const CallContext&, const Params&);
  platform::Variant GetProduto(db::Database&, const CallContext&, const Params&);
  platform::Variant GetConsServ(db::Database&, const CallContext&, const Params&);
  platform::Variant GetOrigemCusto(db::Database&, const CallContext&, const Params&);
  // Realized (ana_cust_realized.cpp)
  platform::Variant GetRealizado(db::Database&, const CallContext&, const Params&);
  platform::Variant GetItemReti(db::Database&, const CallContext&, const Params&);
  // Products (ana_cust_products.cpp)
  platform::Variant getPesqProd(db::Database&, const CallContext&, const Params&);
  platform::Variant getVdProduto(db::Database&, const CallContext&, const Params&);
  platform::Variant VerifProd(db::Database&, const CallContext&, const Params&);
  // Writes (ana_cust_writes.cpp)
  platform::Variant GravaReceita(db::Database&, const CallContext&, const Params&);
  platform::Variant AltComensais(db::Database&, const CallContext&, const Params&);
  platform::Variant TrocaProduto(db::Database&, const CallContext&, const Params&);

  Environment env_;
  std::atomic<int64_t> lastSweep_;
};

}  // namespace server::objects
