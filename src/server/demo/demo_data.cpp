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
  bool noCost = false;    // no quotation and no history anywhere
  bool outdated = false;  // quotations end before the reference month
  int family = -1;
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
  double diners;    // weekday estimate at branch 0001
  double indirect;  // monthly indirect costs
  double standard;  // standard cost per diner
};

const Service kServices[] = {
    {"00001", "ALMOCO", 420, 18500, 12.80},
    {"00002", "JANTAR", 170, 6900, 11.20},
    {"00003", "DESJEJUM", 140, 2800, 4.90},
};

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
      size_t ordinal = c.stock.size();
      stock.noCost = ordinal % 23 == 7;
      stock.outdated = !stock.noCost && ordinal % 13 == 5;
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
  // Optional substitutes within the family, for the food groups.
  for (size_t index : c.stock) {
    const Product& p = c.products[index];
    if (p.group != "ALIM" || !rng.chance(0.45)) continue;
    std::vector<std::string> candidates;
    for (size_t other : c.stock) {
      const Product& o = c.products[other];
      if (other != index && o.family == p.family && o.active && o.controlsStock) {
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
      d.recipe.push_back({p.code, ing.quantity, p.unit});
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
    v.net = round4(item.net * rng.between(0.85, 1.15));
    if (v.net <= 0) v.net = item.net;
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
    Inserter(db_, "PARAMFILIAL", {"CDFILIAL", "IDCOMCUSPERC"}).row(code, b % 2 == 0 ? "C" : "T");
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
    consumption(code);
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

  void quotations(int b, const std::string& code) {
    Rng rng(seedFor(4, static_cast<uint64_t>(b)));
    Inserter ins(db_, "COTACAO",
                 {"CDFILIAL", "CDPRODUTO", "CDFORNECED", "VRPRECO", "DTINIVALITM", "DTFINVALITM",
                  "NMMARCA", "IDORIGEM"});
    const char* brands[] = {"BOA MESA", "SABOR REAL", "DA FAZENDA", "PRIMOR", "SELETO", ""};
    double cutoff = monthStart_ - 10;
    for (size_t index : catalog_.stock) {
      const Product& p = catalog_.products[index];
      if (p.noCost) continue;
      int suppliers = rng.range(2, 3);
      int first = rng.range(0, 7);
      for (int k = 0; k < suppliers; ++k) {
        int supplier = (first + k * 3) % 8;
        double factor = rng.between(0.94, 1.10);
        const char* brand = brands[rng.range(0, 5)];
        double start = historyStart_ - rng.range(0, 20);
        while (start <= nextEnd_) {
          double end = start + rng.range(25, 45) - 1;
          if (p.outdated && end >= cutoff) end = cutoff;
          // Half of the quotations are for a pack the product is bought in.
          std::string quoted = p.code;
          auto packs = catalog_.purchase.find(index);
          if (packs != catalog_.purchase.end() && rng.chance(0.5)) {
            quoted = catalog_
                         .products[packs->second[static_cast<size_t>(
                             rng.range(0, int(packs->second.size()) - 1))]]
                         .code;
          }
          ins.row(code, quoted, supplierCode(supplier),
                  round2(priceAt(p, start) * factor * rng.between(0.98, 1.02)), start, end,
                  std::string(brand), "C");
          if (p.outdated && end >= cutoff) break;
          start = end + 1 + (rng.chance(0.1) ? rng.range(1, 10) : 0);
        }
      }
    }
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

  void consumption(const std::string& code) {
    Inserter type(db_, "TIPOCONSSERV", {"CDFILIAL", "CDSERVFILI", "CDTPRCONSFIX", "VRCUSTPADRTP"});
    Inserter item(
        db_, "ITCONSSERV",
        {"CDFILIAL", "CDSERVFILI", "CDTPRCONSFIX", "NRTIPODIA", "CDPRODUTO", "QTCONSSERV"});
    for (size_t s = 0; s < std::size(kServices); ++s) {
      const char* service = kServices[s].code;
      type.row(code, service, "01", 0.45);
      type.row(code, service, "02", 60.0);
      for (int dayType = 1; dayType <= 8; ++dayType) {
        // Weekends and holidays use half the cleaning and gas.
        double fixedShare = dayType == 1 || dayType == 7 || dayType == 8 ? 0.5 : 1.0;
        std::vector<std::pair<const char*, double>> perDiner = {{"GUARDANAPO", 2.0},
                                                                {"LUVA DESCARTAVEL", 0.02}};
        if (s != 2) {
          perDiner.push_back({"COPO DESCARTAVEL 200ML", 1.0});
          perDiner.push_back({"TALHER DESCARTAVEL", 1.0});
        }
        if (s == 0) perDiner.push_back({"EMBALAGEM MARMITEX", 0.05});
        for (const auto& [name, qty] : perDiner) {
          item.row(code, service, "01", dayType, stockNamed(catalog_, name).code, qty);
        }
        double gas = s == 0 ? 6.0 : s == 1 ? 3.0 : 1.5;
        std::vector<std::pair<const char*, double>> fixed = {
            {"DETERGENTE", 2.0}, {"DESINFETANTE", 1.0},    {"AGUA SANITARIA", 1.0},
            {"ESPONJA", 4.0},    {"PANO DE LIMPEZA", 2.0}, {"GAS DE COZINHA", gas}};
        for (const auto& [name, qty] : fixed) {
          item.row(code, service, "02", dayType, stockNamed(catalog_, name).code, qty * fixedShare);
        }
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

  void menusAndRealized(int b, const std::string& code, size_t s, double size,
                        const BranchRecipes& recipes,
                        const std::map<std::string, std::vector<HistoryPoint>>& history) {
    const Service& service = kServices[s];
    Rng rng(seedFor(6, static_cast<uint64_t>(b), s));
    std::map<DishCategory, std::vector<const Dish*>> pool;
    for (const auto& d : standard_)
      pool[d.category].push_back(&d);
    for (const auto& d : recipes.localDishes)
      pool[d.category].push_back(&d);

    std::vector<std::pair<DishCategory, double>> plan;  // category, share of the diners
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
      rateio.row(code, service.code, month, round2(service.indirect * size));
      padrao.row(code, service.code, month,
                 round2(service.standard * (0.97 + 0.01 * (ymd.month % 5))));
      std::vector<MenuRow> rows;
      std::map<double, double> estimates;
      for (double d = month; d <= monthEnd; d += 1) {
        if (!serves(s, d)) continue;
        int weekday = platform::dayOfWeek(d);
        double share = holidays_.count(d) ? 0.3 : weekday == 1 ? 0.35 : weekday == 7 ? 0.55 : 1.0;
        double estimated = std::round(service.diners * size * share * rng.between(0.95, 1.05));
        estimates[d] = estimated;
        dayIns.row(code, service.code, d, estimated, std::round(estimated * 0.92));
        std::set<const Dish*> chosen;
        for (const auto& [category, dinerShare] : plan) {
          const auto& candidates = pool[category];
          const Dish* dish = nullptr;
          for (int attempt = 0; attempt < 20 && dish == nullptr; ++attempt) {
            const Dish* c = candidates[static_cast<size_t>(
                rng.range(0, static_cast<int>(candidates.size()) - 1))];
            if (!chosen.count(c)) dish = c;
          }
          if (dish == nullptr) continue;
          chosen.insert(dish);
          rows.push_back({d, dish, std::round(estimated * dinerShare)});
        }
      }
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
