#include "host/shell_session.h"

#include "host/data_dir.h"
#include "host/screen_module.h"
#include "platform/date.h"
#include "remote/transport.h"

namespace host {

platform::Variant openingValues(const SessionOptions& options) {
  using platform::Variant;
  const double first = platform::encodeDate(options.year, options.month, 1);
  return Variant::array({Variant(options.costBranch), Variant(options.branch),
                         Variant(options.service), Variant(static_cast<int32_t>(options.costMode)),
                         Variant(static_cast<int32_t>(options.calcMode)), Variant::date(first),
                         Variant::date(options.fixedCostDate.value_or(first)),
                         Variant(options.fixedCostDate.has_value())});
}

ShellSession::ShellSession(const SessionOptions& options, Startup startup)
    : options_(options),
      databasePath_(options.database.empty() ? demoDatabasePath().string() : options.database) {
  if (options.server) {
    // The scheme travels in the host text: the screen's connections read it back from there.
    host_ = options.server->tls ? "https://" + options.server->host : options.server->host;
    port_ = options.server->port;
    if (!options.tlsCaFile.empty()) remote::setDefaultTlsCaFile(options.tlsCaFile);
  } else {
    EmbeddedServerOptions serverOptions;
    serverOptions.databasePath = databasePath_;
    serverOptions.log = std::move(startup.serverLog);
    embedded_ = startup.startServer ? startup.startServer(serverOptions)
                                    : std::make_unique<EmbeddedServer>(serverOptions);
    host_ = embedded_->host();
    port_ = embedded_->port();
  }
  const bool demoOperator = options.operatorCode.empty();
  operator_ = std::make_unique<OperatorSession>(host_, port_,
                                                demoOperator ? kDemoOperator : options.operatorCode,
                                                demoOperator ? kDemoPassword : options.password);
  queries_ = openDirectQueries(databasePath_);
  ShellSettings settings;
  settings.webUrl = host_;
  settings.webPort = port_;
  settings.operatorCode = operator_->operatorCode();
  shell_ = std::make_unique<Shell>(settings, *queries_, screens_);
}

// Out of line: the members go in reverse order, the operator logging out before the embedded
// server stops.
ShellSession::~ShellSession() = default;

void ShellSession::enterScreen(const ScreenEntry& entry) {
  const platform::Variant params = openingValues(options_);
  if (entry) {
    entry(params);
    return;
  }
  ScreenModule(kCostScreenCode).iniProc(params);
}

}  // namespace host
