// Feeds arbitrary bodies to the request decoder. Beyond not crashing, a request it accepts must
// survive being written and read again unchanged, and every answer it implies must be JSON.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/json.h"
#include "server/rpc/json_rpc.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

bool isJson(const std::string& text) {
  try {
    platform::json::parse(text);
    return true;
  } catch (const platform::json::ParseError&) {
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  const server::RpcDecoded decoded = server::decodeRpcRequest(body);
  if (const auto* request = std::get_if<server::RpcRequest>(&decoded)) {
    check(!request->method.empty());
    check(isJson(request->id));
    const server::RpcDecoded again = server::decodeRpcRequest(
        server::encodeRpcRequest(request->id, request->method, request->params));
    const auto* second = std::get_if<server::RpcRequest>(&again);
    check(second != nullptr);
    check(second->id == request->id);
    check(second->method == request->method);
    check(second->params == request->params);
    check(isJson(server::encodeRpcResult(request->id, platform::Variant::array(request->params))));
  } else {
    const auto& rejected = std::get<server::RpcRejected>(decoded);
    const int code = rejected.fault.code();
    check(code == server::kParseError || code == server::kInvalidRequest ||
          code == server::kInvalidParams);
    check(isJson(server::encodeRpcError(rejected.id, code, rejected.fault.what())));
  }
  return 0;
}
