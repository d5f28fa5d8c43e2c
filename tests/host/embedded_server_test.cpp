#include "host/embedded_server.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "host/authorization.h"
#include "host/data_dir.h"
#include "host/host_shell.h"
#include "host/operator_session.h"
#include "host/sqlite_query_executor.h"
#include "host/temp_database.h"
#include "platform/date.h"
#include "remote/net_connection.h"

namespace host {
namespace {

using platform::Variant;

const double kDemoDay = platform::encodeDate(2026, 3, 10);

// One demo database for the suite: creating it is the slow part.
class EmbeddedServerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch = new testing::TempDatabase();
    path = (scratch->dir() / "demo.db").string();
    EmbeddedServerOptions options;
    options.databasePath = path;
    options.demoDate = kDemoDay;
    server = new EmbeddedServer(options);
  }
  static void TearDownTestSuite() {
    delete server;
    delete scratch;
  }

  static testing::TempDatabase* scratch;
  static std::string path;
  static EmbeddedServer* server;
};
testing::TempDatabase* EmbeddedServerTest::scratch = nullptr;
std::string EmbeddedServerTest::path;
EmbeddedServer* EmbeddedServerTest::server = nullptr;

TEST_F(EmbeddedServerTest, ServesTheDemoOnALoopbackPort) {
  EXPECT_TRUE(server->demoCreated());
  EXPECT_EQ(server->host(), "127.0.0.1");
  EXPECT_GT(server->port(), 0);
  EXPECT_EQ(server->databasePath(), path);

  OperatorSession session(server->host(), server->port(), kDemoOperator, kDemoPassword);
  EXPECT_EQ(session.operatorCode(), kDemoOperator);
  EXPECT_EQ(remote::TNetConnection::defaultSession(), session.session());
  remote::TNetConnection connection("Rcx00500.rdmAnaCustRevRec");
  connection.Host = server->host();
  connection.Port = server->port();
  Variant params = connection.call("GetParamGeral");
  ASSERT_TRUE(params.isPacket()) << params.debugString();
  EXPECT_GE(params.packet().fieldIndex("QTDIABLOQCAR"), 0);
}

TEST_F(EmbeddedServerTest, ReopeningKeepsTheDatabaseAsItIs) {
  EmbeddedServerOptions options;
  options.databasePath = path;
  EmbeddedServer again(options);
  EXPECT_FALSE(again.demoCreated());
  EXPECT_NE(again.port(), server->port());
}

TEST_F(EmbeddedServerTest, WrongPasswordsAreRefused) {
  EXPECT_THROW(OperatorSession(server->host(), server->port(), kDemoOperator, "errada"),
               remote::RemoteError);
  EXPECT_THROW(OperatorSession(server->host(), server->port(), "ninguem", "x"),
               remote::RemoteError);
}

TEST_F(EmbeddedServerTest, RightsComeFromTheAuthorisationServer) {
  struct Case {
    const char* operatorCode;
    int kind;
    const char* action;
    bool allowed;
  } cases[] = {
      {"analista", 4, "INCLUSAO_PRODUTO_RECEITA_PADRAO", true},
      {"analista", 4, "EXCLUSAO_PRODUTO_RECEITA_PADRAO", true},
      {"analista", 3, "INCLUSAO_PRODUTO_RECEITA_PADRAO", false},
      {"analista", 4, "OUTRA_ACAO", false},
      {"consulta", 4, "INCLUSAO_PRODUTO_RECEITA_PADRAO", false},
      {"filial", 4, "ALTERACAO_PRODUTO_RECEITA_PADRAO", false},
  };
  for (const Case& c : cases) {
    auto session =
        remote::Session::login(server->host(), server->port(), c.operatorCode, c.operatorCode);
    remote::TNetConnection connection("Inv.rdmAutoriza");
    connection.setSession(session);
    connection.OnBeforeConnect = [&](remote::TNetConnection& self) {
      self.Host = server->host();
      self.Port = server->port();
    };
    EXPECT_FALSE(connection.Connected());
    EXPECT_EQ(authorizeOnServer(connection, c.kind, c.action, ""), c.allowed)
        << c.operatorCode << " " << c.action;
    EXPECT_TRUE(connection.Connected());
  }
}

// The direct queries of the screen, against the demo company.
TEST_F(EmbeddedServerTest, ShellServicesOverTheDemoDatabase) {
  SqliteQueryExecutor queries(path);
  ScreenRegistry screens;
  Shell shell({}, queries, screens);
  EXPECT_EQ(shell.DataProc("0001"), kDemoDay);
  EXPECT_EQ(shell.DBPict(0), kDefaultProductPicture);

  platform::DataPacket service = queries.execute(
      "SELECT NMSERVICO FROM SERVICO WHERE CDFILIAL = :P_CDFILIAL AND CDSERVFILI = :P_CDSERVFILI",
      {{"P_CDFILIAL", Variant("0001")}, {"P_CDSERVFILI", Variant("00001")}});
  ASSERT_EQ(service.rows.size(), 1u);
  EXPECT_THAT(service.rows[0][0].toString(), ::testing::HasSubstr("ALMOCO"));
  EXPECT_EQ(service.fields[0].size, 40);

  shell.AtualizaLocalCache(Variant::array({Variant("SINASAFRA")}));
  platform::DataPacket band = queries.execute(
      "SELECT NMSINASAFRA, NRCORSINSAFR FROM SINASAFRA WHERE VRLIMINFSAFR < :P_PERCSAFRA AND "
      "VRLIMSUPSAFR >= :P_PERCSAFRA OR :P_PERCSAFRA = 0 AND VRLIMINFSAFR = :P_PERCSAFRA",
      {{"P_PERCSAFRA", Variant(0.0)}});
  EXPECT_EQ(band.rows.size(), 1u);
  EXPECT_EQ(band.fields[1].type, platform::FieldType::Float);
}

TEST(EmbeddedServerDefault, CreatesTheDemoInTheUsersDataDirectory) {
  testing::TempDatabase scratch;
  const char* old = std::getenv("XDG_DATA_HOME");
  std::string saved = old ? old : "";
  setenv("XDG_DATA_HOME", scratch.dir().c_str(), 1);
  {
    EmbeddedServerOptions options;
    options.demoDate = kDemoDay;
    EmbeddedServer server(options);
    EXPECT_EQ(server.databasePath(), (scratch.dir() / "menucost" / kDemoDatabaseName).string());
    EXPECT_TRUE(server.demoCreated());
  }
  if (old)
    setenv("XDG_DATA_HOME", saved.c_str(), 1);
  else
    unsetenv("XDG_DATA_HOME");
  EXPECT_TRUE(std::filesystem::exists(scratch.dir() / "menucost" / kDemoDatabaseName));
}

}  // namespace
}  // namespace host
