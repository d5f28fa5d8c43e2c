#include "remote/http_transport.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "remote/remote_error.h"

namespace remote {
namespace {

TEST(ServerAddress, ReadsHostUrlAndPort) {
  struct Case {
    const char* text;
    int port;
    const char* host;
    int expectedPort;
  };
  const Case cases[] = {
      {"127.0.0.1", 8211, "127.0.0.1", 8211},
      {" servidor ", 80, "servidor", 80},
      {"servidor:9000", 80, "servidor", 9000},
      {"http://servidor", 8211, "servidor", 8211},
      {"HTTP://servidor:8300/", 8211, "servidor", 8300},
      {"http://servidor:8300/app/rpc", 0, "servidor", 8300},
      {"https://servidor", 443, "servidor", 443},
      {"HTTPS://servidor:8443/", 0, "servidor", 8443},
  };
  for (const Case& c : cases) {
    const ServerAddress address = parseServerUrl(c.text, c.port);
    EXPECT_EQ(address.host, c.host) << c.text;
    EXPECT_EQ(address.port, c.expectedPort) << c.text;
    const std::string text = c.text;
    EXPECT_EQ(address.tls,
              text.find("ttps") != std::string::npos || text.find("TTPS") != std::string::npos)
        << c.text;
  }
  EXPECT_EQ(parseServerUrl("h", 1).text(), "h:1");
}

TEST(ServerAddress, RefusesWhatItCannotReach) {
  struct Case {
    const char* text;
    int port;
  };
  const Case cases[] = {{"", 8211},
                        {"   ", 8211},
                        {"http://", 8211},
                        {"servidor", 0},
                        {"servidor", 70000},
                        {"servidor:abc", 8211},
                        {"servidor:", 8211},
                        {"httpx://servidor", 443},
                        {"ftp://servidor", 21},
                        {"servidor:-1", 8211}};
  for (const Case& c : cases) {
    try {
      parseServerUrl(c.text, c.port);
      ADD_FAILURE() << "accepted \"" << c.text << "\" port " << c.port;
    } catch (const RemoteError& e) {
      EXPECT_EQ(e.kind(), RemoteError::Kind::Transport);
      EXPECT_NE(std::string(e.what()).find("inválido"), std::string::npos) << e.what();
    }
  }
}

// A port that refuses connections: bound, then closed.
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

TEST(HttpTransport, ARefusedConnectionIsATransportErrorNamingTheServer) {
  const int port = deadPort();
  auto transport = makeHttpTransport("127.0.0.1", port);
  EXPECT_EQ(transport->endpoint(), "127.0.0.1:" + std::to_string(port));
  const auto started = std::chrono::steady_clock::now();
  try {
    transport->post("/session", "{}", {});
    ADD_FAILURE() << "no error";
  } catch (const RemoteError& e) {
    EXPECT_EQ(e.kind(), RemoteError::Kind::Transport);
    EXPECT_EQ(e.code(), 0);
    EXPECT_NE(std::string(e.what()).find(
                  "Não foi possível conectar ao servidor de aplicação em 127.0.0.1:" +
                  std::to_string(port)),
              std::string::npos)
        << e.what();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST(HttpTransport, AServerThatNeverAnswersTimesOutWithinTheReadTimeout) {
  // Listening but never accepting: the connection completes in the backlog, no answer comes.
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(fd, 4), 0);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);

  TransportOptions options;
  options.readTimeout = std::chrono::milliseconds(300);
  auto transport = makeHttpTransport("127.0.0.1", ntohs(address.sin_port), options);
  const auto started = std::chrono::steady_clock::now();
  try {
    transport->post("/rpc/X", "{}", {});
    ADD_FAILURE() << "no error";
  } catch (const RemoteError& e) {
    EXPECT_EQ(e.kind(), RemoteError::Kind::Transport);
    EXPECT_NE(std::string(e.what()).find("não respondeu"), std::string::npos) << e.what();
  }
  const auto elapsed = std::chrono::steady_clock::now() - started;
  EXPECT_GE(elapsed, std::chrono::milliseconds(250));
  EXPECT_LT(elapsed, std::chrono::seconds(3));
  close(fd);
}

TEST(HttpTransport, ABrokenPipeCannotEndTheProcess) {
  auto transport = makeHttpTransport("127.0.0.1", 1);
  // What a write to a server that dropped the connection mid-request raises.
  raise(SIGPIPE);
  SUCCEED();
}

}  // namespace
}  // namespace remote
