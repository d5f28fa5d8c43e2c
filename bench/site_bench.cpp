// A site of several servers over one PostgreSQL database: calls per second of 8 clients over one
// `menucost-server` process against 8 clients spread over two, each client logged in to its own
// server with a connection of its own. The database is MENUCOST_BENCH_PG's (the demo company is
// created there when it holds none); without it the benchmarks are skipped. Medians:
//   MENUCOST_BENCH_PG='postgresql:///bench?host=/tmp/pg' site_bench
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/date.h"
#include "remote/net_connection.h"
#include "remote/session.h"
#include "support/server_process.h"

namespace {

using platform::Variant;
using testsupport::ServerProcess;

constexpr const char* kCostObject = "Rcx00500.rdmAnaCustRevRec";
const double kFirst = platform::encodeDate(2026, 3, 1);

// The two servers of the site, started on first use; empty without MENUCOST_BENCH_PG.
std::vector<std::unique_ptr<ServerProcess>>& site() {
  static std::vector<std::unique_ptr<ServerProcess>> servers = [] {
    std::vector<std::unique_ptr<ServerProcess>> list;
    const char* url = std::getenv("MENUCOST_BENCH_PG");
    if (url == nullptr || *url == 0) return list;
    // One after the other: the first creates the demo company when the database is empty.
    for (int i = 0; i < 2; ++i)
      list.push_back(std::make_unique<ServerProcess>(
          MENUCOST_SERVER_BINARY, url,
          std::vector<std::string>{"--demo", "--demo-date", "2026-03-18"}));
    return list;
  }();
  return servers;
}

// Each client thread reads a day's dishes and products (GetProduto) of its own day of the month
// through the server `servers` assigns it.
void runClients(benchmark::State& state, int servers) {
  auto& list = site();
  if (list.empty()) {
    state.SkipWithError("MENUCOST_BENCH_PG names no database");
    return;
  }
  ServerProcess& server = *list[static_cast<size_t>(state.thread_index() % servers)];
  remote::TNetConnection connection(kCostObject);
  connection.setSession(remote::Session::login("127.0.0.1", server.port(), "analista", "analista"));
  connection.Host = "127.0.0.1";
  connection.Port = server.port();
  connection.open();
  const double day = kFirst + 18 + state.thread_index() % 10;
  int64_t calls = 0;
  for (auto _ : state) {
    Variant result = connection.call("GetProduto", "0001", "00001", Variant::date(day), 6, false,
                                     Variant::date(day), Variant::date(kFirst), "");
    if (!result.isPacket() && !result.isArray()) {
      state.SkipWithError(result.debugString().c_str());
      return;
    }
    ++calls;
  }
  state.SetItemsProcessed(calls);
}

void BM_Site_8Clients_1Server(benchmark::State& state) {
  runClients(state, 1);
}
void BM_Site_8Clients_2Servers(benchmark::State& state) {
  runClients(state, 2);
}

BENCHMARK(BM_Site_8Clients_1Server)
    ->Threads(8)
    ->UseRealTime()
    ->MinTime(2.0)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Site_8Clients_2Servers)
    ->Threads(8)
    ->UseRealTime()
    ->MinTime(2.0)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
