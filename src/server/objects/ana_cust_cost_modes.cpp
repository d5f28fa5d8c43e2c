// The unit cost every cost mode gives a list of products at one date, for the cost exception
// tool: one resolver per mode over the whole list, so a call costs the same few queries whatever
// the number of products.
#include <array>
#include <unordered_map>
#include <unordered_set>

#include "server/cost/unit_cost.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server/objects/args.h"
#include "server/objects/lookups.h"
#include "server/objects/messages.h"
#include "server/objects/packets.h"
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

}  // namespace

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
