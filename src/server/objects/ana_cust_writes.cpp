// Writes: the recipe save, a dish's diners and the per-service ingredient swap. Each is one
// transaction; a refusal writes nothing.
#include <cmath>
#include <map>

#include "platform/format.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server/objects/args.h"
#include "server/objects/context_checks.h"
#include "server/objects/day_products.h"
#include "server/objects/lookups.h"
#include "server/objects/messages.h"
#include "server/objects/recipe_store.h"

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

std::string fieldText(const DataPacket& packet, const Row& row, std::string_view name) {
  int index = packet.fieldIndex(name);
  if (index < 0 || static_cast<size_t>(index) >= row.size()) return "";
  return row[static_cast<size_t>(index)].toString();
}

double fieldNumber(const DataPacket& packet, const Row& row, std::string_view name) {
  int index = packet.fieldIndex(name);
  if (index < 0 || static_cast<size_t>(index) >= row.size()) return 0;
  return row[static_cast<size_t>(index)].toDouble();
}

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
    c.kindCode = fieldText(packet, described, "TIPO");
    if (c.kindCode.empty()) c.kindCode = request.recipeKind;
    c.dish = fieldText(packet, described, "CDPRATO");
    c.dishBranch = fieldText(packet, described, "CDFILAUXPRAT");
    if (c.dish.empty()) {
      c.dish = request.dish;
      c.dishBranch = request.dishBranch;
    }
    c.treeCode = fieldText(packet, described, "CDARVPROD");
    if (current != nullptr) {
      c.product = fieldText(packet, *current, "CDPRODUTO");
      c.line = {fieldNumber(packet, *current, "QTDERECE"),
                fieldText(packet, *current, "SGUNIDRECE")};
    }
    if (original != nullptr) {
      c.originalProduct = fieldText(packet, *original, "CDPRODUTO");
      c.original = {fieldNumber(packet, *original, "QTDERECE"),
                    fieldText(packet, *original, "SGUNIDRECE")};
    }
    changes.push_back(std::move(c));
  }
  return changes;
}

bool sameLine(const RecipeLine& stored, const RecipeLine& original) {
  return roundDec(stored.net, 5) == roundDec(original.net, 5) && stored.unit == original.unit;
}

// Applies every change or throws the first Refusal. Runs inside the caller's transaction.
void applyChanges(db::Database& db, const CallContext& context, const SaveRequest& request) {
  RecipeStore store(db);
  auto blocked = db.prepare("SELECT IDBLOALTRELO FROM PARAMPLANEJA WHERE CDFILIAL = ?1");
  blocked->bindText(1, request.branch);
  bool localBlock = blocked->step() && blocked->text(0) == "S";
  int arrv = operatorParam(db, context.operatorCode, "ARRV");

  std::map<RecipeTarget, int64_t> sizeBefore;
  std::map<RecipeTarget, std::string> lastDeleted;
  for (const auto& c : request.changes) {
    auto kind = recipeKindOf(c.kindCode);
    if (!kind) throw Refusal{msg::kTipoReceitaInvalido + c.kindCode, c.treeCode};
    auto dish = db.prepare("SELECT 1 FROM PRATO WHERE CDFILAUXPRAT = ?1 AND CDPRATO = ?2");
    dish->bindText(1, c.dishBranch);
    dish->bindText(2, c.dish);
    if (!dish->step()) throw Refusal{msg::kPratoNaoEncontrado, c.treeCode};

    if (*kind == RecipeKind::Standard) {
      if (!hasRight(db, context.operatorCode, kRecipeRightKind, standardRight(c.kind))) {
        throw Refusal{msg::kSemDireitoReceitaPadrao, c.treeCode};
      }
    } else if (c.kind != ChangeKind::Modify && localBlock && c.dishBranch == "P" && arrv != 1) {
      throw Refusal{arrv == -1 ? msg::kOperNaoAutorizado : msg::kReceLocBloqueada, c.treeCode};
    }

    RecipeTarget target{*kind, request.branch, request.service, c.dishBranch, c.dish};
    if (!sizeBefore.count(target)) sizeBefore[target] = store.count(target);

    auto checkNew = [&](const std::string& product) {
      auto info = productByCode(db, product, request.branch);
      std::string key = recipeProductRefusal(info);
      if (!key.empty()) throw Refusal{key, c.treeCode};
      if (!(roundDec(c.line.net, 5) > 0)) throw Refusal{msg::kQtdeInvalida, c.treeCode};
      if (store.find(target, product)) throw Refusal{msg::kProdJaCadastrado, c.treeCode};
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
        store.insert(target, product, c.line);
        break;
      }
      case ChangeKind::Modify: {
        auto stored = store.find(target, c.originalProduct);
        if (!stored || !sameLine(*stored, c.original)) {
          throw Refusal{msg::kReceitaAlterada, c.treeCode};
        }
        if (c.product != c.originalProduct) {
          checkNew(c.product);
        } else if (!(roundDec(c.line.net, 5) > 0)) {
          throw Refusal{msg::kQtdeInvalida, c.treeCode};
        }
        store.update(target, c.originalProduct, c.product, c.line);
        break;
      }
      case ChangeKind::Delete: {
        auto stored = store.find(target, c.originalProduct);
        if (!stored || !sameLine(*stored, c.original)) {
          throw Refusal{msg::kReceitaAlterada, c.treeCode};
        }
        store.remove(target, c.originalProduct);
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
    // The delta is the change log; a client that sends it inside the full packet only is served
    // the same.
    try {
      request.changes = readChanges(delta.changes.empty() ? full : delta, request);
    } catch (const platform::ConversionError& e) {
      return answer(msg::kPacoteInvalido + std::string(e.what()), Variant(""));
    }
    std::string refusal =
        checkCostContext(db, request.branch, request.service, request.costMode, request.costBranch);
    if (!refusal.empty()) return answer(refusal, Variant(""));
    std::string first = request.changes.empty() ? "" : request.changes.front().treeCode;
    auto open = blockDate(db, request.branch);
    if (!request.changes.empty() && request.day < *open) {
      return answer(msg::kDiaFechado, Variant(first));
    }

    db::Transaction tx(db);
    applyChanges(db, context, request);
    // The answer is read inside the transaction, so a save is never reported as failed after
    // it was committed.
    DataPacket products =
        dayProducts(db, request.branch, request.service, request.day, request.costMode,
                    request.useFixed ? request.costDate : request.day, request.monthStart,
                    effectiveCostBranch(request.branch, request.costBranch));
    tx.commit();
    return answer("", Variant(std::move(products)));
  } catch (const Refusal& r) {
    return answer(r.message, Variant(r.treeCode));
  } catch (const db::DbError& e) {
    return answer(msg::kErroBanco + std::string(e.what()), Variant(""));
  }
}

Variant AnaCustRevRec::AltComensais(db::Database& db, const CallContext&, const Params& params) {
  Args args("AltComensais", params, 6);
  std::string branch = args.text(0);
  std::string service = args.text(1);
  double day = args.day(2);
  std::string dish = args.text(3);
  std::string dishBranch = args.text(4);
  double diners = args.number(5);
  std::string refusal = checkBranchService(db, branch, service);
  if (!refusal.empty()) return Variant(refusal);
  if (day < *blockDate(db, branch)) return Variant(msg::kDiaFechado);
  if (!(diners >= 0) || diners > 1e9) return Variant(msg::kComensaisInvalidos);

  db::Transaction tx(db);
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

Variant AnaCustRevRec::TrocaProduto(db::Database& db, const CallContext&, const Params& params) {
  Args args("TrocaProduto", params, 9);
  std::string refusal = swapProduct(db, RecipeKind::PerService, args.text(0), args.text(1),
                                    args.text(2), args.text(3), args.text(4), args.text(5));
  if (!refusal.empty()) return Variant(refusal);
  return Variant(true);
}

}  // namespace server::objects
