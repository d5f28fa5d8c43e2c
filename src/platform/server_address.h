// Where an application server listens. The command line and the host's settings each read one
// from their own text forms (platform::parseServerAddress, remote::parseServerUrl).
#pragma once

#include <string>

namespace platform {

struct ServerAddress {
  std::string host;
  int port = 0;
  bool tls = false;  // https

  // "https://host:port" or "http://host:port": the form remote::parseServerUrl reads back.
  std::string url() const { return (tls ? "https://" : "http://") + text(); }

  std::string text() const { return host + ":" + std::to_string(port); }  // "host:port"
  bool operator==(const ServerAddress&) const = default;
};

}  // namespace platform
