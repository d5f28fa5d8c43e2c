// The screen end to end against the demo server on loopback: opening a month, moving a day,
// refreshing the cost panel and recalculating, saving recipe changes and checking a product
// code, as the user feels them.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>

#include "host/sqlite_handle.h"
#include "remote/host_services.h"
#include "screen_bench_host.h"

namespace {

using namespace screen_bench;

void BM_OpenMonth(benchmark::State& state) {
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    double seconds = 0;
    bench().open([&](TfrmAnaCustRevRec&) {
      seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    });
    state.SetIterationTime(seconds);
  }
}
BENCHMARK(BM_OpenMonth)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_MoveDayOnAnaliseDeCusto(benchmark::State& state) {
  bench().open([&](TfrmAnaCustRevRec& f) {
    bool forward = true;
    for (auto _ : state) {
      if (f.cost.cdsTrabCusto.recNo() == f.cost.cdsTrabCusto.recordCount()) forward = false;
      if (f.cost.cdsTrabCusto.recNo() == 1) forward = true;
      if (forward) {
        f.cost.cdsTrabCusto.next();
      } else {
        f.cost.cdsTrabCusto.prior();
      }
    }
  });
}
BENCHMARK(BM_MoveDayOnAnaliseDeCusto)->Unit(benchmark::kMicrosecond);

void BM_AtualizaCustoWithThePanelShown(benchmark::State& state) {
  bench().open([&](TfrmAnaCustRevRec& f) {
    f.sbtCustos->press();
    f.cost.cdsTrabCusto.locate("DTDATA", Variant::date(kDemoDay + 5));
    for (auto _ : state)
      f.cost.Atualiza_Custo();
  });
}
BENCHMARK(BM_AtualizaCustoWithThePanelShown)->Unit(benchmark::kMicrosecond);

void BM_Recalculation(benchmark::State& state) {
  bench().open([&](TfrmAnaCustRevRec& f) {
    f.cost.cdsTrabCusto.locate("DTDATA", Variant::date(kDemoDay + 5));
    for (auto _ : state) {
      f.ctx.recipeChanged = true;
      f.Habilita(true);
      f.sbtCalcula->press();
    }
  });
}
BENCHMARK(BM_Recalculation)->Unit(benchmark::kMillisecond)->Iterations(30);

// Where recalculation usually happens: on the recipes, right after a saved change.
void BM_RecalculationOnMateriaPrima(benchmark::State& state) {
  bench().open([&](TfrmAnaCustRevRec& f) {
    f.pgcPlanejado->selectPage(*f.tshMatPrima);
    f.cost.cdsTrabCusto.locate("DTDATA", Variant::date(kDemoDay + 5));
    for (auto _ : state) {
      f.ctx.recipeChanged = true;
      f.Habilita(true);
      f.sbtCalcula->press();
    }
  });
}
BENCHMARK(BM_RecalculationOnMateriaPrima)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_MoveDayOnMateriaPrima(benchmark::State& state) {
  bench().open([&](TfrmAnaCustRevRec& f) {
    f.pgcPlanejado->selectPage(*f.tshMatPrima);
    bool forward = true;
    for (auto _ : state) {
      if (f.cost.cdsTrabCusto.recNo() == f.cost.cdsTrabCusto.recordCount()) forward = false;
      if (f.cost.cdsTrabCusto.recNo() == 1) forward = true;
      if (forward) {
        f.cost.cdsTrabCusto.next();
      } else {
        f.cost.cdsTrabCusto.prior();
      }
    }
  });
}
BENCHMARK(BM_MoveDayOnMateriaPrima)->Unit(benchmark::kMillisecond);

// Five per-capita changes typed into a dish's products, then Ctrl+Enter: the confirmation, the
// save on the server and the day's products read back.
void BM_SaveFiveProductChanges(benchmark::State& state) {
  ConfirmingDialogs confirming;
  bench().open([&](TfrmAnaCustRevRec& f) {
    remote::HostServices services = remote::hostServices();
    services.dialogs = &confirming;
    remote::ScopedHostServices answered(services);
    openDishWith(f, 5);
    const Variant dish = f.recipe.cdsCardapio.fieldByName("CDPRATO").value();
    platform::ui::DBGrid& grid = *f.recipe.dbgPrato;
    int round = 0;
    for (auto _ : state) {
      user([&] { f.recipe.cdsCardapio.locate("CDPRATO", dish); });
      ++round;
      for (int row = 0; row < 5; ++row) {
        focus(grid);
        user([&] { grid.selectRow(row); });
        selectCell(grid, "QTDERECE");
        typeText(grid, typed(0.2 + 0.001 * (round % 200) + 0.0001 * row));
        press(grid, platform::ui::VK_RETURN, {}, 13);
      }
      if (!f.recipe.hasPendingRecipeChanges()) throw std::runtime_error("nothing to save");
      const auto start = std::chrono::steady_clock::now();
      press(grid, platform::ui::VK_RETURN, platform::ui::ssCtrl);
      state.SetIterationTime(
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      if (f.recipe.hasPendingRecipeChanges()) throw std::runtime_error("the save was refused");
    }
  });
  const auto asked = std::count(confirming.texts.begin(), confirming.texts.end(),
                                std::string("Confirma operação?"));
  if (asked != state.iterations()) state.SkipWithError("the save did not ask for confirmation");
}
BENCHMARK(BM_SaveFiveProductChanges)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A new row's product code is checked on the server, and the product's data filled, when the
// user leaves the cell.
void BM_ProductCodeValidationOnLeavingTheCell(benchmark::State& state) {
  bench().open([&](TfrmAnaCustRevRec& f) {
    openDishWith(f, 1);
    std::set<std::string> present;
    for (int r = 1; r <= f.recipe.cdsProduto.recordCount(); ++r)
      f.recipe.cdsProduto.withDisplayRow(
          r, [&] { present.insert(f.recipe.cdsProduto.fieldByName("CDARVPROD").asString()); });
    const platform::DataPacket stock = bench().queries().execute(
        "SELECT CDARVPROD FROM PRODUTO WHERE IDATIVO = 'S' AND CDNVPRODUTO = "
        "(SELECT MAX(CDNVPRODUTO) FROM PRODUTO) ORDER BY CDARVPROD",
        {});
    std::string code;
    for (size_t i = 0; i < stock.rows.size() && code.empty(); ++i)
      if (!present.contains(stock.value(i, "CDARVPROD").toString()))
        code = stock.value(i, "CDARVPROD").toString();
    std::erase_if(code, [](char c) { return c < '0' || c > '9'; });
    if (code.empty()) throw std::runtime_error("no product outside the dish");
    platform::ui::DBGrid& grid = *f.recipe.dbgPrato;
    for (auto _ : state) {
      press(grid, platform::ui::VK_INSERT);
      selectCell(grid, "CDARVPROD");
      typeText(grid, code);
      const auto start = std::chrono::steady_clock::now();
      selectCell(grid, "QTDERECE");
      state.SetIterationTime(
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      if (f.recipe.cdsProduto.fieldByName("SGUNIDRECE").asString().empty())
        throw std::runtime_error("the code was not checked");
      user([&] { f.sbtCancela->press(); });
    }
  });
}
BENCHMARK(BM_ProductCodeValidationOnLeavingTheCell)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Chooses the optional product with a given code, as the user does in the search dialog.
class ChoosingSearch : public remote::SearchList {
 public:
  std::string code;
  bool Pesquisar(platform::DataSource& source, const std::string&, bool, bool) override {
    return source.dataSet()->locate("CDARVPROD", Variant(code));
  }
};

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text)
    out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

// A local recipe's product on an open day and an optional product the swap accepts for it.
struct SwapCase {
  double day = 0;
  int dishRow = -1, productRow = -1;
  std::string branch, dish, product, quantity, unit, substitute, substituteCode;
};

SwapCase findSwap(TfrmAnaCustRevRec& f) {
  const platform::DataPacket days = bench().queries().execute(
      "SELECT DISTINCT C.DTCARDAPIO AS DIA FROM CARDAPIO C JOIN RECEITALOCAL R ON "
      "R.CDFILIAL = C.CDFILIAL AND R.CDFILAUXPRAT = C.CDFILAUXPRAT AND R.CDPRATO = C.CDPRATO "
      "WHERE C.CDFILIAL = '0001' AND C.CDSERVFILI = '00001' AND C.DTCARDAPIO > :DE AND "
      "C.DTCARDAPIO < :ATE ORDER BY 1",
      {{"DE", Variant(kDemoDay)}, {"ATE", Variant(kDemoDay + 16)}});
  user([&] { f.pgcPlanejado->selectPage(*f.tshMatPrima); });
  platform::ClientDataSet& products = f.recipe.cdsProduto;
  for (size_t d = 0; d < days.rows.size(); ++d) {
    SwapCase c;
    c.day = days.value(d, "DIA").toDouble();
    user([&] { f.cost.cdsTrabCusto.locate("DTDATA", Variant::date(c.day)); });
    for (int dish = 0; dish < f.recipe.cdsCardapio.recordCount(); ++dish) {
      focus(*f.recipe.dbgCardapio);
      user([&] { f.recipe.dbgCardapio->selectRow(dish); });
      std::set<std::string> inDish;
      for (int r = 1; r <= products.recordCount(); ++r)
        products.withDisplayRow(
            r, [&] { inDish.insert(products.fieldByName("CDPRODUTO").asString()); });
      for (int r = 1; r <= products.recordCount(); ++r) {
        products.withDisplayRow(r, [&] {
          if (c.productRow >= 0 || products.fieldByName("TIPO").asString() != "L") return;
          const platform::DataPacket optionals =
              f.netInfPrato->call("PesqProdOpc", products.fieldByName("CDARVPROD").asString(), "4")
                  .packet();
          for (size_t i = 0; i < optionals.rows.size() && c.productRow < 0; ++i) {
            const std::string product = optionals.value(i, "CDPRODUTO").toString();
            const std::string code = optionals.value(i, "CDARVPROD").toString();
            if (product != optionals.value(i, "CDPRODESTO").toString() ||
                inDish.contains(product) ||
                f.netReceitaPadrao->call("Verif_Status_Prod", "0001", "4", code).toString() ==
                    "PROD_INATIVO" ||
                f.netReceitaPadrao->call("GetVerifProd", "0001", product).toBool())
              continue;
            c.dishRow = dish;
            c.productRow = r - 1;
            c.branch = products.fieldByName("CDFILAUXPRAT").asString();
            c.dish = products.fieldByName("CDPRATO").asString();
            c.product = products.fieldByName("CDPRODUTO").asString();
            c.substitute = product;
            c.substituteCode = code;
          }
        });
        if (c.productRow >= 0) break;
      }
      if (c.productRow < 0) continue;
      const platform::DataPacket row = bench().queries().execute(
          "SELECT QTDERECE, SGUNIDRECE FROM RECEITALOCAL WHERE CDFILIAL = '0001' AND "
          "CDFILAUXPRAT = :FIL AND CDPRATO = :PRATO AND CDPRODUTO = :PROD",
          {{"FIL", Variant(c.branch)}, {"PRATO", Variant(c.dish)}, {"PROD", Variant(c.product)}});
      if (row.rows.size() != 1) throw std::runtime_error("the local recipe row is missing");
      char quantity[40];
      std::snprintf(quantity, sizeof quantity, "%.17g", row.value(0, "QTDERECE").toDouble());
      c.quantity = quantity;
      c.unit = row.value(0, "SGUNIDRECE").toString();
      return c;
    }
  }
  throw std::runtime_error("no local recipe with a usable optional product");
}

// The ingredient swap as the user does it on a product of a local recipe: the optional products
// listed, the choice checked, the swap saved and the day's products read back. Between rounds the
// recipe row is put back, so every round swaps the same product.
void BM_IngredientSwap(benchmark::State& state) {
  ConfirmingDialogs confirming;
  ChoosingSearch search;
  bench().open([&](TfrmAnaCustRevRec& f) {
    remote::HostServices services = remote::hostServices();
    services.dialogs = &confirming;
    services.search = &search;
    remote::ScopedHostServices answered(services);
    const SwapCase c = findSwap(f);
    search.code = c.substituteCode;
    const host::sqlite::Db db = host::sqlite::open(bench().databasePath(), SQLITE_OPEN_READWRITE);
    const std::string restore = "UPDATE RECEITALOCAL SET CDPRODUTO = " + quoted(c.product) +
                                ", QTDERECE = " + c.quantity + ", SGUNIDRECE = " + quoted(c.unit) +
                                " WHERE CDFILIAL = '0001' AND CDFILAUXPRAT = " + quoted(c.branch) +
                                " AND CDPRATO = " + quoted(c.dish) +
                                " AND CDPRODUTO = " + quoted(c.substitute);
    const auto onTheProduct = [&] {
      focus(*f.recipe.dbgCardapio);
      user([&] { f.recipe.dbgCardapio->selectRow(c.dishRow); });
      focus(*f.recipe.dbgPrato);
      user([&] { f.recipe.dbgPrato->selectRow(c.productRow); });
      if (f.recipe.cdsProduto.fieldByName("CDPRODUTO").asString() != c.product)
        throw std::runtime_error("the recipe row was not put back");
    };
    onTheProduct();
    for (auto _ : state) {
      const auto start = std::chrono::steady_clock::now();
      user([&] {
        if (!f.recipe.mnuTrocarIn->click()) throw std::runtime_error("the swap is not offered");
      });
      state.SetIterationTime(
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      if (!f.recipe.cdsProduto.locate("CDARVPROD", Variant(c.substituteCode)))
        throw std::runtime_error("the swap was not shown");
      host::sqlite::exec(db.get(), restore);
      // Another day and back reads the restored recipe.
      user([&] {
        f.cost.cdsTrabCusto.locate("DTDATA", Variant::date(c.day + 1));
        f.cost.cdsTrabCusto.locate("DTDATA", Variant::date(c.day));
      });
      onTheProduct();
    }
  });
  const auto told =
      std::count(confirming.texts.begin(), confirming.texts.end(),
                 std::string("Receita alterada com êxito. Custos devem ser recalculados."));
  if (told != state.iterations()) state.SkipWithError("a swap did not ask for recalculation");
}
BENCHMARK(BM_IngredientSwap)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

}  // namespace
