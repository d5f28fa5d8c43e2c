#include "host/shell_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/temp_database.h"
#include "platform/date.h"
#include "remote/net_connection.h"

namespace host {
namespace {

using platform::Variant;
using ::testing::HasSubstr;

const double kDemoDay = platform::encodeDate(2026, 3, 10);

// One demo database for the suite, served as a site's server would serve it.
class ShellSessionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch = new testing::TempDatabase();
    EmbeddedServerOptions options;
    options.databasePath = (scratch->dir() / "demo.db").string();
    options.demoDate = kDemoDay;
    site = new EmbeddedServer(options);
  }
  static void TearDownTestSuite() {
    delete site;
    delete scratch;
  }

  static SessionOptions siteOptions(const std::string& operatorCode, const std::string& password) {
    SessionOptions options;
    options.server = ServerAddress{"127.0.0.1", site->port()};
    options.operatorCode = operatorCode;
    options.password = password;
    options.database = site->databasePath();
    options.branch = "0001";
    options.service = "00001";
    options.year = 2026;
    options.month = 3;
    return options;
  }

  static testing::TempDatabase* scratch;
  static EmbeddedServer* site;
};
testing::TempDatabase* ShellSessionTest::scratch = nullptr;
EmbeddedServer* ShellSessionTest::site = nullptr;

TEST_F(ShellSessionTest, OnAGivenServerTheOperatorIsLoggedInForTheScreensLifetime) {
  const SessionOptions options = siteOptions("filial", "filial");
  const auto before = remote::TNetConnection::defaultSession();
  {
    ShellSession session(options);
    EXPECT_FALSE(session.demoCreated());
    EXPECT_EQ(session.databasePath(), site->databasePath());
    EXPECT_EQ(session.serverPort(), site->port());
    EXPECT_EQ(session.shell().WebURL(), "127.0.0.1");
    EXPECT_EQ(session.shell().WebPort(), site->port());
    EXPECT_EQ(session.shell().Operador(), "filial");
    ASSERT_NE(remote::TNetConnection::defaultSession(), nullptr);
    EXPECT_EQ(remote::TNetConnection::defaultSession()->operatorCode(), "filial");
    // The direct queries read the suite's database.
    EXPECT_GT(session.shell().DataProc("0001"), 0);

    std::vector<Variant> entered;
    session.enterScreen([&](const Variant& params) { entered.push_back(params); });
    ASSERT_EQ(entered.size(), 1u);
    EXPECT_EQ(entered[0], openingValues(options));
  }
  EXPECT_EQ(remote::TNetConnection::defaultSession(), before);
}

TEST_F(ShellSessionTest, WithoutAServerItStartsTheEmbeddedOneAndLogsTheDemoOperatorIn) {
  SessionOptions options = siteOptions("", "");
  options.server.reset();
  int started = 0;
  ShellSession::Startup startup;
  startup.serverLog = [](std::string_view) {};
  startup.startServer = [&](const EmbeddedServerOptions& serverOptions) {
    ++started;
    EXPECT_EQ(serverOptions.databasePath, site->databasePath());
    EXPECT_TRUE(static_cast<bool>(serverOptions.log));
    return std::make_unique<EmbeddedServer>(serverOptions);
  };
  ShellSession session(options, std::move(startup));
  EXPECT_EQ(started, 1);
  EXPECT_FALSE(session.demoCreated());
  EXPECT_EQ(session.serverHost(), "127.0.0.1");
  EXPECT_NE(session.serverPort(), site->port());
  EXPECT_EQ(session.shell().Operador(), kDemoOperator);
  EXPECT_EQ(session.shell().WebPort(), session.serverPort());
}

TEST_F(ShellSessionTest, AFailedStartLeavesNoSessionBehind) {
  struct Case {
    const char* name;
    std::function<void(SessionOptions&)> change;
    const char* message;
  } cases[] = {
      {"wrong password", [](SessionOptions& o) { o.password = "x"; }, "senha"},
      {"no server", [](SessionOptions& o) { o.server->port = 1; }, "127.0.0.1:1"},
      {"no database", [](SessionOptions& o) { o.database = (scratch->dir() / "none.db").string(); },
       "none.db"},
  };
  const auto before = remote::TNetConnection::defaultSession();
  for (Case& c : cases) {
    SessionOptions options = siteOptions(kDemoOperator, kDemoPassword);
    c.change(options);
    try {
      ShellSession session(options);
      ADD_FAILURE() << c.name << ": opened";
    } catch (const std::exception& e) {
      EXPECT_THAT(e.what(), HasSubstr(c.message)) << c.name;
    }
    EXPECT_EQ(remote::TNetConnection::defaultSession(), before) << c.name;
  }
}

}  // namespace
}  // namespace host
