// The exception a remote call raises when it could not be made: the server was unreachable or did
// not answer in time (a transport failure), or it answered with a protocol fault (unknown object
// or method, malformed request, no session). A server's own refusal is never a RemoteError: it is
// an ordinary text result.
#pragma once

#include <stdexcept>
#include <string>

#include "wire/json_rpc.h"

namespace remote {

// The wire's error codes that the client side acts on, under the names the screen knows.
inline constexpr int kRpcMethodNotFound = wire::kMethodNotFound;
inline constexpr int kRpcInvalidParams = wire::kInvalidParams;
inline constexpr int kRpcInternalError = wire::kInternalError;
inline constexpr int kRpcNotAuthenticated = wire::kNotAuthenticated;
inline constexpr int kRpcRequestTooLarge = wire::kRequestTooLarge;

class RemoteError : public std::runtime_error {
 public:
  enum class Kind {
    Transport,  // no answer: refused, unreachable, timed out, connection lost
    Protocol,   // an answer that is a JSON-RPC error, or that cannot be read
  };

  RemoteError(Kind kind, int code, const std::string& message)
      : std::runtime_error(message), kind_(kind), code_(code) {}

  Kind kind() const { return kind_; }
  // The JSON-RPC error code; 0 for transport failures and unreadable answers.
  int code() const { return code_; }

 private:
  Kind kind_;
  int code_;
};

}  // namespace remote
