#include "remote/session.h"

#include <exception>

#include "platform/json.h"
#include "remote/http_transport.h"
#include "remote/remote_error.h"
#include "remote/rpc_message.h"

namespace remote {

namespace json = platform::json;

namespace {

[[noreturn]] void refused(const HttpResponse& response, const std::string& endpoint) {
  int code = 0;
  std::string message = wire::errorMessageOf(response.body, code);
  if (message.empty()) {
    message = "Resposta inválida do servidor de aplicação em " + endpoint + " (HTTP " +
              std::to_string(response.status) + ")";
  }
  throw RemoteError(RemoteError::Kind::Protocol, code, message);
}

}  // namespace

Session::Session(std::string operatorCode, std::string token)
    : operatorCode_(std::move(operatorCode)), token_(std::move(token)) {}

std::shared_ptr<const Session> Session::login(Transport& transport, std::string_view operatorCode,
                                              std::string_view password) {
  std::string body = R"({"operator":)";
  json::writeString(body, operatorCode);
  body += R"(,"password":)";
  json::writeString(body, password);
  body += '}';
  const HttpResponse response = transport.post("/login", body, {});
  if (response.status != 200) refused(response, transport.endpoint());
  try {
    const json::Value root = json::parse(response.body, 8);
    const json::Value* token = root.isObject() ? root.find("token") : nullptr;
    const json::Value* op = root.isObject() ? root.find("operator") : nullptr;
    if (token != nullptr && token->isString() && !token->asString().empty()) {
      return std::make_shared<const Session>(
          op != nullptr && op->isString() ? op->asString() : std::string(operatorCode),
          token->asString());
    }
  } catch (const std::exception&) {
    // reported below
  }
  throw RemoteError(
      RemoteError::Kind::Protocol, 0,
      "Resposta inválida do servidor de aplicação em " + transport.endpoint() + " ao login");
}

std::shared_ptr<const Session> Session::login(const std::string& hostOrUrl, int port,
                                              std::string_view operatorCode,
                                              std::string_view password,
                                              const TransportOptions& options) {
  auto transport = makeHttpTransport(hostOrUrl, port, options);
  return login(*transport, operatorCode, password);
}

void Session::logout(Transport& transport) const {
  const HttpResponse response =
      transport.post("/logout", "{}", {{"Authorization", authorization()}});
  if (response.status == 200 || response.status == 401) return;
  refused(response, transport.endpoint());
}

}  // namespace remote
