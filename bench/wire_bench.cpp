// The application server as clients see it: GetProduto over loopback from 1 and 8 concurrent
// clients against the demo database, each client with its own connection, as each screen has.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/date.h"
#include "remote/net_connection.h"
#include "remote/session.h"
#include "server/app/server_app.h"
#include "server/rpc/rpc_http_server.h"

namespace {

using platform::Variant;

constexpr double kDemoDate = 46127;  // 15/04/2026: April has closed and open days

struct DemoServer {
  std::filesystem::path file;
  server::ServerInstance instance;
  std::unique_ptr<server::RpcHttpServer> http;
  std::shared_ptr<const remote::Session> session;
  int port = 0;

  DemoServer() {
    file = std::filesystem::temp_directory_path() /
           ("menucost-wire-bench-" + std::to_string(::getpid()) + ".db");
    server::ServerOptions options;
    options.databasePath = file.string();
    options.demo = true;
    options.demoDate = kDemoDate;
    options.maxConnections = 16;
    instance = server::openServer(options);
    http = std::make_unique<server::RpcHttpServer>(*instance.dispatcher, *instance.authenticator);
    port = http->start();
    session = remote::Session::login("127.0.0.1", port, "analista", "analista");
  }
  ~DemoServer() {
    http->stop();
    instance = {};
    for (const char* suffix : {"", "-wal", "-shm"})
      std::filesystem::remove(file.string() + suffix);
  }
};

DemoServer& demo() {
  static DemoServer instance;
  return instance;
}

void BM_GetProdutoOverLoopback(benchmark::State& state) {
  DemoServer& server = demo();
  remote::TNetConnection connection("Rcx00500.rdmAnaCustRevRec");
  connection.Host = "127.0.0.1";
  connection.Port = server.port;
  connection.ThrowException = true;
  connection.setSession(server.session);
  const double first = platform::encodeDate(2026, 4, 1);
  int day = state.thread_index();
  for (auto _ : state) {
    const double date = first + (day++ % 30);
    Variant result = connection.call("GetProduto", "0001", "00001", Variant::date(date), 44, false,
                                     Variant::date(date), Variant::date(first), "");
    if (!result.isPacket()) state.SkipWithError(("GetProduto: " + result.toString()).c_str());
  }
  state.SetItemsProcessed(state.iterations());
}

// The same calls straight into the dispatcher: what the wire adds is the difference.
void BM_GetProdutoInProcess(benchmark::State& state) {
  DemoServer& server = demo();
  const double first = platform::encodeDate(2026, 4, 1);
  server::CallContext context{"analista"};
  int day = 0;
  for (auto _ : state) {
    const double date = first + (day++ % 30);
    Variant result =
        server.instance.dispatcher->call(context, "Rcx00500.rdmAnaCustRevRec", "GetProduto",
                                         {"0001", "00001", Variant::date(date), 44, false,
                                          Variant::date(date), Variant::date(first), ""});
    if (!result.isPacket()) state.SkipWithError(("GetProduto: " + result.toString()).c_str());
  }
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_GetProdutoInProcess)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_GetProdutoOverLoopback)
    ->Threads(1)
    ->Threads(8)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
