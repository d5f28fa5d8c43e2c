// Building each chart dataset on the demo month, as the chart buttons do, up to the hand-over to
// its chart screen. The screen opened is replaced by a count of the rows handed over, so the
// figure is the screen's work alone. Reported as medians over repetitions.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "remote/host_services.h"
#include "screen_bench_host.h"

namespace {

using namespace screen_bench;

// The shell in force, but the chart screens only take note of the dataset they were given.
class ChartRecorder : public remote::HostShell {
 public:
  explicit ChartRecorder(remote::HostShell& shell) : shell_(shell) {}
  std::string WebURL() const override { return shell_.WebURL(); }
  int WebPort() const override { return shell_.WebPort(); }
  std::string Operador() const override { return shell_.Operador(); }
  bool ModuFili() const override { return shell_.ModuFili(); }
  double DataProc(const std::string& branch) override { return shell_.DataProc(branch); }
  std::string DBPict(int type) const override { return shell_.DBPict(type); }
  int GetTtNiveis(int type) const override { return shell_.GetTtNiveis(type); }
  char ModuloAtiv() const override { return shell_.ModuloAtiv(); }
  void AtualizaLocalCache(const Variant& tables) override { shell_.AtualizaLocalCache(tables); }
  bool Autoriza(remote::TNetConnection& connection, int kind, const std::string& key,
                const std::string& extra) override {
    return shell_.Autoriza(connection, kind, key, extra);
  }
  void LoadBPL(const std::string& code, const Variant& params) override {
    const auto* chart = reinterpret_cast<const platform::ClientDataSet*>(
        static_cast<intptr_t>(params[0].toInt64()));
    lastCode = code;
    rows = chart->recordCount();
  }

  std::string lastCode;
  int rows = 0;

 private:
  remote::HostShell& shell_;
};

enum Chart { kPerCapita, kPlannedRealized, kAccumulated };

void BM_BuildChart(benchmark::State& state) {
  const auto chart = static_cast<Chart>(state.range(0));
  bench().open([&](TfrmAnaCustRevRec& f) {
    ChartRecorder recorder(remote::hostShell());
    remote::HostServices services = remote::hostServices();
    services.shell = &recorder;
    remote::ScopedHostServices scoped(services);
    const char* expected[] = {"RCX00511", "RCX00512", "RCX00513"};
    for (auto _ : state) {
      switch (chart) {
        case kPerCapita:
          f.charts.sbtGrafCustClick();
          break;
        case kPlannedRealized:
          f.charts.sbtPlanRealClick();
          break;
        case kAccumulated:
          f.charts.sbtCustoAcumClick();
          break;
      }
    }
    // A chart that reached no screen, or an empty one, measured nothing.
    if (recorder.lastCode != expected[chart] || recorder.rows == 0)
      throw std::runtime_error("the chart was not handed over with its rows");
    state.counters["days"] = recorder.rows;
  });
}
BENCHMARK(BM_BuildChart)
    ->ArgName("chart")
    ->Arg(kPerCapita)
    ->Arg(kPlannedRealized)
    ->Arg(kAccumulated)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
