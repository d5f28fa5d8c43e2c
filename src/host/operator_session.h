// The operator's session: the host logs in once and every server connection of the screens it
// opens calls under that session.
#pragma once

#include <memory>
#include <string>

#include "remote/session.h"

namespace host {

// The demo company's operator with every right (see the demo data).
inline constexpr const char* kDemoOperator = "analista";
inline constexpr const char* kDemoPassword = "analista";

// Logs `operatorCode` in on the server at host:port and makes the session the default of every
// connection, until the object is destroyed, when it logs out and puts the previous default back.
// Errors: remote::RemoteError as remote::Session::login raises it (wrong operator or password,
// server unreachable).
class OperatorSession {
 public:
  OperatorSession(const std::string& host, int port, const std::string& operatorCode,
                  const std::string& password);
  ~OperatorSession();
  OperatorSession(const OperatorSession&) = delete;
  OperatorSession& operator=(const OperatorSession&) = delete;

  // The operator as the server knows it.
  const std::string& operatorCode() const { return session_->operatorCode(); }
  const std::shared_ptr<const remote::Session>& session() const { return session_; }

 private:
  std::string host_;
  int port_;
  std::shared_ptr<const remote::Session> session_;
  std::shared_ptr<const remote::Session> previous_;
};

}  // namespace host
