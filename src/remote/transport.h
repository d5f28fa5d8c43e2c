// The HTTP exchange under a server connection, behind an interface so tests can script it and the
// desktop can run it on a worker thread while the window keeps painting.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace remote {

struct HttpResponse {
  int status = 0;
  std::string body;
};

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

struct TransportOptions {
  std::chrono::milliseconds connectTimeout = std::chrono::seconds(5);
  // Longest wait for the answer: the month's heavier methods take a while on a large database.
  std::chrono::milliseconds readTimeout = std::chrono::seconds(120);
  std::chrono::milliseconds writeTimeout = std::chrono::seconds(30);
  // https: the PEM file of the certificate authorities trusted for the server's certificate;
  // empty: the process default (setDefaultTlsCaFile), else the system's. Verification is always
  // on.
  std::string tlsCaFile;
};

// The CA file https transports trust when their options name none (the host's --tls-ca).
// Thread-safe.
void setDefaultTlsCaFile(std::string path);
std::string defaultTlsCaFile();

class Transport {
 public:
  virtual ~Transport() = default;

  // Sends one POST of a JSON body to `path` ("/rpc/Inv.rdmAutoriza") and returns the answer,
  // whatever its HTTP status. Throws RemoteError (Kind::Transport) when no answer arrives within
  // the timeouts: refused, unreachable, timed out or cut. Calls may come from any thread; an
  // implementation serialises them if it must.
  virtual HttpResponse post(const std::string& path, const std::string& body,
                            const HttpHeaders& headers) = 0;

  // "host:port", for messages.
  virtual std::string endpoint() const = 0;
};

// Makes the transport of a connection when it opens. Throws RemoteError for an address it cannot
// use.
using TransportFactory = std::function<std::unique_ptr<Transport>(const std::string& host, int port,
                                                                  const TransportOptions& options)>;

}  // namespace remote
