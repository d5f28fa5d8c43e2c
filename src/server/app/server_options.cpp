#include "server/app/server_options.h"

#include "platform/command_line.h"

namespace server {

using platform::UsageError;

namespace {

// Operator administration: its own options, checked apart from serving's.
const std::vector<platform::OptionRule> kAdminRules = {
    {"add-operator"},
    {"set-password"},
    {"deactivate"},
    {"name"},
    {"rights", platform::OptionRule::MaybeEmptyValue}};

void refusePasswordArguments(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--password" || arg.rfind("--password=", 0) == 0) {
      throw UsageError(
          "a password is never taken on the command line (it would show in the process list "
          "and the shell's history): it is read from the terminal or the standard input");
    }
  }
}

void parseAdminOptions(const platform::ParsedOptions& seen, ServerCommandOptions& options) {
  using Action = ServerCommandOptions::AdminAction;
  const std::pair<const char*, Action> actions[] = {{"add-operator", Action::AddOperator},
                                                    {"set-password", Action::SetPassword},
                                                    {"deactivate", Action::Deactivate}};
  for (const auto& [name, action] : actions) {
    const std::string* code = seen.find(name);
    if (code == nullptr) continue;
    if (options.admin != Action::None)
      throw UsageError("--add-operator, --set-password and --deactivate go one at a time");
    options.admin = action;
    options.adminOperator = *code;
  }
  for (const char* name : {"name", "rights"}) {
    if (seen.has(name) && options.admin != Action::AddOperator)
      throw UsageError(std::string("--") + name + " needs --add-operator");
  }
  if (options.admin != Action::None && options.demo)
    throw UsageError("--demo does not go with operator administration");
  if (const std::string* v = seen.find("name")) options.operatorName = *v;
  if (const std::string* v = seen.find("rights")) options.rights = *v;
}

}  // namespace

ServerCommandOptions parseServerOptions(const std::vector<std::string>& args) {
  refusePasswordArguments(args);
  std::vector<platform::OptionRule> rules = {{"db"},
                                             {"scale"},
                                             {"demo-date"},
                                             {"port"},
                                             {"bind"},
                                             {"tls-cert"},
                                             {"tls-key"},
                                             {"call-timeout"},
                                             {"demo", platform::OptionRule::Flag},
                                             {"help", platform::OptionRule::Flag}};
  rules.insert(rules.end(), kAdminRules.begin(), kAdminRules.end());
  const platform::ParsedOptions seen(args, rules);
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
  parseAdminOptions(seen, options);
  return options;
}

std::string serverUsage() {
  return "usage: menucost-server --db FILE|URL [--demo] [--scale N] [--demo-date YYYY-MM-DD]\n"
         "                       [--port N] [--bind ADDRESS] [--tls-cert FILE --tls-key FILE]\n"
         "                       [--call-timeout SECONDS]\n"
         "       menucost-server --db FILE|URL --add-operator OP [--name NAME] [--rights LIST]\n"
         "       menucost-server --db FILE|URL --set-password OP | --deactivate OP\n"
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
         "  --help                   this text\n"
         "\n"
         "Operators (instead of serving; the password is read from the terminal, or from the\n"
         "standard input when it is not one, never from the command line):\n"
         "  --add-operator OP [--name NAME] [--rights LIST]\n"
         "                           add the operator OP; LIST is comma-separated:\n"
         "                           receita-padrao (the standard-recipe rights), KIND:ACTION\n"
         "                           (any right), PARAM or PARAM=S|N (a parameter, e.g. ARRV)\n"
         "  --set-password OP        set the operator's password\n"
         "  --deactivate OP          deactivate the operator; its sessions end at once\n";
}

}  // namespace server
