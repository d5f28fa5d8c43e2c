// What the wire needs from the application server: a way to call a method of a named remote
// object on behalf of a logged-in operator, and a way to check an operator's password.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant.h"
#include "wire/json_rpc.h"

namespace server {

// The wire's error codes and protocol fault, as the server's own.
using enum wire::ErrorCode;
using wire::RpcFault;

struct CallContext {
  std::string operatorCode;  // the logged-in operator making the call
  // Takes what the server's log should hold about a failure the caller sees only in its own
  // words (a database error's text). May be null.
  std::function<void(std::string_view detail)> note;
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

  // Whether the method changes data, so that its answer is kept for a resend of the same request
  // (see AnswerStore) rather than the method run again.
  virtual bool writes(std::string_view object, std::string_view method) const {
    (void)object;
    (void)method;
    return false;
  }
};

class Authenticator {
 public:
  virtual ~Authenticator() = default;
  // The operator's code when the password matches an active operator, else nullopt. Safe to call
  // from several threads at once.
  virtual std::optional<std::string> authenticate(std::string_view operatorCode,
                                                  std::string_view password) = 0;
  // Whether a session of the operator may go on: false once the operator is deactivated or
  // removed. Authenticators whose operators cannot be deactivated keep the default. Safe to call
  // from several threads at once.
  virtual bool isActive(std::string_view /*operatorCode*/) { return true; }
};

}  // namespace server
