#include "server/objects/lookups.h"

#include "server/objects/messages.h"

namespace server::objects {

std::optional<double> processingDate(db::Database& db, const std::string& branch) {
  auto st = db.prepare("SELECT DTPROCESSO FROM FILIAL WHERE CDFILIAL = ?1");
  st->bindText(1, branch);
  if (!st->step()) return std::nullopt;
  return st->real(0);
}

bool serviceExists(db::Database& db, const std::string& branch, const std::string& service) {
  auto st = db.prepare("SELECT 1 FROM SERVICO WHERE CDFILIAL = ?1 AND CDSERVFILI = ?2");
  st->bindText(1, branch);
  st->bindText(2, service);
  return st->step();
}

double blockDays(db::Database& db) {
  auto st = db.prepare("SELECT QTDIABLOQCAR FROM PARAMGERAL ORDER BY IDPARAMGERAL");
  return st->step() ? st->real(0) : 0.0;
}

std::optional<double> blockDate(db::Database& db, const std::string& branch) {
  auto processing = processingDate(db, branch);
  if (!processing) return std::nullopt;
  return *processing + blockDays(db);
}

std::string productGroup(db::Database& db) {
  auto st = db.prepare("SELECT CDGRUPPROD FROM PARAMGERAL ORDER BY IDPARAMGERAL");
  if (!st->step()) return "";
  std::string group = st->text(0);
  return group.find_first_not_of(' ') == std::string::npos ? "" : group;
}

namespace {

std::optional<ProductInfo> productWhere(db::Database& db, const char* column,
                                        std::string_view value, const std::string& branch) {
  std::string sql =
      "SELECT P.CDPRODUTO, P.CDARVPROD, P.CDNVPRODUTO, P.NMPRODUTO, P.DSCOMPLNOME, P.SGUNIDADE,"
      " P.CDPRODESTO, P.VRPEFATOCORR, P.IDINTESAFR, P.IDATIVO, P.IDCONTREST, P.CDGRUPPROD,"
      " F.IDATIVO"
      " FROM PRODUTO P LEFT JOIN PRODFILIAL F ON F.CDFILIAL = ?2 AND F.CDPRODUTO = P.CDPRODUTO"
      " WHERE P." +
      std::string(column) + " = ?1";
  auto st = db.prepare(sql);
  st->bindText(1, value);
  st->bindText(2, branch);
  if (!st->step()) return std::nullopt;
  ProductInfo p;
  p.code = st->text(0);
  p.treeCode = st->text(1);
  p.level = static_cast<int>(st->integer(2));
  p.name = st->text(3);
  p.complement = st->text(4);
  p.unit = st->text(5);
  p.stockProduct = st->text(6);
  p.factor = st->real(7);
  p.seasons = st->text(8);
  p.active = st->text(9) == "S";
  p.controlsStock = st->text(10) == "S";
  p.group = st->text(11);
  p.activeInBranch = st->text(12) == "S";
  return p;
}

}  // namespace

std::optional<ProductInfo> productByCode(db::Database& db, std::string_view code,
                                         const std::string& branch) {
  return productWhere(db, "CDPRODUTO", code, branch);
}

std::optional<ProductInfo> productByTreeCode(db::Database& db, std::string_view treeCode,
                                             const std::string& branch) {
  return productWhere(db, "CDARVPROD", treeCode, branch);
}

std::string recipeProductRefusal(const std::optional<ProductInfo>& product) {
  if (!product || !product->active || !product->activeInBranch) return msg::kProdInativo;
  if (product->stockProduct != product->code) return msg::kProdCompra;
  if (!product->controlsStock) return msg::kProdNaoControlaEstoque;
  return "";
}

std::string refusalText(const std::string& key) {
  if (key == msg::kProdInativo) return msg::kProdInativoTexto;
  if (key == msg::kProdCompra) return msg::kProdCompraTexto;
  if (key == msg::kProdNaoControlaEstoque) return msg::kProdNaoControlaEstoqueTexto;
  return key;
}

bool hasRight(db::Database& db, std::string_view operatorCode, int kind, std::string_view action) {
  auto st = db.prepare(
      "SELECT 1 FROM OPERDIREITO D JOIN OPERADOR O ON O.CDOPERADOR = D.CDOPERADOR"
      " WHERE D.CDOPERADOR = ?1 AND D.NRTIPO = ?2 AND D.CDACAO = ?3 AND O.IDATIVO = 'S'");
  st->bindText(1, operatorCode);
  st->bindInt(2, kind);
  st->bindText(3, action);
  return st->step();
}

int operatorParam(db::Database& db, std::string_view operatorCode, std::string_view param) {
  auto st = db.prepare(
      "SELECT O.IDATIVO, P.IDVALOR FROM OPERADOR O"
      " LEFT JOIN OPERPARAM P ON P.CDOPERADOR = O.CDOPERADOR AND P.CDPARAM = ?2"
      " WHERE O.CDOPERADOR = ?1");
  st->bindText(1, operatorCode);
  st->bindText(2, param);
  if (!st->step() || st->text(0) != "S") return -1;
  if (st->isNull(1)) return 0;
  return st->text(1) == "S" ? 1 : -1;
}

}  // namespace server::objects
