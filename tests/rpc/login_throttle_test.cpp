// Login throttling: a scripted flood of attempts on a clock the test moves, and the refusal as
// the wire answers it.
#include "server/rpc/login_throttle.h"

#include <gtest/gtest.h>

#include <httplib.h>

#include "loopback_server.h"

namespace server {
namespace {

using std::chrono::seconds;

class LoginThrottleTest : public ::testing::Test {
 protected:
  LoginThrottle::Clock::time_point now{};
  ThrottlePolicy policy{.freeFailuresPerOperator = 3,
                        .freeFailuresPerAddress = 6,
                        .firstWait = seconds(2),
                        .maxWait = seconds(10),
                        .forgetAfter = seconds(100),
                        .maxTracked = 100};
  LoginThrottle throttle{policy, [this] { return now; }};
};

struct Step {
  const char* label;
  int advance;  // seconds before the attempt
  const char* op;
  const char* address;
  bool succeeds;  // when allowed
  int wait;       // expected answer of attempt()
};

TEST_F(LoginThrottleTest, AFloodWaitsLongerAndLongerWhileOthersGoOn) {
  const Step steps[] = {
      {"free 1", 0, "maria", "10.0.0.1", false, 0},
      {"free 2", 0, "maria", "10.0.0.1", false, 0},
      {"free 3", 0, "maria", "10.0.0.1", false, 0},
      {"4th failure allowed, now waits 2 s", 0, "maria", "10.0.0.1", false, 0},
      {"refused at once", 0, "maria", "10.0.0.1", false, 2},
      {"the name's case does not help", 0, "MARIA", "10.0.0.9", false, 2},
      {"another operator from the same address goes on", 0, "joao", "10.0.0.1", false, 0},
      {"still refused after 1 s", 1, "maria", "10.0.0.1", false, 1},
      {"after the wait, one more try", 1, "maria", "10.0.0.1", false, 0},
      {"then 4 s", 0, "maria", "10.0.0.2", false, 4},
      {"next try after 4 s", 4, "maria", "10.0.0.2", false, 0},
      {"then 8 s", 0, "maria", "10.0.0.2", false, 8},
      {"next try after 8 s", 8, "maria", "10.0.0.2", false, 0},
      {"capped at 10 s", 0, "maria", "10.0.0.2", false, 10},
      {"a success after the wait", 10, "maria", "10.0.0.3", true, 0},
      {"forgets the operator's failures", 0, "maria", "10.0.0.3", false, 0},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.label);
    now += seconds(s.advance);
    const int wait = throttle.attempt(s.op, s.address);
    EXPECT_EQ(wait, s.wait);
    if (wait == 0 && s.succeeds) throttle.succeeded(s.op, s.address);
  }
}

TEST_F(LoginThrottleTest, AnAddressTryingManyOperatorsIsSlowedToo) {
  // Six free failures for an address, each on a different operator; successes of its own do not
  // wipe them.
  for (int i = 0; i < 6; ++i)
    ASSERT_EQ(throttle.attempt("op" + std::to_string(i), "10.0.0.1"), 0) << i;
  ASSERT_EQ(throttle.attempt("valido", "10.0.0.1"), 0);
  throttle.succeeded("valido", "10.0.0.1");
  EXPECT_EQ(throttle.attempt("op9", "10.0.0.1"), 0);
  EXPECT_EQ(throttle.attempt("op10", "10.0.0.1"), 2);
  EXPECT_EQ(throttle.attempt("op10", "10.0.0.2"), 0);
  // Quiet for forgetAfter: the address starts afresh.
  now += seconds(100);
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(throttle.attempt("outro" + std::to_string(i), "10.0.0.1"), 0) << i;
}

TEST_F(LoginThrottleTest, RemembersABoundedNumberOfNames) {
  for (int i = 0; i < 1000; ++i) {
    now += seconds(1);
    throttle.attempt(std::string(1000, 'x') + std::to_string(i), "10.0.0." + std::to_string(i));
  }
  EXPECT_LE(throttle.tracked(), 2 * policy.maxTracked);
  // The newest are kept: the last operator is still counted.
  for (int i = 0; i < 3; ++i)
    throttle.attempt("alvo", "10.1.0.1");
  EXPECT_EQ(throttle.attempt("alvo", "10.1.0.2"), 0);
  EXPECT_EQ(throttle.attempt("alvo", "10.1.0.3"), 2);
}

TEST(LoginThrottleMessage, SaysHowLongToWait) {
  EXPECT_EQ(LoginThrottle::message(30), "Muitas tentativas de login. Aguarde 30 segundos.");
  EXPECT_EQ(LoginThrottle::message(1), "Muitas tentativas de login. Aguarde 1 segundo.");
}

TEST(LoginThrottleOverHttp, WrongPasswordsEndInATooManyRequestsAnswer) {
  testing_rpc::LoopbackServer server;
  httplib::Client client("127.0.0.1", server.port);
  auto login = [&](const char* password) {
    return client.Post("/login",
                       std::string(R"({"operator":"maria","password":")") + password + "\"}",
                       "application/json");
  };
  // The free failures, and one more that starts the wait.
  for (int i = 0; i <= ThrottlePolicy{}.freeFailuresPerOperator; ++i) {
    auto res = login("errada");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 401) << i;
  }
  // The right password no longer gets through while the operator waits.
  auto refused = login("m@ria 2026");
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 429);
  EXPECT_NE(refused->body.find("Muitas tentativas de login. Aguarde 1 segundo."), std::string::npos)
      << refused->body;
  EXPECT_EQ(refused->get_header_value("Retry-After"), "1");
  EXPECT_EQ(server.server().sessionCount(), 0u);
}

}  // namespace
}  // namespace server
