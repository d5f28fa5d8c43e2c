#include "remote/net_connection.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <random>
#include <stdexcept>

#include "remote/http_transport.h"
#include "remote/rpc_message.h"

namespace remote {

namespace {

std::mutex gDefaultsMutex;
std::shared_ptr<const Session> gDefaultSession;
TransportFactory gDefaultFactory;

bool unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

std::string percentEncoded(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (unreserved(c)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0f];
    }
  }
  return out;
}

// A name for each call no other call of any process will use: a random prefix for the process,
// then a count.
std::string newRequestId() {
  static const std::string prefix = [] {
    std::random_device device;
    char text[32];
    std::snprintf(text, sizeof text, "%08x%08x%08x", device(), device(), device());
    return std::string(text);
  }();
  static std::atomic<uint64_t> count{0};
  return prefix + "-" + std::to_string(++count);
}

[[noreturn]] void noSession() {
  throw RemoteError(RemoteError::Kind::Protocol, kRpcNotAuthenticated,
                    "Sessão não iniciada: faça o login no servidor de aplicação");
}

}  // namespace

TNetConnection::TNetConnection(std::string serverName) : ServerName(std::move(serverName)) {}

TNetConnection::~TNetConnection() {
  close();
}

void TNetConnection::setSession(std::shared_ptr<const Session> session) {
  session_ = std::move(session);
}

void TNetConnection::setTransportFactory(TransportFactory factory) {
  factory_ = std::move(factory);
}

void TNetConnection::setDefaultSession(std::shared_ptr<const Session> session) {
  std::lock_guard lock(gDefaultsMutex);
  gDefaultSession = std::move(session);
}

std::shared_ptr<const Session> TNetConnection::defaultSession() {
  std::lock_guard lock(gDefaultsMutex);
  return gDefaultSession;
}

void TNetConnection::setDefaultTransportFactory(TransportFactory factory) {
  std::lock_guard lock(gDefaultsMutex);
  gDefaultFactory = std::move(factory);
}

std::shared_ptr<const Session> TNetConnection::currentSession() const {
  return session_ ? session_ : defaultSession();
}

void TNetConnection::SetConnected(bool value) {
  if (value) {
    open();
  } else {
    close();
  }
}

void TNetConnection::open() {
  if (connected_) return;
  if (OnBeforeConnect) OnBeforeConnect(*this);
  if (ServerName.empty()) throw std::logic_error("TNetConnection: ServerName não informado");
  connect();
  connected_ = true;
}

void TNetConnection::close() {
  if (!connected_) return;
  connected_ = false;
  disconnect();
}

void TNetConnection::connect() {
  auto session = currentSession();
  if (!session) noSession();
  TransportFactory factory = factory_;
  if (!factory) {
    std::lock_guard lock(gDefaultsMutex);
    factory = gDefaultFactory;
  }
  std::unique_ptr<Transport> transport =
      factory ? factory(Host, Port, Timeouts) : makeHttpTransport(Host, Port, Timeouts);
  const HttpResponse response =
      transport->post("/session", "{}", {{"Authorization", session->authorization()}});
  if (response.status != 200) {
    int code = 0;
    std::string message = wire::errorMessageOf(response.body, code);
    if (message.empty()) {
      message = "Resposta inválida do servidor de aplicação em " + transport->endpoint() +
                " (HTTP " + std::to_string(response.status) + ")";
    }
    throw RemoteError(RemoteError::Kind::Protocol, code, message);
  }
  transport_ = std::move(transport);
  openPath_ = "/rpc/" + percentEncoded(ServerName);
}

void TNetConnection::disconnect() noexcept {
  transport_.reset();
}

platform::Variant TNetConnection::call(const std::string& method,
                                       const std::vector<platform::Variant>& params) {
  return invoke(method, params);
}

platform::Variant TNetConnection::invoke(const std::string& method,
                                         const std::vector<platform::Variant>& params) {
  if (!connected_) open();
  if (!transport_) throw std::logic_error("TNetConnection: connect() made no transport");
  // The current session, not the one checked at open: the shell may have logged in again.
  auto session = currentSession();
  if (!session) noSession();
  const int64_t id = nextId_++;
  // The same request id on a resend lets the server answer a write it already committed with that
  // write's answer instead of running it twice.
  const std::string body = wire::encodeRequest(id, method, params, newRequestId());
  HttpResponse response;
  for (int attempt = 1;; ++attempt) {
    try {
      response = transport_->post(openPath_, body, {{"Authorization", session->authorization()}});
      break;
    } catch (const RemoteError& e) {
      if (e.kind() != RemoteError::Kind::Transport) throw;
      // The next exchange reconnects, running the before-connect handler again.
      close();
      if (attempt == 2) throw;
    }
    // Once more on a fresh connection: the answer, not the call, may be what was lost.
    open();
  }
  CallAnswer answer = decodeAnswer(response.body, id, response.status, transport_->endpoint());
  if (!answer.isError) return std::move(answer.result);
  if (answer.code == kRpcInternalError && !ThrowException) {
    return platform::Variant(std::move(answer.message));
  }
  throw RemoteError(RemoteError::Kind::Protocol, answer.code, answer.message);
}

}  // namespace remote
