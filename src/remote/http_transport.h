// The default transport: HTTP/1.1 over TCP with keep-alive.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/server_address.h"
#include "remote/transport.h"

namespace remote {

using platform::ServerAddress;

// Where the host's settings say the server listens: "host", "host:port", "http://host",
// "http://host:port/", "https://host[:port]" (a path after the authority is ignored); a port
// inside the text wins over `port`. Throws RemoteError (Kind::Transport) for an empty host, a
// scheme other than http and https, or a port outside 1..65535.
ServerAddress parseServerUrl(std::string_view hostOrUrl, int port);

// A transport over one kept-alive HTTP (or, for https, TLS) connection, reopened when it was idle
// long enough that the server may have closed it. Thread-safe: concurrent posts are serialised.
// Throws RemoteError as parseServerUrl does.
std::unique_ptr<Transport> makeHttpTransport(const std::string& hostOrUrl, int port,
                                             const TransportOptions& options = {});

}  // namespace remote
