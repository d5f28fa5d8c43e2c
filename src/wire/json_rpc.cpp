#include "wire/json_rpc.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <optional>

#include "platform/json.h"

namespace wire {

namespace json = platform::json;

namespace {

// Deep enough for any packet or nested array the contracts use; shallow enough that hostile
// nesting cannot exhaust a pool thread's stack.
constexpr int kMaxDepth = 64;

RpcRejected reject(std::string id, int code, std::string message) {
  return RpcRejected{std::move(id), RpcFault(code, message)};
}

bool validRequestId(std::string_view text) {
  if (text.empty() || text.size() > kMaxRequestIdLength) return false;
  return std::all_of(text.begin(), text.end(), [](char c) { return c > 0x20 && c < 0x7f; });
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
      } else if (key == "requestId") {
        if (reader.peek() != '"') return std::nullopt;
        request.requestId = std::string(reader.readString());
        if (!validRequestId(request.requestId)) return std::nullopt;
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
  if (const json::Value* requestId = root.find("requestId")) {
    if (!requestId->isString() || !validRequestId(requestId->asString())) {
      return reject(id, kInvalidRequest,
                    "Requisição inválida: \"requestId\" deve ser um texto de 1 a " +
                        std::to_string(kMaxRequestIdLength) + " caracteres visíveis");
    }
    request.requestId = requestId->asString();
  }
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

RpcDecoded decodeRequest(std::string_view body) {
  if (std::optional<RpcRequest> request = decodeValid(body)) return std::move(*request);
  return diagnose(body);
}

std::string encodeRequest(std::string_view id, std::string_view method,
                          const std::vector<platform::Variant>& params,
                          std::string_view requestId) {
  std::string out = R"({"jsonrpc":"2.0","id":)";
  out += id;
  if (!requestId.empty()) {
    out += R"(,"requestId":)";
    json::writeString(out, requestId);
  }
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

std::string encodeRequest(int64_t id, std::string_view method,
                          const std::vector<platform::Variant>& params,
                          std::string_view requestId) {
  return encodeRequest(std::to_string(id), method, params, requestId);
}

std::string encodeResult(std::string_view id, const platform::Variant& result) {
  std::string out = R"({"jsonrpc":"2.0","id":)";
  out += id;
  out += R"(,"result":)";
  result.appendJson(out);
  out += '}';
  return out;
}

std::string encodeError(std::string_view id, int code, std::string_view message) {
  std::string out = R"({"jsonrpc":"2.0","id":)";
  out += id;
  out += R"(,"error":{"code":)";
  out += std::to_string(code);
  out += R"(,"message":)";
  json::writeString(out, message);
  out += "}}";
  return out;
}

RpcAnswer decodeAnswer(std::string_view body, int64_t expectedId) {
  RpcAnswer answer;
  bool hasResult = false;
  bool hasError = false;
  std::optional<int64_t> id;
  try {
    json::Reader reader(body);
    if (reader.peek() != '{')
      throw UnreadableAnswer(body.empty() ? "corpo vazio" : "não é um objeto JSON");
    reader.beginObject();
    std::string_view key;
    for (bool first = true; reader.nextMember(first, key); first = false) {
      if (key == "result") {
        answer.result = platform::Variant::readJson(reader);
        hasResult = true;
      } else if (key == "id" && (reader.peek() == '-' ||
                                 std::isdigit(static_cast<unsigned char>(reader.peek())))) {
        const json::Reader::Number number = reader.readNumber();
        if (number.isInt) id = number.i;
      } else if (key == "error" && reader.peek() == '{') {
        reader.beginObject();
        bool hasCode = false;
        bool hasMessage = false;
        std::string_view member;
        for (bool firstMember = true; reader.nextMember(firstMember, member); firstMember = false) {
          if (member == "code" && reader.peek() != '"') {
            const json::Reader::Number number = reader.readNumber();
            if (!number.isInt) throw UnreadableAnswer("objeto de erro malformado");
            answer.code = static_cast<int>(number.i);
            hasCode = true;
          } else if (member == "message" && reader.peek() == '"') {
            answer.message = std::string(reader.readString());
            hasMessage = true;
          } else {
            reader.skipValue();
          }
        }
        if (!hasCode || !hasMessage) throw UnreadableAnswer("objeto de erro malformado");
        hasError = true;
      } else {
        reader.skipValue();
      }
    }
    reader.finish();
  } catch (const UnreadableAnswer&) {
    throw;
  } catch (const std::exception& e) {
    throw UnreadableAnswer(std::string("JSON inválido: ") + e.what());
  }
  if (hasError) {
    answer.isError = true;
    answer.result = platform::Variant();
    return answer;
  }
  if (!hasResult) throw UnreadableAnswer("sem resultado");
  if (id != expectedId) throw UnreadableAnswer("resposta de outra chamada");
  return answer;
}

std::string encodeErrorObject(int code, std::string_view message) {
  std::string out = R"({"error":{"code":)";
  out += std::to_string(code);
  out += R"(,"message":)";
  json::writeString(out, message);
  out += "}}";
  return out;
}

std::string errorMessageOf(std::string_view body, int& code) {
  try {
    const json::Value root = json::parse(body, 8);
    const json::Value* error = root.isObject() ? root.find("error") : nullptr;
    const json::Value* message = error && error->isObject() ? error->find("message") : nullptr;
    const json::Value* number = error && error->isObject() ? error->find("code") : nullptr;
    if (message == nullptr || !message->isString()) return {};
    if (number != nullptr && number->isInt()) code = static_cast<int>(number->asInt());
    return message->asString();
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace wire
