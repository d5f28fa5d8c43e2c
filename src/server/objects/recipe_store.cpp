#include "server/objects/recipe_store.h"

#include <cmath>
#include <tuple>

#include "platform/format.h"
#include "server/db/retry.h"
#include "server/objects/args.h"
#include "server/objects/context_checks.h"
#include "server/objects/lookups.h"
#include "server/objects/messages.h"
#include "server/objects/write_limits.h"

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

RecipeStore::Update RecipeStore::updateUnchanged(const RecipeTarget& target,
                                                 const std::string& product,
                                                 const RecipeLine& original,
                                                 const std::string& newProduct,
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
  try {
    st->run();
  } catch (const db::DbError& e) {
    // Another transaction's newProduct line, committed after this statement's snapshot.
    if (e.uniqueViolation()) return Update::Taken;
    throw;
  }
  return db_.changes() == 1 ? Update::Done : Update::Changed;
}

void RecipeStore::lockDish(const std::string& dishBranch, const std::string& dish) {
  std::string lock = db_.dialect().lockRows();
  // SQLite's write transaction holds the whole database already.
  if (lock.empty()) return;
  auto st = db_.prepare("SELECT 1 FROM PRATO WHERE CDFILAUXPRAT = ?1 AND CDPRATO = ?2" + lock);
  st->bindText(1, dishBranch);
  st->bindText(2, dish);
  st->run();
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

namespace {

// The dish branches of the `kind` recipes of the dish code in the branch (and service), limited to
// `dishBranch` when given.
std::vector<std::string> swapCandidates(db::Database& db, const SwapRequest& r) {
  bool perService = r.kind == RecipeKind::PerService;
  std::string sql = std::string("SELECT DISTINCT CDFILAUXPRAT FROM ") + tableOf(r.kind) +
                    " WHERE CDFILIAL = ?1 AND CDPRATO = ?2";
  int n = 3;
  if (perService) sql += " AND CDSERVFILI = ?" + std::to_string(n++);
  if (!r.dishBranch.empty()) sql += " AND CDFILAUXPRAT = ?" + std::to_string(n++);
  auto st = db.prepare(sql);
  st->bindText(1, r.branch);
  st->bindText(2, r.dish);
  n = 3;
  if (perService) st->bindText(n++, r.service);
  if (!r.dishBranch.empty()) st->bindText(n++, r.dishBranch);
  std::vector<std::string> out;
  while (st->step())
    out.push_back(st->text(0));
  return out;
}

bool inStandardRecipe(db::Database& db, const SwapRequest& r) {
  auto st = db.prepare(
      "SELECT 1 FROM RECEITA WHERE CDPRATO = ?1 AND CDPRODUTO = ?2 AND (?3 = '' OR CDFILAUXPRAT ="
      " ?3)");
  st->bindText(1, r.dish);
  st->bindText(2, r.oldProduct);
  st->bindText(3, r.dishBranch);
  return st->step();
}

// Whether the dish is on the branch's (service's) menu of a day not closed yet: the screen only
// swaps products of such a day's dishes.
bool onOpenMenu(db::Database& db, const SwapRequest& r, const RecipeTarget& target) {
  auto open = blockDate(db, r.branch);
  if (!open) return false;
  std::string sql =
      "SELECT 1 FROM CARDAPIO WHERE CDFILIAL = ?1 AND CDFILAUXPRAT = ?2 AND CDPRATO = ?3"
      " AND DTCARDAPIO >= ?4";
  if (r.kind == RecipeKind::PerService) sql += " AND CDSERVFILI = ?5";
  auto st = db.prepare(sql + " LIMIT 1");
  st->bindText(1, r.branch);
  st->bindText(2, target.dishBranch);
  st->bindText(3, r.dish);
  st->bindReal(4, *open);
  if (r.kind == RecipeKind::PerService) st->bindText(5, r.service);
  return st->step();
}

std::string swapInTransaction(db::Database& db, const SwapRequest& r) {
  bool perService = r.kind == RecipeKind::PerService;
  std::string refusal = checkBranchService(db, r.branch, perService ? r.service : "");
  if (!refusal.empty()) return refusal;
  {
    auto st = db.prepare("SELECT IDBLOALTRELO FROM PARAMPLANEJA WHERE CDFILIAL = ?1");
    st->bindText(1, r.branch);
    if (!st->step() || st->text(0) != "S") return msg::kTrocaBloqueada;
  }
  auto product = productByCode(db, r.newProduct, r.branch);
  std::string key = recipeProductRefusal(product);
  if (!key.empty()) return refusalText(key);
  std::string group = productGroup(db);
  if (!group.empty() && product->group != group) return msg::kProdForaDoGrupo;
  {
    auto st = db.prepare("SELECT 1 FROM PRODOPCIONAL WHERE CDPRODUTO = ?1 AND CDPRODOPC = ?2");
    st->bindText(1, r.oldProduct);
    st->bindText(2, r.newProduct);
    if (!st->step()) return msg::kNaoOpcional;
  }

  std::vector<std::string> dishBranches = swapCandidates(db, r);
  if (dishBranches.empty()) {
    return inStandardRecipe(db, r) ? msg::kTrocaReceitaPadrao : msg::kProdutoForaDaReceita;
  }
  // Only the dish code travels with the screen's swap; a code several dish branches share names
  // several recipes, and rewriting them all would change dishes nobody chose.
  if (dishBranches.size() > 1) return msg::kPratoAmbiguo;
  RecipeTarget target{r.kind, r.branch, perService ? r.service : "", dishBranches.front(), r.dish};
  if (!onOpenMenu(db, r, target)) return msg::kPratoSemDiaAberto;

  const char* taken = perService ? msg::kReceServJaCadastrado : msg::kReceLocJaCadastrado;
  RecipeStore store(db);
  store.lockDish(target.dishBranch, target.dish);
  auto line = store.find(target, r.oldProduct);
  if (!line) return msg::kProdutoForaDaReceita;
  if (store.find(target, r.newProduct)) return taken;
  RecipeLine swapped{line->net, r.unit.empty() ? product->unit : r.unit};
  switch (store.updateUnchanged(target, r.oldProduct, *line, r.newProduct, swapped)) {
    case RecipeStore::Update::Done:
      return "";
    case RecipeStore::Update::Taken:
      return taken;
    case RecipeStore::Update::Changed:
      break;
  }
  return store.find(target, r.newProduct) ? taken : msg::kReceitaAlterada;
}

}  // namespace

SwapRequest swapRequest(RecipeKind kind, const std::vector<platform::Variant>& params) {
  Args args("TrocaProduto", params, 9);
  SwapRequest r;
  r.kind = kind;
  r.dish = args.text(0);
  r.branch = args.text(1);
  r.service = args.text(2);
  r.oldProduct = args.text(3);
  r.newProduct = args.text(4);
  r.unit = args.text(5);
  r.factor = args.real(6);
  r.dishBranch = args.text(7);
  r.recipeKind = args.text(8);
  return r;
}

std::string swapProduct(db::Database& db, const SwapRequest& r) {
  std::string refusal =
      limits::firstSizeRefusal({{"CDPRATO", r.dish, limits::kDish},
                                {"CDFILIAL", r.branch, limits::kBranch},
                                {"CDSERVFILI", r.service, limits::kService},
                                {"CDPRODUTO", r.oldProduct, limits::kProduct},
                                {"CDPRODUTO", r.newProduct, limits::kProduct},
                                {"SGUNIDRECE", r.unit, limits::kUnit},
                                {"CDFILAUXPRAT", r.dishBranch, limits::kDishBranch}});
  if (!refusal.empty()) return refusal;
  if (!(std::isfinite(r.factor) && r.factor > 0)) return msg::kFatorInvalido;
  if (r.recipeKind == "P") return msg::kTrocaReceitaPadrao;
  if (!r.recipeKind.empty() && recipeKindOf(r.recipeKind) != r.kind) {
    return msg::kTipoReceitaInvalido + limits::clip(r.recipeKind, limits::kRecipeKind);
  }

  // Every read happens after BEGIN: a read still stepping when the transaction begins keeps a
  // snapshot that BEGIN IMMEDIATE cannot upgrade once another write has committed, and the swap
  // would fail at once instead of waiting its turn.
  return db::retryTransient([&] {
    db::Transaction tx(db);
    std::string refused = swapInTransaction(db, r);
    if (!refused.empty()) return refused;
    tx.commit();
    return std::string();
  });
}

}  // namespace server::objects
