// The dispatcher the wire calls: routing, protocol faults, database failures as text, threads,
// and the server's opening (migrations, demo on an empty database, logins).
#include <gtest/gtest.h>

#include <thread>

#include "platform/data_packet.h"
#include "platform/date.h"
#include "server/app/server_app.h"
#include "server/dispatch/server_dispatcher.h"
#include "server/schema/migrations.h"
#include "server_fixture.h"

namespace servertest {
namespace {

using platform::Variant;
using server::CallContext;
using server::RpcFault;

class DispatcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = tempDatabasePath("dispatcher");
    {
      auto db = connectTo(path_, server::db::OpenMode::Create);
      server::schema::migrate(*db, 1);
      loadSmallFixture(*db);
    }
    std::string path = path_;
    pool_ = std::make_shared<server::db::ConnectionPool>([path] { return connectTo(path); }, 4);
    dispatcher_ = std::make_unique<server::ServerDispatcher>(pool_, testEnvironment(clock_));
  }
  int faultOf(std::string_view object, std::string_view method, std::vector<Variant> params) {
    try {
      dispatcher_->call(CallContext{"analista"}, object, method, params);
    } catch (const RpcFault& f) {
      return f.code();
    }
    return 0;
  }

  std::string path_;
  TestClock clock_;
  std::shared_ptr<server::db::ConnectionPool> pool_;
  std::unique_ptr<server::ServerDispatcher> dispatcher_;
};

TEST_F(DispatcherTest, ProtocolFaults) {
  struct Case {
    const char* label;
    const char* object;
    const char* method;
    std::vector<Variant> params;
    int code;
  };
  const Case cases[] = {
      {"unknown object", "Rcx99999.rdmNada", "GetParams", {"0001"}, server::kMethodNotFound},
      {"unknown method", "Rcx00500.rdmAnaCustRevRec", "GetNada", {}, server::kMethodNotFound},
      {"method of another object",
       "Rcx00502.rdmInfPrato",
       "GetParams",
       {"0001"},
       server::kMethodNotFound},
      {"too few arguments", "Rcx00500.rdmAnaCustRevRec", "GetParams", {}, server::kInvalidParams},
      {"too many arguments",
       "Rcx00500.rdmAnaCustRevRec",
       "GetParamGeral",
       {1},
       server::kInvalidParams},
      {"a date that is not a date",
       "Rcx00500.rdmAnaCustRevRec",
       "GetCardapio",
       {"0001", "00001", "amanhã"},
       server::kInvalidParams},
      {"an integer that is not one",
       "Rcx00500.rdmAnaCustRevRec",
       "GetProduto",
       {"0001", "00001", Variant::date(46097), "seis", false, Variant::date(46097),
        Variant::date(46082), ""},
       server::kInvalidParams},
      {"a packet that is not one",
       "Rcx00500.rdmAnaCustRevRec",
       "GravaReceita",
       {"x", "y", "0001", "00001", Variant::date(46097), 6, false, Variant::date(46097), "4", "P",
        "P", "1001", Variant::date(46082), ""},
       server::kInvalidParams},
      {"an array where a text goes",
       "Rcx00500.rdmAnaCustRevRec",
       "GetParams",
       {Variant::array({1, 2})},
       server::kInvalidParams},
      {"a date out of the calendar",
       "Rcx00500.rdmAnaCustRevRec",
       "GetCardapio",
       {"0001", "00001", 1e12},
       server::kInvalidParams},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(faultOf(c.object, c.method, c.params), c.code);
  }
}

TEST_F(DispatcherTest, RoutesToEachObject) {
  CallContext analista{"analista"};
  EXPECT_TRUE(
      dispatcher_->call(analista, "Rcx00500.rdmAnaCustRevRec", "GetParams", {"0001"}).isArray());
  EXPECT_EQ(dispatcher_->call(analista, "Inv.rdmAutoriza", "Autoriza",
                              {4, "EXCLUSAO_PRODUTO_RECEITA_PADRAO", ""}),
            Variant(true));
  EXPECT_TRUE(
      dispatcher_->call(analista, "Rcx00502.rdmInfPrato", "PesqProdOpc", {"02.01.001.0001", "4"})
          .isPacket());
  EXPECT_EQ(dispatcher_->call(analista, "Rcx00503.rdmReceitaPadrao", "GetParamGrup",
                              {"analista", "ARRV"}),
            Variant(1));
}

TEST_F(DispatcherTest, DatabaseFailuresAnswerAsText) {
  {
    auto db = connectTo(path_);
    db->exec("DROP TABLE CARDAPIO");
  }
  Variant r = dispatcher_->call(CallContext{"analista"}, "Rcx00500.rdmAnaCustRevRec", "GetCardapio",
                                {"0001", "00001", Variant::date(46082)});
  ASSERT_TRUE(r.isText());
  EXPECT_EQ(r.toString().rfind("Erro no banco de dados: ", 0), 0u) << r.toString();
}

TEST_F(DispatcherTest, CallsFromSeveralThreadsAtOnce) {
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 10; ++i) {
        // An operator per call: none of them reaches the bound on work tables held.
        CallContext ctx{"op" + std::to_string(t) + "." + std::to_string(i)};
        Variant month =
            dispatcher_->call(ctx, "Rcx00500.rdmAnaCustRevRec", "GetTrabCusto",
                              {"0001", "00001", Variant::date(46082), Variant::date(46112), 6,
                               "analista", false, Variant::date(0.0), "", false});
        if (!month.isArray()) ++failures;
        if (t % 2 == 0) {
          Variant del = dispatcher_->call(ctx, "Rcx00500.rdmAnaCustRevRec", "DelConsplan",
                                          {month[0], "0001"});
          if (del != Variant("")) ++failures;
        }
      }
    });
  }
  for (auto& t : threads)
    t.join();
  EXPECT_EQ(failures.load(), 0);
  // The even threads released their 30 work tables; the odd ones left theirs.
  EXPECT_EQ(scalar(*pool_->acquire(), "SELECT COUNT(*) FROM CONSPLANCHAVE"), 30);
}

TEST(ServerAppTest, OpensMigratesCreatesTheDemoOnceAndLogsIn) {
  server::ServerOptions options;
  options.databasePath = tempDatabasePath("app");
  options.demo = true;
  options.demoDate = platform::encodeDate(2026, 3, 18);
  auto first = server::openServer(options);
  EXPECT_TRUE(first.demoCreated);
  struct Login {
    const char* op;
    const char* password;
    bool ok;
  };
  for (const auto& l : {Login{"analista", "analista", true}, Login{"filial", "filial", true},
                        Login{"consulta", "consulta", true}, Login{"analista", "filial", false},
                        Login{"ninguem", "ninguem", false}}) {
    SCOPED_TRACE(l.op + std::string("/") + l.password);
    EXPECT_EQ(first.authenticator->authenticate(l.op, l.password).has_value(), l.ok);
  }
  Variant params = first.dispatcher->call(CallContext{"analista"}, "Rcx00500.rdmAnaCustRevRec",
                                          "GetParams", {"0001"});
  EXPECT_TRUE(params.isArray());

  // Opening again keeps the data and creates nothing.
  auto second = server::openServer(options);
  EXPECT_FALSE(second.demoCreated);
  auto ro = server::openReadOnly(options.databasePath);
  EXPECT_EQ(scalar(*ro, "SELECT COUNT(*) FROM FILIAL"), 2);
  EXPECT_THROW(ro->exec("DELETE FROM FILIAL"), server::db::DbError);
  options.scale = 0;
  EXPECT_THROW(server::openServer(options), std::invalid_argument);
}

}  // namespace
}  // namespace servertest
