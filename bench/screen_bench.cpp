// The screen end to end against the demo server on loopback: opening a month, moving a day,
// refreshing the cost panel and recalculating, as the user feels them.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <random>
#include <sstream>

#include "host/console_services.h"
#include "host/host_shell.h"
#include "host/screen_registry.h"
#include "host/sqlite_query_executor.h"
#include "remote/session.h"
#include "screen/entry.h"
#include "server/app/server_app.h"
#include "server/rpc/rpc_http_server.h"

namespace {

using platform::Variant;
using screen::TfrmAnaCustRevRec;

constexpr double kDemoDay = 46127;  // 15/04/2026

// The demo company on loopback and a headless host around the screen, made once.
class Bench {
 public:
  Bench() {
    std::random_device random;
    dir_ = std::filesystem::temp_directory_path() /
           ("menucost-bench-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(dir_);
    const std::string path = (dir_ / "demo.db").string();
    server::ServerOptions options;
    options.databasePath = path;
    options.demo = true;
    options.demoDate = kDemoDay;
    instance_ = server::openServer(options);
    http_ =
        std::make_unique<server::RpcHttpServer>(*instance_.dispatcher, *instance_.authenticator);
    const int port = http_->start();
    remote::TNetConnection::setDefaultSession(
        remote::Session::login("127.0.0.1", port, "analista", "analista"));
    queries_ = std::make_unique<host::SqliteQueryExecutor>(path);
    host::ShellSettings settings;
    settings.webUrl = "127.0.0.1";
    settings.webPort = port;
    settings.operatorCode = "analista";
    shell_ = std::make_unique<host::Shell>(settings, *queries_, registry_);
    console_ = std::make_unique<host::ConsoleHost>(*shell_, *queries_, messages_, false);
  }
  ~Bench() {
    console_.reset();
    http_->stop();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  // Opens April 2026 of branch 0001's lunch and runs `script` once the first activation is done.
  void open(const std::function<void(TfrmAnaCustRevRec&)>& script) {
    console_->modal.setScript(
        [&](platform::ui::Form& form) { script(dynamic_cast<TfrmAnaCustRevRec&>(form)); });
    IniProc(Variant::array({Variant(""), Variant("0001"), Variant("00001"), Variant(6), Variant(1),
                            Variant::date(kDemoDay), Variant::date(0), Variant(false)}));
  }

 private:
  std::filesystem::path dir_;
  server::ServerInstance instance_;
  std::unique_ptr<server::RpcHttpServer> http_;
  std::unique_ptr<host::SqliteQueryExecutor> queries_;
  host::ScreenRegistry registry_;
  std::unique_ptr<host::Shell> shell_;
  std::ostringstream messages_;
  std::unique_ptr<host::ConsoleHost> console_;
};

Bench& bench() {
  static Bench instance;
  return instance;
}

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

}  // namespace
