// The client's half of the JSON-RPC envelope: writing a call and reading its answer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant.h"

namespace remote {

// {"jsonrpc":"2.0","id":<id>,"method":<method>,"params":[...]}. Throws what Variant::toJson throws.
std::string encodeCall(int64_t id, std::string_view method,
                       const std::vector<platform::Variant>& params);

struct CallAnswer {
  bool isError = false;
  platform::Variant result;  // when !isError
  int code = 0;              // when isError
  std::string message;       // when isError
};

// Reads an answer to the call `expectedId`. `endpoint` and `status` only word the error. Throws
// RemoteError (Kind::Protocol, code 0) for a body that is not a JSON-RPC answer, that answers
// another id, or whose result is not a valid Variant.
CallAnswer decodeAnswer(std::string_view body, int64_t expectedId, int status,
                        std::string_view endpoint);

// The "error" object's message of a non-RPC JSON answer ({"error":{"code","message"}}), or empty.
// Sets `code` when found. Never throws.
std::string errorMessageOf(std::string_view body, int& code);

}  // namespace remote
