#include "server/rpc/session_store.h"

#include <gtest/gtest.h>

#include <set>

namespace server {
namespace {

using std::chrono::milliseconds;

TEST(RandomToken, IsHexOfTheAskedLengthAndNeverRepeats) {
  std::set<std::string> seen;
  for (int i = 0; i < 1000; ++i) {
    const std::string token = randomToken();
    ASSERT_EQ(token.size(), 64u);
    ASSERT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos) << token;
    ASSERT_TRUE(seen.insert(token).second) << "repeated token " << token;
  }
  EXPECT_EQ(randomToken(4).size(), 8u);
}

// A store on a clock the test moves by hand.
class SessionStoreTest : public ::testing::Test {
 protected:
  MemorySessionStore::Clock::time_point now{};
  MemorySessionStore store{milliseconds(1000), [this] { return now; }};
};

TEST_F(SessionStoreTest, IdleTimeBoundsASession) {
  struct Case {
    milliseconds idle;
    bool live;
  };
  const Case cases[] = {{milliseconds(0), true},
                        {milliseconds(999), true},
                        {milliseconds(1000), false},
                        {milliseconds(60000), false}};
  for (const Case& c : cases) {
    const std::string token = store.open("ADMIN");
    now += c.idle;
    EXPECT_EQ(store.touch(token).has_value(), c.live) << c.idle.count() << " ms";
    // An expired session stays expired: it was removed, not just refused.
    if (!c.live) {
      now -= c.idle;
      EXPECT_FALSE(store.touch(token).has_value());
    }
  }
}

TEST_F(SessionStoreTest, EachCallRestartsTheIdleTime) {
  const std::string token = store.open("MARIA");
  for (int i = 0; i < 5; ++i) {
    now += milliseconds(900);
    ASSERT_EQ(store.touch(token), std::optional<std::string>("MARIA")) << i;
  }
  now += milliseconds(1000);
  EXPECT_EQ(store.touch(token), std::nullopt);
}

TEST_F(SessionStoreTest, UnknownAndClosedTokensHaveNoOperator) {
  const std::string token = store.open("ADMIN");
  EXPECT_EQ(store.touch(""), std::nullopt);
  EXPECT_EQ(store.touch(token + "0"), std::nullopt);
  EXPECT_TRUE(store.close(token));
  EXPECT_EQ(store.touch(token), std::nullopt);
  EXPECT_FALSE(store.close(token));
}

TEST_F(SessionStoreTest, LoginSweepsExpiredSessions) {
  for (int i = 0; i < 10; ++i)
    store.open("OP" + std::to_string(i));
  EXPECT_EQ(store.size(), 10u);
  now += milliseconds(1500);
  const std::string fresh = store.open("ADMIN");
  EXPECT_EQ(store.size(), 1u);
  EXPECT_EQ(store.touch(fresh), std::optional<std::string>("ADMIN"));
}

TEST(SessionStore, ADeactivatedOperatorsSessionsEndAtTheirNextCall) {
  std::set<std::string> inactive;
  int asked = 0;
  MemorySessionStore store(milliseconds(1000), nullptr, [&](const std::string& op) {
    ++asked;
    return inactive.count(op) == 0;
  });
  const std::string first = store.open("MARIA");
  const std::string second = store.open("MARIA");
  const std::string other = store.open("ADMIN");
  EXPECT_EQ(store.touch(first), std::optional<std::string>("MARIA"));
  EXPECT_EQ(asked, 1);

  inactive.insert("MARIA");
  EXPECT_EQ(store.touch(second), std::nullopt);
  // Both of her sessions went; reactivating does not bring them back.
  EXPECT_EQ(store.size(), 1u);
  inactive.clear();
  EXPECT_EQ(store.touch(first), std::nullopt);
  EXPECT_EQ(store.touch(other), std::optional<std::string>("ADMIN"));
  EXPECT_EQ(store.closeOperator("ADMIN"), 1u);
  EXPECT_EQ(store.touch(other), std::nullopt);
}

TEST(SessionStore, RefusesANonPositiveTimeout) {
  EXPECT_THROW(MemorySessionStore(milliseconds(0)), std::invalid_argument);
}

}  // namespace
}  // namespace server
