#include "host/embedded_server.h"

#include "host/data_dir.h"

namespace host {

EmbeddedServer::EmbeddedServer(EmbeddedServerOptions options)
    : databasePath_(options.databasePath.empty() ? demoDatabasePath().string()
                                                 : options.databasePath) {
  server::ServerOptions serverOptions;
  serverOptions.databasePath = databasePath_;
  serverOptions.demo = options.demo;
  serverOptions.demoDate = options.demoDate;
  // One user: a few connections are plenty.
  serverOptions.maxConnections = 2;
  instance_ = server::openServer(serverOptions);

  server::RpcServerOptions rpc;
  rpc.bindAddress = host_;
  rpc.port = 0;
  // Each worker serves one kept-alive connection at a time, and a screen holds one per remote
  // object it uses: the default leaves room for them all.
  rpc.log = std::move(options.log);
  http_ =
      std::make_unique<server::RpcHttpServer>(*instance_.dispatcher, *instance_.authenticator, rpc);
  port_ = http_->start();
}

EmbeddedServer::~EmbeddedServer() {
  http_->stop();
}

}  // namespace host
