// A site of several servers over one PostgreSQL database: calls per second of 8 clients over one
// `menucost-server` process against 8 clients spread over two, each client logged in to its own
// server with a connection of its own. The database is MENUCOST_BENCH_PG's (the demo company is
// created there when it holds none); without it the benchmarks are skipped. Medians:
//   MENUCOST_BENCH_PG='postgresql:///bench?host=/tmp/pg' site_bench
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/date.h"
#include "remote/net_connection.h"
#include "remote/session.h"

extern char** environ;

namespace {

using platform::Variant;

constexpr const char* kCostObject = "Rcx00500.rdmAnaCustRevRec";
const double kFirst = platform::encodeDate(2026, 3, 1);

// One `menucost-server` over the database, on a free loopback port, stopped with the program.
class ServerProcess {
 public:
  explicit ServerProcess(const std::string& url) {
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> args = {MENUCOST_SERVER_BINARY, "--db",       url,      "--demo",
                                     "--demo-date",          "2026-03-18", "--port", "0"};
    std::vector<char*> argv;
    for (auto& a : args)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) throw std::runtime_error("cannot start " + args[0]);
    output_ = fdopen(out[0], "r");
    // "menucost-server: serving <db> on http://127.0.0.1:<port>" once it listens.
    char line[1024];
    while (port_ == 0 && std::fgets(line, sizeof line, output_) != nullptr) {
      std::string text = line;
      size_t at = text.find("serving ");
      size_t colon = text.rfind(':');
      if (at != std::string::npos && colon != std::string::npos)
        port_ = std::atoi(text.c_str() + colon + 1);
    }
    if (port_ == 0) {
      kill(pid_, SIGTERM);
      std::fclose(output_);
      waitpid(pid_, nullptr, 0);
      throw std::runtime_error("the server did not start (see its messages)");
    }
    // Its call log would fill the pipe and stall it: read to the end, meanwhile.
    drainer_ = std::thread([this] {
      char rest[4096];
      while (std::fgets(rest, sizeof rest, output_) != nullptr) {
      }
    });
  }
  ~ServerProcess() {
    kill(pid_, SIGTERM);
    drainer_.join();
    std::fclose(output_);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  int port() const { return port_; }

 private:
  pid_t pid_ = 0;
  FILE* output_ = nullptr;
  int port_ = 0;
  std::thread drainer_;
};

// The two servers of the site, started on first use; empty without MENUCOST_BENCH_PG.
std::vector<std::unique_ptr<ServerProcess>>& site() {
  static std::vector<std::unique_ptr<ServerProcess>> servers = [] {
    std::vector<std::unique_ptr<ServerProcess>> list;
    const char* url = std::getenv("MENUCOST_BENCH_PG");
    if (url == nullptr || *url == 0) return list;
    // One after the other: the first creates the demo company when the database is empty.
    for (int i = 0; i < 2; ++i)
      list.push_back(std::make_unique<ServerProcess>(url));
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
