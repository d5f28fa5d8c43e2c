// menucost-server: serves the four remote objects of the recipe cost analysis over HTTP from one
// database (SQLite file or PostgreSQL URL), until SIGINT or SIGTERM.
#include <unistd.h>

#include <chrono>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "server/app/operator_admin.h"
#include "server/app/server_app.h"
#include "server/app/server_options.h"
#include "server/db/open_database.h"
#include "server/rpc/rpc_http_server.h"

int main(int argc, char** argv) {
  server::ServerCommandOptions options;
  try {
    options = server::parseServerOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const platform::UsageError& e) {
    std::cerr << "menucost-server: " << e.what() << " (see menucost-server --help)" << std::endl;
    return 2;
  }
  if (options.help) {
    std::cout << server::serverUsage();
    return 0;
  }
  if (options.admin != server::ServerCommandOptions::AdminAction::None) {
    return server::admin::runOperatorAdmin(
        options, std::cin, isatty(STDIN_FILENO) ? STDIN_FILENO : -1, std::cout, std::cerr);
  }
  try {
    options.onSweepFailure = [](const std::string& reason) {
      std::cerr << "menucost-server: sweeping work tables failed: " << reason << std::endl;
    };
    if (options.callTimeoutSeconds > 0) {
      options.abandonedClaimAge = std::chrono::seconds(options.callTimeoutSeconds + 10);
    }
    server::ServerInstance instance = server::openServer(options);
    if (instance.demoCreated)
      std::cout << "menucost-server: demo company created in "
                << server::db::redactedLocation(options.databasePath) << std::endl;

    server::RpcServerOptions rpc;
    rpc.bindAddress = options.bindAddress;
    rpc.port = options.port;
    rpc.log = server::logTo(std::cout);
    rpc.tlsCertFile = options.tlsCertFile;
    rpc.tlsKeyFile = options.tlsKeyFile;
    if (options.callTimeoutSeconds > 0)
      rpc.callTimeout = std::chrono::seconds(options.callTimeoutSeconds);
    // Logins and kept answers are the database's: any server of it serves any session.
    rpc.sessionIdleTimeout = options.sessionIdleTimeout;
    rpc.sessions = instance.sessions;
    rpc.answers = instance.answers;
    server::RpcHttpServer http(*instance.dispatcher, *instance.authenticator, rpc);
    const int port = http.start();
    std::cout << "menucost-server: serving " << server::db::redactedLocation(options.databasePath)
              << " on " << (http.tls() ? "https://" : "http://") << options.bindAddress << ":"
              << port << std::endl;
    const int signal = server::stopOnSignals(http);
    std::cout << "menucost-server: stopped"
              << (signal ? " by signal " + std::to_string(signal) : "") << std::endl;
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "menucost-server: " << e.what() << std::endl;
    return 1;
  }
}
