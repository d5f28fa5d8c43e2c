#include "remote/rpc_message.h"

#include <string>

#include "remote/remote_error.h"

namespace remote {

CallAnswer decodeAnswer(std::string_view body, int64_t expectedId, int status,
                        std::string_view endpoint) {
  try {
    return wire::decodeAnswer(body, expectedId);
  } catch (const wire::UnreadableAnswer& e) {
    throw RemoteError(RemoteError::Kind::Protocol, 0,
                      "Resposta inválida do servidor de aplicação em " + std::string(endpoint) +
                          " (HTTP " + std::to_string(status) + ": " + e.what() + ")");
  }
}

}  // namespace remote
