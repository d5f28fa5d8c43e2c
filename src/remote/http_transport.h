// The default transport: HTTP/1.1 over TCP with keep-alive.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "remote/transport.h"

namespace remote {

// Where a server listens. Accepts "host", "host:port", "http://host", "http://host:port/" (a path
// after the authority is ignored); a port inside the text wins over `port`.
struct ServerAddress {
  std::string host;
  int port = 0;

  // Throws RemoteError (Kind::Transport) for an empty host, a scheme other than http, or a port
  // outside 1..65535.
  static ServerAddress parse(std::string_view hostOrUrl, int port);
  std::string text() const;  // "host:port"
};

// A transport over one kept-alive HTTP connection, reopened when it was idle long enough that the
// server may have closed it. Thread-safe: concurrent posts are serialised.
// Throws RemoteError as ServerAddress::parse does.
std::unique_ptr<Transport> makeHttpTransport(const std::string& hostOrUrl, int port,
                                             const TransportOptions& options = {});

}  // namespace remote
