#include "host/operator_session.h"

#include "remote/http_transport.h"
#include "remote/net_connection.h"

namespace host {

OperatorSession::OperatorSession(const std::string& host, int port, const std::string& operatorCode,
                                 const std::string& password)
    : host_(host),
      port_(port),
      session_(remote::Session::login(host, port, operatorCode, password)),
      previous_(remote::TNetConnection::defaultSession()) {
  remote::TNetConnection::setDefaultSession(session_);
}

OperatorSession::~OperatorSession() {
  remote::TNetConnection::setDefaultSession(previous_);
  try {
    auto transport = remote::makeHttpTransport(host_, port_);
    session_->logout(*transport);
  } catch (...) {
    // The session expires on the server anyway; a failed logout must not end the host.
  }
}

}  // namespace host
