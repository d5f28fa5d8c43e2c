// The screen end to end against the demo server on loopback: opening a month, moving a day,
// refreshing the cost panel and recalculating, saving recipe changes and checking a product
// code, as the user feels them.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>

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

}  // namespace
