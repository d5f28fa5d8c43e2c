// The JSON-RPC 2.0 envelope of one call: reading a request body and writing the answer.
//
// Request: {"jsonrpc":"2.0","id":1,"method":"GetProduto","params":[...]}, each param a Variant in
// its JSON form. Answer: {"jsonrpc":"2.0","id":1,"result":<Variant JSON>} or
// {"jsonrpc":"2.0","id":1,"error":{"code":-32602,"message":"..."}}.
//
// Every request is answered: a request without "id" is answered with a null id. Batches (a JSON
// array of requests) are not accepted.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/variant.h"
#include "server/rpc/dispatcher.h"

namespace server {

struct RpcRequest {
  std::string id = "null";  // the request's id as JSON text: 7, "abc" (quoted), null
  std::string method;       // never empty
  std::vector<platform::Variant> params;
};

// A request that cannot be run. `id` is the request's id when it could be read, else "null".
struct RpcRejected {
  std::string id = "null";
  RpcFault fault;
};

using RpcDecoded = std::variant<RpcRequest, RpcRejected>;

// Reads one request body. Pure: no I/O, no shared state; safe on any input (hostile input is
// rejected, never crashes, and nesting is bounded).
// Guarantees: an RpcRejected with
//   kParseError      for text that is not strict JSON (a repeated key included);
//   kInvalidRequest  for a body that is not an object, "jsonrpc" other than "2.0", an "id" that is
//                    not text, number or null, a missing or empty "method", or "params" that is
//                    neither array nor object;
//   kInvalidParams   for "params" given by name (an object) or an element that is not a valid
//                    Variant (bad date, bad packet, plain object).
// A missing "params" means no arguments.
RpcDecoded decodeRpcRequest(std::string_view body);

// Writes a request; the inverse of decodeRpcRequest. REQUIRES: `id` is JSON text.
std::string encodeRpcRequest(std::string_view id, std::string_view method,
                             const std::vector<platform::Variant>& params);

// Writes an answer. REQUIRES: `id` is JSON text (as RpcRequest::id). encodeRpcResult throws what
// Variant::toJson throws.
std::string encodeRpcResult(std::string_view id, const platform::Variant& result);
std::string encodeRpcError(std::string_view id, int code, std::string_view message);

}  // namespace server
