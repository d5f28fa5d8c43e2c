#include "desktop/threaded_transport.h"

#include <gtest/gtest.h>

#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "remote/remote_error.h"

namespace desktop {
namespace {

using namespace std::chrono_literals;

// Answers after a delay, or throws, or hangs until released; records the thread it ran on.
class ScriptedTransport : public remote::Transport {
 public:
  enum class Mode { Answer, Fail, Hang };
  explicit ScriptedTransport(Mode mode, std::chrono::milliseconds delay = 0ms)
      : mode_(mode), delay_(delay) {}

  remote::HttpResponse post(const std::string& path, const std::string& body,
                            const remote::HttpHeaders& headers) override {
    ranOn = std::this_thread::get_id();
    std::this_thread::sleep_for(delay_);
    switch (mode_) {
      case Mode::Fail:
        throw remote::RemoteError(remote::RemoteError::Kind::Transport, 0,
                                  "Conexão recusada por 127.0.0.1:1");
      case Mode::Hang:
        while (!released)
          std::this_thread::sleep_for(5ms);
        break;
      case Mode::Answer:
        break;
    }
    return {200, path + "|" + body + "|" + (headers.empty() ? "" : headers[0].second)};
  }
  std::string endpoint() const override { return "127.0.0.1:1"; }

  std::atomic<std::thread::id> ranOn{};
  std::atomic<bool> released{false};

 private:
  Mode mode_;
  std::chrono::milliseconds delay_;
};

TEST(ThreadedTransport, AnswersFromAWorkerThreadWhileTheLoopTurns) {
  auto inner = std::make_shared<ScriptedTransport>(ScriptedTransport::Mode::Answer, 120ms);
  ThreadedTransport transport(inner, 5s);
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(10);
  const auto answer = transport.post("/rpc/X", "{}", {{"Authorization", "Bearer t"}});
  EXPECT_EQ(answer.status, 200);
  EXPECT_EQ(answer.body, "/rpc/X|{}|Bearer t");
  EXPECT_NE(inner->ranOn.load(), std::this_thread::get_id());
  EXPECT_GE(ticks, 3);
  EXPECT_EQ(transport.endpoint(), "127.0.0.1:1");
}

TEST(ThreadedTransport, PassesTheInnerFailureOn) {
  ThreadedTransport transport(std::make_shared<ScriptedTransport>(ScriptedTransport::Mode::Fail),
                              5s);
  try {
    transport.post("/rpc/X", "{}", {});
    FAIL() << "no exception";
  } catch (const remote::RemoteError& error) {
    EXPECT_EQ(error.kind(), remote::RemoteError::Kind::Transport);
    EXPECT_STREQ(error.what(), "Conexão recusada por 127.0.0.1:1");
  }
}

TEST(ThreadedTransport, AHangingServerIsATransportErrorWithinTheLimit) {
  auto inner = std::make_shared<ScriptedTransport>(ScriptedTransport::Mode::Hang);
  ThreadedTransport transport(inner, 1s);
  const auto start = std::chrono::steady_clock::now();
  try {
    transport.post("/rpc/X", "{}", {});
    FAIL() << "no exception";
  } catch (const remote::RemoteError& error) {
    EXPECT_EQ(error.kind(), remote::RemoteError::Kind::Transport);
    EXPECT_STREQ(error.what(), "O servidor de aplicação não respondeu em 1 segundo. (127.0.0.1:1)");
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
  inner->released = true;
}

TEST(ThreadedTransport, FactoryWrapsWhatTheInnerFactoryMakes) {
  std::string madeFor;
  auto factory = threadedTransportFactory(
      [&](const std::string& host, int port, const remote::TransportOptions&) {
        madeFor = host + ":" + std::to_string(port);
        return std::make_unique<ScriptedTransport>(ScriptedTransport::Mode::Answer);
      });
  remote::TransportOptions options;
  options.connectTimeout = 1s;
  options.writeTimeout = 2s;
  options.readTimeout = 3s;
  auto transport = factory("localhost", 8080, options);
  EXPECT_EQ(madeFor, "localhost:8080");
  EXPECT_NE(dynamic_cast<ThreadedTransport*>(transport.get()), nullptr);
  EXPECT_EQ(exchangeLimit(options), 11s);
  EXPECT_EQ(transport->post("/p", "b", {}).body, "/p|b|");
}

}  // namespace
}  // namespace desktop
