// The listener against hostile and unlucky clients: trickled heads, bodies it must not read,
// framing it cannot trust, more connections than workers, calls past their deadline, and writes
// resent after a lost answer.
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/json.h"
#include "rpc/loopback_server.h"
#include "server/rpc/rpc_http_server.h"
#include "wire/json_rpc.h"

namespace server {
namespace {

namespace json = platform::json;
using platform::Variant;
using testing_rpc::LoopbackServer;
using namespace std::chrono_literals;

int connectTo(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// Reads until the peer closes or `limit` passes.
std::string readAll(int fd, std::chrono::milliseconds limit) {
  std::string out;
  const auto until = std::chrono::steady_clock::now() + limit;
  char buffer[4096];
  while (std::chrono::steady_clock::now() < until) {
    pollfd watch{fd, POLLIN, 0};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        until - std::chrono::steady_clock::now());
    if (poll(&watch, 1, static_cast<int>(std::max<long>(0, left.count()))) <= 0) break;
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    out.append(buffer, static_cast<size_t>(n));
  }
  return out;
}

int statusOf(const std::string& http) {
  if (http.rfind("HTTP/1.1 ", 0) != 0 || http.size() < 12) return 0;
  return std::stoi(http.substr(9, 3));
}

int errorCodeOf(const std::string& http) {
  const size_t body = http.find("\r\n\r\n");
  if (body == std::string::npos) return 0;
  int code = 0;
  wire::errorMessageOf(http.substr(body + 4), code);
  if (code == 0) {
    const json::Value root = json::parse(http.substr(body + 4));
    if (const json::Value* error = root.find("error"))
      code = static_cast<int>(error->find("code")->asInt());
  }
  return code;
}

class ConnectionLimitsTest : public ::testing::Test {
 protected:
  void start(RpcServerOptions options) {
    server_ = std::make_unique<LoopbackServer>(std::move(options));
    token_ = login("admin", "segredo");
  }

  void TearDown() override {
    if (server_) server_->server().stop();
  }

  httplib::Client client(std::chrono::milliseconds readTimeout = 5s) const {
    httplib::Client c("127.0.0.1", server_->port);
    c.set_read_timeout(readTimeout);
    c.set_connection_timeout(2s);
    return c;
  }

  std::string login(const std::string& op, const std::string& password) {
    auto result =
        client().Post("/login", R"({"operator":")" + op + R"(","password":")" + password + "\"}",
                      "application/json");
    if (!result || result->status != 200) return {};
    return json::parse(result->body).find("token")->asString();
  }

  httplib::Result call(httplib::Client& http, const std::string& body, const std::string& token) {
    return http.Post("/rpc/Test.rdmEcho", {{"Authorization", "Bearer " + token}}, body,
                     "application/json");
  }

  std::unique_ptr<LoopbackServer> server_;
  std::string token_;
};

TEST_F(ConnectionLimitsTest, TrickledHeadsCannotStopTheServer) {
  RpcServerOptions options;
  options.headerTimeout = 300ms;
  start(options);
  constexpr int kSlow = 64;
  std::vector<int> slow;
  for (int i = 0; i < kSlow; ++i) {
    const int fd = connectTo(server_->port);
    ASSERT_GE(fd, 0);
    slow.push_back(fd);
  }
  // A byte of the head each, again and again, well within any per-byte timeout.
  std::atomic<bool> trickling{true};
  std::thread trickle([&] {
    const std::string head = "POST /rpc/Test.rdmEcho HTTP/1.1\r\nHost: x\r\nX-Pad: ";
    for (size_t i = 0; trickling; ++i) {
      for (int fd : slow)
        send(fd, &head[std::min(i, head.size() - 1)], 1, MSG_NOSIGNAL | MSG_DONTWAIT);
      std::this_thread::sleep_for(50ms);
    }
  });
  std::this_thread::sleep_for(100ms);
  httplib::Client fresh = client(3s);
  auto answer = call(fresh, wire::encodeRequest("1", "Whoami", {}), token_);
  trickling = false;
  trickle.join();
  ASSERT_TRUE(answer) << httplib::to_string(answer.error());
  EXPECT_EQ(answer->status, 200);
  // Every trickling connection was closed at its deadline.
  for (int fd : slow) {
    EXPECT_EQ(readAll(fd, 2s), "");
    close(fd);
  }
  EXPECT_GE(server_->server().stats().deadlineClosures, static_cast<uint64_t>(kSlow));
}

// Sends a chunked body of `total` bytes (or until the server stops taking it) while reading the
// answer. Returns the answer.
std::string sendChunked(int port, const std::string& head, size_t total) {
  const int fd = connectTo(port);
  EXPECT_GE(fd, 0);
  send(fd, head.data(), head.size(), MSG_NOSIGNAL);
  std::future<std::string> answer =
      std::async(std::launch::async, [fd] { return readAll(fd, 5s); });
  const std::string chunk = "10000\r\n" + std::string(0x10000, 'x') + "\r\n";
  size_t sent = 0;
  while (sent < total) {
    pollfd watch{fd, POLLOUT, 0};
    if (poll(&watch, 1, 300) <= 0) break;  // the server stopped reading
    if (send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL) <= 0) break;
    sent += 0x10000;
  }
  std::string out = answer.get();
  close(fd);
  return out;
}

TEST_F(ConnectionLimitsTest, BodiesThatMustNotBeReadAreNot) {
  RpcServerOptions options;
  options.maxBodyBytes = 64 * 1024;
  start(options);
  struct Case {
    const char* name;
    std::string authorization;
    int status;
    int code;
    size_t maxRead;  // of the 64 MiB sent
  };
  const Case cases[] = {
      {"Unauthenticated", "", 401, kNotAuthenticated, 2u << 20},
      {"UnknownToken", "Authorization: Bearer " + std::string(64, 'a') + "\r\n", 401,
       kNotAuthenticated, 2u << 20},
      // A logged-in client's excess is read and dropped up to a bound, never kept.
      {"AuthenticatedOverTheLimit", "Authorization: Bearer " + token_ + "\r\n", 413,
       kRequestTooLarge, 20u << 20},
  };
  for (const Case& c : cases) {
    const uint64_t before = server_->server().stats().bytesReceived;
    const std::string head = "POST /rpc/Test.rdmEcho HTTP/1.1\r\nHost: x\r\n" + c.authorization +
                             "Transfer-Encoding: chunked\r\n\r\n";
    const std::string answer = sendChunked(server_->port, head, 64u << 20);
    EXPECT_EQ(statusOf(answer), c.status) << c.name << ": " << answer;
    EXPECT_EQ(errorCodeOf(answer), c.code) << c.name;
    // Only a bounded prefix of the 64 MiB was ever read.
    EXPECT_LT(server_->server().stats().bytesReceived - before, c.maxRead) << c.name;
  }
  httplib::Client http = client();
  auto after = call(http, wire::encodeRequest("1", "Whoami", {}), token_);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->status, 200);
}

TEST_F(ConnectionLimitsTest, HeadsAreJudgedBeforeTheirBodies) {
  start({});
  struct Case {
    const char* name;
    std::string headers;
    int status;
    int code;
  };
  const std::string auth = "Authorization: Bearer " + token_ + "\r\n";
  const Case cases[] = {
      {"DeclaredOverTheLimit", auth + "Content-Length: 100000000\r\n", 413, kRequestTooLarge},
      {"LoginDeclaredOverItsLimit", "Content-Length: 1000000\r\n", 413, kRequestTooLarge},
      {"ConflictingLengths", auth + "Content-Length: 5\r\nContent-Length: 50\r\n", 400,
       kInvalidRequest},
      {"LengthAndChunked", auth + "Content-Length: 5\r\nTransfer-Encoding: chunked\r\n", 400,
       kInvalidRequest},
      {"OtherCoding", auth + "Transfer-Encoding: gzip, chunked\r\n", 400, kInvalidRequest},
      {"RepeatedCoding", auth + "Transfer-Encoding: chunked\r\nTransfer-Encoding: chunked\r\n", 400,
       kInvalidRequest},
      {"SignedLength", auth + "Content-Length: +5\r\n", 400, kInvalidRequest},
  };
  for (const Case& c : cases) {
    const bool login = std::string(c.name).rfind("Login", 0) == 0;
    const int fd = connectTo(server_->port);
    ASSERT_GE(fd, 0);
    // The head alone: the answer must come without any body being sent.
    const std::string head = std::string("POST ") + (login ? "/login" : "/rpc/Test.rdmEcho") +
                             " HTTP/1.1\r\nHost: x\r\n" + c.headers + "\r\n";
    send(fd, head.data(), head.size(), MSG_NOSIGNAL);
    const std::string answer = readAll(fd, 2s);
    close(fd);
    EXPECT_EQ(statusOf(answer), c.status) << c.name << ": " << answer;
    EXPECT_EQ(errorCodeOf(answer), c.code) << c.name;
  }
  // Two equal lengths say one thing: accepted.
  const std::string body = wire::encodeRequest("1", "Whoami", {});
  const int fd = connectTo(server_->port);
  const std::string request =
      "POST /rpc/Test.rdmEcho HTTP/1.1\r\nHost: x\r\nConnection: close\r\n" + auth +
      "Content-Length: " + std::to_string(body.size()) +
      "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  EXPECT_EQ(statusOf(readAll(fd, 2s)), 200);
  close(fd);
  EXPECT_EQ(server_->dispatcher.calls, 1);
}

TEST_F(ConnectionLimitsTest, BeyondTheWorkersAndTheLineTheServerSaysItIsBusy) {
  RpcServerOptions options;
  options.threads = 2;
  options.maxWaiting = 1;
  start(options);
  std::vector<std::future<int>> slow;
  for (int i = 0; i < 3; ++i) {
    slow.push_back(std::async(std::launch::async, [this] {
      httplib::Client http = client();
      auto r = call(http, wire::encodeRequest("1", "Slow", {Variant(600)}), token_);
      return r ? r->status : 0;
    }));
    if (i == 1) {
      while (server_->dispatcher.inFlight < 2)
        std::this_thread::sleep_for(1ms);
    }
  }
  std::this_thread::sleep_for(100ms);  // the third waits in line
  httplib::Client http = client();
  auto busy = call(http, wire::encodeRequest("1", "Whoami", {}), token_);
  ASSERT_TRUE(busy) << httplib::to_string(busy.error());
  EXPECT_EQ(busy->status, 503);
  int code = 0;
  EXPECT_NE(wire::errorMessageOf(busy->body, code).find("Servidor ocupado"), std::string::npos);
  const wire::RpcAnswer answer = wire::decodeAnswer(busy->body, 1);
  EXPECT_EQ(answer.code, kServerBusy);
  for (auto& f : slow)
    EXPECT_EQ(f.get(), 200);
  EXPECT_GE(server_->server().stats().busyRefusals, 1u);
}

TEST_F(ConnectionLimitsTest, AnIdleKeptAliveConnectionLetsItsWorkerGoToOneWaiting) {
  RpcServerOptions options;
  options.threads = 1;
  options.keepAliveTimeout = 30s;
  start(options);
  httplib::Client first = client();
  first.set_keep_alive(true);
  auto r = call(first, wire::encodeRequest("1", "Whoami", {}), token_);
  ASSERT_TRUE(r);
  // The only worker now idles on the first client's connection; the second still gets through.
  httplib::Client second = client(3s);
  auto other = call(second, wire::encodeRequest("1", "Whoami", {}), token_);
  ASSERT_TRUE(other) << httplib::to_string(other.error());
  EXPECT_EQ(other->status, 200);
}

TEST_F(ConnectionLimitsTest, ACallPastItsDeadlineIsAnsweredAtTheDeadline) {
  RpcServerOptions options;
  options.callTimeout = 200ms;
  start(options);
  httplib::Client http = client();
  auto r = call(http, wire::encodeRequest("7", "Slow", {Variant(700)}), token_);
  ASSERT_TRUE(r);
  EXPECT_EQ(server_->dispatcher.slowFinished, 0);  // answered while the call still ran
  EXPECT_EQ(r->status, 504);
  const wire::RpcAnswer answer = wire::decodeAnswer(r->body, 7);
  EXPECT_EQ(answer.code, kCallTimedOut);
  EXPECT_NE(answer.message.find("0.2 s"), std::string::npos) << answer.message;
  // Calls within the deadline are answered as ever.
  httplib::Client again = client();
  auto quick = call(again, wire::encodeRequest("8", "Slow", {Variant(10)}), token_);
  ASSERT_TRUE(quick);
  EXPECT_EQ(quick->status, 200);
}

TEST_F(ConnectionLimitsTest, AResentWriteGetsItsFirstAnswerWithoutRunningAgain) {
  start({});
  const std::string maria = login("maria", "m@ria 2026");
  struct Step {
    const char* name;
    std::string token;
    std::string method;
    std::string requestId;
    Variant expected;
    size_t appended;  // writes run so far
  };
  const Step steps[] = {
      {"First", token_, "Append", "pedido-1", Variant(1), 1},
      {"Resent", token_, "Append", "pedido-1", Variant(1), 1},
      {"ResentAgain", token_, "Append", "pedido-1", Variant(1), 1},
      {"NewId", token_, "Append", "pedido-2", Variant(2), 2},
      {"SameIdOtherOperator", maria, "Append", "pedido-1", Variant(3), 3},
      {"NoId", token_, "Append", "", Variant(4), 4},
      {"NoIdAgain", token_, "Append", "", Variant(5), 5},
  };
  httplib::Client http = client();
  for (const Step& s : steps) {
    auto r = call(http, wire::encodeRequest("3", s.method, {Variant("x")}, s.requestId), s.token);
    ASSERT_TRUE(r) << s.name;
    EXPECT_EQ(wire::decodeAnswer(r->body, 3).result, s.expected) << s.name << ": " << r->body;
    EXPECT_EQ(server_->dispatcher.appended.size(), s.appended) << s.name;
  }
  EXPECT_EQ(server_->server().stats().replayedAnswers, 2u);
}

TEST(AnswerStore, KeepsAnswersPerOperatorBoundedInCountAndTime) {
  auto now = std::chrono::steady_clock::time_point{};
  MemoryAnswerStore store(2, std::chrono::minutes(10), [&] { return now; });
  store.keep("ADMIN", "a", {"X.Append", Variant(1)});
  store.keep("ADMIN", "b", {"X.Append", Variant(2)});
  store.keep("MARIA", "a", {"X.Append", Variant(3)});
  EXPECT_EQ(store.find("ADMIN", "a")->result, Variant(1));
  EXPECT_EQ(store.find("MARIA", "a")->result, Variant(3));
  store.keep("ADMIN", "c", {"X.Append", Variant(4)});  // the oldest of ADMIN's goes
  EXPECT_FALSE(store.find("ADMIN", "a"));
  EXPECT_EQ(store.find("ADMIN", "c")->call, "X.Append");
  EXPECT_EQ(store.find("MARIA", "a")->result, Variant(3));
  now += std::chrono::minutes(10);
  EXPECT_FALSE(store.find("ADMIN", "b"));
  EXPECT_FALSE(store.find("MARIA", "a"));
  EXPECT_FALSE(store.find("NINGUEM", "a"));
}

}  // namespace
}  // namespace server
