// Sessions and kept answers in the database: what one server's store records, another server's
// store (its own connections) sees, on either backend.
#include "server/app/shared_sessions.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "server_fixture.h"

namespace servertest {
namespace {

using namespace std::chrono_literals;
using server::DbAnswerStore;
using server::DbSessionStore;
using server::KeptAnswer;

std::shared_ptr<server::db::ConnectionPool> poolOn(const std::string& location) {
  return std::make_shared<server::db::ConnectionPool>([location] { return connectTo(location); },
                                                      2);
}

class SharedSessionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto st = db->prepare("INSERT INTO OPERADOR VALUES (?1, ?1, 'S', '')");
    for (const char* op : {"ana", "bia"}) {
      st->bindText(1, op);
      st->run();
    }
  }
  int64_t scalar(const std::string& sql) {
    auto st = db->prepare(sql);
    return st->step() ? st->integer(0) : -1;
  }

  TestDatabase db = openShared("shared_sessions");
  std::atomic<int64_t> now{1'773'000'000'000};
  server::WallClock clock = [this] { return now.load(); };
  // Two servers: each its own pool of connections to the one database.
  DbSessionStore first{poolOn(db.location()), 10s, clock};
  DbSessionStore second{poolOn(db.location()), 10s, clock};
  DbAnswerStore keptFirst{poolOn(db.location()), 60s, 30s, clock, 5ms};
  DbAnswerStore keptSecond{poolOn(db.location()), 60s, 30s, clock, 5ms};
};

TEST(Sha256Hex, MatchesKnownDigests) {
  EXPECT_EQ(server::sha256Hex(""),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(server::sha256Hex("abc"),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST_F(SharedSessionsTest, ASessionOpenedOnOneServerIsServedAndClosedByAnother) {
  const std::string token = first.open("ana");
  EXPECT_EQ(second.touch(token), "ana");
  EXPECT_EQ(first.touch(token), "ana");
  EXPECT_EQ(second.size(), 1u);
  // Only the token's digest is in the table: reading it hands out no session.
  EXPECT_EQ(scalar("SELECT COUNT(*) FROM SESSAOOPER WHERE HASHTOKEN = '" +
                   server::sha256Hex(token) + "'"),
            1);
  EXPECT_EQ(scalar("SELECT COUNT(*) FROM SESSAOOPER WHERE HASHTOKEN = '" + token + "'"), 0);
  EXPECT_FALSE(second.touch(server::sha256Hex(token)));

  EXPECT_TRUE(second.close(token));
  EXPECT_FALSE(first.touch(token));
  EXPECT_FALSE(first.close(token));
  EXPECT_FALSE(first.touch("not-a-token"));
}

TEST_F(SharedSessionsTest, IdleTimeEndsASessionWhicheverServerItWasLastUsedOn) {
  const std::string token = first.open("ana");
  struct Step {
    int64_t advanceMs;
    DbSessionStore* store;
    bool live;
  };
  // Each use restarts the idle time of 10 s, whichever server sees it.
  const Step steps[] = {
      {9'000, &second, true},  {9'000, &first, true}, {9'999, &second, true},
      {10'000, &first, false}, {0, &second, false},
  };
  for (const Step& step : steps) {
    now += step.advanceMs;
    EXPECT_EQ(step.store->touch(token).has_value(), step.live) << "after +" << step.advanceMs;
  }
  EXPECT_EQ(first.size(), 0u) << "an expired session is removed when seen";
}

TEST_F(SharedSessionsTest, ALoginSweepsSessionsExpiredOnAnyServer) {
  const std::string old = first.open("ana");
  now += 5'000;
  const std::string recent = first.open("bia");
  now += 6'000;
  second.open("bia");
  EXPECT_EQ(second.size(), 2u);
  EXPECT_FALSE(second.touch(old));
  EXPECT_EQ(second.touch(recent), "bia");
  now += 20'000;
  EXPECT_EQ(first.sweep(), 2);
}

TEST_F(SharedSessionsTest, DeactivatingAnOperatorEndsEverySessionOfItsOnEveryServer) {
  const std::string a1 = first.open("ana");
  const std::string a2 = second.open("ana");
  const std::string b = first.open("bia");
  db->exec("UPDATE OPERADOR SET IDATIVO = 'N' WHERE CDOPERADOR = 'ana'");
  EXPECT_FALSE(second.touch(a1));
  EXPECT_EQ(first.size(), 1u) << "both of ana's sessions end at the first refusal";
  EXPECT_FALSE(first.touch(a2));
  EXPECT_EQ(second.touch(b), "bia");
  // Reactivating does not bring an ended session back.
  db->exec("UPDATE OPERADOR SET IDATIVO = 'S' WHERE CDOPERADOR = 'ana'");
  EXPECT_FALSE(first.touch(a2));
  EXPECT_EQ(first.closeOperator("bia"), 1u);
  EXPECT_FALSE(second.touch(b));
}

TEST_F(SharedSessionsTest, AnAnswerKeptByOneServerIsReplayedByAnother) {
  EXPECT_FALSE(keptFirst.claim("ana", "r1", "InfPrato.GravaReceita"));
  keptFirst.keep("ana", "r1", KeptAnswer{"InfPrato.GravaReceita", platform::Variant("gravado")});
  for (DbAnswerStore* store : {&keptFirst, &keptSecond}) {
    auto kept = store->claim("ana", "r1", "InfPrato.GravaReceita");
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->call, "InfPrato.GravaReceita");
    EXPECT_EQ(kept->result.toJson(), platform::Variant("gravado").toJson());
  }
  // Request ids are the operator's own.
  EXPECT_FALSE(keptSecond.find("bia", "r1"));
  // Past the retention it is forgotten, and the id may run again.
  now += 60'000;
  EXPECT_FALSE(keptSecond.find("ana", "r1"));
  EXPECT_FALSE(keptSecond.claim("ana", "r1", "InfPrato.GravaReceita"));
}

TEST_F(SharedSessionsTest, AResendWaitsForTheServerRunningTheWriteAndGetsItsAnswer) {
  EXPECT_FALSE(keptFirst.claim("ana", "r2", "InfPrato.GravaReceita"));
  auto resend = std::async(std::launch::async,
                           [&] { return keptSecond.claim("ana", "r2", "InfPrato.GravaReceita"); });
  EXPECT_EQ(resend.wait_for(100ms), std::future_status::timeout) << "must wait for the first run";
  keptFirst.keep("ana", "r2", KeptAnswer{"InfPrato.GravaReceita", platform::Variant(7.0)});
  auto kept = resend.get();
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->result.toJson(), platform::Variant(7.0).toJson());
}

TEST_F(SharedSessionsTest, AFailedOrAbandonedRunLetsTheIdRunAgain) {
  // Released after a failure: the next claim runs it.
  EXPECT_FALSE(keptFirst.claim("ana", "r3", "InfPrato.GravaReceita"));
  keptFirst.release("ana", "r3");
  EXPECT_FALSE(keptSecond.claim("ana", "r3", "InfPrato.GravaReceita"));

  // Its server died: after the abandon age the other server takes the claim over, once.
  now += 30'000;
  EXPECT_FALSE(keptFirst.claim("ana", "r3", "InfPrato.GravaReceita"));
  auto late = std::async(std::launch::async,
                         [&] { return keptSecond.claim("ana", "r3", "InfPrato.GravaReceita"); });
  EXPECT_EQ(late.wait_for(100ms), std::future_status::timeout);
  keptFirst.keep("ana", "r3", KeptAnswer{"InfPrato.GravaReceita", platform::Variant("ok")});
  ASSERT_TRUE(late.get());

  // Releasing never drops an answer already kept.
  keptSecond.release("ana", "r3");
  EXPECT_TRUE(keptSecond.find("ana", "r3"));
}

TEST_F(SharedSessionsTest, ConcurrentClaimsOfOneIdLetExactlyOneRun) {
  std::atomic<int> runs{0};
  auto contender = [&](DbAnswerStore& store) {
    for (int i = 0; i < 20; ++i) {
      const std::string id = "c" + std::to_string(i);
      if (!store.claim("bia", id, "InfPrato.GravaReceita")) {
        ++runs;
        store.keep("bia", id, KeptAnswer{"InfPrato.GravaReceita", platform::Variant(1.0)});
      }
    }
  };
  std::thread a([&] { contender(keptFirst); });
  std::thread b([&] { contender(keptSecond); });
  a.join();
  b.join();
  EXPECT_EQ(runs.load(), 20);
}

}  // namespace
}  // namespace servertest
