#include "server/app/server_options.h"

#include "platform/command_line.h"

namespace server {

using platform::UsageError;

ServerCommandOptions parseServerOptions(const std::vector<std::string>& args) {
  const platform::ParsedOptions seen(args, {{"db"},
                                            {"scale"},
                                            {"demo-date"},
                                            {"port"},
                                            {"bind"},
                                            {"tls-cert"},
                                            {"tls-key"},
                                            {"call-timeout"},
                                            {"demo", platform::OptionRule::Flag},
                                            {"help", platform::OptionRule::Flag}});
  ServerCommandOptions options;
  if (seen.has("help")) {
    options.help = true;
    return options;
  }
  options.databasePath = seen.required("db");
  options.demo = seen.has("demo");
  if (const std::string* v = seen.find("scale")) {
    if (!options.demo) throw UsageError("--scale needs --demo");
    options.scale = platform::parseWholeNumber("scale", *v, 1, 1000);
  }
  if (const std::string* v = seen.find("demo-date")) {
    if (!options.demo) throw UsageError("--demo-date needs --demo");
    options.demoDate = platform::parseIsoDay("demo-date", *v);
  }
  if (const std::string* v = seen.find("port"))
    options.port = platform::parseWholeNumber("port", *v, 0, 65535);
  if (const std::string* v = seen.find("bind")) options.bindAddress = *v;
  if (const std::string* v = seen.find("tls-cert")) options.tlsCertFile = *v;
  if (const std::string* v = seen.find("tls-key")) options.tlsKeyFile = *v;
  if (options.tlsCertFile.empty() != options.tlsKeyFile.empty())
    throw UsageError("--tls-cert and --tls-key go together");
  if (const std::string* v = seen.find("call-timeout"))
    options.callTimeoutSeconds = platform::parseWholeNumber("call-timeout", *v, 1, 3600);
  return options;
}

std::string serverUsage() {
  return "usage: menucost-server --db FILE|URL [--demo] [--scale N] [--demo-date YYYY-MM-DD]\n"
         "                       [--port N] [--bind ADDRESS] [--tls-cert FILE --tls-key FILE]\n"
         "                       [--call-timeout SECONDS]\n"
         "Serves the menucost remote objects over HTTP from the database, created (a FILE) and\n"
         "upgraded as needed.\n"
         "\n"
         "  --db FILE                the SQLite database file\n"
         "  --db URL                 a PostgreSQL database, postgresql://user@host/name\n"
         "  --demo                   create the demo company when FILE is new (holds no branch)\n"
         "  --scale N                multiply the demo's branches and history (with --demo)\n"
         "  --demo-date YYYY-MM-DD   the demo's processing date (default: today)\n"
         "  --port N                 port to listen on (default 8080; 0: any free port)\n"
         "  --bind ADDRESS           address to listen on (default 127.0.0.1)\n"
         "  --tls-cert FILE          serve https with this certificate chain (PEM)\n"
         "  --tls-key FILE           the certificate's private key (PEM)\n"
         "  --call-timeout SECONDS   answer a call still running after SECONDS with a timeout\n"
         "                           message (default 100)\n"
         "  --help                   this text\n";
}

}  // namespace server
