#include "e2e_fixture.h"

#include <filesystem>
#include <random>

#include "remote/session.h"
#include "screen/connections.h"
#include "server/app/server_app.h"
#include "server/rpc/rpc_http_server.h"
#include "server/server_fixture.h"

namespace e2e {

using platform::Variant;

class DemoServer {
 public:
  DemoServer() {
    std::random_device random;
    dir = std::filesystem::temp_directory_path() /
          ("menucost-e2e-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(dir);
    // On PostgreSQL, an empty database of the test cluster that the server fills.
    path =
        servertest::onPostgres() ? servertest::tempDatabasePath("e2e") : (dir / "demo.db").string();
    server::ServerOptions options;
    options.databasePath = path;
    options.demo = true;
    options.demoDate = kDemoDay;
    instance = server::openServer(options);
    http = std::make_unique<server::RpcHttpServer>(*instance.dispatcher, *instance.authenticator);
    port = http->start();
    session = remote::Session::login("127.0.0.1", port, "analista", "analista");
    remote::TNetConnection::setDefaultSession(session);
    queries = host::openDirectQueries(path);
  }
  ~DemoServer() {
    queries.reset();
    http->stop();
    http.reset();
    instance = {};
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }

  std::filesystem::path dir;
  std::string path;
  server::ServerInstance instance;
  std::unique_ptr<server::RpcHttpServer> http;
  int port = 0;
  std::shared_ptr<const remote::Session> session;
  std::unique_ptr<host::DirectQueries> queries;
};

DemoServer* E2ETest::demo_ = nullptr;

void E2ETest::SetUpTestSuite() {
  if (demo_ == nullptr) demo_ = new DemoServer();
}

void E2ETest::TearDownTestSuite() {
  delete demo_;
  demo_ = nullptr;
}

void E2ETest::SetUp() {
  registry = std::make_unique<host::ScreenRegistry>();
  host::ShellSettings settings;
  settings.webUrl = "127.0.0.1";
  settings.webPort = demo_->port;
  settings.operatorCode = "analista";
  shell = std::make_unique<host::Shell>(settings, *demo_->queries, *registry);
  host = std::make_unique<screentest::TestHost>(*shell, *demo_->queries);
  screen::setConnectionFactory([calls = log](const std::string& serverName) {
    return std::make_unique<screentest::CountingConnection>(serverName, calls);
  });
}

void E2ETest::TearDown() {
  screen::setConnectionFactory({});
  host.reset();
  shell.reset();
}

std::vector<std::string> E2ETest::open(screentest::ScriptedModal::Steps steps,
                                       const std::string& branch, int costMode,
                                       const std::string& service) {
  host->modal.steps = std::move(steps);
  IniProc(screentest::openingParams("", branch, service, costMode, 1, kDemoDay));
  return host->modal.errors;
}

Variant E2ETest::call(const std::string& method, std::vector<Variant> params) {
  remote::TNetConnection connection("Rcx00500.rdmAnaCustRevRec");
  connection.ThrowException = false;
  connection.OnBeforeConnect = [](remote::TNetConnection& c) {
    c.Host = "127.0.0.1";
    c.Port = demo_->port;
  };
  return connection.call(method, params);
}

Variant E2ETest::scalar(const std::string& sql) {
  const platform::DataPacket rows = demo_->queries->execute(sql, {});
  return rows.rows.empty() ? Variant::null() : rows.rows[0][0];
}

Variant E2ETest::aprilCosts(const std::string& branch, const std::string& service, int costMode) {
  const Variant result =
      call("GetTrabCusto", {Variant(branch), Variant(service), Variant::date(kApril1),
                            Variant::date(kApril1 + 29), Variant(costMode), Variant("analista"),
                            Variant(false), Variant::date(0), Variant(""), Variant(false)});
  call("DelConsplan", {result[0], Variant(branch)});
  return result;
}

double num(const platform::DataPacket& packet, size_t row, const std::string& field) {
  return packet.value(row, field).toDouble();
}

}  // namespace e2e
