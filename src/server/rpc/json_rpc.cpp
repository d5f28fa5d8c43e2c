#include "server/rpc/json_rpc.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "platform/json.h"

namespace server {

namespace json = platform::json;

namespace {

// Deep enough for any packet or nested array the contracts use; shallow enough that hostile
// nesting cannot exhaust a pool thread's stack.
constexpr int kMaxDepth = 64;

RpcRejected reject(std::string id, int code, std::string message) {
  return RpcRejected{std::move(id), RpcFault(code, message)};
}

// The whole request in one pass over the text, straight into Variants: large packets are not
// parsed twice. Answers nullopt for anything short of a valid request, leaving the wording of the
// fault to the slower path below.
std::optional<RpcRequest> decodeValid(std::string_view body) {
  try {
    json::Reader reader(body, kMaxDepth);
    if (reader.peek() != '{') return std::nullopt;
    reader.beginObject();
    RpcRequest request;
    bool seenVersion = false, seenMethod = false;
    // A repeated key is refused, as the strict parser behind the slower path refuses it.
    std::vector<std::string> keys;
    std::string_view key;
    for (bool first = true; reader.nextMember(first, key); first = false) {
      if (std::find(keys.begin(), keys.end(), key) != keys.end()) return std::nullopt;
      keys.emplace_back(key);
      if (key == "jsonrpc") {
        if (reader.peek() != '"' || reader.readString() != "2.0") return std::nullopt;
        seenVersion = true;
      } else if (key == "id") {
        const char c = reader.peek();
        if (c == '"') {
          request.id.clear();
          json::writeString(request.id, reader.readString());
        } else if (c == 'n') {
          reader.readNull();
        } else if (c == '-' || (c >= '0' && c <= '9')) {
          const json::Reader::Number number = reader.readNumber();
          request.id.clear();
          if (number.isInt) {
            request.id = std::to_string(number.i);
          } else {
            json::writeDouble(request.id, number.d);
          }
        } else {
          return std::nullopt;
        }
      } else if (key == "method") {
        if (reader.peek() != '"') return std::nullopt;
        seenMethod = true;
        request.method = std::string(reader.readString());
        if (request.method.empty()) return std::nullopt;
      } else if (key == "params") {
        if (reader.peek() != '[') return std::nullopt;
        reader.beginArray();
        for (bool firstItem = true; reader.nextElement(firstItem); firstItem = false) {
          request.params.push_back(platform::Variant::readJson(reader));
        }
      } else {
        reader.skipValue();
      }
    }
    reader.finish();
    if (!seenVersion || !seenMethod) return std::nullopt;
    return request;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// Finds what is wrong with a request decodeValid refused, through a full parse tree.
RpcDecoded diagnose(std::string_view body) {
  json::Value root;
  try {
    root = json::parse(body, kMaxDepth);
  } catch (const std::exception& e) {
    return reject("null", kParseError, std::string("JSON malformado: ") + e.what());
  }
  if (!root.isObject()) {
    return reject("null", kInvalidRequest, "Requisição inválida: o corpo deve ser um objeto JSON");
  }

  std::string id = "null";
  if (const json::Value* idValue = root.find("id")) {
    if (!idValue->isNull() && !idValue->isString() && !idValue->isNumber()) {
      return reject("null", kInvalidRequest,
                    "Requisição inválida: \"id\" deve ser texto, número ou nulo");
    }
    id = json::write(*idValue);
  }

  const json::Value* version = root.find("jsonrpc");
  if (version == nullptr || !version->isString() || version->asString() != "2.0") {
    return reject(id, kInvalidRequest, "Requisição inválida: \"jsonrpc\" deve ser \"2.0\"");
  }
  const json::Value* method = root.find("method");
  if (method == nullptr || !method->isString() || method->asString().empty()) {
    return reject(id, kInvalidRequest, "Requisição inválida: \"method\" ausente ou vazio");
  }

  RpcRequest request;
  request.id = id;
  request.method = method->asString();
  if (const json::Value* params = root.find("params")) {
    if (params->isObject()) {
      return reject(id, kInvalidParams,
                    "Parâmetros inválidos: só são aceitos parâmetros por posição (lista)");
    }
    if (!params->isArray()) {
      return reject(id, kInvalidRequest, "Requisição inválida: \"params\" deve ser uma lista");
    }
    const auto& items = params->asArray();
    request.params.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
      try {
        request.params.push_back(platform::Variant::fromJson(json::write(items[i])));
      } catch (const std::exception& e) {
        return reject(id, kInvalidParams,
                      "Parâmetros inválidos: parâmetro " + std::to_string(i) + ": " + e.what());
      }
    }
  }
  return request;
}

}  // namespace

RpcDecoded decodeRpcRequest(std::string_view body) {
  if (std::optional<RpcRequest> request = decodeValid(body)) return std::move(*request);
  return diagnose(body);
}

std::string encodeRpcRequest(std::string_view id, std::string_view method,
                             const std::vector<platform::Variant>& params) {
  std::string out = R"({"jsonrpc":"2.0","id":)";
  out += id;
  out += R"(,"method":)";
  json::writeString(out, method);
  out += R"(,"params":[)";
  for (size_t i = 0; i < params.size(); ++i) {
    if (i > 0) out += ',';
    params[i].appendJson(out);
  }
  out += "]}";
  return out;
}

std::string encodeRpcResult(std::string_view id, const platform::Variant& result) {
  std::string out = R"({"jsonrpc":"2.0","id":)";
  out += id;
  out += R"(,"result":)";
  result.appendJson(out);
  out += '}';
  return out;
}

std::string encodeRpcError(std::string_view id, int code, std::string_view message) {
  std::string out = R"({"jsonrpc":"2.0","id":)";
  out += id;
  out += R"(,"error":{"code":)";
  out += std::to_string(code);
  out += R"(,"message":)";
  json::writeString(out, message);
  out += "}}";
  return out;
}

}  // namespace server
