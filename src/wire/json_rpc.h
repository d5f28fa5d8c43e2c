// The JSON-RPC 2.0 envelope both ends of the wire write and read, and its error codes.
//
// Request: {"jsonrpc":"2.0","id":1,"method":"GetProduto","params":[...]}, each param a Variant in
// its JSON form, optionally with "requestId":"<text>": the client's name for the operation, kept
// across a resend so the server can answer a retried write without running it twice. Answer:
// {"jsonrpc":"2.0","id":1,"result":<Variant JSON>} or
// {"jsonrpc":"2.0","id":1,"error":{"code":-32602,"message":"..."}}. Endpoints outside the envelope
// (login, session) answer their faults as a plain {"error":{"code","message"}} object.
//
// Every request is answered: a request without "id" is answered with a null id. Batches (a JSON
// array of requests) are not accepted.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/variant.h"

namespace wire {

// The error codes of the wire.
enum ErrorCode : int {
  kParseError = -32700,
  kInvalidRequest = -32600,
  kMethodNotFound = -32601,  // unknown object or method
  kInvalidParams = -32602,   // wrong number or kind of arguments
  kInternalError = -32603,
  kNotAuthenticated = -32001,  // missing, unknown or expired session token
  kRequestTooLarge = -32002,
  kServerBusy = -32003,    // every worker busy and the waiting line full: try again shortly
  kCallTimedOut = -32004,  // the call ran past the server's deadline
};

// The longest request id accepted: ids are the client's random names, not data.
inline constexpr size_t kMaxRequestIdLength = 64;

// A protocol fault: the call could not be made at all. A server's own refusal (a contract error)
// is not a fault: it is an ordinary text result.
class RpcFault : public std::runtime_error {
 public:
  RpcFault(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

// ---- Requests (the client writes, the server reads) ----

struct RpcRequest {
  std::string id = "null";  // the request's id as JSON text: 7, "abc" (quoted), null
  std::string method;       // never empty
  std::vector<platform::Variant> params;
  std::string requestId;  // empty when the request carries none
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
//                    not text, number or null, a missing or empty "method", "params" that is
//                    neither array nor object, or a "requestId" that is not a text of 1 to
//                    kMaxRequestIdLength printable ASCII characters;
//   kInvalidParams   for "params" given by name (an object) or an element that is not a valid
//                    Variant (bad date, bad packet, plain object).
// A missing "params" means no arguments.
RpcDecoded decodeRequest(std::string_view body);

// Writes a request; the inverse of decodeRequest. REQUIRES: `id` is JSON text; `requestId` empty
// (none written) or valid as above. Throws what Variant::toJson throws.
std::string encodeRequest(std::string_view id, std::string_view method,
                          const std::vector<platform::Variant>& params,
                          std::string_view requestId = {});
std::string encodeRequest(int64_t id, std::string_view method,
                          const std::vector<platform::Variant>& params,
                          std::string_view requestId = {});

// ---- Answers (the server writes, the client reads) ----

// Writes an answer. REQUIRES: `id` is JSON text (as RpcRequest::id). encodeResult throws what
// Variant::toJson throws.
std::string encodeResult(std::string_view id, const platform::Variant& result);
std::string encodeError(std::string_view id, int code, std::string_view message);

struct RpcAnswer {
  bool isError = false;
  platform::Variant result;  // when !isError
  int code = 0;              // when isError
  std::string message;       // when isError
};

// An answer that is not a JSON-RPC answer to the call; what() says why, in the user's words.
class UnreadableAnswer : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the answer to the call `expectedId`, in one pass straight into the result's Variant.
// An error answer is the call's whatever its id (one call travels per exchange, and a server that
// could not read the request answers a null id). Errors: UnreadableAnswer for a body that is not a
// JSON object, an error object without an integer code and a text message, no result, an answer
// to another id, or a result that is not a valid Variant.
RpcAnswer decodeAnswer(std::string_view body, int64_t expectedId);

// ---- Faults outside the envelope ----

// {"error":{"code":<code>,"message":<message>}}.
std::string encodeErrorObject(int code, std::string_view message);

// The error object's message of such an answer, or empty. Sets `code` when found. Never throws.
std::string errorMessageOf(std::string_view body, int& code);

}  // namespace wire
