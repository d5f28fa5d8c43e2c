#include "server/demo/demo_data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/date.h"
#include "server/auth/password.h"
#include "server/demo/demo_catalog.h"

namespace server::demo {
namespace {

// splitmix64: the same numbers on every platform, unlike the standard distributions.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t next() {
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  double between(double a, double b) { return a + (b - a) * uniform(); }
  int range(int lo, int hi) { return lo + static_cast<int>(next() % uint64_t(hi - lo + 1)); }
  bool chance(double p) { return uniform() < p; }

 private:
  uint64_t state_;
};

constexpr uint64_t kSeed = 0x6d656e75636f7374ULL;

uint64_t seedFor(uint64_t a, uint64_t b = 0, uint64_t c = 0) {
  Rng r(kSeed ^ (a * 0x100000001b3ULL) ^ (b * 0xc2b2ae3d27d4eb4fULL) ^ (c * 0x165667b19e3779f9ULL));
  return r.next();
}

double round2(double v) {
  return std::round(v * 100.0) / 100.0;
}
double round1(double v) {
  return std::round(v * 10.0) / 10.0;
}
double round4(double v) {
  return std::round(v * 10000.0) / 10000.0;
}

std::string pad(int value, int width) {
  std::string s = std::to_string(value);
  return std::string(width > static_cast<int>(s.size()) ? width - s.size() : 0, '0') + s;
}

// One prepared INSERT reused for every row of a table.
class Inserter {
 public:
  Inserter(db::Database& db, const std::string& table, const std::vector<std::string>& columns) {
    std::string sql = "INSERT INTO " + table + " (";
    std::string values;
    for (size_t i = 0; i < columns.size(); ++i) {
      sql += (i ? ", " : "") + columns[i];
      values += (i ? ", ?" : "?") + std::to_string(i + 1);
    }
    st_ = db.prepare(sql + ") VALUES (" + values + ")");
  }
  template <class... T>
  void row(const T&... values) {
    int index = 1;
    (bind(index++, values), ...);
    st_->run();
  }

 private:
  void bind(int i, const std::string& v) { st_->bindText(i, v); }
  void bind(int i, const char* v) { st_->bindText(i, v); }
  void bind(int i, double v) { st_->bindReal(i, v); }
  void bind(int i, int v) { st_->bindInt(i, v); }
  void bind(int i, int64_t v) { st_->bindInt(i, v); }
  void bind(int i, std::nullptr_t) { st_->bindNull(i); }
  std::unique_ptr<db::Statement> st_;
};

struct Product {
  std::string code;
  std::string tree;
  int level = 4;
  std::string name;
  std::string complement;
  std::string unit;
  std::string stock;  // "" for nodes
  double factor = 1;
  std::string seasons;
  bool active = true;
  bool controlsStock = true;
  std::string group;
  double price = 0;
  bool noCost = false;  // no quotation and no history anywhere
  int family = -1;
  const KindRange* range = nullptr;  // stock products
};

struct Catalog {
  std::vector<Product> products;
  std::map<std::string, size_t> stockByName;
  std::vector<size_t> stock;                       // stock products
  std::map<size_t, std::vector<size_t>> purchase;  // stock index -> purchase products
  std::map<std::string, size_t> byCode;
  std::map<std::string, std::vector<std::string>> optionals;
};

struct RecipeItem {
  std::string product;
  double net;
  std::string unit;
};

struct Dish {
  std::string dishBranch;
  std::string code;
  std::string name;
  DishCategory category;
  std::vector<RecipeItem> recipe;
};

struct Service {
  const char* code;
  const char* name;
  double diners;            // weekday estimate at branch 0001
  double indirectPerDiner;  // the month's indirect costs per estimated diner
  double gas;               // kg of cooking gas on a full day at branch 0001
};

const Service kServices[] = {
    {"00001", "ALMOCO", 420, 0.45, 15},
    {"00002", "JANTAR", 170, 0.40, 6},
    {"00003", "DESJEJUM", 140, 0.12, 2},
};

// The weekly specials every kitchen of the company keeps; no other day draws them.
struct Special {
  size_t service;
  int weekday;  // 1 Sunday .. 7 Saturday
  DishCategory category;
  const char* dish;
};
const Special kSpecials[] = {
    {0, 4, DishCategory::Beans, "FEIJOADA"},
    {1, 4, DishCategory::Beans, "FEIJOADA"},
    {2, 4, DishCategory::Breakfast, "TAPIOCA COM QUEIJO"},
};

// Quotations that ran out a few days before the next ones were registered, every month: those
// days are priced by the quotations that ended last and show as outdated.
struct Lapse {
  const char* product;
  int weekday;  // the lapse starts on this weekday, on or after fromDay
  int fromDay;
  int days;
};
const Lapse kLapses[] = {
    {"DETERGENTE", 2, 8, 4},  // the second week, Monday to Thursday
    {"LEITE INTEGRAL", 2, 8, 4},
    {"OLEO DE SOJA", 7, 22, 2},  // the fourth weekend
};

// Menus are drawn several times a day and the planner keeps the one closest to the month's
// typical cost; on a few days it serves something richer. The standard leaves the usual days a
// margin the richer ones exceed.
constexpr int kMenuDraws = 12;
constexpr double kRichDays = 0.12;
constexpr double kRichCost = 1.2;
constexpr double kStandardMargin = 1.08;

// Clients are this share of the estimated diners.
constexpr double kClientShare = 0.92;

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Registered but never quoted nor bought. PANCETA and TAPIOCA are in the weekly specials, so
// their days are the month's zero costs; the others are on no menu.
const std::set<std::string> kNeverBought = {"PANCETA",         "TAPIOCA", "CAMARAO",
                                            "BACALHAU",        "PALMITO", "MILHO DE PIPOCA",
                                            "CHA DE CAMOMILA", "KIWI"};

const std::set<ProductKind> kSwappable = {
    ProductKind::Protein,   ProductKind::CuredMeat, ProductKind::Starch,   ProductKind::Pulse,
    ProductKind::Vegetable, ProductKind::Fruit,     ProductKind::Dairy,    ProductKind::Cheese,
    ProductKind::Bread,     ProductKind::Juice,     ProductKind::FruitPulp};

// A recipe quantity kept within its kind's range for this product: the net at least the minimum,
// the gross (net x correction factor) at most the maximum.
double portion(const Product& p, double net) {
  double most = std::floor(p.range->max / p.factor * 10000.0) / 10000.0;
  return std::clamp(round4(net), p.range->min, most);
}

Catalog buildCatalog() {
  Catalog c;
  Rng rng(seedFor(1));
  int nextCode = 1001;
  auto add = [&](Product p) {
    p.code = std::to_string(nextCode++);
    c.byCode[p.code] = c.products.size();
    c.products.push_back(std::move(p));
    return c.products.size() - 1;
  };
  const std::set<std::string> inactive = {"KIWI", "PERU", "CHA DE CAMOMILA"};
  const std::set<std::string> noStockControl = {"AGUA MINERAL", "REFRIGERANTE", "TORRADA"};
  std::set<int> groupsDone;
  const auto& families = catalogFamilies();
  for (size_t f = 0; f < families.size(); ++f) {
    const CatalogFamily& fam = families[f];
    std::string g = pad(fam.group, 2);
    std::string s = g + "." + pad(fam.subgroup, 2);
    if (groupsDone.insert(fam.group).second) {
      add({.tree = g, .level = 1, .name = fam.groupName, .group = fam.productGroup});
    }
    add({.tree = s, .level = 2, .name = fam.subgroupName, .group = fam.productGroup});
    std::string family = s + ".001";
    add({.tree = family,
         .level = 3,
         .name = std::string(fam.subgroupName) + " - GERAL",
         .group = fam.productGroup});
    int leaf = 1;
    for (const auto& item : fam.items) {
      Product p;
      p.tree = family + "." + pad(leaf++, 4);
      p.name = item.name;
      p.unit = item.unit;
      p.factor = round4(rng.between(fam.factorMin, fam.factorMax));
      if (fam.seasonal) {
        int peak = rng.range(0, 11);
        for (int m = 0; m < 12; ++m) {
          int distance = (m - peak + 12) % 12;
          p.seasons += distance < 4 ? '1' : distance < 6 ? '2' : '3';
        }
      }
      p.active = inactive.count(item.name) == 0;
      p.controlsStock = noStockControl.count(item.name) == 0;
      p.group = fam.productGroup;
      p.price = item.price;
      p.family = static_cast<int>(f);
      size_t index = add(p);
      Product& stock = c.products[index];
      stock.stock = stock.code;
      stock.noCost = kNeverBought.count(item.name) > 0;
      stock.range = &kindRange(item.kind == ProductKind::OfFamily ? fam.kind : item.kind);
      c.stock.push_back(index);
      c.stockByName[item.name] = index;
    }
    // Purchase products: the packs the stock product is bought in.
    int purchaseLeaf = 5001;
    for (size_t i = c.stock.size() - fam.items.size(); i < c.stock.size(); ++i) {
      size_t stockIndex = c.stock[i];
      int packs = rng.chance(0.55) ? (rng.chance(0.25) ? 2 : 1) : 0;
      for (int k = 0; k < packs; ++k) {
        const Product& st = c.products[stockIndex];
        std::string unit = st.unit == "KG"  ? (k == 0 ? "PCT" : "CX")
                           : st.unit == "L" ? (k == 0 ? "GL" : "CX")
                                            : (k == 0 ? "CX" : "FD");
        std::string size =
            st.unit == "UN" ? (k == 0 ? " 100UN" : " 1000UN") : (k == 0 ? " 5" : " 10") + st.unit;
        Product p;
        p.tree = family + "." + pad(purchaseLeaf++, 4);
        p.name = st.name + " " + unit + size;
        p.unit = unit;
        p.stock = st.code;
        p.group = st.group;
        p.price = st.price;
        p.family = st.family;
        p.active = st.active;
        size_t pi = add(p);
        c.purchase[stockIndex].push_back(pi);
      }
    }
  }
  // Optional substitutes: a product of the same family, kind and unit, for the kinds a cook
  // swaps (nobody replaces the salt by the cumin). Products never bought replace nothing.
  for (size_t index : c.stock) {
    const Product& p = c.products[index];
    if (p.group != "ALIM" || p.noCost || !kSwappable.count(p.range->kind) || !rng.chance(0.7)) {
      continue;
    }
    std::vector<std::string> candidates;
    for (size_t other : c.stock) {
      const Product& o = c.products[other];
      if (other != index && o.family == p.family && o.range == p.range && o.unit == p.unit &&
          o.active && o.controlsStock && !o.noCost) {
        candidates.push_back(o.code);
      }
    }
    int count = std::min<int>(rng.range(1, 3), static_cast<int>(candidates.size()));
    for (int k = 0; k < count; ++k) {
      size_t pick = static_cast<size_t>(rng.range(0, static_cast<int>(candidates.size()) - 1));
      c.optionals[p.code].push_back(candidates[pick]);
      candidates.erase(candidates.begin() + static_cast<std::ptrdiff_t>(pick));
    }
  }
  return c;
}

const Product& stockNamed(const Catalog& c, const std::string& name) {
  auto it = c.stockByName.find(name);
  if (it == c.stockByName.end()) throw std::logic_error("demo recipe uses unknown product " + name);
  return c.products[it->second];
}

char categoryDigit(DishCategory category) {
  return static_cast<char>('1' + int(category));
}

std::vector<Dish> buildStandardDishes(const Catalog& c) {
  std::vector<Dish> dishes;
  std::map<DishCategory, int> sequence;
  for (const auto& t : standardDishes()) {
    Dish d;
    d.dishBranch = "P";
    d.code = std::string(1, categoryDigit(t.category)) + pad(++sequence[t.category], 3);
    d.name = t.name;
    d.category = t.category;
    for (const auto& ing : t.ingredients) {
      const Product& p = stockNamed(c, ing.product);
      d.recipe.push_back({p.code, portion(p, ing.quantity), p.unit});
    }
    dishes.push_back(std::move(d));
  }
  return dishes;
}

// A variant of a recipe: quantities moved a little and, now and then, one product swapped for
// one of its optional substitutes.
std::vector<RecipeItem> variant(const Catalog& c, const std::vector<RecipeItem>& base, Rng& rng) {
  std::vector<RecipeItem> out;
  std::set<std::string> used;
  for (const auto& item : base)
    used.insert(item.product);
  for (const auto& item : base) {
    RecipeItem v = item;
    double net = item.net * rng.between(0.85, 1.15);
    auto opt = c.optionals.find(item.product);
    if (opt != c.optionals.end() && rng.chance(0.25)) {
      for (const auto& candidate : opt->second) {
        if (!used.count(candidate)) {
          used.insert(candidate);
          v.product = candidate;
          v.unit = c.products[c.byCode.at(candidate)].unit;
          break;
        }
      }
    }
    v.net = portion(c.products[c.byCode.at(v.product)], net);
    out.push_back(v);
  }
  return out;
}

struct Holiday {
  int month;
  int day;
  const char* name;
};
const Holiday kNationalHolidays[] = {
    {1, 1, "CONFRATERNIZACAO UNIVERSAL"},
    {4, 21, "TIRADENTES"},
    {5, 1, "DIA DO TRABALHO"},
    {9, 7, "INDEPENDENCIA"},
    {10, 12, "NOSSA SENHORA APARECIDA"},
    {11, 2, "FINADOS"},
    {11, 15, "PROCLAMACAO DA REPUBLICA"},
    {11, 20, "CONSCIENCIA NEGRA"},
    {12, 25, "NATAL"},
};

struct HistoryPoint {
  double day;
  double average;
  double last;
};

class Generator {
 public:
  Generator(db::Database& db, double referenceDay, int scale)
      : db_(db), reference_(referenceDay), scale_(scale) {
    platform::Ymd ymd = platform::decodeDate(referenceDay);
    monthStart_ = platform::encodeDate(ymd.year, ymd.month, 1);
    int py = ymd.month == 1 ? ymd.year - 1 : ymd.year;
    int pm = ymd.month == 1 ? 12 : ymd.month - 1;
    previousStart_ = platform::encodeDate(py, pm, 1);
    int ny = ymd.month == 12 ? ymd.year + 1 : ymd.year;
    int nm = ymd.month == 12 ? 1 : ymd.month + 1;
    nextEnd_ = platform::encodeDate(ny, nm, platform::daysInMonth(ny, nm));
    historyMonths_ = std::min(6 * scale, 48);
    int hy = ymd.year, hm = ymd.month - historyMonths_;
    while (hm < 1) {
      hm += 12;
      --hy;
    }
    historyStart_ = platform::encodeDate(hy, hm, 1);
  }

  void run() {
    catalog_ = buildCatalog();
    standard_ = buildStandardDishes(catalog_);
    lapses();
    company();
    products();
    dishes();
    operators();
    for (int b = 1; b <= 2 * scale_; ++b)
      branch(b);
  }

 private:
  void company() {
    Inserter(db_, "PARAMGERAL",
             {"IDPARAMGERAL", "QTDIABLOQCAR", "IDUTCARDPADR", "CDGRUPPROD", "IDPESQCOMPPROD"})
        .row(1, 1.0, "N", "", "N");
    Inserter tipo(db_, "TIPOCUSTO", {"CDTIPOCUSTO", "NMTIPOCUSTO", "IDORIGEM"});
    tipo.row(6, "MENOR COTACAO", "C");
    tipo.row(7, "PRECO DE REFERENCIA", "R");
    tipo.row(10, "CUSTO MEDIO", "E");
    tipo.row(30, "ULTIMO CUSTO DE COMPRA", "E");
    tipo.row(31, "MAIOR ENTRE MEDIO E ULTIMA COMPRA", "E");
    tipo.row(44, "MEDIA DAS COTACOES", "C");
    tipo.row(48, "ULTIMA COTACAO", "C");
    tipo.row(61, "CUSTO MEDIO DO FECHAMENTO", "E");
    tipo.row(62, "ULTIMA COMPRA DO FECHAMENTO", "E");
    // Colours as numbers with red in the lowest byte.
    Inserter band(db_, "SINASAFRA",
                  {"CDSINASAFRA", "NMSINASAFRA", "VRLIMINFSAFR", "VRLIMSUPSAFR", "NRCORSINSAFR"});
    band.row(1, "SAFRA", 0.0, 20.0, double(0x00A000));
    band.row(2, "MEIA SAFRA", 20.0, 50.0, double(0x00C8FF));
    band.row(3, "ENTRESSAFRA", 50.0, 100.0, double(0x0000DC));
    Inserter supplier(db_, "FORNECEDOR",
                      {"CDFORNECED", "IDTPIJURFORN", "NRINSJURFORN", "NMRAZSOCFORN"});
    const char* names[] = {"DISTRIBUIDORA ALFA LTDA",    "CEREALISTA BOA SAFRA LTDA",
                           "FRIGORIFICO SERRA AZUL SA",  "HORTIFRUTI VALE VERDE LTDA",
                           "LATICINIOS CAMPO BELO LTDA", "ATACADO CENTRAL LTDA",
                           "EMBALAGENS PRATICA LTDA",    "COMERCIAL LIMPA TUDO LTDA"};
    for (int i = 0; i < 8; ++i) {
      supplier.row(supplierCode(i), "J", "1234567800" + pad(101 + i * 7, 4), names[i]);
    }
    Inserter tipoCons(db_, "TIPOCONSUMO", {"CDTPRCONSFIX", "NMTIPOPRAT", "TPCONS"});
    tipoCons.row("01", "DESCARTAVEIS", "P");
    tipoCons.row("02", "LIMPEZA E GAS", "F");
  }

  static std::string supplierCode(int i) { return "F" + pad(i + 1, 5); }

  void products() {
    Inserter ins(db_, "PRODUTO",
                 {"CDPRODUTO", "CDARVPROD", "CDNVPRODUTO", "NMPRODUTO", "DSCOMPLNOME", "SGUNIDADE",
                  "CDPRODESTO", "VRPEFATOCORR", "IDINTESAFR", "IDATIVO", "IDCONTREST", "CDGRUPPROD",
                  "VRPRECOREF"});
    for (const auto& p : catalog_.products) {
      if (p.stock.empty()) {
        ins.row(p.code, p.tree, p.level, p.name, p.complement, p.unit, nullptr, 1.0, "", "S", "N",
                p.group, 0.0);
      } else {
        ins.row(p.code, p.tree, p.level, p.name, p.complement, p.unit, p.stock, p.factor, p.seasons,
                p.active ? "S" : "N", p.controlsStock ? "S" : "N", p.group,
                p.noCost ? 0.0 : p.price);
      }
    }
    Inserter opt(db_, "PRODOPCIONAL", {"CDPRODUTO", "CDPRODOPC"});
    for (const auto& [product, list] : catalog_.optionals) {
      for (const auto& o : list)
        opt.row(product, o);
    }
  }

  void dishes() {
    Inserter prato(db_, "PRATO", {"CDFILAUXPRAT", "CDPRATO", "NMPRATO"});
    Inserter receita(db_, "RECEITA",
                     {"CDFILAUXPRAT", "CDPRATO", "CDPRODUTO", "QTDERECE", "SGUNIDRECE"});
    for (const auto& d : standard_) {
      prato.row(d.dishBranch, d.code, d.name);
      for (const auto& r : d.recipe)
        receita.row(d.dishBranch, d.code, r.product, r.net, r.unit);
    }
  }

  void operators() {
    Rng rng(seedFor(2));
    auto salt = [&] {
      std::string s(16, '\0');
      for (char& ch : s)
        ch = static_cast<char>(rng.next() & 0xff);
      return s;
    };
    Inserter op(db_, "OPERADOR", {"CDOPERADOR", "NMOPERADOR", "IDATIVO", "DSSENHA"});
    op.row("analista", "ANALISTA DE CUSTOS", "S", auth::hashPassword("analista", salt()));
    op.row("filial", "OPERADOR DE FILIAL", "S", auth::hashPassword("filial", salt()));
    op.row("consulta", "CONSULTA", "S", auth::hashPassword("consulta", salt()));
    Inserter right(db_, "OPERDIREITO", {"CDOPERADOR", "NRTIPO", "CDACAO"});
    for (const char* key : {"INCLUSAO_PRODUTO_RECEITA_PADRAO", "ALTERACAO_PRODUTO_RECEITA_PADRAO",
                            "EXCLUSAO_PRODUTO_RECEITA_PADRAO"}) {
      right.row("analista", 4, key);
    }
    Inserter param(db_, "OPERPARAM", {"CDOPERADOR", "CDPARAM", "IDVALOR"});
    param.row("analista", "ARRV", "S");
    param.row("consulta", "ARRV", "N");
  }

  void branch(int b) {
    std::string code = pad(b, 4);
    double size = b == 1 ? 1.0 : 0.7 + 0.1 * ((b * 7) % 6);
    Inserter(db_, "FILIAL", {"CDFILIAL", "NMFILIAL", "DTPROCESSO"})
        .row(code, "RESTAURANTE " + code, reference_);
    Inserter(db_, "PARAMFILIAL", {"CDFILIAL", "IDCOMCUSPERC"})
        .row(code, countsClients(b) ? "C" : "T");
    Inserter(db_, "PARAMPLANEJA",
             {"CDFILIAL", "IDUTILFATCOR", "IDUTILFATCOC", "IDTIPCALCFAT", "IDQTLIQUBRUT",
              "NRCORSAFRA", "NRCORINICSAF", "NRCORENTRSAF", "IDBLOALTRELO"})
        .row(code, "S", "N", "M", "B", double(0x00A000), double(0x00C8FF), double(0x0000DC),
             b == 1 ? "S" : "N");
    Inserter servico(db_, "SERVICO", {"CDFILIAL", "CDSERVFILI", "NMSERVICO"});
    for (const auto& s : kServices)
      servico.row(code, s.code, s.name);

    Inserter prodFilial(db_, "PRODFILIAL", {"CDFILIAL", "CDPRODUTO", "IDATIVO"});
    for (const auto& p : catalog_.products) {
      if (p.stock.empty()) continue;
      bool off = b % 2 == 0 && (p.name == "MORANGO" || p.name == "CAMARAO");
      prodFilial.row(code, p.code, off ? "N" : "S");
    }
    holidays(b, code);
    auto history = costHistory(b, code);
    quotations(b, code);
    auto recipes = branchRecipes(b, code);
    consumption(b, code, size);
    for (size_t s = 0; s < std::size(kServices); ++s) {
      menusAndRealized(b, code, s, size, recipes, history);
    }
  }

  void holidays(int b, const std::string& code) {
    Inserter ins(db_, "FERIFILI", {"CDFILIAL", "DTFERIFILI", "NMFERIADO"});
    holidays_.clear();
    for (double d = previousStart_; d <= nextEnd_; d += 1) {
      platform::Ymd ymd = platform::decodeDate(d);
      for (const auto& h : kNationalHolidays) {
        if (h.month == ymd.month && h.day == ymd.day) {
          ins.row(code, d, h.name);
          holidays_.insert(d);
        }
      }
    }
    // A local holiday on a weekday of the reference month: the city's anniversary.
    int weekday = b % 2 == 1 ? 4 : 5;  // Wednesday, Thursday
    for (double d = monthStart_ + 9;; d += 1) {
      if (platform::dayOfWeek(d) == weekday && !holidays_.count(d)) {
        ins.row(code, d, "ANIVERSARIO DA CIDADE");
        holidays_.insert(d);
        break;
      }
    }
  }

  double priceAt(const Product& p, double day) const {
    double months = (day - historyStart_) / 30.0;
    return p.price * (1.0 + 0.004 * months);
  }

  std::map<std::string, std::vector<HistoryPoint>> costHistory(int b, const std::string& code) {
    Rng rng(seedFor(3, static_cast<uint64_t>(b)));
    Inserter ins(db_, "CUSTOHIST", {"CDFILIAL", "TPCUSTO", "CDPRODUTO", "DTCUSTO", "VRCUSTO"});
    std::map<std::string, std::vector<HistoryPoint>> history;
    for (size_t index : catalog_.stock) {
      const Product& p = catalog_.products[index];
      if (p.noCost) continue;
      double offset = rng.range(0, 13);
      for (double d = historyStart_ + offset; d <= reference_; d += 14) {
        double average = round4(priceAt(p, d) * rng.between(0.97, 1.03));
        double last = round4(average * rng.between(0.95, 1.08));
        ins.row(code, 10, p.code, d, average);
        ins.row(code, 30, p.code, d, last);
        history[p.code].push_back({d, average, last});
      }
    }
    return history;
  }

  static bool countsClients(int b) { return b % 2 == 0; }

  void lapses() {
    for (double month = previousStart_; month <= nextEnd_;) {
      platform::Ymd ymd = platform::decodeDate(month);
      for (const auto& lapse : kLapses) {
        double d = month + lapse.fromDay - 1;
        while (platform::dayOfWeek(d) != lapse.weekday)
          d += 1;
        lapses_[stockNamed(catalog_, lapse.product).code].push_back({d, d + lapse.days - 1});
      }
      month += platform::daysInMonth(ymd.year, ymd.month);
    }
  }

  // The lapse of `product` that holds `day` or starts after it, if any.
  const std::pair<double, double>* nextLapse(const std::string& product, double day) const {
    auto it = lapses_.find(product);
    if (it == lapses_.end()) return nullptr;
    for (const auto& window : it->second) {
      if (window.second >= day) return &window;
    }
    return nullptr;
  }

  void quotations(int b, const std::string& code) {
    Rng rng(seedFor(4, static_cast<uint64_t>(b)));
    Inserter ins(db_, "COTACAO",
                 {"CDFILIAL", "CDPRODUTO", "CDFORNECED", "VRPRECO", "DTINIVALITM", "DTFINVALITM",
                  "NMMARCA", "IDORIGEM"});
    const char* brands[] = {"BOA MESA", "SABOR REAL", "DA FAZENDA", "PRIMOR", "SELETO", ""};
    quotes_.clear();
    quoteFactor_.clear();
    for (size_t index : catalog_.stock) {
      const Product& p = catalog_.products[index];
      if (p.noCost) continue;
      // Who quotes and how dear does not depend on how far back the history goes.
      Rng supplierRng(seedFor(7, static_cast<uint64_t>(b), index));
      int suppliers = supplierRng.range(2, 3);
      int first = supplierRng.range(0, 7);
      for (int k = 0; k < suppliers; ++k) {
        int supplier = (first + k * 3) % 8;
        double factor = supplierRng.between(0.94, 1.10);
        const char* brand = brands[supplierRng.range(0, 5)];
        quoteFactor_[p.code] += factor / suppliers;
        double start = historyStart_ - rng.range(0, 20);
        // Each supplier quotes period after period, except across the product's lapses.
        while (start <= nextEnd_) {
          const auto* lapse = nextLapse(p.code, start);
          if (lapse != nullptr && lapse->first <= start) {
            start = lapse->second + 1;
            continue;
          }
          double end = start + rng.range(25, 45) - 1;
          if (lapse != nullptr && lapse->first <= end) end = lapse->first - 1;
          // Half of the quotations are for a pack the product is bought in.
          std::string quoted = p.code;
          auto packs = catalog_.purchase.find(index);
          if (packs != catalog_.purchase.end() && rng.chance(0.5)) {
            quoted = catalog_
                         .products[packs->second[static_cast<size_t>(
                             rng.range(0, int(packs->second.size()) - 1))]]
                         .code;
          }
          double price = round2(priceAt(p, start) * factor * rng.between(0.98, 1.02));
          ins.row(code, quoted, supplierCode(supplier), price, start, end, std::string(brand), "C");
          quotes_[p.code].push_back({start, end, price});
          start = end + 1;
        }
      }
    }
  }

  double quoteFactor(const std::string& product) const {
    auto it = quoteFactor_.find(product);
    return it == quoteFactor_.end() ? 0.0 : it->second;
  }

  // The average of the quotations valid on the day, or of those that ended last before it: the
  // screen's default cost.
  double quotedCost(const std::string& product, double day) const {
    auto it = quotes_.find(product);
    if (it == quotes_.end()) return 0;
    double sum = 0, lastEnd = -1, lastSum = 0;
    int count = 0, lastCount = 0;
    for (const auto& q : it->second) {
      if (q.from <= day && day <= q.to) {
        sum += q.price;
        ++count;
      } else if (q.to < day && q.to >= lastEnd) {
        if (q.to > lastEnd) lastSum = 0, lastCount = 0;
        lastEnd = q.to;
        lastSum += q.price;
        ++lastCount;
      }
    }
    if (count > 0) return sum / count;
    return lastCount > 0 ? lastSum / lastCount : 0.0;
  }

  struct BranchRecipes {
    std::vector<Dish> localDishes;                         // dishes owned by the branch
    std::map<std::string, std::vector<RecipeItem>> local;  // dish code -> local recipe
    std::map<std::pair<size_t, std::string>, std::vector<RecipeItem>> perService;
  };

  BranchRecipes branchRecipes(int b, const std::string& code) {
    Rng rng(seedFor(5, static_cast<uint64_t>(b)));
    BranchRecipes r;
    Inserter prato(db_, "PRATO", {"CDFILAUXPRAT", "CDPRATO", "NMPRATO"});
    Inserter local(db_, "RECEITALOCAL",
                   {"CDFILIAL", "CDFILAUXPRAT", "CDPRATO", "CDPRODUTO", "QTDERECE", "SGUNIDRECE"});
    Inserter serv(db_, "RECEITASERV",
                  {"CDFILIAL", "CDSERVFILI", "CDFILAUXPRAT", "CDPRATO", "CDPRODUTO", "QTDERECE",
                   "SGUNIDRECE"});
    // The branch's own dishes: house versions of mains and sides.
    std::vector<const Dish*> pool;
    for (const auto& d : standard_) {
      if (d.category == DishCategory::Main || d.category == DishCategory::Side) pool.push_back(&d);
    }
    for (int i = 0; i < 10; ++i) {
      const Dish* base = pool[static_cast<size_t>(rng.range(0, int(pool.size()) - 1))];
      Dish d;
      d.dishBranch = code;
      d.code = "L" + code + pad(i + 1, 2);
      d.name = (base->name + " DA CASA").substr(0, 40);
      d.category = base->category;
      d.recipe = variant(catalog_, base->recipe, rng);
      prato.row(d.dishBranch, d.code, d.name);
      for (const auto& item : d.recipe) {
        local.row(code, d.dishBranch, d.code, item.product, item.net, item.unit);
      }
      r.localDishes.push_back(std::move(d));
    }
    // Revised (local) recipes of standard dishes, and per-service ones.
    for (const auto& d : standard_) {
      if (d.category == DishCategory::Drink || !rng.chance(0.12)) continue;
      auto items = variant(catalog_, d.recipe, rng);
      for (const auto& item : items) {
        local.row(code, d.dishBranch, d.code, item.product, item.net, item.unit);
      }
      r.local[d.code] = std::move(items);
    }
    for (size_t s = 0; s < std::size(kServices); ++s) {
      for (const auto& d : standard_) {
        if (d.category == DishCategory::Drink || !rng.chance(0.06)) continue;
        auto items = variant(catalog_, d.recipe, rng);
        for (const auto& item : items) {
          serv.row(code, kServices[s].code, d.dishBranch, d.code, item.product, item.net,
                   item.unit);
        }
        r.perService[{s, d.code}] = std::move(items);
      }
    }
    return r;
  }

  // Disposables per diner and a day's cleaning and gas, sized to the service and the branch;
  // weekends and holidays use half the cleaning and gas. The targets are what a full day costs.
  void consumption(int b, const std::string& code, double size) {
    Inserter type(db_, "TIPOCONSSERV", {"CDFILIAL", "CDSERVFILI", "CDTPRCONSFIX", "VRCUSTPADRTP"});
    Inserter item(
        db_, "ITCONSSERV",
        {"CDFILIAL", "CDSERVFILI", "CDTPRCONSFIX", "NRTIPODIA", "CDPRODUTO", "QTCONSSERV"});
    const char* cleaningProducts[] = {"DETERGENTE", "DESINFETANTE", "AGUA SANITARIA", "ESPONJA",
                                      "PANO DE LIMPEZA"};
    const double cleaning[][5] = {{3, 2, 2, 4, 3}, {1.5, 1, 1, 2, 2}, {1, 0.5, 0.5, 1, 1}};
    double priced = monthStart_ + 14;
    for (size_t s = 0; s < std::size(kServices); ++s) {
      const char* service = kServices[s].code;
      std::vector<std::pair<const Product*, double>> perDiner = {
          {&stockNamed(catalog_, "GUARDANAPO"), 2.0},
          {&stockNamed(catalog_, "LUVA DESCARTAVEL"), 0.02},
          {&stockNamed(catalog_, "COPO DESCARTAVEL 200ML"), 1.0}};
      if (s != 2) perDiner.push_back({&stockNamed(catalog_, "TALHER DESCARTAVEL"), 1.0});
      if (s == 0) perDiner.push_back({&stockNamed(catalog_, "EMBALAGEM MARMITEX"), 0.05});
      std::vector<std::pair<const Product*, double>> fixed;
      for (size_t k = 0; k < std::size(cleaningProducts); ++k) {
        const Product& p = stockNamed(catalog_, cleaningProducts[k]);
        double quantity = cleaning[s][k] * size;
        fixed.push_back(
            {&p, p.unit == "UN" ? std::max(1.0, std::round(quantity)) : round1(quantity)});
      }
      fixed.push_back({&stockNamed(catalog_, "GAS DE COZINHA"), round1(kServices[s].gas * size)});

      double perDinerTarget = 0, fixedTarget = 0;
      for (const auto& [p, qty] : perDiner)
        perDinerTarget += qty * quotedCost(p->code, priced);
      for (const auto& [p, qty] : fixed)
        fixedTarget += qty * quotedCost(p->code, priced);
      // The screen divides by the clients where the branch counts them.
      if (countsClients(b)) perDinerTarget /= kClientShare;
      type.row(code, service, "01", round2(perDinerTarget));
      type.row(code, service, "02", round2(fixedTarget));
      for (int dayType = 1; dayType <= 8; ++dayType) {
        double fixedShare = dayType == 1 || dayType == 7 || dayType == 8 ? 0.5 : 1.0;
        for (const auto& [p, qty] : perDiner)
          item.row(code, service, "01", dayType, p->code, qty);
        for (const auto& [p, qty] : fixed)
          item.row(code, service, "02", dayType, p->code, qty * fixedShare);
      }
    }
  }

  bool serves(size_t service, double day) const {
    int weekday = platform::dayOfWeek(day);
    if (service == 1) return weekday != 1;  // no Sunday dinner
    if (service == 2) return weekday >= 2 && weekday <= 6 && !holidays_.count(day);  // weekdays
    return true;
  }

  struct MenuRow {
    double day;
    const Dish* dish;
    double diners;
  };

  using Pools = std::map<DishCategory, std::vector<const Dish*>>;
  using Weekly = std::map<std::pair<int, DishCategory>, const Dish*>;  // weekday, category
  using Plan = std::vector<std::pair<DishCategory, double>>;           // category, diner share

  struct Draw {
    std::vector<std::pair<const Dish*, double>> dishes;  // dish, share of the diners
    double cost = 0;                                     // per estimated diner, at catalogue prices
  };

  // What a diner of the dish costs: on the day at the screen's default cost, or at catalogue
  // prices and the suppliers' usual margin when `day` is 0 (the planner's view, the same
  // whatever the quotation history).
  double dishCost(size_t s, const Dish& dish, const BranchRecipes& recipes, double day) const {
    double cost = 0;
    for (const auto& item : recipeInForce(s, dish, recipes)) {
      const Product& p = catalog_.products[catalog_.byCode.at(item.product)];
      double unit = day == 0 ? p.price * quoteFactor(item.product) : quotedCost(item.product, day);
      cost += item.net * p.factor * unit;
    }
    return cost;
  }

  Draw drawMenu(size_t s, double day, const Plan& plan, const Pools& pools, const Weekly& weekly,
                const BranchRecipes& recipes, Rng& rng) const {
    Draw draw;
    std::set<const Dish*> chosen;
    std::set<DishCategory> specialServed;
    int weekday = platform::dayOfWeek(day);
    for (const auto& [category, share] : plan) {
      const Dish* dish = nullptr;
      auto special = weekly.find({weekday, category});
      if (special != weekly.end() && specialServed.insert(category).second) dish = special->second;
      const auto& candidates = pools.at(category);
      for (int attempt = 0; attempt < 20 && dish == nullptr; ++attempt) {
        const Dish* c =
            candidates[static_cast<size_t>(rng.range(0, static_cast<int>(candidates.size()) - 1))];
        if (!chosen.count(c)) dish = c;
      }
      if (dish == nullptr) continue;
      chosen.insert(dish);
      draw.dishes.push_back({dish, share});
      draw.cost += share * dishCost(s, *dish, recipes, 0);
    }
    return draw;
  }

  void menusAndRealized(int b, const std::string& code, size_t s, double size,
                        const BranchRecipes& recipes,
                        const std::map<std::string, std::vector<HistoryPoint>>& history) {
    const Service& service = kServices[s];
    Rng rng(seedFor(6, static_cast<uint64_t>(b), s));
    std::set<std::string> specials;
    for (const auto& special : kSpecials)
      specials.insert(special.dish);
    Pools pools;
    for (const auto& d : standard_) {
      if (!specials.count(d.name)) pools[d.category].push_back(&d);
    }
    for (const auto& d : recipes.localDishes)
      pools[d.category].push_back(&d);
    Weekly weekly;
    for (const auto& special : kSpecials) {
      if (special.service != s) continue;
      for (const auto& d : standard_) {
        if (d.name == special.dish) weekly[{special.weekday, special.category}] = &d;
      }
    }

    Plan plan;
    if (s == 0) {
      plan = {{DishCategory::Rice, 1.0},  {DishCategory::Beans, 1.0}, {DishCategory::Main, 0.6},
              {DishCategory::Main, 0.4},  {DishCategory::Side, 0.5},  {DishCategory::Side, 0.5},
              {DishCategory::Salad, 0.7}, {DishCategory::Salad, 0.6}, {DishCategory::Dessert, 1.0},
              {DishCategory::Drink, 1.0}};
    } else if (s == 1) {
      plan = {{DishCategory::Rice, 1.0}, {DishCategory::Beans, 1.0}, {DishCategory::Main, 1.0},
              {DishCategory::Side, 0.8}, {DishCategory::Salad, 0.7}, {DishCategory::Dessert, 1.0}};
    } else {
      plan = {{DishCategory::Breakfast, 0.9},
              {DishCategory::Breakfast, 0.8},
              {DishCategory::Breakfast, 0.6},
              {DishCategory::Dessert, 0.7}};
    }

    Inserter dayIns(db_, "CARDAPIODIA",
                    {"CDFILIAL", "CDSERVFILI", "DTCARDAPIO", "QTCOMESTICAR", "QTCLIESTICAR"});
    Inserter dishIns(db_, "CARDAPIO",
                     {"CDFILIAL", "CDSERVFILI", "DTCARDAPIO", "CDFILAUXPRAT", "CDPRATO",
                      "CDDIETPAD", "COMENSPRATO", "VRPECONSCARD", "CONT"});
    Inserter rateio(db_, "RATEIO", {"CDFILIAL", "CDSERVFILI", "DTMESRAT", "VRRATEIO"});
    Inserter padrao(db_, "CUSTOPADRAO", {"CDFILIAL", "CDSERVFILI", "DTMES", "VRCUSTPADR"});
    Inserter served(db_, "COMENSEFET",
                    {"CDFILIAL", "CDSERVFILI", "DTCARDAPIO", "QTCOMEFETCAR", "QTCLIEFETCAR"});
    Inserter withdrawal(
        db_, "RETIRADA",
        {"CDFILIAL", "CDSERVFILI", "DTRETIRADA", "CDPRODUTO", "QTRETIRADA", "VRCUSTOUNIT"});

    auto itemsOfDay = consumptionItems(code, service.code);
    for (double month = previousStart_; month <= nextEnd_;) {
      platform::Ymd ymd = platform::decodeDate(month);
      double monthEnd = month + platform::daysInMonth(ymd.year, ymd.month) - 1;
      std::vector<double> days;
      std::map<double, double> estimates;
      double monthDiners = 0;
      for (double d = month; d <= monthEnd; d += 1) {
        if (!serves(s, d)) continue;
        int weekday = platform::dayOfWeek(d);
        double share = holidays_.count(d) ? 0.3 : weekday == 1 ? 0.35 : weekday == 7 ? 0.55 : 1.0;
        double estimated = std::round(service.diners * size * share * rng.between(0.95, 1.05));
        estimates[d] = estimated;
        monthDiners += estimated;
        days.push_back(d);
        dayIns.row(code, service.code, d, estimated, std::round(estimated * kClientShare));
      }

      std::map<double, std::vector<Draw>> draws;
      std::vector<double> drawnCosts;
      for (double d : days) {
        for (int k = 0; k < kMenuDraws; ++k) {
          draws[d].push_back(drawMenu(s, d, plan, pools, weekly, recipes, rng));
          drawnCosts.push_back(draws[d].back().cost);
        }
      }
      double typical = median(drawnCosts);
      std::set<double> rich;
      size_t richDays =
          std::max<size_t>(1, static_cast<size_t>(std::round(kRichDays * days.size())));
      while (rich.size() < std::min(richDays, days.size()))
        rich.insert(days[static_cast<size_t>(rng.range(0, static_cast<int>(days.size()) - 1))]);

      std::vector<MenuRow> rows;
      std::vector<double> usualTotals;
      double richest = 0;
      for (double d : days) {
        double aim = typical * (rich.count(d) ? kRichCost : 1.0);
        const Draw* best = nullptr;
        for (const auto& draw : draws[d]) {
          if (best == nullptr || std::abs(draw.cost - aim) < std::abs(best->cost - aim)) {
            best = &draw;
          }
        }
        double estimated = estimates[d];
        double material = 0;
        for (const auto& [dish, share] : best->dishes) {
          double diners = std::round(estimated * share);
          rows.push_back({d, dish, diners});
          material += diners * dishCost(s, *dish, recipes, d);
        }
        double consumed = 0;
        int dayType = holidays_.count(d) ? 8 : platform::dayOfWeek(d);
        for (const auto& item : itemsOfDay) {
          if (item.dayType != dayType) continue;
          consumed +=
              item.quantity * (item.perDiner ? estimated : 1.0) * quotedCost(item.product, d);
        }
        double basis = countsClients(b) ? std::round(estimated * kClientShare) : estimated;
        double total = material + consumed + service.indirectPerDiner * estimated;
        if (rich.count(d)) {
          richest = std::max(richest, total / basis);
        } else {
          usualTotals.push_back(total / basis);
        }
      }
      rateio.row(code, service.code, month, round2(service.indirectPerDiner * monthDiners));
      // At least the richest day shows over the standard.
      double standard = std::min(median(usualTotals) * kStandardMargin, richest / 1.01);
      padrao.row(code, service.code, month, round2(standard));

      std::map<const Dish*, int> count;
      for (const auto& r : rows)
        ++count[r.dish];
      for (const auto& r : rows) {
        double estimated = estimates[r.day];
        dishIns.row(code, service.code, r.day, r.dish->dishBranch, r.dish->code, "NORM", r.diners,
                    estimated > 0 ? round2(r.diners / estimated * 100.0) : 0.0,
                    double(count[r.dish]));
      }
      realized(code, s, rows, estimates, recipes, history, itemsOfDay, rng, served, withdrawal);
      month = monthEnd + 1;
    }
  }

  struct ConsumptionRow {
    int dayType;
    std::string product;
    bool perDiner;
    double quantity;
  };

  std::vector<ConsumptionRow> consumptionItems(const std::string& code, const char* service) {
    auto st = db_.prepare(
        "SELECT I.NRTIPODIA, I.CDPRODUTO, T.TPCONS, I.QTCONSSERV FROM ITCONSSERV I"
        " JOIN TIPOCONSUMO T ON T.CDTPRCONSFIX = I.CDTPRCONSFIX"
        " WHERE I.CDFILIAL = ?1 AND I.CDSERVFILI = ?2");
    st->bindText(1, code);
    st->bindText(2, service);
    std::vector<ConsumptionRow> rows;
    while (st->step()) {
      rows.push_back(
          {static_cast<int>(st->integer(0)), st->text(1), st->text(2) == "P", st->real(3)});
    }
    return rows;
  }

  const std::vector<RecipeItem>& recipeInForce(size_t s, const Dish& dish,
                                               const BranchRecipes& r) const {
    auto serv = r.perService.find({s, dish.code});
    if (serv != r.perService.end()) return serv->second;
    auto local = r.local.find(dish.code);
    if (local != r.local.end()) return local->second;
    return dish.recipe;
  }

  // Withdrawals and served diners up to the reference day, close to what was planned.
  void realized(const std::string& code, size_t s, const std::vector<MenuRow>& rows,
                const std::map<double, double>& estimates, const BranchRecipes& recipes,
                const std::map<std::string, std::vector<HistoryPoint>>& history,
                const std::vector<ConsumptionRow>& items, Rng& rng, Inserter& served,
                Inserter& withdrawal) {
    std::map<double, std::map<std::string, double>> quantities;
    for (const auto& r : rows) {
      if (r.day > reference_) continue;
      for (const auto& item : recipeInForce(s, *r.dish, recipes)) {
        const Product& p = catalog_.products[catalog_.byCode.at(item.product)];
        quantities[r.day][item.product] += item.net * p.factor * r.diners;
      }
    }
    for (const auto& [day, estimated] : estimates) {
      if (day > reference_) continue;
      double effective = std::round(estimated * rng.between(0.92, 1.04));
      served.row(code, kServices[s].code, day, effective, std::round(effective * 0.92));
      int dayType = holidays_.count(day) ? 8 : platform::dayOfWeek(day);
      for (const auto& item : items) {
        if (item.dayType != dayType) continue;
        quantities[day][item.product] += item.perDiner ? item.quantity * estimated : item.quantity;
      }
    }
    for (const auto& [day, products] : quantities) {
      for (const auto& [product, quantity] : products) {
        double unit = 0;
        auto h = history.find(product);
        if (h != history.end()) {
          for (const auto& point : h->second) {
            if (point.day <= day) unit = point.average;
          }
        }
        double withdrawn = std::round(quantity * rng.between(0.95, 1.08) * 1000.0) / 1000.0;
        withdrawal.row(code, kServices[s].code, day, product, withdrawn,
                       round4(unit * rng.between(0.99, 1.01)));
      }
    }
  }

  db::Database& db_;
  double reference_;
  int scale_;
  double monthStart_ = 0;
  double previousStart_ = 0;
  double nextEnd_ = 0;
  double historyStart_ = 0;
  int historyMonths_ = 6;
  Catalog catalog_;
  std::vector<Dish> standard_;
  std::set<double> holidays_;
  struct Quoted {
    double from;
    double to;
    double price;
  };
  std::map<std::string, std::vector<Quoted>> quotes_;  // the branch's, by stock product
  std::map<std::string, double> quoteFactor_;          // its suppliers' mean price factor
  std::map<std::string, std::vector<std::pair<double, double>>> lapses_;  // by stock product
};

}  // namespace

void createDemo(db::Database& db, double referenceDay, int scale) {
  if (scale < 1) throw std::invalid_argument("scale must be at least 1");
  {
    auto st = db.prepare("SELECT COUNT(*) FROM FILIAL");
    if (st->step() && st->integer(0) > 0) {
      throw std::invalid_argument("the database already holds branches");
    }
  }
  db::Transaction tx(db);
  Generator(db, platform::dateOnly(referenceDay), scale).run();
  tx.commit();
}

}  // namespace server::demo
