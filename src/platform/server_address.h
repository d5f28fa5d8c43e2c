// Where an application server listens. The command line and the host's settings each read one
// from their own text forms (platform::parseServerAddress, remote::parseServerUrl).
#pragma once

#include <string>

namespace platform {

struct ServerAddress {
  std::string host;
  int port = 0;

  std::string text() const { return host + ":" + std::to_string(port); }  // "host:port"
  bool operator==(const ServerAddress&) const = default;
};

}  // namespace platform
