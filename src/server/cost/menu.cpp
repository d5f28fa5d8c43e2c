#include "server/cost/menu.h"

#include <algorithm>

#include "platform/date.h"
#include "platform/format.h"

namespace server::cost {

using platform::roundDec;

std::vector<MenuDay> loadMenuDays(db::Database& db, const std::string& branch,
                                  const std::string& service, double from, double to) {
  auto st = db.prepare(
      "SELECT DTCARDAPIO, QTCOMESTICAR, QTCLIESTICAR FROM CARDAPIODIA"
      " WHERE CDFILIAL = ?1 AND CDSERVFILI = ?2 AND DTCARDAPIO >= ?3 AND DTCARDAPIO <= ?4"
      " ORDER BY DTCARDAPIO");
  st->bindText(1, branch);
  st->bindText(2, service);
  st->bindReal(3, from);
  st->bindReal(4, to);
  std::vector<MenuDay> days;
  while (st->step())
    days.push_back({st->real(0), st->real(1), st->real(2)});
  return days;
}

std::vector<MenuDish> loadMenuDishes(db::Database& db, const std::string& branch,
                                     const std::string& service, double from, double to) {
  auto st = db.prepare(
      "SELECT M.DTCARDAPIO, M.CDFILAUXPRAT, M.CDPRATO, P.NMPRATO, M.CDDIETPAD, M.COMENSPRATO,"
      " M.VRPECONSCARD, M.CONT, D.QTCOMESTICAR, D.QTCLIESTICAR"
      " FROM CARDAPIO M"
      " JOIN CARDAPIODIA D ON D.CDFILIAL = M.CDFILIAL AND D.CDSERVFILI = M.CDSERVFILI"
      "  AND D.DTCARDAPIO = M.DTCARDAPIO"
      " JOIN PRATO P ON P.CDFILAUXPRAT = M.CDFILAUXPRAT AND P.CDPRATO = M.CDPRATO"
      " WHERE M.CDFILIAL = ?1 AND M.CDSERVFILI = ?2 AND M.DTCARDAPIO >= ?3 AND M.DTCARDAPIO <= ?4"
      " ORDER BY M.DTCARDAPIO, M.CDFILAUXPRAT, M.CDPRATO");
  st->bindText(1, branch);
  st->bindText(2, service);
  st->bindReal(3, from);
  st->bindReal(4, to);
  std::vector<MenuDish> dishes;
  while (st->step()) {
    MenuDish d;
    d.day = st->real(0);
    d.dishBranch = st->text(1);
    d.dish = st->text(2);
    d.name = st->text(3);
    d.diet = st->text(4);
    d.diners = st->real(5);
    d.weight = st->real(6);
    d.count = st->real(7);
    d.estimated = st->real(8);
    d.clients = st->real(9);
    dishes.push_back(std::move(d));
  }
  return dishes;
}

Recipes loadRecipesInForce(db::Database& db, const std::string& branch, const std::string& service,
                           double from, double to) {
  // The three recipe kinds of the menu's dishes at once; the kind in force is picked below. The
  // dishes lead each part (CROSS JOIN fixes that order where the planner lacks statistics and
  // would otherwise index the dish list anew on every call); products are ordered here rather
  // than by three sorts in the database.
  static constexpr const char* kProductColumns =
      " R.CDPRODUTO, P.CDARVPROD, P.NMPRODUTO, P.IDINTESAFR, R.SGUNIDRECE, P.SGUNIDADE,"
      " R.QTDERECE, P.VRPEFATOCORR";
  std::string sql =
      std::string(
          "WITH D AS (SELECT DISTINCT CDFILAUXPRAT, CDPRATO FROM CARDAPIO"
          " WHERE CDFILIAL = ?1 AND CDSERVFILI = ?2 AND DTCARDAPIO >= ?3 AND DTCARDAPIO <= ?4) "
          "SELECT 'S', D.CDFILAUXPRAT, D.CDPRATO,") +
      kProductColumns +
      " FROM D CROSS JOIN RECEITASERV R JOIN PRODUTO P ON P.CDPRODUTO = R.CDPRODUTO"
      " WHERE R.CDFILIAL = ?1 AND R.CDSERVFILI = ?2"
      "  AND R.CDFILAUXPRAT = D.CDFILAUXPRAT AND R.CDPRATO = D.CDPRATO"
      " UNION ALL SELECT 'L', D.CDFILAUXPRAT, D.CDPRATO," +
      kProductColumns +
      " FROM D CROSS JOIN RECEITALOCAL R JOIN PRODUTO P ON P.CDPRODUTO = R.CDPRODUTO"
      " WHERE R.CDFILIAL = ?1 AND R.CDFILAUXPRAT = D.CDFILAUXPRAT AND R.CDPRATO = D.CDPRATO"
      " UNION ALL SELECT 'P', D.CDFILAUXPRAT, D.CDPRATO," +
      kProductColumns +
      " FROM D CROSS JOIN RECEITA R JOIN PRODUTO P ON P.CDPRODUTO = R.CDPRODUTO"
      " WHERE R.CDFILAUXPRAT = D.CDFILAUXPRAT AND R.CDPRATO = D.CDPRATO";
  auto st = db.prepare(sql);
  st->bindText(1, branch);
  st->bindText(2, service);
  st->bindReal(3, from);
  st->bindReal(4, to);
  std::map<DishKey, std::map<std::string, std::vector<RecipeProduct>>> byKind;
  while (st->step()) {
    RecipeProduct p;
    p.kind = st->text(0);
    p.product = st->text(3);
    p.treeCode = st->text(4);
    p.name = st->text(5);
    p.seasons = st->text(6);
    p.recipeUnit = st->text(7);
    p.stockUnit = st->text(8);
    p.net = st->real(9);
    p.gross = grossQuantity(p.net, st->real(10));
    byKind[{st->text(1), st->text(2)}][p.kind].push_back(std::move(p));
  }
  Recipes recipes;
  for (auto& [dish, kinds] : byKind) {
    for (const char* kind : {"S", "L", "P"}) {
      auto it = kinds.find(kind);
      if (it != kinds.end() && !it->second.empty()) {
        auto& products = recipes[dish] = std::move(it->second);
        // Tree codes are unique, and compare bytewise as the database orders text.
        std::sort(
            products.begin(), products.end(),
            [](const RecipeProduct& a, const RecipeProduct& b) { return a.treeCode < b.treeCode; });
        break;
      }
    }
  }
  return recipes;
}

std::vector<ConsumptionItem> loadConsumption(db::Database& db, const std::string& branch,
                                             const std::string& service, int dayType) {
  auto st = db.prepare(
      "SELECT I.CDTPRCONSFIX, T.NMTIPOPRAT, T.TPCONS, S.VRCUSTPADRTP, I.NRTIPODIA, I.CDPRODUTO,"
      " P.NMPRODUTO, P.SGUNIDADE, I.QTCONSSERV, P.CDARVPROD"
      " FROM ITCONSSERV I"
      " JOIN TIPOCONSUMO T ON T.CDTPRCONSFIX = I.CDTPRCONSFIX"
      " JOIN TIPOCONSSERV S ON S.CDFILIAL = I.CDFILIAL AND S.CDSERVFILI = I.CDSERVFILI"
      "  AND S.CDTPRCONSFIX = I.CDTPRCONSFIX"
      " JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO"
      " WHERE I.CDFILIAL = ?1 AND I.CDSERVFILI = ?2 AND (?3 = 0 OR I.NRTIPODIA = ?3)"
      " ORDER BY I.NRTIPODIA, I.CDTPRCONSFIX, P.CDARVPROD");
  st->bindText(1, branch);
  st->bindText(2, service);
  st->bindInt(3, dayType);
  std::vector<ConsumptionItem> items;
  while (st->step()) {
    ConsumptionItem item;
    item.type = st->text(0);
    item.typeName = st->text(1);
    item.kind = st->text(2);
    item.target = st->real(3);
    item.dayType = static_cast<int>(st->integer(4));
    item.product = st->text(5);
    item.name = st->text(6);
    item.unit = st->text(7);
    item.quantity = st->real(8);
    item.treeCode = st->text(9);
    items.push_back(std::move(item));
  }
  return items;
}

std::set<double> loadHolidays(db::Database& db, const std::string& branch, double from, double to) {
  auto st = db.prepare(
      "SELECT DTFERIFILI FROM FERIFILI WHERE CDFILIAL = ?1 AND DTFERIFILI >= ?2"
      " AND DTFERIFILI <= ?3");
  st->bindText(1, branch);
  st->bindReal(2, from);
  st->bindReal(3, to);
  std::set<double> days;
  while (st->step())
    days.insert(st->real(0));
  return days;
}

int dayTypeOf(double day, const std::set<double>& holidays) {
  return holidays.count(day) > 0 ? 8 : platform::dayOfWeek(day);
}

double grossQuantity(double net, double factor) {
  return roundDec(net * factor, 5);
}

double lineQuantity(double gross, double diners) {
  return roundDec(gross * diners, 5);
}

double lineCost(double unitCost, double gross, double diners) {
  return roundDec(unitCost * lineQuantity(gross, diners), 5);
}

double consumptionQuantity(const std::string& kind, double quantity, double estimated) {
  return roundDec(quantity * (kind == "P" ? estimated : 1.0), 5);
}

double consumptionCost(double unitCost, const std::string& kind, double quantity,
                       double estimated) {
  return roundDec(consumptionQuantity(kind, quantity, estimated) * unitCost, 5);
}

}  // namespace server::cost
