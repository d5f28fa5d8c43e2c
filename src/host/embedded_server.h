// The application server run inside the host process: the server library's remote objects over
// a local database, served on a loopback port that only this process uses.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "server/app/server_app.h"
#include "server/rpc/rpc_http_server.h"

namespace host {

struct EmbeddedServerOptions {
  // The database file; empty: the user's demo database (see demoDatabasePath).
  std::string databasePath;
  // Creates the demo company when the database holds no branch yet.
  bool demo = true;
  // Processing date of the demo company when it is created; today when absent.
  std::optional<double> demoDate;
  // One line per call; null: no log.
  server::LogSink log;
};

class EmbeddedServer {
 public:
  // Opens (creating and migrating as needed) the database and starts serving it on 127.0.0.1, on
  // a free port. Errors: server::db::DbError when the database cannot be opened or migrated;
  // std::runtime_error when no port can be bound or the data directory cannot be found or made.
  explicit EmbeddedServer(EmbeddedServerOptions options = {});
  // Stops serving; calls in flight finish first.
  ~EmbeddedServer();
  EmbeddedServer(const EmbeddedServer&) = delete;
  EmbeddedServer& operator=(const EmbeddedServer&) = delete;

  const std::string& host() const { return host_; }
  int port() const { return port_; }
  const std::string& databasePath() const { return databasePath_; }
  // Whether starting created the demo company.
  bool demoCreated() const { return instance_.demoCreated; }

 private:
  std::string host_ = "127.0.0.1";
  std::string databasePath_;
  server::ServerInstance instance_;
  std::unique_ptr<server::RpcHttpServer> http_;
  int port_ = 0;
};

}  // namespace host
