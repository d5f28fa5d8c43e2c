// What the wire needs from the application server: a way to call a method of a named remote
// object on behalf of a logged-in operator, and a way to check an operator's password.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant.h"

namespace server {

// JSON-RPC 2.0 error codes used on the wire.
enum RpcErrorCode : int {
  kParseError = -32700,
  kInvalidRequest = -32600,
  kMethodNotFound = -32601,  // unknown object or method
  kInvalidParams = -32602,   // wrong number or kind of arguments
  kInternalError = -32603,
  kNotAuthenticated = -32001,  // missing, unknown or expired session token
  kRequestTooLarge = -32002,
};

// A protocol fault: the call could not be made at all. A server's own refusal (a contract error)
// is not a fault: it is an ordinary text result.
class RpcFault : public std::runtime_error {
 public:
  RpcFault(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

struct CallContext {
  std::string operatorCode;  // the logged-in operator making the call
};

class Dispatcher {
 public:
  virtual ~Dispatcher() = default;
  // Calls `method` of the remote object `object` ("Rcx00500.rdmAnaCustRevRec") with `params` in
  // the contract's order. Returns the contract's result. Throws RpcFault for an unknown object or
  // method (kMethodNotFound) or unusable arguments (kInvalidParams). Safe to call from several
  // threads at once.
  virtual platform::Variant call(const CallContext& context, std::string_view object,
                                 std::string_view method,
                                 const std::vector<platform::Variant>& params) = 0;
};

class Authenticator {
 public:
  virtual ~Authenticator() = default;
  // The operator's code when the password matches an active operator, else nullopt. Safe to call
  // from several threads at once.
  virtual std::optional<std::string> authenticate(std::string_view operatorCode,
                                                  std::string_view password) = 0;
};

}  // namespace server
