#include "remote/rpc_message.h"

#include <cctype>
#include <exception>
#include <optional>

#include "platform/json.h"
#include "remote/remote_error.h"

namespace remote {

namespace json = platform::json;

namespace {

[[noreturn]] void unreadable(std::string_view endpoint, int status, std::string_view why) {
  throw RemoteError(RemoteError::Kind::Protocol, 0,
                    "Resposta inválida do servidor de aplicação em " + std::string(endpoint) +
                        " (HTTP " + std::to_string(status) + ": " + std::string(why) + ")");
}

}  // namespace

std::string encodeCall(int64_t id, std::string_view method,
                       const std::vector<platform::Variant>& params) {
  std::string out = R"({"jsonrpc":"2.0","id":)";
  out += std::to_string(id);
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

CallAnswer decodeAnswer(std::string_view body, int64_t expectedId, int status,
                        std::string_view endpoint) {
  // One pass straight into the result's Variant: answers can be large packets.
  CallAnswer answer;
  bool hasResult = false;
  bool hasError = false;
  std::optional<int64_t> id;
  try {
    json::Reader reader(body);
    if (reader.peek() != '{')
      unreadable(endpoint, status, body.empty() ? "corpo vazio" : "não é um objeto JSON");
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
            if (!number.isInt) unreadable(endpoint, status, "objeto de erro malformado");
            answer.code = static_cast<int>(number.i);
            hasCode = true;
          } else if (member == "message" && reader.peek() == '"') {
            answer.message = std::string(reader.readString());
            hasMessage = true;
          } else {
            reader.skipValue();
          }
        }
        if (!hasCode || !hasMessage) unreadable(endpoint, status, "objeto de erro malformado");
        hasError = true;
      } else {
        reader.skipValue();
      }
    }
    reader.finish();
  } catch (const RemoteError&) {
    throw;
  } catch (const std::exception& e) {
    unreadable(endpoint, status, std::string("JSON inválido: ") + e.what());
  }
  if (hasError) {
    // An error the server could not tie to a request (null id) is still this call's: one call
    // travels per HTTP exchange.
    answer.isError = true;
    answer.result = platform::Variant();
    return answer;
  }
  if (!hasResult) unreadable(endpoint, status, "sem resultado");
  if (id != expectedId) unreadable(endpoint, status, "resposta de outra chamada");
  return answer;
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

}  // namespace remote
