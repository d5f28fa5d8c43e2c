// Writes: the recipe save, a dish's diners and the per-service ingredient swap. Each is one
// transaction; a refusal writes nothing.
#include <initializer_list>
#include <map>
#include <set>
#include <utility>

#include "platform/format.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server/objects/args.h"
#include "server/objects/context_checks.h"
#include "server/objects/database_messages.h"
#include "server/objects/day_products.h"
#include "server/objects/lookups.h"
#include "server/objects/messages.h"
#include "server/objects/recipe_store.h"
#include "server/objects/write_limits.h"

namespace server::objects {

using platform::ChangeKind;
using platform::DataPacket;
using platform::roundDec;
using platform::Row;
using platform::Variant;

namespace {

// Authorisation kind of recipe actions and the standard-recipe rights per change.
constexpr int kRecipeRightKind = 4;
const char* standardRight(ChangeKind kind) {
  switch (kind) {
    case ChangeKind::Insert:
      return "INCLUSAO_PRODUTO_RECEITA_PADRAO";
    case ChangeKind::Modify:
      return "ALTERACAO_PRODUTO_RECEITA_PADRAO";
    case ChangeKind::Delete:
      return "EXCLUSAO_PRODUTO_RECEITA_PADRAO";
  }
  return "";
}

// A refusal of the whole save: the message (catalogue key or text) and the refused product.
struct Refusal {
  std::string message;
  std::string treeCode;
};

// The value of field `name` in `row`, nullptr when the packet has no such field.
const Variant* cell(const DataPacket& packet, const Row& row, std::string_view name) {
  int index = packet.fieldIndex(name);
  if (index < 0 || static_cast<size_t>(index) >= row.size()) return nullptr;
  return &row[static_cast<size_t>(index)];
}

// The row's CDARVPROD cut to its column, "" when it is not a text: what names the row in a
// refusal.
std::string treeCodeOf(const DataPacket& packet, const Row& row) {
  const Variant* v = cell(packet, row, "CDARVPROD");
  if (v == nullptr || !v->isText()) return "";
  return limits::clip(v->toString(), limits::kTreeCode);
}

// Reads the values of one change row. A text beyond its column, or a value that is not of its
// field's kind, refuses the save naming the field, never quoting the client's value.
class RowReader {
 public:
  RowReader(const DataPacket& packet, const Row& row, std::string treeCode)
      : packet_(packet), row_(row), treeCode_(std::move(treeCode)) {}

  std::string text(std::string_view name, int size) const {
    const Variant* v = cell(packet_, row_, name);
    if (v == nullptr) return "";
    if (v->isArray() || v->isPacket()) throw invalid(name);
    std::string out;
    try {
      out = v->toString();
    } catch (const platform::ConversionError&) {
      throw invalid(name);
    }
    std::string refusal = limits::sizeRefusal(name, out, size);
    if (!refusal.empty()) throw Refusal{refusal, treeCode_};
    return out;
  }

  double number(std::string_view name) const {
    const Variant* v = cell(packet_, row_, name);
    if (v == nullptr) return 0;
    try {
      return v->toDouble();
    } catch (const platform::ConversionError&) {
      throw invalid(name);
    }
  }

 private:
  Refusal invalid(std::string_view name) const {
    return Refusal{msg::kValorInvalido + std::string(name), treeCode_};
  }

  const DataPacket& packet_;
  const Row& row_;
  std::string treeCode_;
};

struct RecipeChange {
  ChangeKind kind = ChangeKind::Insert;
  std::string kindCode;  // TIPO
  std::string dishBranch;
  std::string dish;
  std::string treeCode;  // names the row in a refusal
  std::string product;
  RecipeLine line;
  std::string originalProduct;
  RecipeLine original;
};

struct SaveRequest {
  std::string branch;
  std::string service;
  double day = 0;
  int costMode = 0;
  bool useFixed = false;
  double costDate = 0;
  std::string recipeKind;
  std::string dishBranch;
  std::string dish;
  double monthStart = 0;
  std::string costBranch;
  std::vector<RecipeChange> changes;
};

std::vector<RecipeChange> readChanges(const DataPacket& packet, const SaveRequest& request) {
  std::vector<RecipeChange> changes;
  for (const auto& change : packet.changes) {
    RecipeChange c;
    c.kind = change.kind;
    const Row* current = nullptr;
    if (change.kind != ChangeKind::Delete) {
      if (change.row < 0 || static_cast<size_t>(change.row) >= packet.rows.size()) {
        throw Refusal{msg::kPacoteInvalido + std::string("linha inexistente"), ""};
      }
      current = &packet.rows[static_cast<size_t>(change.row)];
    }
    const Row* original = change.kind == ChangeKind::Insert ? nullptr : &change.original;
    const Row& described = current != nullptr ? *current : *original;
    // The tree code names the row in every refusal, its own included.
    c.treeCode = treeCodeOf(packet, described);
    RowReader row(packet, described, c.treeCode);
    row.text("CDARVPROD", limits::kTreeCode);
    c.kindCode = row.text("TIPO", limits::kRecipeKind);
    if (c.kindCode.empty()) c.kindCode = request.recipeKind;
    c.dish = row.text("CDPRATO", limits::kDish);
    c.dishBranch = row.text("CDFILAUXPRAT", limits::kDishBranch);
    if (c.dish.empty()) {
      c.dish = request.dish;
      c.dishBranch = request.dishBranch;
    }
    if (current != nullptr) {
      RowReader now(packet, *current, c.treeCode);
      c.product = now.text("CDPRODUTO", limits::kProduct);
      c.line = {now.number("QTDERECE"), now.text("SGUNIDRECE", limits::kUnit)};
    }
    if (original != nullptr) {
      RowReader before(packet, *original, c.treeCode);
      c.originalProduct = before.text("CDPRODUTO", limits::kProduct);
      c.original = {before.number("QTDERECE"), before.text("SGUNIDRECE", limits::kUnit)};
    }
    changes.push_back(std::move(c));
  }
  return changes;
}

bool dishOnMenu(db::Database& db, const SaveRequest& request, const RecipeChange& c) {
  auto st = db.prepare(
      "SELECT 1 FROM CARDAPIO WHERE CDFILIAL = ?1 AND CDSERVFILI = ?2 AND DTCARDAPIO = ?3"
      " AND CDFILAUXPRAT = ?4 AND CDPRATO = ?5");
  st->bindText(1, request.branch);
  st->bindText(2, request.service);
  st->bindReal(3, request.day);
  st->bindText(4, c.dishBranch);
  st->bindText(5, c.dish);
  return st->step();
}

// The per capita a recipe line may hold: above 0 at 5 decimals, and plausible.
void checkPerCapita(const RecipeChange& c) {
  if (!(roundDec(c.line.net, 5) > 0)) throw Refusal{msg::kQtdeInvalida, c.treeCode};
  if (!(c.line.net <= limits::kMaxPerCapita)) throw Refusal{msg::kQtdeAcimaDoLimite, c.treeCode};
}

// Applies every change or throws the first Refusal. Runs inside the caller's transaction.
void applyChanges(db::Database& db, const CallContext& context, const SaveRequest& request) {
  RecipeStore store(db);
  auto blocked = db.prepare("SELECT IDBLOALTRELO FROM PARAMPLANEJA WHERE CDFILIAL = ?1");
  blocked->bindText(1, request.branch);
  bool localBlock = blocked->step() && blocked->text(0) == "S";
  int arrv = operatorParam(db, context.operatorCode, "ARRV");
  std::string group = productGroup(db);

  // Every dish of the save, locked in order before any of its recipes is read.
  std::set<std::pair<std::string, std::string>> dishes;
  for (const auto& c : request.changes)
    dishes.insert({c.dishBranch, c.dish});
  for (const auto& [dishBranch, dish] : dishes)
    store.lockDish(dishBranch, dish);

  std::set<std::pair<std::string, std::string>> onMenu;
  std::map<RecipeTarget, int64_t> sizeBefore;
  std::map<RecipeTarget, std::string> lastDeleted;
  for (const auto& c : request.changes) {
    auto kind = recipeKindOf(c.kindCode);
    if (!kind) throw Refusal{msg::kTipoReceitaInvalido + limits::echo(c.kindCode), c.treeCode};
    // Only the day's dishes: a recipe reached through another day could be a closed day's.
    if (!onMenu.count({c.dishBranch, c.dish})) {
      if (!dishOnMenu(db, request, c)) throw Refusal{msg::kPratoNaoEncontrado, c.treeCode};
      onMenu.insert({c.dishBranch, c.dish});
    }

    if (*kind == RecipeKind::Standard) {
      if (!hasRight(db, context.operatorCode, kRecipeRightKind, standardRight(c.kind))) {
        throw Refusal{msg::kSemDireitoReceitaPadrao, c.treeCode};
      }
    } else if (c.kind != ChangeKind::Modify && localBlock && c.dishBranch == "P" && arrv != 1) {
      throw Refusal{arrv == -1 ? msg::kOperNaoAutorizado : msg::kReceLocBloqueada, c.treeCode};
    }

    RecipeTarget target{*kind, request.branch, request.service, c.dishBranch, c.dish};
    if (!sizeBefore.count(target)) sizeBefore[target] = store.count(target);

    // A product joining the recipe: usable by the branch, of the configured group.
    auto checkNew = [&](const std::string& product) {
      auto info = productByCode(db, product, request.branch);
      std::string key = recipeProductRefusal(info);
      if (!key.empty()) throw Refusal{key, c.treeCode};
      if (!group.empty() && info->group != group) throw Refusal{msg::kProdForaDoGrupo, c.treeCode};
    };
    // A product staying in the recipe is re-validated against the group only, as the screen does
    // when a row is edited.
    auto checkGroup = [&](const std::string& product) {
      if (group.empty()) return;
      auto info = productByCode(db, product, request.branch);
      if (!info || info->group != group) throw Refusal{msg::kProdForaDoGrupo, c.treeCode};
    };

    switch (c.kind) {
      case ChangeKind::Insert: {
        std::string product = c.product;
        if (product.empty()) {
          auto info = productByTreeCode(db, c.treeCode, request.branch);
          if (info) product = info->code;
        }
        // A product joins a recipe that exists; creating one here would silently replace the
        // recipe in force by a one-product recipe.
        if (sizeBefore[target] == 0) throw Refusal{msg::kReceitaInexistente, c.treeCode};
        checkNew(product);
        checkPerCapita(c);
        if (!store.insertNew(target, product, c.line)) {
          throw Refusal{msg::kProdJaCadastrado, c.treeCode};
        }
        break;
      }
      case ChangeKind::Modify: {
        bool swapped = c.product != c.originalProduct;
        if (swapped) {
          checkNew(c.product);
        } else {
          checkGroup(c.product);
        }
        checkPerCapita(c);
        auto outcome =
            store.updateUnchanged(target, c.originalProduct, c.original, c.product, c.line);
        if (outcome == RecipeStore::Update::Taken) {
          throw Refusal{msg::kProdJaCadastrado, c.treeCode};
        }
        if (outcome == RecipeStore::Update::Changed) {
          bool taken = swapped && store.find(target, c.product);
          throw Refusal{taken ? msg::kProdJaCadastrado : msg::kReceitaAlterada, c.treeCode};
        }
        break;
      }
      case ChangeKind::Delete: {
        if (!store.removeUnchanged(target, c.originalProduct, c.original)) {
          throw Refusal{msg::kReceitaAlterada, c.treeCode};
        }
        lastDeleted[target] = c.treeCode;
        break;
      }
    }
  }
  // An emptied recipe would hand the dish to the next recipe kind without anyone choosing it.
  for (const auto& [target, treeCode] : lastDeleted) {
    if (store.count(target) == 0) throw Refusal{msg::kNaoExcluir, treeCode};
  }
}

}  // namespace

Variant AnaCustRevRec::GravaReceita(db::Database& db, const CallContext& context,
                                    const Params& params) {
  Args args("GravaReceita", params, 14);
  const DataPacket& full = args.packet(0);
  const DataPacket& delta = args.packet(1);
  SaveRequest request;
  request.branch = args.text(2);
  request.service = args.text(3);
  request.day = args.day(4);
  request.costMode = args.integer(5);
  request.useFixed = args.boolean(6);
  request.costDate = args.day(7);
  request.recipeKind = args.text(9);
  request.dishBranch = args.text(10);
  request.dish = args.text(11);
  request.monthStart = monthFirstDay(args.day(12));
  request.costBranch = args.text(13);

  auto answer = [](std::string error, Variant second) {
    return Variant::array({Variant(std::move(error)), std::move(second)});
  };
  try {
    std::string refusal =
        limits::firstSizeRefusal({{"CDFILIAL", request.branch, limits::kBranch},
                                  {"CDSERVFILI", request.service, limits::kService},
                                  {"TIPO", request.recipeKind, limits::kRecipeKind},
                                  {"CDFILAUXPRAT", request.dishBranch, limits::kDishBranch},
                                  {"CDPRATO", request.dish, limits::kDish},
                                  {"CDFILIAL", request.costBranch, limits::kBranch}});
    if (!refusal.empty()) return answer(refusal, Variant(""));
    // The delta is the change log; a client that sends it inside the full packet only is served
    // the same.
    const DataPacket& log = delta.changes.empty() ? full : delta;
    if (log.changes.size() > limits::kMaxChanges)
      return answer(msg::kAlteracoesDemais, Variant(""));
    request.changes = readChanges(log, request);
    refusal =
        checkCostContext(db, request.branch, request.service, request.costMode, request.costBranch);
    if (!refusal.empty()) return answer(refusal, Variant(""));
    std::string first = request.changes.empty() ? "" : request.changes.front().treeCode;
    auto open = blockDate(db, request.branch);
    if (!request.changes.empty() && request.day < *open) {
      return answer(msg::kDiaFechado, Variant(first));
    }

    DataPacket products = db::retryTransient([&] {
      db::Transaction tx(db);
      applyChanges(db, context, request);
      // The answer is read inside the transaction, so a save is never reported as failed after
      // it was committed.
      DataPacket day =
          dayProducts(db, request.branch, request.service, request.day, request.costMode,
                      request.useFixed ? request.costDate : request.day, request.monthStart,
                      effectiveCostBranch(request.branch, request.costBranch));
      tx.commit();
      return day;
    });
    return answer("", Variant(std::move(products)));
  } catch (const Refusal& r) {
    return answer(r.message, Variant(r.treeCode));
  } catch (const db::DbError& e) {
    return answer(databaseRefusal(context, e), Variant(""));
  }
}

Variant AnaCustRevRec::AltComensais(db::Database& db, const CallContext&, const Params& params) {
  Args args("AltComensais", params, 6);
  std::string branch = args.text(0);
  std::string service = args.text(1);
  double day = args.day(2);
  std::string dish = args.text(3);
  std::string dishBranch = args.text(4);
  double diners = args.real(5);
  std::string refusal =
      limits::firstSizeRefusal({{"CDFILIAL", branch, limits::kBranch},
                                {"CDSERVFILI", service, limits::kService},
                                {"CDPRATO", dish, limits::kDish},
                                {"CDFILAUXPRAT", dishBranch, limits::kDishBranch}});
  if (!refusal.empty()) return Variant(refusal);
  refusal = checkBranchService(db, branch, service);
  if (!refusal.empty()) return Variant(refusal);
  if (day < *blockDate(db, branch)) return Variant(msg::kDiaFechado);
  if (!(diners >= 0)) return Variant(msg::kComensaisInvalidos);
  if (!(diners <= limits::kMaxDiners)) return Variant(msg::kComensaisAcimaDoLimite);

  db::Transaction tx(db);
  // The key names the dish on the day's menu: no row changed is a dish not on it.
  auto st = db.prepare(
      "UPDATE CARDAPIO SET COMENSPRATO = ?1 WHERE CDFILIAL = ?2 AND CDSERVFILI = ?3"
      " AND DTCARDAPIO = ?4 AND CDFILAUXPRAT = ?5 AND CDPRATO = ?6");
  st->bindReal(1, diners);
  st->bindText(2, branch);
  st->bindText(3, service);
  st->bindReal(4, day);
  st->bindText(5, dishBranch);
  st->bindText(6, dish);
  st->run();
  if (db.changes() != 1) return Variant(msg::kPratoNaoEncontrado);
  tx.commit();
  return Variant(true);
}

Variant AnaCustRevRec::TrocaProduto(db::Database& db, const CallContext& context,
                                    const Params& params) {
  try {
    std::string refusal = swapProduct(db, swapRequest(RecipeKind::PerService, params));
    if (!refusal.empty()) return Variant(refusal);
  } catch (const db::DbError& e) {
    return Variant(databaseRefusal(context, e));
  }
  return Variant(true);
}

}  // namespace server::objects
