// The shell session both faces of the host open the screen through, the window and
// `menucost report`: the application server (the embedded one over the user's demo database, or
// the one given), the logged-in operator, the direct queries over the suite's database, the host
// shell's services, and the screen module entered with its eight opening values.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "host/cli_options.h"
#include "host/direct_queries.h"
#include "host/embedded_server.h"
#include "host/host_shell.h"
#include "host/operator_session.h"
#include "host/screen_registry.h"
#include "platform/variant.h"

namespace host {

// The code of the cost analysis screen's module.
inline constexpr const char* kCostScreenCode = "RCX00500";

// The eight opening values of the cost analysis screen: cost branch, branch, service, cost mode,
// calc mode, the month's first day, the fixed cost date (the month's first day when none) and
// whether it is used. REQUIRES: year and month set.
platform::Variant openingValues(const SessionOptions& options);

// How a session enters a screen: by default the module of kCostScreenCode, loaded by its code.
using ScreenEntry = std::function<void(const platform::Variant& params)>;

// Starts the embedded server; by default on the calling thread.
using ServerStarter =
    std::function<std::unique_ptr<EmbeddedServer>(const EmbeddedServerOptions& options)>;

class ShellSession {
 public:
  struct Startup {
    server::LogSink serverLog;  // the embedded server's call log; null: none
    ServerStarter startServer;  // null: EmbeddedServer constructed here
  };

  // Starts the embedded server over options.database (the user's demo database when empty,
  // created with the demo company when new) unless options.server is given, logs the operator in
  // (the demo operator when none is given), opens the database for the direct queries and sets
  // up the host shell's services with the server's address and the operator.
  // Errors: what EmbeddedServer, OperatorSession and openDirectQueries raise (server or
  // database unusable, operator refused, server unreachable).
  explicit ShellSession(const SessionOptions& options, Startup startup = {});
  ShellSession(const ShellSession&) = delete;
  ShellSession& operator=(const ShellSession&) = delete;
  ~ShellSession();

  const std::string& databasePath() const { return databasePath_; }
  // Whether starting the embedded server created the demo company.
  bool demoCreated() const { return embedded_ && embedded_->demoCreated(); }
  const std::string& serverHost() const { return host_; }
  int serverPort() const { return port_; }

  Shell& shell() { return *shell_; }
  DirectQueries& queries() { return *queries_; }
  // The sibling screens the screen may open; empty until the host registers its own.
  ScreenRegistry& screens() { return screens_; }

  // Enters the screen with the opening values of the options through `entry` (by default the
  // cost analysis screen's module, loaded by code); returns when the screen has closed.
  // Errors: "Tela RCX00500 não disponível." when the module cannot be loaded; whatever the screen
  // raises.
  void enterScreen(const ScreenEntry& entry = {});

 private:
  SessionOptions options_;
  std::string databasePath_;
  std::unique_ptr<EmbeddedServer> embedded_;
  std::string host_;
  int port_ = 0;
  std::unique_ptr<OperatorSession> operator_;
  std::unique_ptr<DirectQueries> queries_;
  ScreenRegistry screens_;
  std::unique_ptr<Shell> shell_;
};

}  // namespace host
