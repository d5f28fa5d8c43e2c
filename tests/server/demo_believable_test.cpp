// The demo month as a cost analyst reads it, through the server's own methods, for every branch,
// service and demo month: outdated quotations and zero costs are exceptions, per-diner quantities
// are a collective kitchen's, raw material sits around the standard with a few days over it, and
// the consumption targets match what their types cost.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/data_packet.h"
#include "platform/date.h"
#include "platform/format.h"
#include "server/demo/demo_catalog.h"
#include "server/demo/demo_data.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server_fixture.h"

namespace servertest {
namespace {

using platform::Variant;
using server::demo::KindRange;

constexpr int kDefaultMode = 44;
const char* const kBranches[] = {"0001", "0002"};
const char* const kServices[] = {"00001", "00002", "00003"};

// Two reference days: a year's turn with its holidays, and a short February.
const double kReferences[] = {platform::encodeDate(2026, 12, 8), platform::encodeDate(2026, 3, 18)};

struct Month {
  std::string label;
  size_t reference;  // index in kReferences
  std::string branch;
  std::string service;
  double first;
  double last;
};

std::vector<Month> demoMonths() {
  std::vector<Month> months;
  for (size_t r = 0; r < std::size(kReferences); ++r) {
    platform::Ymd ymd = platform::decodeDate(kReferences[r]);
    for (int offset : {-1, 0, 1}) {
      int m = ymd.month + offset, y = ymd.year;
      if (m < 1) m += 12, --y;
      if (m > 12) m -= 12, ++y;
      double first = platform::encodeDate(y, m, 1);
      double last = platform::encodeDate(y, m, platform::daysInMonth(y, m));
      for (const char* branch : kBranches) {
        for (const char* service : kServices) {
          months.push_back({std::string(branch) + "/" + service + " " + std::to_string(m) + "/" +
                                std::to_string(y),
                            r, branch, service, first, last});
        }
      }
    }
  }
  return months;
}

// What the screen shows of one month, gathered once for all the checks.
struct Figures {
  std::vector<double> served;                    // days with a menu
  std::map<int, std::set<double>> outdatedDays;  // by cost mode
  std::map<int, std::set<std::string>> outdatedProducts;
  std::map<int, std::set<double>> zeroDays;
  std::map<int, std::set<std::string>> zeroProducts;
  double standard = 0;
  std::vector<double> rawPerDiner;    // VRMATPERC of the served days
  std::vector<double> totalPerDiner;  // VRTOTPERC of the served days
  std::vector<std::string> quantityFaults;
  std::map<std::string, double> targets;                 // consumption type kind -> VRCUSTPADRTP
  std::map<std::string, std::vector<double>> typeCosts;  // kind -> per diner ("P") or total ("F")
};

class DemoBelievableTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (double reference : kReferences) {
      TestDatabase db = openMemory();
      server::demo::createDemo(*db, reference, 1);
      dbs_.push_back(std::move(db));
    }
    TestClock clock;
    server::objects::AnaCustRevRec object(testEnvironment(clock));
    for (const Month& m : demoMonths())
      figures_[m.label] = gather(object, *dbs_[m.reference], m);
  }
  static void TearDownTestSuite() {
    dbs_.clear();
    figures_.clear();
  }

  static Figures gather(server::objects::AnaCustRevRec& object, server::db::Database& db,
                        const Month& m) {
    Figures f;
    Variant params = call(object, db, "GetParams", {m.branch});
    bool clients = text(params[0].packet(), 0, "IDCOMCUSPERC") == "C";
    f.standard = num(
        call(object, db, "GetCustoPadrao", {m.branch, m.service, Variant::date(m.first)}).packet(),
        0, "VRCUSTPADR");
    for (int mode : {6, 44, 48, 10}) {
      Variant month = call(object, db, "GetTrabCusto",
                           {m.branch, m.service, Variant::date(m.first), Variant::date(m.last),
                            mode, "analista", false, Variant::date(0.0), "", false});
      // Every mode has its entries, empty or not.
      f.outdatedDays[mode], f.outdatedProducts[mode], f.zeroDays[mode], f.zeroProducts[mode];
      const auto& red = month[2].packet();
      for (size_t i = 0; i < red.rows.size(); ++i)
        f.outdatedDays[mode].insert(num(red, i, "DTDATA"));
      Variant outdated = call(object, db, "GetProdCotDesatu",
                              {month[0], m.branch, "", m.service, mode, Variant::date(m.first),
                               Variant::date(m.last), Variant::date(0.0), false});
      for (size_t i = 0; i < outdated.packet().rows.size(); ++i)
        f.outdatedProducts[mode].insert(text(outdated.packet(), i, "NMPRODUTO"));
      Variant zero = call(object, db, "GetProdCustZero",
                          {"", mode, Variant::date(0.0), m.branch, m.service,
                           Variant::date(m.first), Variant::date(m.last), false});
      for (size_t i = 0; i < zero.packet().rows.size(); ++i) {
        f.zeroDays[mode].insert(num(zero.packet(), i, "DTCARDAPIO"));
        f.zeroProducts[mode].insert(text(zero.packet(), i, "NMPRODUTO"));
      }
      if (mode != kDefaultMode) continue;
      const auto& days = month[1].packet();
      for (size_t i = 0; i < days.rows.size(); ++i) {
        double estimated = num(days, i, "QTCOMESTICAR");
        if (estimated <= 0) continue;
        double diners = clients ? num(days, i, "QTCLIESTICAR") : estimated;
        double d = num(days, i, "DTDATA");
        f.served.push_back(d);
        double material = num(days, i, "VRCUSTPRODMAT");
        double total = material + num(days, i, "VRCUSTOCONS") + num(days, i, "VRCUSTORAT");
        f.rawPerDiner.push_back(material / diners);
        f.totalPerDiner.push_back(total / diners);
        gatherDay(object, db, m, d, diners, f);
      }
    }
    return f;
  }

  static void gatherDay(server::objects::AnaCustRevRec& object, server::db::Database& db,
                        const Month& m, double d, double diners, Figures& f) {
    std::string when = platform::shortDate(d) + " ";
    Variant products = call(object, db, "GetProduto",
                            {m.branch, m.service, Variant::date(d), kDefaultMode, false,
                             Variant::date(d), Variant::date(m.first), ""});
    const auto& p = products.packet();
    for (size_t i = 0; i < p.rows.size(); ++i) {
      std::string name = text(p, i, "NMPRODUTO");
      checkQuantity(when + text(p, i, "CDPRATO") + " " + name, name, text(p, i, "SGUNIDPROD"),
                    num(p, i, "QTDERECE"), num(p, i, "QTDEBRUTA"), f);
    }
    std::string dayType = std::to_string(platform::dayOfWeek(d));
    if (scalar(db, "SELECT COUNT(*) FROM FERIFILI WHERE CDFILIAL = '" + m.branch +
                       "' AND DTFERIFILI = " + std::to_string(d)) > 0) {
      dayType = "8";
    }
    Variant cons =
        call(object, db, "GetConsServ",
             {m.branch, m.service, Variant::date(d), kDefaultMode, dayType, Variant::date(d), ""});
    const auto& types = cons[0].packet();
    const auto& items = cons[1].packet();
    double estimated = num(cons[2].packet(), 0, "QTCOMESTICAR");
    std::map<std::string, double> cost;
    for (size_t i = 0; i < items.rows.size(); ++i) {
      std::string kind = text(items, i, "IDCONSUMO");
      double quantity = num(items, i, "QTCONSSERV");
      double perDiner = kind == "P" ? quantity : quantity / estimated;
      std::string name = text(items, i, "NMPRODUTO");
      checkQuantity(when + "consumo " + name, name, text(items, i, "SGUNIDADE"), perDiner, perDiner,
                    f);
      cost[kind] += (kind == "P" ? quantity * estimated : quantity) * num(items, i, "CustoUnit");
    }
    for (size_t i = 0; i < types.rows.size(); ++i) {
      std::string kind = text(types, i, "TPCONS");
      f.targets[kind] = num(types, i, "VRCUSTPADRTP");
      f.typeCosts[kind].push_back(kind == "P" ? cost[kind] / diners : cost[kind]);
    }
  }

  static void checkQuantity(const std::string& where, const std::string& name,
                            const std::string& unit, double net, double gross, Figures& f) {
    const KindRange* range = server::demo::kindOfProduct(name);
    if (range == nullptr) {
      f.quantityFaults.push_back(where + ": no kind");
    } else if (!server::demo::kindAllowsUnit(*range, unit)) {
      f.quantityFaults.push_back(where + ": unit " + unit + " is not one of " + range->units);
    } else if (net < range->min || gross > range->max) {
      f.quantityFaults.push_back(where + ": " + std::to_string(net) + ".." + std::to_string(gross) +
                                 " outside " + range->name + " " + std::to_string(range->min) +
                                 ".." + std::to_string(range->max));
    }
  }

  static const Figures& of(const Month& m) { return figures_.at(m.label); }

  static std::vector<TestDatabase> dbs_;
  static std::map<std::string, Figures> figures_;
};
std::vector<TestDatabase> DemoBelievableTest::dbs_;
std::map<std::string, Figures> DemoBelievableTest::figures_;

double share(size_t part, size_t whole) {
  return whole == 0 ? 0.0 : static_cast<double>(part) / static_cast<double>(whole);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

TEST_F(DemoBelievableTest, OutdatedQuotationsAndZeroCostsAreExceptions) {
  struct Case {
    const char* what;
    int mode;
    bool outdated;  // else zero costs
  };
  // Outdated quotations exist only where costs come from quotations.
  const Case cases[] = {
      {"outdated, lowest quotation", 6, true},      {"outdated, average quotation", 44, true},
      {"outdated, latest quotation", 48, true},     {"zero cost, average quotation", 44, false},
      {"zero cost, average stock cost", 10, false},
  };
  for (const Month& m : demoMonths()) {
    const Figures& f = of(m);
    for (const Case& c : cases) {
      SCOPED_TRACE(m.label + " " + c.what);
      const auto& days = c.outdated ? f.outdatedDays.at(c.mode) : f.zeroDays.at(c.mode);
      const auto& products = c.outdated ? f.outdatedProducts.at(c.mode) : f.zeroProducts.at(c.mode);
      EXPECT_GE(share(days.size(), f.served.size()), 0.10) << days.size() << " days";
      EXPECT_LE(share(days.size(), f.served.size()), 0.25) << days.size() << " days";
      EXPECT_GE(products.size(), 1u);
      EXPECT_LE(products.size(), 5u);
    }
    EXPECT_TRUE(f.outdatedDays.at(10).empty()) << m.label;
  }
}

TEST_F(DemoBelievableTest, QuantitiesPerDinerAreAKitchens) {
  for (const Month& m : demoMonths()) {
    const auto& faults = of(m).quantityFaults;
    EXPECT_TRUE(faults.empty()) << m.label << ": " << faults.size() << " faults, first "
                                << (faults.empty() ? "" : faults.front());
  }
}

TEST_F(DemoBelievableTest, RawMaterialSitsAroundTheStandardWithAFewDaysOver) {
  for (const Month& m : demoMonths()) {
    SCOPED_TRACE(m.label);
    const Figures& f = of(m);
    ASSERT_GT(f.standard, 0);
    ASSERT_GE(f.served.size(), 15u);
    size_t near = 0, over = 0;
    for (size_t i = 0; i < f.served.size(); ++i) {
      double ratio = f.rawPerDiner[i] / f.standard;
      if (ratio >= 0.75 && ratio <= 1.25) ++near;
      if (f.totalPerDiner[i] > f.standard) ++over;
      EXPECT_LT(ratio, 1.5) << platform::shortDate(f.served[i]);
      EXPECT_GT(ratio, 0.5) << platform::shortDate(f.served[i]);
    }
    EXPECT_GE(share(near, f.served.size()), 0.8) << near << " days near the standard";
    EXPECT_GE(over, 1u);
    EXPECT_LE(share(over, f.served.size()), 0.3) << over << " days over the standard";
  }
}

TEST_F(DemoBelievableTest, ConsumptionTargetsFitTheirTypes) {
  // "P" targets a cost per diner, "F" a day's cost: a typical day lands near either.
  for (const Month& m : demoMonths()) {
    const Figures& f = of(m);
    for (const char* kind : {"P", "F"}) {
      SCOPED_TRACE(m.label + " type " + kind);
      ASSERT_TRUE(f.targets.count(kind));
      double target = f.targets.at(kind);
      double typical = median(f.typeCosts.at(kind));
      EXPECT_GT(typical, 0);
      EXPECT_NEAR(typical / target, 1.0, 0.2) << typical << " against " << target;
    }
  }
}

}  // namespace
}  // namespace servertest
