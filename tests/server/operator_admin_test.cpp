// Operator administration as `menucost-server` runs it: the command line, the password from the
// standard input, what lands in the database, and a deactivation ending a live session over the
// wire.
#include "server/app/operator_admin.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <httplib.h>
#include <sstream>

#include "platform/command_line.h"
#include "platform/json.h"
#include "server/app/server_app.h"
#include "server/rpc/rpc_http_server.h"
#include "server_fixture.h"

namespace servertest {
namespace {

using server::ServerCommandOptions;
using ::testing::HasSubstr;
using Action = ServerCommandOptions::AdminAction;
using Args = std::vector<std::string>;

constexpr int kIterations = 20;

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

class OperatorAdminTest : public ::testing::Test {
 protected:
  Outcome run(Args args, const std::string& input) {
    args.insert(args.begin(), {"--db", path_});
    ServerCommandOptions options = server::parseServerOptions(args);
    options.passwordPolicy.iterations = kIterations;
    std::istringstream in(input);
    std::ostringstream out, err;
    const int code = server::admin::runOperatorAdmin(options, in, -1, out, err);
    return {code, out.str(), err.str()};
  }
  std::unique_ptr<server::db::Database> db() { return connectTo(path_); }
  std::optional<std::string> login(const std::string& code, const std::string& password) {
    auto pool =
        std::make_shared<server::db::ConnectionPool>([this] { return connectTo(path_); }, 1);
    server::auth::DbAuthenticator auth(pool, {kIterations, server::auth::kMaxPasswordBytes});
    return auth.authenticate(code, password);
  }

  std::string path_ = tempDatabasePath("admin");
};

TEST_F(OperatorAdminTest, AddSetPasswordAndDeactivate) {
  // A new site: the database is created by the first operator.
  Outcome added = run({"--add-operator", "maria", "--name", "MARIA SILVA", "--rights",
                       "receita-padrao,ARRV,7:CONSULTA_CUSTO,XPTO=N"},
                      "s3nha forte\n");
  ASSERT_EQ(added.code, 0) << added.err;
  EXPECT_THAT(added.out, HasSubstr("operator 'maria' added"));
  EXPECT_EQ(scalar(*db(),
                   "SELECT COUNT(*) FROM OPERADOR WHERE CDOPERADOR = 'maria' AND"
                   " NMOPERADOR = 'MARIA SILVA' AND IDATIVO = 'S'"),
            1);
  EXPECT_EQ(scalar(*db(),
                   "SELECT COUNT(*) FROM OPERDIREITO WHERE CDOPERADOR = 'maria' AND"
                   " NRTIPO = 4 AND CDACAO LIKE '%_PRODUTO_RECEITA_PADRAO'"),
            3);
  EXPECT_EQ(scalar(*db(), "SELECT COUNT(*) FROM OPERDIREITO WHERE NRTIPO = 7"), 1);
  EXPECT_EQ(
      scalar(*db(), "SELECT COUNT(*) FROM OPERPARAM WHERE CDPARAM = 'ARRV' AND IDVALOR = 'S'"), 1);
  EXPECT_EQ(
      scalar(*db(), "SELECT COUNT(*) FROM OPERPARAM WHERE CDPARAM = 'XPTO' AND IDVALOR = 'N'"), 1);
  EXPECT_EQ(login("maria", "s3nha forte"), "maria");

  // Without --rights: an operator with none; the name defaults to the code. A CRLF line end is
  // not part of the password.
  ASSERT_EQ(run({"--add-operator", "joao"}, "outra\r\n").code, 0);
  EXPECT_EQ(scalar(*db(), "SELECT COUNT(*) FROM OPERDIREITO WHERE CDOPERADOR = 'joao'"), 0);
  EXPECT_EQ(login("joao", "outra"), "joao");

  Outcome set = run({"--set-password", "maria"}, "nova senha\n");
  ASSERT_EQ(set.code, 0) << set.err;
  EXPECT_FALSE(login("maria", "s3nha forte"));
  EXPECT_EQ(login("maria", "nova senha"), "maria");

  Outcome off = run({"--deactivate", "maria"}, "");
  ASSERT_EQ(off.code, 0) << off.err;
  EXPECT_FALSE(login("maria", "nova senha"));
  EXPECT_EQ(login("joao", "outra"), "joao");
}

TEST_F(OperatorAdminTest, RefusalsWriteNothing) {
  ASSERT_EQ(run({"--add-operator", "maria"}, "s3nha\n").code, 0);
  struct Case {
    const char* label;
    Args args;
    std::string input;
    const char* reason;
  };
  const Case cases[] = {
      {"an operator that exists", {"--add-operator", "maria"}, "x\n", "already exists"},
      {"no password on the input", {"--add-operator", "ana"}, "", "no password given"},
      {"an empty password", {"--add-operator", "ana"}, "\n", "must not be empty"},
      {"a password the login would refuse",
       {"--add-operator", "ana"},
       std::string(server::auth::kMaxPasswordBytes + 1, 'x') + "\n",
       "longer than 256 bytes"},
      {"a code too long", {"--add-operator", "operador_longo"}, "x\n", "1 to 12 characters"},
      {"a code with a space", {"--add-operator", "ana maria"}, "x\n", "without spaces"},
      {"a bad right", {"--add-operator", "ana", "--rights", "4:minusculas"}, "x\n", "action key"},
      {"password of an unknown operator", {"--set-password", "ninguem"}, "x\n", "unknown operator"},
      {"an empty new password", {"--set-password", "maria"}, "\n", "must not be empty"},
      {"deactivating an unknown operator", {"--deactivate", "ninguem"}, "", "unknown operator"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Outcome r = run(c.args, c.input);
    EXPECT_EQ(r.code, 1);
    EXPECT_THAT(r.err, HasSubstr(c.reason));
  }
  EXPECT_EQ(scalar(*db(), "SELECT COUNT(*) FROM OPERADOR"), 1);
  EXPECT_EQ(login("maria", "s3nha"), "maria");
}

TEST(OperatorAdminOptions, CommandLines) {
  ServerCommandOptions add = server::parseServerOptions(
      {"--db", "d", "--add-operator", "maria", "--name", "MARIA", "--rights", ""});
  EXPECT_EQ(add.admin, Action::AddOperator);
  EXPECT_EQ(add.adminOperator, "maria");
  EXPECT_EQ(add.operatorName, "MARIA");
  EXPECT_EQ(server::parseServerOptions({"--db", "d", "--set-password=maria"}).admin,
            Action::SetPassword);
  EXPECT_EQ(server::parseServerOptions({"--db", "d", "--deactivate", "maria"}).admin,
            Action::Deactivate);
  EXPECT_EQ(server::parseServerOptions({"--db", "d"}).admin, Action::None);

  struct Case {
    Args args;
    const char* message;
  } cases[] = {
      {{"--db", "d", "--add-operator", "m", "--password", "x"}, "never taken on the command line"},
      {{"--db", "d", "--set-password", "m", "--password=x"}, "never taken on the command line"},
      {{"--db", "d", "--add-operator", "m", "--deactivate", "m"}, "one at a time"},
      {{"--db", "d", "--set-password", "m", "--rights", "ARRV"}, "--rights needs --add-operator"},
      {{"--db", "d", "--name", "M"}, "--name needs --add-operator"},
      {{"--db", "d", "--demo", "--add-operator", "m"}, "--demo does not go with"},
      {{"--add-operator", "m"}, "--db is required"},
  };
  for (const Case& c : cases) {
    try {
      server::parseServerOptions(c.args);
      ADD_FAILURE() << "accepted: " << ::testing::PrintToString(c.args);
    } catch (const platform::UsageError& e) {
      EXPECT_THAT(e.what(), HasSubstr(c.message)) << ::testing::PrintToString(c.args);
    }
  }
}

TEST(OperatorAdminRights, Lists) {
  using server::admin::parseRights;
  auto rights = parseRights(" receita-padrao , 12:ACAO_X ,ARRV,FLAG=N");
  EXPECT_EQ(rights.actions.size(), 4u);
  EXPECT_EQ(rights.actions.back(), (std::pair<int, std::string>{12, "ACAO_X"}));
  EXPECT_EQ(rights.params,
            (std::vector<std::pair<std::string, bool>>{{"ARRV", true}, {"FLAG", false}}));
  EXPECT_TRUE(parseRights("").actions.empty());
  for (const char* bad : {"receita", ":ACAO", "x:ACAO", "4:", "ARRV=talvez", "ARRV,", "a b"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(parseRights(bad), platform::UsageError);
  }
}

// A live session over the wire ends at its next call once the operator is deactivated.
TEST_F(OperatorAdminTest, DeactivationEndsALiveSession) {
  ASSERT_EQ(run({"--add-operator", "maria", "--rights", "receita-padrao"}, "s3nha\n").code, 0);
  server::ServerOptions options;
  options.databasePath = path_;
  options.passwordPolicy.iterations = kIterations;
  server::ServerInstance instance = server::openServer(options);
  server::RpcHttpServer http(*instance.dispatcher, *instance.authenticator);
  httplib::Client client("127.0.0.1", http.start());

  auto login =
      client.Post("/login", R"({"operator":"maria","password":"s3nha"})", "application/json");
  ASSERT_TRUE(login);
  ASSERT_EQ(login->status, 200) << login->body;
  const std::string token = platform::json::parse(login->body).find("token")->asString();
  const httplib::Headers bearer{{"Authorization", "Bearer " + token}};
  const std::string autoriza =
      R"({"jsonrpc":"2.0","id":1,"method":"Autoriza","params":[4,"ALTERACAO_PRODUTO_RECEITA_PADRAO",""]})";
  auto before = client.Post("/rpc/Inv.rdmAutoriza", bearer, autoriza, "application/json");
  ASSERT_TRUE(before);
  EXPECT_EQ(before->status, 200);
  EXPECT_THAT(before->body, HasSubstr("\"result\":true"));

  ASSERT_EQ(run({"--deactivate", "maria"}, "").code, 0);
  auto after = client.Post("/rpc/Inv.rdmAutoriza", bearer, autoriza, "application/json");
  ASSERT_TRUE(after);
  EXPECT_EQ(after->status, 401);
  EXPECT_EQ(http.sessionCount(), 0u);
}

}  // namespace
}  // namespace servertest
