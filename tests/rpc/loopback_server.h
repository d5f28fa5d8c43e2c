// A real RpcHttpServer on a loopback ephemeral port over a fake dispatcher and authenticator, for
// the wire's tests and the connection's.
#pragma once

#include <atomic>
#include <cctype>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "server/rpc/dispatcher.h"
#include "server/rpc/rpc_http_server.h"

namespace testing_rpc {

inline constexpr const char* kEchoObject = "Test.rdmEcho";

// Methods of "Test.rdmEcho":
//   Echo(...)        -> the params as one array
//   Whoami()         -> the calling operator
//   Refuse()         -> a contract error, as a text result
//   Fail()           -> throws std::runtime_error("falha no banco")
//   Strange()        -> throws a non-standard exception
//   Convert(x)       -> x.toInt() (a ConversionError for text that is not a number)
//   Pair(a, b)       -> a + b as double; RpcFault kInvalidParams unless exactly two params
//   Slow(ms)         -> sleeps ms milliseconds, then answers "done"
//   Append(x)        -> a write: appends x to `appended`, answers how many it holds
// Any other method or object: RpcFault kMethodNotFound.
class FakeDispatcher : public server::Dispatcher {
 public:
  platform::Variant call(const server::CallContext& context, std::string_view object,
                         std::string_view method,
                         const std::vector<platform::Variant>& params) override {
    ++calls;
    InFlight guard(*this);
    if (object != kEchoObject) {
      throw server::RpcFault(server::kMethodNotFound,
                             "Objeto desconhecido: " + std::string(object));
    }
    if (method == "Echo") return platform::Variant::array(params);
    if (method == "Whoami") return platform::Variant(context.operatorCode);
    if (method == "Refuse") return platform::Variant("Produto já cadastrado na receita.");
    if (method == "Fail") throw std::runtime_error("falha no banco");
    if (method == "Strange") throw 42;
    if (method == "Convert") return platform::Variant(params.at(0).toInt());
    if (method == "Pair") {
      if (params.size() != 2) {
        throw server::RpcFault(server::kInvalidParams, "Pair espera 2 parâmetros");
      }
      return platform::Variant(params[0].toDouble() + params[1].toDouble());
    }
    if (method == "Append") {
      std::lock_guard lock(appendedMutex);
      appended.push_back(params.at(0));
      return platform::Variant(static_cast<int32_t>(appended.size()));
    }
    if (method == "Slow") {
      std::this_thread::sleep_for(std::chrono::milliseconds(params.at(0).toInt()));
      ++slowFinished;
      return platform::Variant("done");
    }
    throw server::RpcFault(server::kMethodNotFound, "Método desconhecido: " + std::string(method));
  }

  bool writes(std::string_view object, std::string_view method) const override {
    return object == kEchoObject && method == "Append";
  }

  std::mutex appendedMutex;
  std::vector<platform::Variant> appended;
  std::atomic<int> calls{0};
  std::atomic<int> inFlight{0};
  std::atomic<int> maxInFlight{0};
  std::atomic<int> slowFinished{0};

 private:
  struct InFlight {
    explicit InFlight(FakeDispatcher& d) : d_(d) {
      const int now = ++d_.inFlight;
      int seen = d_.maxInFlight;
      while (now > seen && !d_.maxInFlight.compare_exchange_weak(seen, now)) {
      }
    }
    ~InFlight() { --d_.inFlight; }
    FakeDispatcher& d_;
  };
};

// Operators are matched without regard to case and answered in upper case, as a real operator
// table would canonicalise them.
class FakeAuthenticator : public server::Authenticator {
 public:
  std::optional<std::string> authenticate(std::string_view operatorCode,
                                          std::string_view password) override {
    std::string code(operatorCode);
    for (char& c : code)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (code == "BROKEN") throw std::runtime_error("banco de operadores indisponível");
    auto it = passwords_.find(code);
    if (it == passwords_.end() || it->second != password) return std::nullopt;
    return code;
  }

 private:
  std::map<std::string, std::string> passwords_{{"ADMIN", "segredo"}, {"MARIA", "m@ria 2026"}};
};

// The server with its fakes and a captured log, started on construction.
class LoopbackServer {
 public:
  explicit LoopbackServer(server::RpcServerOptions options = {})
      : server_(dispatcher, authenticator, withLog(std::move(options))) {
    port = server_.start();
  }

  server::RpcHttpServer& server() { return server_; }

  std::vector<std::string> log() const {
    std::lock_guard lock(logMutex_);
    return log_;
  }

  FakeDispatcher dispatcher;
  FakeAuthenticator authenticator;
  int port = 0;

 private:
  server::RpcServerOptions withLog(server::RpcServerOptions options) {
    options.log = [this](std::string_view line) {
      std::lock_guard lock(logMutex_);
      log_.emplace_back(line);
    };
    return options;
  }

  mutable std::mutex logMutex_;
  std::vector<std::string> log_;
  server::RpcHttpServer server_;
};

}  // namespace testing_rpc
