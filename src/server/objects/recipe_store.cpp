#include "server/objects/recipe_store.h"

#include <tuple>

#include "platform/format.h"
#include "server/objects/context_checks.h"
#include "server/objects/lookups.h"
#include "server/objects/messages.h"

namespace server::objects {

std::optional<RecipeKind> recipeKindOf(std::string_view code) {
  if (code == "P") return RecipeKind::Standard;
  if (code == "L") return RecipeKind::Local;
  if (code == "S") return RecipeKind::PerService;
  return std::nullopt;
}

bool RecipeTarget::operator<(const RecipeTarget& o) const {
  return std::tie(kind, branch, service, dishBranch, dish) <
         std::tie(o.kind, o.branch, o.service, o.dishBranch, o.dish);
}

namespace {

const char* tableOf(RecipeKind kind) {
  switch (kind) {
    case RecipeKind::Standard:
      return "RECEITA";
    case RecipeKind::Local:
      return "RECEITALOCAL";
    case RecipeKind::PerService:
      return "RECEITASERV";
  }
  return "RECEITA";
}

// The recipe's key condition on ?start.. ; returns the next free placeholder number.
int keyCondition(const RecipeTarget& t, std::string* sql, int start = 1) {
  int n = start;
  auto add = [&](const char* column) {
    *sql += (n > start ? " AND " : "") + std::string(column) + " = ?" + std::to_string(n);
    ++n;
  };
  if (t.kind != RecipeKind::Standard) add("CDFILIAL");
  if (t.kind == RecipeKind::PerService) add("CDSERVFILI");
  add("CDFILAUXPRAT");
  add("CDPRATO");
  return n;
}

int bindKey(db::Statement& st, const RecipeTarget& t, int start = 1) {
  int n = start;
  if (t.kind != RecipeKind::Standard) st.bindText(n++, t.branch);
  if (t.kind == RecipeKind::PerService) st.bindText(n++, t.service);
  st.bindText(n++, t.dishBranch);
  st.bindText(n++, t.dish);
  return n;
}

}  // namespace

std::optional<RecipeLine> RecipeStore::find(const RecipeTarget& target,
                                            const std::string& product) {
  std::string sql =
      std::string("SELECT QTDERECE, SGUNIDRECE FROM ") + tableOf(target.kind) + " WHERE ";
  int n = keyCondition(target, &sql);
  sql += " AND CDPRODUTO = ?" + std::to_string(n);
  auto st = db_.prepare(sql);
  st->bindText(bindKey(*st, target), product);
  if (!st->step()) return std::nullopt;
  return RecipeLine{st->real(0), st->text(1)};
}

int64_t RecipeStore::count(const RecipeTarget& target) {
  std::string sql = std::string("SELECT COUNT(*) FROM ") + tableOf(target.kind) + " WHERE ";
  keyCondition(target, &sql);
  auto st = db_.prepare(sql);
  bindKey(*st, target);
  return st->step() ? st->integer(0) : 0;
}

namespace {

// "QTDERECE >= ?n AND QTDERECE < ?n+1 AND SGUNIDRECE = ?n+2": the line rounds to `original`'s
// per capita at 5 decimals and has its unit.
void originalCondition(std::string* sql, int n) {
  *sql += " AND QTDERECE >= ?" + std::to_string(n) + " AND QTDERECE < ?" + std::to_string(n + 1) +
          " AND SGUNIDRECE = ?" + std::to_string(n + 2);
}

void bindOriginal(db::Statement& st, const RecipeLine& original, int n) {
  // Half a unit of the fifth decimal either side: what rounds to the same 5 decimals.
  double net = platform::roundDec(original.net, 5);
  st.bindReal(n, net - 0.000005);
  st.bindReal(n + 1, net + 0.000005);
  st.bindText(n + 2, original.unit);
}

}  // namespace

bool RecipeStore::insertNew(const RecipeTarget& target, const std::string& product,
                            const RecipeLine& line) {
  std::string columns, values;
  int n = 1;
  auto add = [&](const char* column) {
    columns += (n > 1 ? ", " : "") + std::string(column);
    values += (n > 1 ? ", ?" : "?") + std::to_string(n);
    ++n;
  };
  if (target.kind != RecipeKind::Standard) add("CDFILIAL");
  if (target.kind == RecipeKind::PerService) add("CDSERVFILI");
  for (const char* c : {"CDFILAUXPRAT", "CDPRATO", "CDPRODUTO", "QTDERECE", "SGUNIDRECE"})
    add(c);
  // The product already there is the recipe's key: the insert itself is the duplicate check.
  auto st = db_.prepare(std::string("INSERT INTO ") + tableOf(target.kind) + " (" + columns +
                        ") VALUES (" + values + ") ON CONFLICT DO NOTHING");
  int next = bindKey(*st, target);
  st->bindText(next, product);
  st->bindReal(next + 1, platform::roundDec(line.net, 5));
  st->bindText(next + 2, line.unit);
  st->run();
  return db_.changes() == 1;
}

bool RecipeStore::updateUnchanged(const RecipeTarget& target, const std::string& product,
                                  const RecipeLine& original, const std::string& newProduct,
                                  const RecipeLine& line) {
  std::string sql = std::string("UPDATE ") + tableOf(target.kind) +
                    " SET CDPRODUTO = ?1, QTDERECE = ?2, SGUNIDRECE = ?3 WHERE ";
  int n = keyCondition(target, &sql, 4);
  sql += " AND CDPRODUTO = ?" + std::to_string(n);
  originalCondition(&sql, n + 1);
  if (newProduct != product) {
    // Unqualified columns of the subquery name its own rows; the key placeholders repeat.
    sql += std::string(" AND NOT EXISTS (SELECT 1 FROM ") + tableOf(target.kind) + " WHERE ";
    keyCondition(target, &sql, 4);
    sql += " AND CDPRODUTO = ?1)";
  }
  auto st = db_.prepare(sql);
  st->bindText(1, newProduct);
  st->bindReal(2, platform::roundDec(line.net, 5));
  st->bindText(3, line.unit);
  st->bindText(bindKey(*st, target, 4), product);
  bindOriginal(*st, original, n + 1);
  st->run();
  return db_.changes() == 1;
}

bool RecipeStore::removeUnchanged(const RecipeTarget& target, const std::string& product,
                                  const RecipeLine& original) {
  std::string sql = std::string("DELETE FROM ") + tableOf(target.kind) + " WHERE ";
  int n = keyCondition(target, &sql);
  sql += " AND CDPRODUTO = ?" + std::to_string(n);
  originalCondition(&sql, n + 1);
  auto st = db_.prepare(sql);
  st->bindText(bindKey(*st, target), product);
  bindOriginal(*st, original, n + 1);
  st->run();
  return db_.changes() == 1;
}

void RecipeStore::update(const RecipeTarget& target, const std::string& product,
                         const std::string& newProduct, const RecipeLine& line) {
  std::string sql = std::string("UPDATE ") + tableOf(target.kind) +
                    " SET CDPRODUTO = ?1, QTDERECE = ?2, SGUNIDRECE = ?3 WHERE ";
  int n = keyCondition(target, &sql, 4);
  sql += " AND CDPRODUTO = ?" + std::to_string(n);
  auto st = db_.prepare(sql);
  st->bindText(1, newProduct);
  st->bindReal(2, line.net);
  st->bindText(3, line.unit);
  st->bindText(bindKey(*st, target, 4), product);
  st->run();
}

std::string swapProduct(db::Database& db, RecipeKind kind, const std::string& dish,
                        const std::string& branch, const std::string& service,
                        const std::string& oldProduct, const std::string& newProduct,
                        const std::string& unit) {
  std::string refusal =
      checkBranchService(db, branch, kind == RecipeKind::PerService ? service : "");
  if (!refusal.empty()) return refusal;
  auto product = productByCode(db, newProduct, branch);
  std::string key = recipeProductRefusal(product);
  if (!key.empty()) return refusalText(key);
  auto optional = db.prepare("SELECT 1 FROM PRODOPCIONAL WHERE CDPRODUTO = ?1 AND CDPRODOPC = ?2");
  optional->bindText(1, oldProduct);
  optional->bindText(2, newProduct);
  if (!optional->step()) return msg::kNaoOpcional;

  db::Transaction tx(db);
  // Only the dish code travels with a swap: every recipe of that code in the branch swaps.
  std::string sql = std::string("SELECT CDFILAUXPRAT, QTDERECE FROM ") +
                    (kind == RecipeKind::Local ? "RECEITALOCAL" : "RECEITASERV") +
                    " WHERE CDFILIAL = ?1 AND CDPRATO = ?2 AND CDPRODUTO = ?3" +
                    (kind == RecipeKind::PerService ? " AND CDSERVFILI = ?4" : "");
  auto st = db.prepare(sql);
  st->bindText(1, branch);
  st->bindText(2, dish);
  st->bindText(3, oldProduct);
  if (kind == RecipeKind::PerService) st->bindText(4, service);
  std::vector<std::pair<RecipeTarget, double>> targets;
  while (st->step()) {
    targets.push_back({RecipeTarget{kind, branch, service, st->text(0), dish}, st->real(1)});
  }
  if (targets.empty()) return msg::kProdutoForaDaReceita;
  RecipeStore store(db);
  for (const auto& [target, net] : targets) {
    if (store.find(target, newProduct)) {
      return kind == RecipeKind::Local ? msg::kReceLocJaCadastrado : msg::kReceServJaCadastrado;
    }
    store.update(target, oldProduct, newProduct,
                 RecipeLine{net, unit.empty() ? product->unit : unit});
  }
  tx.commit();
  return "";
}

}  // namespace server::objects
