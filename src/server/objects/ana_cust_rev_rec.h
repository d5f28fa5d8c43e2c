// "Rcx00500.rdmAnaCustRevRec": the cost-analysis object. Every method takes its arguments in the
// screen's contract order and answers the contract's shape; refusals are text results.
//
// Month methods build the daily costs (GetTrabCusto) and keep, under a new 10-character key, one
// work-table row from which the month's lists plan it again (see work_table.h), released by
// DelConsplan, swept once older than a day, or dropped when its operator holds too many. Day
// methods answer the rows the screen adds up; what the screen adds up for a day equals that day's
// row of GetTrabCusto.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "server/objects/remote_object.h"

namespace server::objects {

class AnaCustRevRec : public RemoteObject {
 public:
  static constexpr const char* kName = "Rcx00500.rdmAnaCustRevRec";
  // Work tables older than this are swept.
  static constexpr int64_t kWorkTableLifetimeSeconds = 24 * 3600;

  explicit AnaCustRevRec(Environment env);

  std::string_view name() const override { return kName; }
  platform::Variant call(db::Database& db, const CallContext& context, std::string_view method,
                         const std::vector<platform::Variant>& params) override;

  // Deletes the work tables older than a day, in one transaction. Returns how many keys went: 0
  // when another server on the same database is sweeping at the moment.
  // The server's app runs it at open and hourly (see WorkTableSweep). Errors: DbError.
  int64_t sweepWorkTables(db::Database& db);
  // The task lock (Dialect::tryTaskLock) a sweep holds.
  static constexpr int64_t kSweepLock = 0x4d43'5357;

  // One product's planned use over a period.
  struct PlannedUse {
    std::string product;  // CDPRODUTO
    double quantity = 0;  // sum of the days' quantities
    double cost = 0;      // sum of the days' quantity times unit cost, unrounded
    bool outdated = false;
  };
  // The work table `key` of `branch` for the days [first, last], one entry per product, planned
  // with the work table's arguments (see work_table.h); nullopt when no such key is kept
  // (released, swept or another branch's). Errors: DbError.
  static std::optional<std::vector<PlannedUse>> readWorkTable(db::Database& db,
                                                              const std::string& key,
                                                              const std::string& branch,
                                                              double first, double last);

 private:
  friend class MethodTable<AnaCustRevRec>;
  using Params = std::vector<platform::Variant>;

  // Each method: arguments in the contract's order -> result. Unknown branch, service, cost mode
  // or cost branch, and unusable periods, answer a refusal text instead.
  //
  // Parameters (ana_cust_params.cpp)
  //   GetParams(branch) -> [cdsParamFilial, cdsParamPlaneja]; defaults when not configured.
  //   GetCustoPadrao(branch, service, a day of the month) -> cdsCustoPadrao, one row (0 if none).
  //   GetParamGeral() -> cdsParamGeral, one row.
  //   GetComensPlan(branch, service, monthStart) -> the month's estimated diners (client diners
  //   when the branch's IDCOMCUSPERC is "C").
  platform::Variant GetParams(db::Database&, const CallContext&, const Params&);
  platform::Variant GetCustoPadrao(db::Database&, const CallContext&, const Params&);
  platform::Variant GetParamGeral(db::Database&, const CallContext&, const Params&);
  platform::Variant GetComensPlan(db::Database&, const CallContext&, const Params&);
  // The month (ana_cust_month.cpp)
  //   GetTrabCusto(branch, service, first, last, costMode, operator, useFixedCostDate,
  //   fixedCostDate, costBranch, isBranchModule) -> [work-table key, cdsTrabCusto with every day
  //   of [first, last], cdsPreCotDesatu]. Writes the work table's one row (one transaction).
  //   DelConsplan(key, branch) -> "" (also for an empty or unknown key).
  //   GetProdCustZero(costBranch, costMode, fixedCostDate, branch, service, first, last,
  //   useFixedCostDate) -> cdsProdCustZero: recipe products costing 0, by day.
  //   GetProdCotDesatu(key, branch, costBranch, service, costMode, first, last, fixedCostDate,
  //   useFixedCostDate) -> cdsProdCotDesatu of the days [first, last], planned with the work
  //   table's arguments; with the call's own when the key is gone.
  platform::Variant GetTrabCusto(db::Database&, const CallContext&, const Params&);
  platform::Variant DelConsplan(db::Database&, const CallContext&, const Params&);
  platform::Variant GetProdCustZero(db::Database&, const CallContext&, const Params&);
  platform::Variant GetProdCotDesatu(db::Database&, const CallContext&, const Params&);
  // The day (ana_cust_day.cpp)
  //   GetCardapio(branch, service, a day of the month) -> cdsCardapio of the whole month.
  //   GetProduto(branch, service, day, costMode, useFixedCostDate, costDate, monthStart,
  //   costBranch) -> cdsProduto of the day's dishes.
  //   GetConsServ(branch, service, day, costMode, day type "1".."8", costDate, costBranch) ->
  //   [cdsConsumo, cdsConsServ, cdsComens]; nothing is consumed on a day without a menu.
  //   GetOrigemCusto(branch, product, costMode, costDate) -> cdsOrigemCusto: the quotations the
  //   cost came from (empty outside the quotation modes), each with its unit cost (VRUNITARIO),
  //   the cost used (VRCUSTO: their average in mode 44) and the cost date (DTCUSTO).
  platform::Variant GetCardapio(db::Database&, const CallContext&, const Params&);
  platform::Variant GetProduto(db::Database&, const CallContext&, const Params&);
  platform::Variant GetConsServ(db::Database&, const CallContext&, const Params&);
  platform::Variant GetOrigemCusto(db::Database&, const CallContext&, const Params&);
  // Realized (ana_cust_realized.cpp), both (branch, service, a day of the month, calcMode 1|2,
  // useFixedCostDate, fixedCostDate, costBranch):
  //   GetRealizado -> cdsRealizado, one row per day with withdrawals or served diners.
  //   GetItemReti -> cdsItemReti, one row per withdrawal of the month.
  platform::Variant GetRealizado(db::Database&, const CallContext&, const Params&);
  platform::Variant GetItemReti(db::Database&, const CallContext&, const Params&);
  // Products (ana_cust_products.cpp)
  //   getPesqProd(levels, group) -> cdsPesqProd: active stock products of the last level.
  //   getVdProduto(tree code, levels, group) -> the stock product with that code, or no row.
  //   VerifProd(branch, service, levels, tree code, costMode, costDate, monthStart, day,
  //   costBranch) -> ["" or prod_inativo | prod_compr | prod_n_ctrl_est, CDPRODUTO, cost,
  //   previous cost].
  platform::Variant getPesqProd(db::Database&, const CallContext&, const Params&);
  platform::Variant getVdProduto(db::Database&, const CallContext&, const Params&);
  platform::Variant VerifProd(db::Database&, const CallContext&, const Params&);
  // Writes (ana_cust_writes.cpp), each one transaction that writes nothing when refused:
  //   GravaReceita(packet, delta, branch, service, day, costMode, useFixedCostDate, costDate,
  //   levels, recipeKind, CDFILAUXPRAT, CDPRATO, monthStart, costBranch) -> ["", new
  //   cdsProduto] or [refusal (catalogue key or text), refused CDARVPROD]. A modified or deleted
  //   row must still hold its original values; an inserted product must not be in the recipe.
  //   Refused whatever the client sends (limits in write_limits.h): texts beyond their columns,
  //   more than 500 changes, a per capita not above 0 or above 1,000, a product outside
  //   PARAMGERAL.CDGRUPPROD, a dish not on the day's menu, a closed day.
  //   AltComensais(branch, service, day, CDPRATO, CDFILAUXPRAT, diners) -> true or a refusal:
  //   texts beyond their columns, diners below 0 or above 1,000,000, a closed day, a dish not on
  //   the day's menu.
  //   TrocaProduto(dish, branch, service, old, new, unit, factor, CDFILAUXPRAT or "", TIPO or
  //   "") -> true or a refusal: swaps a product for one of its optional products in exactly one
  //   per-service recipe, a conditional write. Refusals: see swapProduct (recipe_store.h).
  platform::Variant GravaReceita(db::Database&, const CallContext&, const Params&);
  platform::Variant AltComensais(db::Database&, const CallContext&, const Params&);
  platform::Variant TrocaProduto(db::Database&, const CallContext&, const Params&);
  // Costs by cost mode, for the cost exception tool (ana_cust_cost_modes.cpp), read-only:
  //   GetCustoModos(product codes: an array of CDPRODUTO texts, cost branch, cost date) -> packet
  //   with one row per distinct product, in the order given: CDARVPROD, NMPRODUTO, then the unit
  //   cost each mode gives at the date, VRCUSTO6, VRCUSTO44, VRCUSTO48, VRCUSTO10, VRCUSTO30,
  //   VRCUSTO7 (per stock unit, 5 decimals; a purchase product priced as its stock product; 0
  //   where a mode has no cost). Refused: an unknown branch or product, a code beyond its
  //   column, more than 5,000 products.
  platform::Variant GetCustoModos(db::Database&, const CallContext&, const Params&);
  //   GetPesoExcecao(list "0" zero cost | "1" outdated quotation, work-table key, branch, cost
  //   branch, service, costMode, first, last, fixedCostDate, useFixedCostDate, costDate) ->
  //   packet with one row per product of that exception list over [first, last]: CDPRODUTO,
  //   CDARVPROD, NMPRODUTO, QTPLANMES (quantity planned in the period), VRCUSTOMES (its planned
  //   cost), PCPESO (VRCUSTOMES in percent of the period's planned cost of every product, 5
  //   decimals), IDPESOESTIM ("S" when the planned cost is 0 and VRCUSTOMES is estimated with the
  //   first of the modes 6, 44, 48, 10, 30, 7 that prices the product at costDate), ranked by
  //   PCPESO, highest first, then CDARVPROD. The zero-cost list is planned as GetProdCustZero
  //   plans it; the outdated one is read from the work table (readWorkTable), planned again when
  //   the key is gone. Refused: a list other than "0" or "1", a key beyond its column, an unknown
  //   branch, service, cost mode or cost branch, an unusable period.
  platform::Variant GetPesoExcecao(db::Database&, const CallContext&, const Params&);

  Environment env_;
};

}  // namespace server::objects
