// The wire's own cost: calls per second through the whole client and server stack on loopback
// against a dispatcher that does no work, and the decoding of a request and an answer carrying a
// month-sized packet.
#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/data_packet.h"
#include "remote/net_connection.h"
#include "remote/rpc_message.h"
#include "server/rpc/rpc_http_server.h"
#include "wire/json_rpc.h"

namespace {

using platform::Variant;

class EchoDispatcher : public server::Dispatcher {
 public:
  Variant call(const server::CallContext&, std::string_view, std::string_view method,
               const std::vector<Variant>& params) override {
    if (method != "Echo") throw server::RpcFault(server::kMethodNotFound, "unknown method");
    return Variant::array(params);
  }
};

class OpenDoor : public server::Authenticator {
 public:
  std::optional<std::string> authenticate(std::string_view op, std::string_view) override {
    return std::string(op);
  }
};

struct Loopback {
  EchoDispatcher dispatcher;
  OpenDoor authenticator;
  std::unique_ptr<server::RpcHttpServer> server;
  std::shared_ptr<const remote::Session> session;
  int port = 0;

  Loopback() {
    server::RpcServerOptions options;
    options.threads = 16;
    server = std::make_unique<server::RpcHttpServer>(dispatcher, authenticator, options);
    port = server->start();
    session = remote::Session::login("127.0.0.1", port, "BENCH", "x");
  }
};

Loopback& loopback() {
  static Loopback instance;
  return instance;
}

// A GetCardapio-sized call: a few scalar arguments, a short array back.
void BM_CallRoundTrip(benchmark::State& state) {
  Loopback& lb = loopback();
  remote::TNetConnection connection("Bench.rdmEcho");
  connection.setSession(lb.session);
  connection.Host = "127.0.0.1";
  connection.Port = lb.port;
  connection.open();
  for (auto _ : state) {
    Variant result = connection.call("Echo", "0001", "00001", Variant::date(46082));
    benchmark::DoNotOptimize(result);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CallRoundTrip)->Threads(1)->UseRealTime();
BENCHMARK(BM_CallRoundTrip)->Threads(8)->UseRealTime();

// A month of recipe products: 3,000 rows of 12 fields.
Variant monthPacket() {
  platform::DataPacket packet;
  for (int f = 0; f < 4; ++f) {
    packet.fields.push_back({"TX" + std::to_string(f), platform::FieldType::Text, 40});
    packet.fields.push_back({"VR" + std::to_string(f), platform::FieldType::Float, 0});
    packet.fields.push_back({"DT" + std::to_string(f), platform::FieldType::DateTime, 0});
  }
  for (int r = 0; r < 3000; ++r) {
    platform::Row row;
    for (int f = 0; f < 4; ++f) {
      row.push_back(Variant("Produto " + std::to_string(r * 7 + f)));
      row.push_back(Variant(r * 0.12345 + f));
      row.push_back(Variant::date(46082 + r % 31));
    }
    packet.rows.push_back(std::move(row));
  }
  return Variant(packet);
}

void BM_DecodeRequestWithPacket(benchmark::State& state) {
  const std::string body = wire::encodeRequest("1", "GravaReceita", {monthPacket()});
  for (auto _ : state) {
    wire::RpcDecoded decoded = wire::decodeRequest(body);
    benchmark::DoNotOptimize(decoded);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(body.size()));
}
BENCHMARK(BM_DecodeRequestWithPacket)->Unit(benchmark::kMillisecond);

void BM_DecodeAnswerWithPacket(benchmark::State& state) {
  const std::string body = wire::encodeResult("1", monthPacket());
  for (auto _ : state) {
    remote::CallAnswer answer = remote::decodeAnswer(body, 1, 200, "bench");
    benchmark::DoNotOptimize(answer);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(body.size()));
}
BENCHMARK(BM_DecodeAnswerWithPacket)->Unit(benchmark::kMillisecond);

}  // namespace
