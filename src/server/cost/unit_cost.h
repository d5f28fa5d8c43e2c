// Unit costs of stock products by cost mode, for the dates of a window, loaded set-based: one
// query per window whatever the number of products. A resolver may be limited to the products a
// call prices, so a day's few dozen products do not load the whole catalogue's quotations.
//
// Cost modes:
//   6  lowest price among the quotations valid on the date
//   44 average of the prices valid on the date
//   48 price of the most recent valid quotation (latest start of validity)
//      With no quotation valid on the date, the quotations that ended last before it are used
//      and the cost is outdated; with none at all the cost is 0.
//   10 average stock cost: latest value on or before the date (0 when none)
//   30 last purchase cost: same, from the purchase history
//   31 the higher of the average and the last purchase cost on the date
//   61 average stock cost at the close of the month before the date's month
//   62 last purchase cost at the close of the month before the date's month
//   7  the product's reference price
// Quotations and history are the cost branch's; prices of purchase products count for the
// stock product they become.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "server/db/database.h"

namespace server::cost {

bool isKnownCostMode(int mode);
bool isQuotationMode(int mode);  // 6, 44, 48

struct UnitCost {
  double value = 0;  // per stock unit, rounded to 5 decimals
  bool outdated = false;
  // Quotation modes: the validity period of the quotations the cost came from.
  bool hasValidity = false;
  double validFrom = 0;
  double validTo = 0;
};

struct Quote {
  int64_t id = 0;
  std::string product;       // the quoted product (stock or purchase product)
  std::string stockProduct;  // the stock product it becomes
  std::string supplier;
  double price = 0;
  double validFrom = 0;
  double validTo = 0;
  std::string brand;
  std::string origin;
};

class CostResolver {
 public:
  // Loads what `mode` needs to price the stock products of `branch` on any date in [from, to].
  // REQUIRES: isKnownCostMode(mode), from <= to. Errors: DbError; std::invalid_argument for an
  // unknown mode.
  CostResolver(db::Database& db, std::string branch, int mode, double from, double to);
  // As above for `stockProducts` only (duplicates allowed; an empty list loads nothing).
  // Guarantees: at() and origin() answer for them exactly as the unlimited resolver would.
  CostResolver(db::Database& db, std::string branch, int mode, double from, double to,
               const std::vector<std::string>& stockProducts);

  int mode() const { return mode_; }

  // The unit cost of `stockProduct` on `date`. REQUIRES: from <= date <= to of construction.
  // Errors: std::logic_error for a product outside the resolver's list.
  UnitCost at(const std::string& stockProduct, double date) const;

  // Quotation modes: the quotations the cost on `date` was taken from (several for 44 and for
  // tied prices); empty in the other modes or when there is no cost. Errors: as at().
  std::vector<Quote> origin(const std::string& stockProduct, double date) const;

 private:
  struct Point {
    double date;
    double value;
  };
  void load(db::Database& db, double from, double to);
  void loadQuotes(db::Database& db, double from, double to);
  void loadHistory(db::Database& db, const std::vector<int>& series, double from, double to);
  void loadReference(db::Database& db);
  // " AND <column> IN (?first, ...)" over the listed products, "" when unlimited.
  std::string listFilter(const char* column, int first) const;
  void bindList(db::Statement& st, int first) const;
  void requireListed(const std::string& stockProduct) const;
  std::vector<const Quote*> chosen(const std::string& stockProduct, double date,
                                   bool* outdated) const;
  double latest(int series, const std::string& product, double date) const;

  std::string branch_;
  int mode_;
  bool limited_ = false;
  std::unordered_set<std::string> listed_;
  std::vector<std::string> bound_;  // the list as bound: deduplicated, padded to a few lengths
  std::unordered_map<std::string, std::vector<Quote>> quotes_;
  // series -> product -> points ordered by date
  std::unordered_map<int, std::unordered_map<std::string, std::vector<Point>>> history_;
  std::unordered_map<std::string, double> reference_;
};

}  // namespace server::cost
