// The operator's session on the application server. The host shell logs in once and every server
// connection sends the same token.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "remote/transport.h"

namespace remote {

class Session {
 public:
  // A session already opened (by login, or handed over by whoever logged in).
  Session(std::string operatorCode, std::string token);

  // POST /login. Returns the new session. Throws RemoteError: Kind::Protocol with
  // kRpcNotAuthenticated and the server's text for a wrong operator or password, Kind::Protocol
  // for any other refusal or an unreadable answer, Kind::Transport when the server cannot be
  // reached.
  static std::shared_ptr<const Session> login(Transport& transport, std::string_view operatorCode,
                                              std::string_view password);
  // The same over a fresh HTTP transport to `hostOrUrl` (see parseServerUrl; `port` 0 takes
  // the URL's port).
  static std::shared_ptr<const Session> login(const std::string& hostOrUrl, int port,
                                              std::string_view operatorCode,
                                              std::string_view password,
                                              const TransportOptions& options = {});

  // POST /logout: ends the session on the server. Throws RemoteError as login does; a session
  // the server already dropped is not an error.
  void logout(Transport& transport) const;

  // The operator as the server knows it (its canonical code), and the bearer token.
  const std::string& operatorCode() const { return operatorCode_; }
  const std::string& token() const { return token_; }
  // The value of the Authorization header: "Bearer <token>".
  std::string authorization() const { return "Bearer " + token_; }

 private:
  std::string operatorCode_;
  std::string token_;
};

}  // namespace remote
