#include "server/rpc/rpc_http_server.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <future>
#include <memory>
#include <sstream>
#include <thread>

#include "platform/data_packet.h"
#include "platform/json.h"
#include "rpc/loopback_server.h"
#include "wire/json_rpc.h"

namespace server {
namespace {

namespace json = platform::json;
using platform::Variant;
using testing_rpc::kEchoObject;
using testing_rpc::LoopbackServer;

struct Answer {
  int status = 0;
  json::Value body;
};

// Speaks raw HTTP to the loopback server, so the tests see exactly what goes over the wire.
class RpcServerTest : public ::testing::Test {
 protected:
  virtual RpcServerOptions options() { return {}; }

  void SetUp() override {
    server_ = std::make_unique<LoopbackServer>(options());
    token_ = login("admin", "segredo");
  }

  void TearDown() override { server_->server().stop(); }

  httplib::Client client() const {
    httplib::Client c("127.0.0.1", server_->port);
    c.set_read_timeout(std::chrono::seconds(10));
    return c;
  }

  Answer post(const std::string& path, const std::string& body, const std::string& token) {
    httplib::Headers headers;
    if (!token.empty()) headers.emplace("Authorization", "Bearer " + token);
    auto result = client().Post(path, headers, body, "application/json");
    if (!result) {
      ADD_FAILURE() << "no answer: " << httplib::to_string(result.error());
      return {};
    }
    Answer answer{result->status, {}};
    try {
      answer.body = json::parse(result->body);
    } catch (const std::exception& e) {
      ADD_FAILURE() << "answer is not JSON: " << result->body;
    }
    return answer;
  }

  std::string login(const std::string& op, const std::string& password) {
    Answer answer =
        post("/login", R"({"operator":")" + op + R"(","password":")" + password + "\"}", "");
    if (answer.status != 200) return {};
    return answer.body.find("token")->asString();
  }

  Answer call(const std::string& method, const std::vector<Variant>& params,
              const std::string& object = kEchoObject) {
    return post("/rpc/" + object, wire::encodeRequest("1", method, params), token_);
  }

  static Variant resultOf(const Answer& answer) {
    const json::Value* result = answer.body.find("result");
    if (result == nullptr) {
      ADD_FAILURE() << "no result: " << json::write(answer.body);
      return {};
    }
    return Variant::fromJson(json::write(*result));
  }

  static int errorCode(const Answer& answer) {
    const json::Value* error = answer.body.isObject() ? answer.body.find("error") : nullptr;
    return error ? static_cast<int>(error->find("code")->asInt()) : 0;
  }

  static std::string errorMessage(const Answer& answer) {
    const json::Value* error = answer.body.isObject() ? answer.body.find("error") : nullptr;
    return error ? error->find("message")->asString() : "";
  }

  std::unique_ptr<LoopbackServer> server_;
  std::string token_;
};

TEST_F(RpcServerTest, LoginAnswersATokenOrRefuses) {
  struct Case {
    std::string body;
    int status;
    int code;
  };
  const Case cases[] = {
      {R"({"operator":"admin","password":"segredo"})", 200, 0},
      {R"({"operator":"MARIA","password":"m@ria 2026"})", 200, 0},
      {R"({"operator":"admin","password":"Segredo"})", 401, kNotAuthenticated},
      {R"({"operator":"ninguem","password":""})", 401, kNotAuthenticated},
      {R"({"operator":"broken","password":"x"})", 500, kInternalError},
      {R"({"operator":"admin"})", 400, kInvalidRequest},
      {R"({"operator":1,"password":"segredo"})", 400, kInvalidRequest},
      {R"(["admin","segredo"])", 400, kInvalidRequest},
      {R"({"operator":"admin","password":)", 400, kParseError},
  };
  for (const Case& c : cases) {
    Answer answer = post("/login", c.body, "");
    EXPECT_EQ(answer.status, c.status) << c.body;
    EXPECT_EQ(errorCode(answer), c.code) << c.body;
    if (c.status == 200) {
      EXPECT_EQ(answer.body.find("token")->asString().size(), 64u);
      EXPECT_TRUE(answer.body.find("operator")->asString() == "ADMIN" ||
                  answer.body.find("operator")->asString() == "MARIA");
    }
  }
}

TEST_F(RpcServerTest, CallRoundTripsEveryVariantKind) {
  platform::DataPacket packet;
  packet.fields = {{"CDPRODUTO", platform::FieldType::Text, 10},
                   {"VRCUSTO", platform::FieldType::Float, 0},
                   {"DTCARDAPIO", platform::FieldType::DateTime, 0},
                   {"IDATIVO", platform::FieldType::Boolean, 0}};
  packet.rows = {{Variant("0001"), Variant(1.23456), Variant::date(46082), Variant(true)},
                 {Variant("0002"), Variant::null(), Variant::null(), Variant(false)}};
  packet.changes = {{platform::ChangeKind::Modify,
                     0,
                     {Variant("0001"), Variant(1.0), Variant::date(46081), Variant(true)}}};
  const std::vector<Variant> params = {Variant::null(),
                                       Variant("Cotação desatualizada"),
                                       Variant(int32_t{2147483647}),
                                       Variant(int64_t{-9000000000}),
                                       Variant(-0.125),
                                       Variant(false),
                                       Variant::date(46082.75),
                                       Variant::array({Variant(1), Variant::array({Variant("a")})}),
                                       Variant(packet)};
  Answer answer = call("Echo", params);
  ASSERT_EQ(answer.status, 200) << json::write(answer.body);
  const Variant result = resultOf(answer);
  ASSERT_TRUE(result.isArray());
  ASSERT_EQ(result.size(), params.size());
  for (size_t i = 0; i < params.size(); ++i) {
    EXPECT_EQ(result[i], params[i]) << i << ": " << result[i].debugString();
    EXPECT_EQ(result[i].type(), params[i].type()) << i;
  }
  EXPECT_EQ(answer.body.find("id")->asInt(), 1);
}

TEST_F(RpcServerTest, MethodsRunAsTheSessionsOperator) {
  EXPECT_EQ(resultOf(call("Whoami", {})), Variant("ADMIN"));
  token_ = login("maria", "m@ria 2026");
  EXPECT_EQ(resultOf(call("Whoami", {})), Variant("MARIA"));
}

TEST_F(RpcServerTest, AContractErrorIsAnOrdinaryTextResult) {
  Answer answer = call("Refuse", {});
  EXPECT_EQ(answer.status, 200);
  EXPECT_EQ(answer.body.find("error"), nullptr);
  EXPECT_EQ(resultOf(answer), Variant("Produto já cadastrado na receita."));
}

struct BadCall {
  const char* name;
  std::string object;
  std::string body;
  int status;
  int code;
  const char* messagePart;
};

void PrintTo(const BadCall& c, std::ostream* os) {
  *os << c.name;
}

class RpcBadCallTest : public RpcServerTest, public ::testing::WithParamInterface<BadCall> {};

TEST_P(RpcBadCallTest, AnswersAJsonRpcErrorAndKeepsServing) {
  const BadCall& c = GetParam();
  Answer answer = post("/rpc/" + c.object, c.body, token_);
  EXPECT_EQ(answer.status, c.status);
  EXPECT_EQ(errorCode(answer), c.code) << json::write(answer.body);
  EXPECT_NE(errorMessage(answer).find(c.messagePart), std::string::npos) << errorMessage(answer);
  EXPECT_EQ(answer.body.find("jsonrpc")->asString(), "2.0");
  // The server is unharmed.
  EXPECT_EQ(resultOf(call("Whoami", {})), Variant("ADMIN"));
}

std::string request(const std::string& method, const std::string& params) {
  return R"({"jsonrpc":"2.0","id":8,"method":")" + method + R"(","params":)" + params + "}";
}

INSTANTIATE_TEST_SUITE_P(
    Calls, RpcBadCallTest,
    ::testing::Values(
        BadCall{"MalformedJson", kEchoObject, "{\"jsonrpc\":", 400, kParseError, "JSON"},
        BadCall{"NotAnObject", kEchoObject, "[1,2]", 400, kInvalidRequest, "objeto"},
        BadCall{"WrongVersion", kEchoObject,
                R"({"jsonrpc":"1.0","id":1,"method":"Echo","params":[]})", 400, kInvalidRequest,
                "jsonrpc"},
        BadCall{"MissingMethod", kEchoObject, R"({"jsonrpc":"2.0","id":1,"params":[]})", 400,
                kInvalidRequest, "method"},
        BadCall{"ParamsNotAnArray", kEchoObject, request("Echo", "\"x\""), 400, kInvalidRequest,
                "params"},
        BadCall{"UnknownObject", "Rcx99999.rdmNada", request("Echo", "[]"), 200, kMethodNotFound,
                "Rcx99999.rdmNada"},
        BadCall{"UnknownMethod", kEchoObject, request("GetNada", "[]"), 200, kMethodNotFound,
                "GetNada"},
        BadCall{"WrongArgumentCount", kEchoObject, request("Pair", "[1]"), 200, kInvalidParams,
                "Pair"},
        BadCall{"WrongArgumentKind", kEchoObject, request("Convert", R"(["abc"])"), 200,
                kInvalidParams, "abc"},
        BadCall{"UndecodableArgument", kEchoObject, request("Echo", R"([{"$date":"x"}])"), 200,
                kInvalidParams, "parâmetro 0"},
        BadCall{"MethodThrows", kEchoObject, request("Fail", "[]"), 500, kInternalError,
                "falha no banco"},
        BadCall{"MethodThrowsAnything", kEchoObject, request("Strange", "[]"), 500, kInternalError,
                "Erro interno"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(RpcServerTest, EveryEndpointButLoginNeedsALiveSession) {
  struct Case {
    const char* name;
    std::string authorization;  // the whole header; empty for none
  };
  const Case cases[] = {
      {"NoHeader", ""},
      {"OtherScheme", "Basic YWRtaW46c2VncmVkbw=="},
      {"EmptyToken", "Bearer "},
      {"UnknownToken", "Bearer " + std::string(64, 'a')},
      {"TokenPrefix", "Bearer " + token_.substr(0, 63)},
  };
  for (const Case& c : cases) {
    httplib::Headers headers;
    if (!c.authorization.empty()) headers.emplace("Authorization", c.authorization);
    for (const std::string path : {"/rpc/Test.rdmEcho", "/session", "/logout"}) {
      auto result = client().Post(path, headers, request("Whoami", "[]"), "application/json");
      ASSERT_TRUE(result) << c.name;
      EXPECT_EQ(result->status, 401) << c.name << " " << path;
      EXPECT_NE(result->body.find(std::to_string(kNotAuthenticated)), std::string::npos)
          << c.name << " " << path << ": " << result->body;
    }
  }
  EXPECT_EQ(server_->dispatcher.calls, 0);
  // The scheme is matched without regard to case.
  httplib::Headers lower{{"Authorization", "bearer " + token_}};
  auto result = client().Post("/session", lower, "{}", "application/json");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
}

TEST_F(RpcServerTest, LogoutEndsTheSession) {
  EXPECT_EQ(post("/session", "{}", token_).body.find("operator")->asString(), "ADMIN");
  EXPECT_EQ(post("/logout", "{}", token_).status, 200);
  EXPECT_EQ(call("Whoami", {}).status, 401);
  EXPECT_EQ(server_->server().sessionCount(), 0u);
}

TEST_F(RpcServerTest, UnknownPathsAnswerJson) {
  Answer answer = post("/rpc/", request("Echo", "[]"), token_);
  EXPECT_EQ(answer.status, 404);
  EXPECT_EQ(errorCode(answer), kMethodNotFound);
  answer = post("/nada", "{}", token_);
  EXPECT_EQ(answer.status, 404);
  EXPECT_EQ(errorCode(answer), kMethodNotFound);
}

TEST_F(RpcServerTest, LogsOneLinePerCallWithoutForgedLines) {
  call("Echo", {Variant(1)});
  call("Fail", {});
  post("/rpc/Test.rdmEcho", request("Forged\\nADMIN x 0.0 ms ok", "[]"), token_);
  login("admin", "errada");
  const std::vector<std::string> log = server_->log();
  auto has = [&](const std::string& part) {
    for (const std::string& line : log) {
      if (line.find(part) != std::string::npos) return true;
    }
    return false;
  };
  EXPECT_TRUE(has("ADMIN Test.rdmEcho.Echo ")) << ::testing::PrintToString(log);
  EXPECT_TRUE(has(" ms ok"));
  EXPECT_TRUE(has("ADMIN Test.rdmEcho.Fail "));
  EXPECT_TRUE(has(" ms error -32603 falha no banco"));
  EXPECT_TRUE(has("Test.rdmEcho.Forged?ADMIN"));
  EXPECT_TRUE(has("admin login ")) << ::testing::PrintToString(log);
  EXPECT_TRUE(has(" refused"));
  for (const std::string& line : log) {
    EXPECT_EQ(line.find('\n'), std::string::npos) << line;
    // 2026-03-07T21:00:00.123Z
    ASSERT_GE(line.size(), 24u);
    EXPECT_EQ(line[10], 'T') << line;
    EXPECT_EQ(line[23], 'Z') << line;
  }
}

TEST_F(RpcServerTest, ConcurrentClientsEachGetTheirOwnAnswers) {
  constexpr int kClients = 8;
  constexpr int kCalls = 40;
  std::vector<std::future<int>> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.push_back(std::async(std::launch::async, [this, c] {
      httplib::Client http = client();
      httplib::Headers headers{{"Authorization", "Bearer " + token_}};
      int correct = 0;
      for (int i = 0; i < kCalls; ++i) {
        const std::vector<Variant> params{Variant(c), Variant(i), Variant("cliente")};
        auto result =
            http.Post("/rpc/Test.rdmEcho", headers,
                      wire::encodeRequest(std::to_string(i), "Echo", params), "application/json");
        if (!result || result->status != 200) continue;
        const json::Value body = json::parse(result->body);
        const Variant echoed = Variant::fromJson(json::write(*body.find("result")));
        if (echoed == Variant::array(params) && body.find("id")->asInt() == i) ++correct;
      }
      return correct;
    }));
  }
  for (auto& f : clients)
    EXPECT_EQ(f.get(), kCalls);
  EXPECT_EQ(server_->dispatcher.calls, kClients * kCalls);
}

TEST_F(RpcServerTest, SlowCallsRunSideBySide) {
  std::vector<std::future<Answer>> calls;
  for (int i = 0; i < 4; ++i) {
    calls.push_back(
        std::async(std::launch::async, [this] { return call("Slow", {Variant(300)}); }));
  }
  for (auto& f : calls)
    EXPECT_EQ(resultOf(f.get()), Variant("done"));
  EXPECT_GE(server_->dispatcher.maxInFlight, 2);
}

TEST_F(RpcServerTest, StopLetsCallsInFlightAnswerThenRefusesConnections) {
  std::vector<std::future<Answer>> calls;
  for (int i = 0; i < 3; ++i) {
    calls.push_back(
        std::async(std::launch::async, [this] { return call("Slow", {Variant(400)}); }));
  }
  while (server_->dispatcher.inFlight < 3)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  server_->server().stop();
  EXPECT_EQ(server_->dispatcher.slowFinished, 3);
  EXPECT_FALSE(server_->server().running());
  for (auto& f : calls) {
    const Answer answer = f.get();
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(resultOf(answer), Variant("done"));
  }
  auto after = client().Post("/session", "{}", "application/json");
  EXPECT_FALSE(after);
  server_->server().stop();  // idempotent
}

// Sends `bytes` raw on a fresh connection and closes it without reading the answer.
void sendAndHangUp(int port, const std::string& bytes) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
  close(fd);
}

TEST_F(RpcServerTest, ACallerThatHangsUpDoesNotHarmTheServer) {
  // A large answer to a caller already gone: writing it must not end the process.
  const std::string body = request(
      "Echo", "[\"" + std::string(1 << 20, 'x') + "\",\"" + std::string(1 << 20, 'y') + "\"]");
  std::string http =
      "POST /rpc/Test.rdmEcho HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " + token_ +
      "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
      "\r\n\r\n" + body;
  for (int i = 0; i < 5; ++i)
    sendAndHangUp(server_->port, http);
  // Half a request, then silence: the worker gives up at the I/O timeout, others keep serving.
  sendAndHangUp(server_->port, "POST /rpc/Test.rdmEcho HTTP/1.1\r\nContent-Length: 100\r\n\r\n{");
  while (server_->dispatcher.calls < 5)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(resultOf(call("Whoami", {})), Variant("ADMIN"));
}

TEST_F(RpcServerTest, ABrokenPipeCannotEndTheProcess) {
  // What a write to a caller that hung up mid-answer raises.
  raise(SIGPIPE);
  EXPECT_EQ(resultOf(call("Whoami", {})), Variant("ADMIN"));
}

class TightServerTest : public RpcServerTest {
 protected:
  RpcServerOptions options() override {
    RpcServerOptions o;
    o.maxBodyBytes = 4096;
    o.sessionIdleTimeout = std::chrono::milliseconds(400);
    return o;
  }
};

TEST_F(TightServerTest, RefusesABodyOverTheLimitInJson) {
  const std::string fits = request("Echo", "[\"" + std::string(3000, 'x') + "\"]");
  EXPECT_EQ(post("/rpc/Test.rdmEcho", fits, token_).status, 200);
  const std::string over = request("Echo", "[\"" + std::string(5000, 'x') + "\"]");
  Answer answer = post("/rpc/Test.rdmEcho", over, token_);
  EXPECT_EQ(answer.status, 413);
  EXPECT_EQ(errorCode(answer), kRequestTooLarge);
  EXPECT_NE(errorMessage(answer).find("4096"), std::string::npos);
  EXPECT_EQ(resultOf(call("Whoami", {})), Variant("ADMIN"));
}

TEST_F(TightServerTest, AnIdleSessionExpires) {
  EXPECT_EQ(call("Whoami", {}).status, 200);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(call("Whoami", {}).status, 200);  // still within the idle time, which restarts
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(call("Whoami", {}).status, 200);
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  Answer answer = call("Whoami", {});
  EXPECT_EQ(answer.status, 401);
  EXPECT_EQ(errorCode(answer), kNotAuthenticated);
  EXPECT_NE(errorMessage(answer).find("expirada"), std::string::npos);
}

TEST(RpcHttpServer, StartTwiceOrOnABusyPortFails) {
  testing_rpc::FakeDispatcher dispatcher;
  testing_rpc::FakeAuthenticator authenticator;
  RpcHttpServer first(dispatcher, authenticator);
  const int port = first.start();
  EXPECT_GT(port, 0);
  EXPECT_EQ(first.port(), port);
  EXPECT_THROW(first.start(), std::logic_error);
  RpcServerOptions busy;
  busy.port = port;
  RpcHttpServer second(dispatcher, authenticator, busy);
  EXPECT_THROW(second.start(), std::runtime_error);
  EXPECT_FALSE(second.running());
}

TEST(RpcHttpServer, LogToWritesLines) {
  std::ostringstream out;
  LogSink sink = logTo(out);
  sink("a b");
  sink("c");
  EXPECT_EQ(out.str(), "a b\nc\n");
}

bool handlerInstalled(int signal) {
  struct sigaction current {};
  sigaction(signal, nullptr, &current);
  return current.sa_handler != SIG_DFL && current.sa_handler != SIG_IGN;
}

TEST(StopOnSignals, StopsTheServerOnEitherSignalAndRestoresTheHandlers) {
  for (int signal : {SIGTERM, SIGINT}) {
    testing_rpc::FakeDispatcher dispatcher;
    testing_rpc::FakeAuthenticator authenticator;
    RpcHttpServer server(dispatcher, authenticator);
    server.start();
    auto waiter = std::async(std::launch::async, [&] { return stopOnSignals(server); });
    // Sending before the handler is in place would end the test process.
    while (!handlerInstalled(signal))
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(kill(getpid(), signal), 0);
    ASSERT_EQ(waiter.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(waiter.get(), signal);
    EXPECT_FALSE(server.running());
    EXPECT_FALSE(handlerInstalled(signal));
  }
}

TEST(StopOnSignals, ReturnsZeroWhenTheServerStopsOtherwise) {
  testing_rpc::FakeDispatcher dispatcher;
  testing_rpc::FakeAuthenticator authenticator;
  RpcHttpServer server(dispatcher, authenticator);
  server.start();
  auto waiter = std::async(std::launch::async, [&] { return stopOnSignals(server); });
  while (!handlerInstalled(SIGTERM))
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  server.stop();
  ASSERT_EQ(waiter.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(waiter.get(), 0);
}

}  // namespace
}  // namespace server
