// The cost exception tool's methods: the unit cost every cost mode gives a list of products at one
// date, and the weight of an exception list's products in the month's planned cost. One resolver
// per mode over the whole list, so a call costs the same few queries whatever the number of
// products.
#include <algorithm>
#include <array>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "platform/format.h"
#include "server/cost/month_plan.h"
#include "server/cost/unit_cost.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server/objects/args.h"
#include "server/objects/context_checks.h"
#include "server/objects/lookups.h"
#include "server/objects/messages.h"
#include "server/objects/packets.h"
#include "server/objects/work_table.h"
#include "server/objects/write_limits.h"

namespace server::objects {

using platform::DataPacket;
using platform::Variant;

namespace {

constexpr std::array<int, 6> kModes = {6, 44, 48, 10, 30, 7};

struct Product {
  std::string code;
  std::string treeCode;
  std::string name;
  std::string stockProduct;
};

// The products of `codes`, in one query.
std::unordered_map<std::string, Product> loadProducts(db::Database& db,
                                                      const std::vector<std::string>& codes) {
  std::string sql =
      "SELECT CDPRODUTO, CDARVPROD, NMPRODUTO, CDPRODESTO FROM PRODUTO WHERE CDPRODUTO IN (";
  for (size_t i = 0; i < codes.size(); ++i)
    sql += (i == 0 ? "?" : ", ?") + std::to_string(i + 1);
  auto st = db.prepare(sql + ")");
  for (size_t i = 0; i < codes.size(); ++i)
    st->bindText(static_cast<int>(i + 1), codes[i]);
  std::unordered_map<std::string, Product> out;
  while (st->step()) {
    Product p{st->text(0), st->text(1), st->text(2), st->isNull(3) ? "" : st->text(3)};
    // A tree node prices as itself (no cost); a purchase product as the stock product it becomes.
    if (p.stockProduct.empty()) p.stockProduct = p.code;
    out.emplace(p.code, std::move(p));
  }
  return out;
}

// As the month methods: a month with some slack, never years at once.
constexpr double kMaxRangeDays = 62;
constexpr int kWorkTableKey = 10;  // CDCONSPLAN

// The products of the period with their use, and which of them are on the exception list.
struct ListedUses {
  std::vector<AnaCustRevRec::PlannedUse> uses;
  std::vector<std::string> listed;
};

ListedUses plannedUses(db::Database& db, bool outdatedList, const std::string& branch,
                       const std::string& service, double first, double last, int costMode,
                       const std::string& costBranch, std::optional<double> fixedCostDate) {
  auto plan =
      cost::planMonth(db, branch, service, first, last, costMode, costBranch, fixedCostDate);
  std::map<std::string, AnaCustRevRec::PlannedUse> byProduct;
  std::map<std::string, bool> onList;
  for (const auto& line : plan.lines) {
    auto& use = byProduct[line.product];
    use.product = line.product;
    use.quantity += line.quantity;
    use.cost += line.quantity * line.unit.value;
    use.outdated = use.outdated || line.unit.outdated;
    // The zero-cost list holds recipe products only, as GetProdCustZero answers it.
    bool listed = outdatedList ? line.unit.outdated : line.fromRecipe && line.unit.value == 0;
    onList[line.product] = onList[line.product] || listed;
  }
  ListedUses out;
  for (auto& [code, use] : byProduct) {
    if (onList[code]) out.listed.push_back(code);
    out.uses.push_back(std::move(use));
  }
  return out;
}

}  // namespace

std::optional<std::vector<AnaCustRevRec::PlannedUse>> AnaCustRevRec::readWorkTable(
    db::Database& db, const std::string& key, const std::string& branch, double first,
    double last) {
  auto work = findWorkTable(db, key, branch);
  if (!work) return std::nullopt;
  // The day's lines as the month load planned them, added up per product over the period.
  std::map<std::string, PlannedUse> byProduct;
  for (const auto& [dayProduct, planned] : plannedProducts(db, *work)) {
    if (dayProduct.first < first || dayProduct.first > last) continue;
    auto& use = byProduct[dayProduct.second];
    use.product = dayProduct.second;
    use.quantity += planned.quantity;
    use.cost += planned.quantity * planned.unit.value;
    use.outdated = use.outdated || planned.unit.outdated;
  }
  std::vector<PlannedUse> uses;
  uses.reserve(byProduct.size());
  for (auto& [code, use] : byProduct)
    uses.push_back(std::move(use));
  return uses;
}

Variant AnaCustRevRec::GetCustoModos(db::Database& db, const CallContext&, const Params& params) {
  Args args("GetCustoModos", params, 3);
  if (!params[0].isArray()) {
    throw RpcFault(kInvalidParams, "GetCustoModos: argument 1 is not a list of product codes (" +
                                       params[0].debugString() + ")");
  }
  std::string branch = args.text(1);
  double costDate = args.day(2);
  std::string refusal = limits::sizeRefusal("CDFILIAL", branch, limits::kBranch);
  if (!refusal.empty()) return Variant(refusal);
  if (!processingDate(db, branch)) return Variant(msg::kFilialNaoCadastrada + limits::echo(branch));
  const auto& items = params[0].items();
  if (items.size() > limits::kMaxCostProducts) return Variant(msg::kProdutosDemais);

  std::vector<std::string> codes;
  std::unordered_set<std::string> seen;
  for (const Variant& item : items) {
    if (item.isArray() || item.isPacket()) {
      throw RpcFault(kInvalidParams, "GetCustoModos: product code is not a text");
    }
    std::string code = item.toString();
    refusal = limits::sizeRefusal("CDPRODUTO", code, limits::kProduct);
    if (!refusal.empty()) return Variant(refusal);
    if (seen.insert(code).second) codes.push_back(std::move(code));
  }
  auto packet = packets::custoModos();
  if (codes.empty()) return Variant(std::move(packet));
  auto products = loadProducts(db, codes);
  std::vector<std::string> stock;
  for (const auto& code : codes) {
    auto it = products.find(code);
    if (it == products.end()) return Variant(msg::kProdutoNaoCadastrado + limits::echo(code));
    stock.push_back(it->second.stockProduct);
  }

  std::vector<cost::CostResolver> resolvers;
  resolvers.reserve(kModes.size());
  for (int mode : kModes)
    resolvers.emplace_back(db, branch, mode, costDate, costDate, stock);
  for (const auto& code : codes) {
    const Product& p = products.at(code);
    platform::Row row = {packets::text(p.treeCode), packets::text(p.name)};
    for (const auto& costs : resolvers)
      row.push_back(packets::num(costs.at(p.stockProduct, costDate).value));
    packet.rows.push_back(std::move(row));
  }
  return Variant(std::move(packet));
}

}  // namespace server::objects

namespace server::objects {

Variant AnaCustRevRec::GetPesoExcecao(db::Database& db, const CallContext&, const Params& params) {
  Args args("GetPesoExcecao", params, 11);
  std::string list = args.text(0);
  std::string key = args.text(1);
  std::string branch = args.text(2);
  std::string costBranch = args.text(3);
  std::string service = args.text(4);
  int costMode = args.integer(5);
  double first = args.day(6);
  double last = args.day(7);
  double fixedDate = args.day(8);
  bool useFixed = args.boolean(9);
  double costDate = args.day(10);

  if (list != "0" && list != "1")
    return Variant(msg::kListaExcecaoInvalida + limits::clip(list, 10));
  std::string refusal = limits::sizeRefusal("CDCONSPLAN", key, kWorkTableKey);
  if (refusal.empty()) refusal = checkCostContext(db, branch, service, costMode, costBranch);
  if (!refusal.empty()) return Variant(refusal);
  if (last < first || last - first > kMaxRangeDays) return Variant(msg::kPeriodoInvalido);

  const bool outdatedList = list == "1";
  const std::string pricing = effectiveCostBranch(branch, costBranch);
  ListedUses planned;
  if (auto kept = outdatedList ? readWorkTable(db, key, branch, first, last) : std::nullopt) {
    planned.uses = std::move(*kept);
    for (const auto& use : planned.uses)
      if (use.outdated) planned.listed.push_back(use.product);
  } else {
    planned = plannedUses(db, outdatedList, branch, service, first, last, costMode, pricing,
                          useFixed ? std::optional<double>(fixedDate) : std::nullopt);
  }

  double total = 0;
  std::unordered_map<std::string, const PlannedUse*> useOf;
  for (const auto& use : planned.uses) {
    total += use.cost;
    useOf.emplace(use.product, &use);
  }
  auto packet = packets::pesoExcecao();
  if (planned.listed.empty()) return Variant(std::move(packet));
  auto products = loadProducts(db, planned.listed);

  // A product the plan prices at 0 weighs what the first mode with a price would make it cost.
  std::vector<std::string> unpriced;
  for (const auto& code : planned.listed)
    if (useOf.at(code)->cost == 0) unpriced.push_back(products.at(code).stockProduct);
  std::vector<cost::CostResolver> resolvers;
  if (!unpriced.empty()) {
    resolvers.reserve(kModes.size());
    for (int mode : kModes)
      resolvers.emplace_back(db, pricing, mode, costDate, costDate, unpriced);
  }

  struct Row {
    const Product* product;
    double quantity;
    double cost;
    double weight;
    bool estimated;
  };
  std::vector<Row> rows;
  for (const auto& code : planned.listed) {
    const PlannedUse& use = *useOf.at(code);
    const Product& product = products.at(code);
    Row row{&product, platform::roundDec(use.quantity, 5), use.cost, 0, false};
    if (row.cost == 0) {
      for (const auto& costs : resolvers) {
        double unit = costs.at(product.stockProduct, costDate).value;
        if (unit != 0) {
          row.cost = use.quantity * unit;
          row.estimated = true;
          break;
        }
      }
    }
    row.weight = total != 0 ? platform::roundDec(100 * row.cost / total, 5) : 0;
    row.cost = platform::roundDec(row.cost, 5);
    rows.push_back(row);
  }
  std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
    if (a.weight != b.weight) return a.weight > b.weight;
    return a.product->treeCode < b.product->treeCode;
  });
  for (const Row& row : rows) {
    packet.rows.push_back({packets::text(row.product->code), packets::text(row.product->treeCode),
                           packets::text(row.product->name), packets::num(row.quantity),
                           packets::num(row.cost), packets::num(row.weight),
                           packets::flag(row.estimated)});
  }
  return Variant(std::move(packet));
}

}  // namespace server::objects
