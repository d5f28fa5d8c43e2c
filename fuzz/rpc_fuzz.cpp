// Feeds arbitrary bodies to both decoders of the envelope. Beyond not crashing, a request the
// server accepts must survive being written and read again unchanged, every answer it implies
// must be JSON, and the client refuses what it cannot read only as an unreadable answer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/json.h"
#include "wire/json_rpc.h"

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
  try {
    const wire::RpcAnswer answer = wire::decodeAnswer(body, 1);
    check(isJson(answer.result.toJson()));
  } catch (const wire::UnreadableAnswer&) {
  }
  const wire::RpcDecoded decoded = wire::decodeRequest(body);
  if (const auto* request = std::get_if<wire::RpcRequest>(&decoded)) {
    check(!request->method.empty());
    check(isJson(request->id));
    const wire::RpcDecoded again =
        wire::decodeRequest(wire::encodeRequest(request->id, request->method, request->params));
    const auto* second = std::get_if<wire::RpcRequest>(&again);
    check(second != nullptr);
    check(second->id == request->id);
    check(second->method == request->method);
    check(second->params == request->params);
    check(isJson(wire::encodeResult(request->id, platform::Variant::array(request->params))));
  } else {
    const auto& rejected = std::get<wire::RpcRejected>(decoded);
    const int code = rejected.fault.code();
    check(code == wire::kParseError || code == wire::kInvalidRequest ||
          code == wire::kInvalidParams);
    check(isJson(wire::encodeError(rejected.id, code, rejected.fault.what())));
  }
  return 0;
}
