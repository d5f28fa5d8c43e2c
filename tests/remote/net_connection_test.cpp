#include "remote/net_connection.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <deque>
#include <future>
#include <map>

#include "platform/json.h"
#include "remote/http_transport.h"
#include "rpc/loopback_server.h"

namespace remote {
namespace {

using platform::Variant;
using testing_rpc::kEchoObject;
using testing_rpc::LoopbackServer;

int deadPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

// Runs `fn` and returns the RemoteError it raised; fails the test when it raised none.
template <class Fn>
RemoteError raised(Fn fn) {
  try {
    fn();
  } catch (const RemoteError& e) {
    return e;
  }
  ADD_FAILURE() << "no RemoteError";
  return RemoteError(RemoteError::Kind::Transport, 1, "none");
}

class NetConnectionTest : public ::testing::Test {
 protected:
  virtual server::RpcServerOptions options() { return {}; }

  void SetUp() override {
    server_ = std::make_unique<LoopbackServer>(options());
    session_ = Session::login("127.0.0.1", server_->port, "admin", "segredo");
    connection_.ThrowException = false;
    connection_.setSession(session_);
    connection_.OnBeforeConnect = [this](TNetConnection& c) {
      ++beforeConnect_;
      c.Host = "127.0.0.1";
      c.Port = server_->port;
    };
  }

  std::unique_ptr<LoopbackServer> server_;
  std::shared_ptr<const Session> session_;
  TNetConnection connection_{kEchoObject};
  int beforeConnect_ = 0;
};

TEST_F(NetConnectionTest, OpenTakesTheAddressFromTheBeforeConnectHandler) {
  EXPECT_FALSE(connection_.Connected());
  connection_.open();
  EXPECT_TRUE(connection_.Connected());
  EXPECT_EQ(beforeConnect_, 1);
  EXPECT_EQ(connection_.Port, server_->port);
  connection_.open();
  connection_.SetConnected(true);
  EXPECT_EQ(beforeConnect_, 1);
  connection_.SetConnected(false);
  EXPECT_FALSE(connection_.Connected());
  connection_.SetConnected(true);
  EXPECT_EQ(beforeConnect_, 2);
}

TEST_F(NetConnectionTest, ResultsComeBackAsVariantsAndTextResultsAsResults) {
  EXPECT_EQ(connection_.call("Refuse"), Variant("Produto já cadastrado na receita."));
  EXPECT_TRUE(connection_.Connected());  // the first call opened it
  EXPECT_EQ(connection_.call("Whoami", {}), Variant("ADMIN"));
  const Variant echoed =
      connection_.call("Echo", "0001", int32_t{6}, Variant::date(46082), true, 0.25, nullptr);
  EXPECT_EQ(echoed, Variant::array({Variant("0001"), Variant(int32_t{6}), Variant::date(46082),
                                    Variant(true), Variant(0.25), Variant::null()}));
  EXPECT_EQ(connection_.call("Echo", std::vector<Variant>{Variant(1), Variant(2)}),
            Variant::array({Variant(1), Variant(2)}));
  EXPECT_EQ(connection_.call("Echo", Variant::array({Variant(1)})),
            Variant::array({Variant::array({Variant(1)})}));
  EXPECT_EQ(connection_.call("Pair", 1.5, 2), Variant(3.5));
}

TEST_F(NetConnectionTest, AFailedMethodIsATextResultUnlessThrowExceptionIsSet) {
  EXPECT_EQ(connection_.call("Fail"), Variant("falha no banco"));
  connection_.ThrowException = true;
  RemoteError e = raised([&] { connection_.call("Fail"); });
  EXPECT_EQ(e.kind(), RemoteError::Kind::Protocol);
  EXPECT_EQ(e.code(), kRpcInternalError);
  EXPECT_STREQ(e.what(), "falha no banco");
}

TEST_F(NetConnectionTest, ProtocolFaultsRaiseAndLeaveTheConnectionOpen) {
  struct Case {
    const char* method;
    std::vector<Variant> params;
    int code;
    const char* text;
  };
  const Case cases[] = {
      {"GetNada", {}, kRpcMethodNotFound, "Método desconhecido: GetNada"},
      {"Pair", {Variant(1)}, kRpcInvalidParams, "Pair espera 2 parâmetros"},
      {"Convert", {Variant("abc")}, kRpcInvalidParams, "abc"},
  };
  for (bool throwException : {false, true}) {
    connection_.ThrowException = throwException;
    for (const Case& c : cases) {
      RemoteError e = raised([&] { connection_.call(c.method, c.params); });
      EXPECT_EQ(e.kind(), RemoteError::Kind::Protocol) << c.method;
      EXPECT_EQ(e.code(), c.code) << c.method;
      EXPECT_NE(std::string(e.what()).find(c.text), std::string::npos) << e.what();
      EXPECT_TRUE(connection_.Connected());
    }
  }
  TNetConnection unknown("Rcx99999.rdmNada");
  unknown.setSession(session_);
  unknown.Host = "127.0.0.1";
  unknown.Port = server_->port;
  RemoteError e = raised([&] { unknown.call("GetParams", "0001"); });
  EXPECT_EQ(e.code(), kRpcMethodNotFound);
  EXPECT_NE(std::string(e.what()).find("Rcx99999.rdmNada"), std::string::npos);
}

TEST_F(NetConnectionTest, ADeadPortRaisesATransportErrorWithinTheConnectTimeout) {
  const int port = deadPort();
  connection_.OnBeforeConnect = [port](TNetConnection& c) {
    c.Host = "127.0.0.1";
    c.Port = port;
  };
  connection_.Timeouts.connectTimeout = std::chrono::milliseconds(500);
  const auto started = std::chrono::steady_clock::now();
  RemoteError e = raised([&] { connection_.open(); });
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
  EXPECT_EQ(e.kind(), RemoteError::Kind::Transport);
  EXPECT_NE(std::string(e.what()).find("Não foi possível conectar ao servidor de aplicação em "
                                       "127.0.0.1:" +
                                       std::to_string(port)),
            std::string::npos)
      << e.what();
  EXPECT_FALSE(connection_.Connected());
  // ThrowException false does not hide a transport failure.
  EXPECT_EQ(raised([&] { connection_.call("Whoami"); }).kind(), RemoteError::Kind::Transport);
}

TEST_F(NetConnectionTest, OpeningNeedsALiveSession) {
  struct Case {
    const char* name;
    std::shared_ptr<const Session> session;
    const char* text;
  };
  const Case cases[] = {
      {"None", nullptr, "Sessão não iniciada"},
      {"Forged", std::make_shared<const Session>("ADMIN", std::string(64, 'f')), "inválida"},
  };
  for (const Case& c : cases) {
    TNetConnection connection(kEchoObject);
    connection.Host = "127.0.0.1";
    connection.Port = server_->port;
    connection.setSession(c.session);
    RemoteError e = raised([&] { connection.open(); });
    EXPECT_EQ(e.code(), kRpcNotAuthenticated) << c.name;
    EXPECT_NE(std::string(e.what()).find(c.text), std::string::npos) << c.name << ": " << e.what();
    EXPECT_FALSE(connection.Connected());
  }
}

TEST_F(NetConnectionTest, TheDefaultSessionServesConnectionsWithoutTheirOwn) {
  TNetConnection connection(kEchoObject);
  connection.Host = "http://127.0.0.1:" + std::to_string(server_->port) + "/";
  TNetConnection::setDefaultSession(Session::login(connection.Host, 0, "maria", "m@ria 2026"));
  EXPECT_EQ(connection.call("Whoami"), Variant("MARIA"));
  TNetConnection::setDefaultSession(nullptr);
  EXPECT_EQ(raised([&] { connection.call("Whoami"); }).code(), kRpcNotAuthenticated);
}

TEST_F(NetConnectionTest, LogoutEndsTheSharedSession) {
  connection_.open();
  auto transport = makeHttpTransport("127.0.0.1", server_->port);
  session_->logout(*transport);
  RemoteError e = raised([&] { connection_.call("Whoami"); });
  EXPECT_EQ(e.code(), kRpcNotAuthenticated);
  session_->logout(*transport);  // already gone: not an error
}

TEST_F(NetConnectionTest, ConnectionsOnSeveralThreadsShareOneSession) {
  std::vector<std::future<int>> workers;
  for (int t = 0; t < 6; ++t) {
    workers.push_back(std::async(std::launch::async, [this, t] {
      TNetConnection connection(kEchoObject);
      connection.setSession(session_);
      connection.Host = "127.0.0.1";
      connection.Port = server_->port;
      int correct = 0;
      for (int i = 0; i < 30; ++i) {
        if (connection.call("Echo", t, i) == Variant::array({Variant(t), Variant(i)})) ++correct;
      }
      return correct;
    }));
  }
  for (auto& w : workers)
    EXPECT_EQ(w.get(), 30);
}

class ShortSessionTest : public NetConnectionTest {
 protected:
  server::RpcServerOptions options() override {
    server::RpcServerOptions o;
    o.sessionIdleTimeout = std::chrono::milliseconds(200);
    return o;
  }
};

TEST_F(ShortSessionTest, AnExpiredSessionRaisesNotAuthenticated) {
  EXPECT_EQ(connection_.call("Whoami"), Variant("ADMIN"));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  RemoteError e = raised([&] { connection_.call("Whoami"); });
  EXPECT_EQ(e.kind(), RemoteError::Kind::Protocol);
  EXPECT_EQ(e.code(), kRpcNotAuthenticated);
  EXPECT_NE(std::string(e.what()).find("expirada"), std::string::npos) << e.what();
}

class SmallBodyTest : public NetConnectionTest {
 protected:
  server::RpcServerOptions options() override {
    server::RpcServerOptions o;
    o.maxBodyBytes = 64 * 1024;
    return o;
  }
};

TEST_F(SmallBodyTest, ACallOverTheServersLimitRaisesRequestTooLarge) {
  for (size_t size : {size_t{100 * 1024}, size_t{4 * 1024 * 1024}}) {
    RemoteError e = raised([&] { connection_.call("Echo", std::string(size, 'x')); });
    EXPECT_EQ(e.kind(), RemoteError::Kind::Protocol) << size << ": " << e.what();
    EXPECT_EQ(e.code(), kRpcRequestTooLarge) << size << ": " << e.what();
  }
  EXPECT_EQ(connection_.call("Whoami"), Variant("ADMIN"));
}

TEST(Session, LoginAnswersTheOperatorOrRaises) {
  LoopbackServer server;
  auto session = Session::login("127.0.0.1", server.port, "maria", "m@ria 2026");
  EXPECT_EQ(session->operatorCode(), "MARIA");
  EXPECT_EQ(session->token().size(), 64u);
  EXPECT_EQ(session->authorization(), "Bearer " + session->token());

  RemoteError wrong = raised([&] { Session::login("127.0.0.1", server.port, "maria", "errada"); });
  EXPECT_EQ(wrong.kind(), RemoteError::Kind::Protocol);
  EXPECT_EQ(wrong.code(), kRpcNotAuthenticated);
  EXPECT_STREQ(wrong.what(), "Operador ou senha inválidos");

  RemoteError broken = raised([&] { Session::login("127.0.0.1", server.port, "broken", "x"); });
  EXPECT_EQ(broken.code(), kRpcInternalError);

  RemoteError dead = raised([&] { Session::login("127.0.0.1", deadPort(), "maria", "x"); });
  EXPECT_EQ(dead.kind(), RemoteError::Kind::Transport);
}

// A transport that answers from a script and records what was sent.
class ScriptedTransport : public Transport {
 public:
  struct Sent {
    std::string path;
    std::string body;
    HttpHeaders headers;
  };
  // An empty body with status 0 stands for a transport failure.
  std::deque<HttpResponse> answers;
  std::vector<Sent> sent;
  std::vector<std::string>* everyBody = nullptr;  // what every transport of the test sent

  HttpResponse post(const std::string& path, const std::string& body,
                    const HttpHeaders& headers) override {
    sent.push_back({path, body, headers});
    if (everyBody != nullptr) everyBody->push_back(body);
    if (answers.empty()) throw std::logic_error("script ran out");
    HttpResponse next = answers.front();
    answers.pop_front();
    if (next.status == 0) throw RemoteError(RemoteError::Kind::Transport, 0, "cabo cortado");
    return next;
  }
  std::string endpoint() const override { return "roteiro:1"; }
};

std::string requestIdOf(const std::string& body) {
  const platform::json::Value root = platform::json::parse(body);
  const platform::json::Value* id = root.find("requestId");
  return id != nullptr && id->isString() ? id->asString() : "";
}

std::string withoutRequestId(const std::string& body) {
  const std::string id = requestIdOf(body);
  std::string out = body;
  const std::string member = R"(,"requestId":")" + id + "\"";
  if (const size_t at = out.find(member); at != std::string::npos) out.erase(at, member.size());
  return out;
}

class ScriptedConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    connection_.setSession(std::make_shared<const Session>("ADMIN", "tok"));
    connection_.OnBeforeConnect = [this](TNetConnection& c) {
      c.Host = "roteiro";
      c.Port = ++opens_;
    };
    connection_.setTransportFactory(
        [this](const std::string& host, int port, const TransportOptions&) {
          made_.push_back(host + ":" + std::to_string(port));
          auto transport = std::make_unique<ScriptedTransport>();
          transport->answers = script_;
          script_ = std::move(nextScript_);
          nextScript_.clear();
          transport->everyBody = &everyBody_;
          last_ = transport.get();
          return transport;
        });
  }

  static HttpResponse ok(const std::string& body) { return {200, body}; }

  TNetConnection connection_{"Rcx00500.rdmAnaCustRevRec"};
  std::deque<HttpResponse> script_;
  std::deque<HttpResponse> nextScript_;  // the script of the transport made after script_'s
  std::vector<std::string> everyBody_;
  std::vector<std::string> made_;
  ScriptedTransport* last_ = nullptr;
  int opens_ = 0;
};

TEST_F(ScriptedConnectionTest, SendsOneJsonRpcRequestPerCallWithTheToken) {
  script_ = {ok(R"({"operator":"ADMIN"})"), ok(R"({"jsonrpc":"2.0","id":1,"result":"a"})"),
             ok(R"({"jsonrpc":"2.0","id":2,"result":{"$date":46082}})")};
  EXPECT_EQ(connection_.call("GetParams", "0001"), Variant("a"));
  EXPECT_EQ(connection_.call("GetParamGeral"), Variant::date(46082));
  ASSERT_EQ(last_->sent.size(), 3u);
  EXPECT_EQ(last_->sent[0].path, "/session");
  EXPECT_EQ(last_->sent[1].path, "/rpc/Rcx00500.rdmAnaCustRevRec");
  // Each call names itself with a request id of its own.
  const std::string first = requestIdOf(last_->sent[1].body);
  const std::string second = requestIdOf(last_->sent[2].body);
  EXPECT_FALSE(first.empty());
  EXPECT_NE(first, second);
  EXPECT_EQ(withoutRequestId(last_->sent[1].body),
            R"({"jsonrpc":"2.0","id":1,"method":"GetParams","params":["0001"]})");
  EXPECT_EQ(withoutRequestId(last_->sent[2].body),
            R"({"jsonrpc":"2.0","id":2,"method":"GetParamGeral","params":[]})");
  for (const auto& sent : last_->sent) {
    EXPECT_EQ(sent.headers, (HttpHeaders{{"Authorization", "Bearer tok"}}));
  }
  EXPECT_EQ(made_, std::vector<std::string>{"roteiro:1"});
}

TEST_F(ScriptedConnectionTest, ATransportFailureClosesSoTheNextCallReconnects) {
  // Failing twice: the call and its one resend.
  script_ = {ok("{}"), HttpResponse{0, ""}};
  nextScript_ = {ok("{}"), HttpResponse{0, ""}};
  EXPECT_EQ(raised([&] { connection_.call("GetParams"); }).what(), std::string("cabo cortado"));
  EXPECT_FALSE(connection_.Connected());
  script_ = {ok("{}"), ok(R"({"jsonrpc":"2.0","id":2,"result":null})")};
  EXPECT_EQ(connection_.call("GetParams"), Variant::null());
  EXPECT_TRUE(connection_.Connected());
  // The handler ran again before each connection and its new address was used.
  EXPECT_EQ(made_, (std::vector<std::string>{"roteiro:1", "roteiro:2", "roteiro:3"}));
}

TEST_F(ScriptedConnectionTest, ACallWhoseAnswerWasLostIsResentOnceWithItsRequestId) {
  script_ = {ok("{}"), HttpResponse{0, ""}};
  nextScript_ = {ok("{}"), ok(R"({"jsonrpc":"2.0","id":1,"result":"gravado"})")};
  EXPECT_EQ(connection_.call("GravaReceita", "pacote"), Variant("gravado"));
  EXPECT_EQ(made_, (std::vector<std::string>{"roteiro:1", "roteiro:2"}));
  // /session, the call, /session on the fresh connection, the same call again.
  ASSERT_EQ(everyBody_.size(), 4u);
  EXPECT_EQ(everyBody_[3], everyBody_[1]);
  EXPECT_FALSE(requestIdOf(everyBody_[3]).empty());
}

TEST_F(ScriptedConnectionTest, AnUnreadableAnswerIsAProtocolErrorAndKeepsTheConnection) {
  script_ = {ok("{}"), HttpResponse{502, "<html>Bad Gateway</html>"}};
  RemoteError e = raised([&] { connection_.call("GetParams"); });
  EXPECT_EQ(e.kind(), RemoteError::Kind::Protocol);
  EXPECT_NE(std::string(e.what()).find("roteiro:1 (HTTP 502"), std::string::npos) << e.what();
  EXPECT_TRUE(connection_.Connected());
}

TEST_F(ScriptedConnectionTest, ServerNamesAreEscapedInThePath) {
  connection_.ServerName = "Rcx 005/00";
  script_ = {ok("{}"), ok(R"({"jsonrpc":"2.0","id":1,"result":1})")};
  connection_.call("X");
  EXPECT_EQ(last_->sent[1].path, "/rpc/Rcx%20005%2F00");
}

TEST_F(ScriptedConnectionTest, OpeningWithoutAServerNameIsAProgrammingError) {
  connection_.ServerName.clear();
  EXPECT_THROW(connection_.open(), std::logic_error);
  EXPECT_FALSE(connection_.Connected());
}

// The wrapper the screen's tests use: counts calls per method and answers from a table, with no
// server at all.
class CountingConnection : public TNetConnection {
 public:
  using TNetConnection::TNetConnection;
  std::map<std::string, int> counts;
  std::map<std::string, Variant> answers;

 protected:
  Variant invoke(const std::string& method, const std::vector<Variant>& params) override {
    ++counts[method];
    auto it = answers.find(method);
    if (it != answers.end()) return it->second;
    return TNetConnection::invoke(method, params);
  }
  void connect() override {}
};

TEST(CountingConnection, EveryCallPassesThroughInvoke) {
  CountingConnection connection("Rcx00500.rdmAnaCustRevRec");
  connection.answers["GetComensPlan"] = Variant(1234.5);
  connection.answers["DelConsplan"] = Variant("");
  int handlerRuns = 0;
  connection.OnBeforeConnect = [&](TNetConnection&) { ++handlerRuns; };
  connection.open();
  EXPECT_EQ(handlerRuns, 1);
  EXPECT_EQ(connection.call("GetComensPlan", "0001", "00001", Variant::date(46082)),
            Variant(1234.5));
  connection.call("GetComensPlan", std::vector<Variant>{});
  connection.call("DelConsplan", "", "0001");
  EXPECT_EQ(connection.counts,
            (std::map<std::string, int>{{"GetComensPlan", 2}, {"DelConsplan", 1}}));
  // A method the table lacks reaches the base, which has no transport to use.
  EXPECT_THROW(connection.call("GetParams"), std::logic_error);
}

}  // namespace
}  // namespace remote
