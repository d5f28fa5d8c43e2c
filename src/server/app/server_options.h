// The command line of `menucost-server`.
#pragma once

#include <string>
#include <vector>

#include "server/app/server_app.h"

namespace server {

struct ServerCommandOptions : ServerOptions {
  bool help = false;
  int port = 8080;
  std::string bindAddress = "127.0.0.1";
  // https with this certificate chain and key (PEM); both or neither.
  std::string tlsCertFile;
  std::string tlsKeyFile;
  // Longest time a call may run before it is answered with a timeout message; 0: the listener's
  // default.
  int callTimeoutSeconds = 0;

  // Operator administration, run instead of serving (see operator_admin.h).
  enum class AdminAction { None, AddOperator, SetPassword, Deactivate };
  AdminAction admin = AdminAction::None;
  std::string adminOperator;  // the operator it acts on
  std::string operatorName;   // --name (with --add-operator); the code when empty
  std::string rights;         // --rights (with --add-operator)
};

// Parses the arguments after the program name. Options take their value as the next argument or
// after '='. Errors: platform::UsageError for an unknown or repeated option, a missing or bad
// value, a missing --db, --scale or --demo-date without --demo, a scale outside 1..1000, a port
// outside 0..65535, --tls-cert without --tls-key or the reverse, or a call timeout outside
// 1..3600. --help alone is enough. Administration: at most one of --add-operator,
// --set-password and --deactivate, not with --demo; --rights and --name only with --add-operator;
// a password on the command line (--password) is refused.
ServerCommandOptions parseServerOptions(const std::vector<std::string>& args);
std::string serverUsage();

}  // namespace server
