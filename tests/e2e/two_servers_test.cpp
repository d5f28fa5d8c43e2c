// Two real server processes over one PostgreSQL database: concurrent saves of one recipe line
// through both lose no update, and a client whose server is killed carries on with the other.
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/data_packet.h"
#include "platform/date.h"
#include "remote/net_connection.h"
#include "remote/session.h"
#include "server/server_fixture.h"
#include "support/server_process.h"

namespace {

using platform::DataPacket;
using platform::Row;
using platform::Variant;
using testsupport::ServerProcess;

constexpr const char* kCostObject = "Rcx00500.rdmAnaCustRevRec";
constexpr const char* kRecipeChanged =
    "Receita alterada por outro usuário. Recarregue os produtos do dia.";
const double kMonth = platform::encodeDate(2026, 3, 1);
const double kDay = platform::encodeDate(2026, 3, 25);  // open: the demo's date is 18/03

// Per capitas compared at the five decimals they are kept with.
long long units(double perCapita) {
  return std::llround(perCapita * 100000);
}

std::string field(const DataPacket& p, const Row& row, const char* name) {
  return row[static_cast<size_t>(p.fieldIndex(name))].toString();
}

// A recipe line of the day: what names it in the day's products and in a save.
struct Line {
  std::string kind, dishBranch, dish, product, treeCode;
  bool operator<(const Line& o) const {
    return std::tie(kind, dishBranch, dish, product) <
           std::tie(o.kind, o.dishBranch, o.dish, o.product);
  }
};

Line lineOf(const DataPacket& p, const Row& row) {
  return {field(p, row, "TIPO"), field(p, row, "CDFILAUXPRAT"), field(p, row, "CDPRATO"),
          field(p, row, "CDPRODUTO"), field(p, row, "CDARVPROD")};
}

class TwoServersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!servertest::onPostgres()) GTEST_SKIP() << "needs MENUCOST_TEST_PG";
    url_ = servertest::tempDatabasePath("two_servers");
    const std::vector<std::string> args = {"--demo", "--demo-date", "2026-03-18", "--call-timeout",
                                           "1"};
    // One after the other: the first creates the demo company.
    for (int i = 0; i < 2; ++i)
      servers_.push_back(std::make_unique<ServerProcess>(MENUCOST_SERVER_BINARY, url_, args));
  }

  std::shared_ptr<const remote::Session> login(int server, const char* op) {
    return remote::Session::login("127.0.0.1", servers_[static_cast<size_t>(server)]->port(), op,
                                  op);
  }
  std::unique_ptr<remote::TNetConnection> connect(int server,
                                                  std::shared_ptr<const remote::Session> s) {
    auto c = std::make_unique<remote::TNetConnection>(kCostObject);
    c->setSession(std::move(s));
    c->Host = "127.0.0.1";
    c->Port = servers_[static_cast<size_t>(server)]->port();
    return c;
  }

  static DataPacket day(remote::TNetConnection& c) {
    return c
        .call("GetProduto", "0001", "00001", Variant::date(kDay), 6, false, Variant::date(kDay),
              Variant::date(kMonth), "")
        .packet();
  }
  static const Row& rowOf(const DataPacket& p, const Line& line) {
    for (const Row& row : p.rows) {
      if (!(lineOf(p, row) < line) && !(line < lineOf(p, row))) return row;
    }
    throw std::logic_error("line not in the day: " + line.dish + "/" + line.product);
  }
  static double perCapita(const DataPacket& p, const Line& line) {
    return rowOf(p, line)[static_cast<size_t>(p.fieldIndex("QTDERECE"))].toDouble();
  }

  // GravaReceita changing `line` from `from` to `to`, built as the screen's dataset sends it.
  static Variant save(remote::TNetConnection& c, const DataPacket& dayPacket, const Line& line,
                      double from, double to) {
    const size_t qty = static_cast<size_t>(dayPacket.fieldIndex("QTDERECE"));
    const size_t gross = static_cast<size_t>(dayPacket.fieldIndex("QTDEBRUTA"));
    DataPacket delta;
    delta.fields = dayPacket.fields;
    Row original = rowOf(dayPacket, line);
    original[qty] = Variant(from);
    Row now = original;
    now[qty] = Variant(to);
    now[gross] = Variant(to);
    delta.rows.push_back(now);
    delta.changes.push_back(platform::Change{platform::ChangeKind::Modify, 0, original});
    return c.call("GravaReceita", Variant(dayPacket), Variant(delta), "0001", "00001",
                  Variant::date(kDay), 6, false, Variant::date(kDay), "4", line.kind,
                  line.dishBranch, line.dish, Variant::date(kMonth), "");
  }

  std::string url_;
  std::vector<std::unique_ptr<ServerProcess>> servers_;
};

TEST_F(TwoServersTest, ConflictingSavesThroughBothServersLoseNoUpdate) {
  auto reader = connect(0, login(0, "analista"));
  const DataPacket start = day(*reader);
  // A line any operator may change: a local or per-service recipe's.
  std::optional<Line> chosen;
  for (const Row& row : start.rows) {
    Line l = lineOf(start, row);
    if (l.kind == "L" || l.kind == "S") chosen = l;
  }
  ASSERT_TRUE(chosen) << "the demo day has no local or per-service recipe line";
  const Line line = *chosen;
  const double initial = perCapita(start, line);

  struct Outcome {
    long long from, to;
    bool accepted;
    std::string message, named;
  };
  constexpr int kSaves = 100;
  std::vector<Outcome> outcomes[2];
  std::atomic<int> ready{0};
  auto operatorRun = [&](int who, const char* op) {
    auto c = connect(who, login(who, op));
    DataPacket read = day(*c);
    double last = perCapita(read, line);
    ++ready;
    while (ready < 2) {
    }
    for (int i = 0; i < kSaves; ++i) {
      // Unique values, so each accepted save is told apart in the chain below.
      const double to = 0.5 + 0.2 * who + 0.0001 * (i + 1);
      Variant answer = save(*c, read, line, last, to);
      const auto& parts = answer.items();
      Outcome o{units(last), units(to), parts.at(0).toString().empty(), parts.at(0).toString(),
                parts.at(1).isText() ? parts.at(1).toString() : ""};
      outcomes[who].push_back(o);
      if (o.accepted) {
        last = to;
      } else {
        read = day(*c);
        last = perCapita(read, line);
      }
    }
  };
  std::thread first(operatorRun, 0, "analista");
  std::thread second(operatorRun, 1, "filial");
  first.join();
  second.join();

  std::map<long long, long long> chain;  // accepted: from -> to
  int accepted = 0, refused = 0;
  for (const auto& list : outcomes) {
    for (const Outcome& o : list) {
      if (o.accepted) {
        ++accepted;
        EXPECT_TRUE(chain.emplace(o.from, o.to).second)
            << "two saves accepted from the same per capita " << o.from;
      } else {
        ++refused;
        EXPECT_EQ(o.message, kRecipeChanged);
        EXPECT_EQ(o.named, line.treeCode) << "a refusal names the refused product";
      }
    }
  }
  EXPECT_EQ(accepted + refused, 2 * kSaves);
  EXPECT_GT(refused, 0) << "the two operators never raced";
  // The accepted saves follow one another from the first value: none was overwritten unseen.
  long long value = units(initial);
  for (int i = 0; i < accepted; ++i) {
    auto next = chain.find(value);
    ASSERT_NE(next, chain.end()) << "no accepted save continues from " << value;
    value = next->second;
  }
  auto fresh = connect(1, login(1, "consulta"));
  EXPECT_EQ(units(perCapita(day(*fresh), line)), value) << "the last accepted save is kept";
}

TEST_F(TwoServersTest, AClientWhoseServerIsKilledCarriesOnWithTheOtherAndLosesNoSave) {
  auto session = login(0, "analista");
  std::atomic<bool> killed{false};
  auto c = connect(0, session);
  // The client's address book: the first server while it lives, then the other.
  c->OnBeforeConnect = [&](remote::TNetConnection& conn) {
    conn.Port = servers_[killed ? 1 : 0]->port();
  };
  c->Timeouts.readTimeout = std::chrono::seconds(20);
  const DataPacket start = day(*c);
  std::vector<Line> lines;
  for (const Row& row : start.rows) {
    Line l = lineOf(start, row);
    bool seen = false;
    for (const Line& other : lines)
      seen = seen || (!(l < other) && !(other < l));
    if (!seen) lines.push_back(l);
  }
  ASSERT_GE(lines.size(), 12u) << "too few recipe lines on the demo day";
  if (lines.size() > 40) lines.resize(40);

  std::atomic<int> answered{0};
  std::thread killer([&] {
    while (answered < static_cast<int>(lines.size()) / 3) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    servers_[0]->stop(SIGKILL);
    killed = true;
  });

  struct Saved {
    Line line;
    double from, to;
    bool accepted, afterKill;
  };
  std::vector<Saved> saves;
  int failedCalls = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    const double from = perCapita(start, lines[i]);
    const double to = 0.7 + 0.0001 * static_cast<double>(i + 1);
    const bool afterKill = killed;
    bool accepted = false;
    try {
      Variant answer = save(*c, start, lines[i], from, to);
      accepted = answer.items().at(0).toString().empty();
      if (!accepted && !afterKill) {
        // Only the save the kill interrupts may be refused: its resend can find it committed.
        EXPECT_EQ(answer.items().at(0).toString(), kRecipeChanged) << "save " << i;
      }
    } catch (const remote::RemoteError&) {
      ++failedCalls;
      // The call the kill broke: the next goes to the other server.
      while (!killed)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    saves.push_back({lines[i], from, to, accepted, afterKill});
    ++answered;
  }
  killer.join();

  EXPECT_LE(failedCalls, 1) << "only the call in flight at the kill may fail";
  int acceptedAfter = 0, refusedOrFailed = 0;
  for (const Saved& s : saves) {
    acceptedAfter += s.accepted && s.afterKill;
    refusedOrFailed += !s.accepted;
  }
  EXPECT_GT(acceptedAfter, 0) << "the other server took the client's calls";
  EXPECT_LE(refusedOrFailed, 1);

  auto check = connect(1, login(1, "consulta"));
  const DataPacket end = day(*check);
  for (const Saved& s : saves) {
    const long long now = units(perCapita(end, s.line));
    if (s.accepted) {
      EXPECT_EQ(now, units(s.to)) << "accepted save lost: " << s.line.dish << "/" << s.line.product;
    } else {
      EXPECT_TRUE(now == units(s.to) || now == units(s.from))
          << s.line.dish << "/" << s.line.product << " holds " << now;
    }
  }
}

}  // namespace
