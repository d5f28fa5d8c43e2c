#include "host/authorization.h"

#include <stdexcept>

namespace host {

bool authorizeOnServer(remote::TNetConnection& connection, int kind, const std::string& actionKey,
                       const std::string& extra) {
  if (!connection.Connected()) connection.open();
  // The server knows the operator from the session; it answers a boolean decision, or a text
  // when it could not decide.
  platform::Variant answer =
      connection.call("Autoriza", static_cast<int32_t>(kind), actionKey, extra);
  if (answer.isText()) throw std::runtime_error(answer.toString());
  if (answer.type() != platform::Variant::Type::Bool)
    throw std::runtime_error("Unexpected answer of the authorisation server: " +
                             answer.debugString());
  return answer.toBool();
}

}  // namespace host
