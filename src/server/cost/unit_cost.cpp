#include "server/cost/unit_cost.h"

#include <algorithm>
#include <stdexcept>

#include "platform/date.h"
#include "platform/format.h"

namespace server::cost {
namespace {

// The last day of the month before the date's month.
double previousMonthClose(double date) {
  platform::Ymd ymd = platform::decodeDate(date);
  return platform::encodeDate(ymd.year, ymd.month, 1) - 1;
}

bool closesMonth(int mode) {
  return mode == 61 || mode == 62;
}

// Lengths of the bound product list: powers of two from kMinBound up to kMaxBound.
constexpr size_t kMinBound = 8;
constexpr size_t kMaxBound = 512;

}  // namespace

bool isKnownCostMode(int mode) {
  switch (mode) {
    case 6:
    case 7:
    case 10:
    case 30:
    case 31:
    case 44:
    case 48:
    case 61:
    case 62:
      return true;
    default:
      return false;
  }
}

bool isQuotationMode(int mode) {
  return mode == 6 || mode == 44 || mode == 48;
}

CostResolver::CostResolver(db::Database& db, std::string branch, int mode, double from, double to)
    : branch_(std::move(branch)), mode_(mode) {
  if (!isKnownCostMode(mode)) throw std::invalid_argument("unknown cost mode");
  load(db, from, to);
}

CostResolver::CostResolver(db::Database& db, std::string branch, int mode, double from, double to,
                           const std::vector<std::string>& stockProducts)
    : branch_(std::move(branch)), mode_(mode), limited_(true) {
  if (!isKnownCostMode(mode)) throw std::invalid_argument("unknown cost mode");
  listed_.insert(stockProducts.begin(), stockProducts.end());
  if (listed_.empty()) return;
  // A long list costs more to search than the catalogue; it is then loaded whole.
  if (listed_.size() > kMaxBound) {
    load(db, from, to);
    return;
  }
  bound_.assign(listed_.begin(), listed_.end());
  // Few distinct lengths keep the statements' texts few; repeating a product changes nothing.
  size_t length = kMinBound;
  while (length < bound_.size())
    length *= 2;
  bound_.resize(length, bound_.front());
  load(db, from, to);
}

void CostResolver::load(db::Database& db, double from, double to) {
  if (isQuotationMode(mode_)) {
    loadQuotes(db, from, to);
  } else if (mode_ == 7) {
    loadReference(db);
  } else {
    double a = closesMonth(mode_) ? previousMonthClose(from) : from;
    double b = closesMonth(mode_) ? previousMonthClose(to) : to;
    std::vector<int> series;
    if (mode_ == 10 || mode_ == 31 || mode_ == 61) series.push_back(10);
    if (mode_ == 30 || mode_ == 31 || mode_ == 62) series.push_back(30);
    loadHistory(db, series, a, b);
  }
}

std::string CostResolver::listFilter(const char* column, int first) const {
  if (bound_.empty()) return "";
  std::string sql = std::string(" AND ") + column + " IN (";
  for (size_t i = 0; i < bound_.size(); ++i) {
    sql += (i > 0 ? ", ?" : "?") + std::to_string(first + static_cast<int>(i));
  }
  return sql + ")";
}

void CostResolver::bindList(db::Statement& st, int first) const {
  for (size_t i = 0; i < bound_.size(); ++i)
    st.bindText(first + static_cast<int>(i), bound_[i]);
}

void CostResolver::requireListed(const std::string& stockProduct) const {
  if (limited_ && listed_.count(stockProduct) == 0) {
    throw std::logic_error("cost of product " + stockProduct + " was not loaded");
  }
}

void CostResolver::loadQuotes(db::Database& db, double from, double to) {
  // The quotations valid somewhere in the window, plus, per product, those that ended last before
  // it (the outdated fallback). Both parts go product by product through an index, so the cost
  // grows with the products priced and the window, not with the years of quotations kept.
  // CROSS JOIN keeps products as the outer loop where the planner has no statistics to see that
  // a branch holds thousands of quotations; elsewhere it reads as an inner join.
  static constexpr const char* kColumns =
      "SELECT C.IDCOTACAO, C.CDPRODUTO, P.CDPRODESTO, C.CDFORNECED, C.VRPRECO, C.DTINIVALITM,"
      " C.DTFINVALITM, C.NMMARCA, C.IDORIGEM FROM PRODUTO P CROSS JOIN COTACAO C"
      " WHERE C.CDFILIAL = ?1 AND C.CDPRODUTO = P.CDPRODUTO AND P.CDPRODESTO IS NOT NULL";
  std::string filter = listFilter("P.CDPRODESTO", 4);
  std::string sql = std::string(kColumns) + " AND C.DTFINVALITM >= ?2 AND C.DTINIVALITM <= ?3" +
                    filter + " UNION ALL " + kColumns +
                    " AND C.DTFINVALITM = (SELECT MAX(C2.DTFINVALITM) FROM COTACAO C2"
                    "  WHERE C2.CDFILIAL = ?1 AND C2.CDPRODUTO = P.CDPRODUTO"
                    " AND C2.DTFINVALITM < ?2)" +
                    filter;
  auto st = db.prepare(sql);
  st->bindText(1, branch_);
  st->bindReal(2, from);
  st->bindReal(3, to);
  bindList(*st, 4);
  while (st->step()) {
    Quote q;
    q.id = st->integer(0);
    q.product = st->text(1);
    q.stockProduct = st->text(2);
    q.supplier = st->text(3);
    q.price = st->real(4);
    q.validFrom = st->real(5);
    q.validTo = st->real(6);
    q.brand = st->text(7);
    q.origin = st->text(8);
    quotes_[q.stockProduct].push_back(std::move(q));
  }
  for (auto& [product, list] : quotes_) {
    std::sort(list.begin(), list.end(), [](const Quote& a, const Quote& b) {
      return a.validTo != b.validTo ? a.validTo < b.validTo : a.id < b.id;
    });
  }
}

void CostResolver::loadHistory(db::Database& db, const std::vector<int>& series, double from,
                               double to) {
  // The window's values plus the latest value before it per product; the latter is found through
  // the primary key (branch, series, product, date) one product at a time.
  std::string windowFilter = listFilter("H.CDPRODUTO", 4);
  std::string productFilter = listFilter("P.CDPRODUTO", 4);
  std::string sql;
  for (size_t i = 0; i < series.size(); ++i) {
    std::string s = std::to_string(series[i]);
    if (i > 0) sql += " UNION ALL ";
    sql +=
        "SELECT H.TPCUSTO, H.CDPRODUTO, H.DTCUSTO, H.VRCUSTO FROM CUSTOHIST H"
        " WHERE H.CDFILIAL = ?1 AND H.TPCUSTO = " +
        s + " AND H.DTCUSTO >= ?2 AND H.DTCUSTO <= ?3" + windowFilter +
        " UNION ALL "
        "SELECT H.TPCUSTO, H.CDPRODUTO, H.DTCUSTO, H.VRCUSTO"
        " FROM PRODUTO P CROSS JOIN CUSTOHIST H WHERE H.CDFILIAL = ?1 AND H.TPCUSTO = " +
        s +
        " AND H.CDPRODUTO = P.CDPRODUTO AND H.DTCUSTO = (SELECT MAX(H2.DTCUSTO) FROM CUSTOHIST H2"
        "  WHERE H2.CDFILIAL = ?1 AND H2.TPCUSTO = " +
        s + " AND H2.CDPRODUTO = P.CDPRODUTO AND H2.DTCUSTO < ?2)" +
        " AND P.CDPRODUTO = P.CDPRODESTO" + productFilter;
  }
  auto st = db.prepare(sql);
  st->bindText(1, branch_);
  st->bindReal(2, from);
  st->bindReal(3, to);
  bindList(*st, 4);
  while (st->step()) {
    history_[static_cast<int>(st->integer(0))][st->text(1)].push_back({st->real(2), st->real(3)});
  }
  for (auto& [s, products] : history_) {
    for (auto& [product, points] : products) {
      std::sort(points.begin(), points.end(),
                [](const Point& a, const Point& b) { return a.date < b.date; });
    }
  }
}

void CostResolver::loadReference(db::Database& db) {
  auto st = db.prepare("SELECT CDPRODUTO, VRPRECOREF FROM PRODUTO WHERE CDPRODUTO = CDPRODESTO" +
                       listFilter("CDPRODUTO", 1));
  bindList(*st, 1);
  while (st->step())
    reference_[st->text(0)] = st->real(1);
}

double CostResolver::latest(int series, const std::string& product, double date) const {
  auto s = history_.find(series);
  if (s == history_.end()) return 0;
  auto p = s->second.find(product);
  if (p == s->second.end()) return 0;
  const auto& points = p->second;
  auto it = std::upper_bound(points.begin(), points.end(), date,
                             [](double d, const Point& point) { return d < point.date; });
  return it == points.begin() ? 0 : std::prev(it)->value;
}

std::vector<const Quote*> CostResolver::chosen(const std::string& stockProduct, double date,
                                               bool* outdated) const {
  *outdated = false;
  std::vector<const Quote*> set;
  auto it = quotes_.find(stockProduct);
  if (it == quotes_.end()) return set;
  const auto& list = it->second;
  for (const auto& q : list) {
    if (q.validFrom <= date && date <= q.validTo) set.push_back(&q);
  }
  if (set.empty()) {
    double lastEnd = 0;
    bool any = false;
    for (const auto& q : list) {
      if (q.validTo < date && (!any || q.validTo > lastEnd)) {
        lastEnd = q.validTo;
        any = true;
      }
    }
    if (!any) return set;
    for (const auto& q : list) {
      if (q.validTo == lastEnd) set.push_back(&q);
    }
    *outdated = true;
  }
  if (mode_ == 6) {
    double low = set.front()->price;
    for (const Quote* q : set)
      low = std::min(low, q->price);
    std::erase_if(set, [&](const Quote* q) { return q->price != low; });
  } else if (mode_ == 48) {
    const Quote* recent = set.front();
    for (const Quote* q : set) {
      if (q->validFrom > recent->validFrom ||
          (q->validFrom == recent->validFrom && q->id > recent->id)) {
        recent = q;
      }
    }
    set = {recent};
  }
  return set;
}

UnitCost CostResolver::at(const std::string& stockProduct, double date) const {
  requireListed(stockProduct);
  UnitCost cost;
  if (isQuotationMode(mode_)) {
    auto set = chosen(stockProduct, date, &cost.outdated);
    if (set.empty()) return cost;
    double sum = 0;
    cost.validFrom = set.front()->validFrom;
    cost.validTo = set.front()->validTo;
    for (const Quote* q : set) {
      sum += q->price;
      cost.validFrom = std::min(cost.validFrom, q->validFrom);
      cost.validTo = std::max(cost.validTo, q->validTo);
    }
    cost.hasValidity = true;
    // Mode 6 keeps only the lowest price (ties share it), 48 one quotation: the mean is the price.
    cost.value = platform::roundDec(sum / static_cast<double>(set.size()), 5);
    return cost;
  }
  double value = 0;
  switch (mode_) {
    case 7: {
      auto it = reference_.find(stockProduct);
      value = it == reference_.end() ? 0 : it->second;
      break;
    }
    case 10:
    case 30:
      value = latest(mode_, stockProduct, date);
      break;
    case 31:
      value = std::max(latest(10, stockProduct, date), latest(30, stockProduct, date));
      break;
    case 61:
      value = latest(10, stockProduct, previousMonthClose(date));
      break;
    case 62:
      value = latest(30, stockProduct, previousMonthClose(date));
      break;
    default:
      break;
  }
  cost.value = platform::roundDec(value, 5);
  return cost;
}

std::vector<Quote> CostResolver::origin(const std::string& stockProduct, double date) const {
  requireListed(stockProduct);
  std::vector<Quote> result;
  if (!isQuotationMode(mode_)) return result;
  bool outdated = false;
  for (const Quote* q : chosen(stockProduct, date, &outdated))
    result.push_back(*q);
  return result;
}

}  // namespace server::cost
