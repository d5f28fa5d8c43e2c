#include "server/rpc/rpc_http_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <ostream>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "platform/json.h"
#include "server/rpc/login_throttle.h"
#include "server/rpc/session_store.h"
#include "wire/json_rpc.h"

namespace server {

namespace json = platform::json;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kJson = "application/json; charset=utf-8";

// Client-supplied names go into the log; control characters would let a caller forge lines.
std::string loggable(std::string_view text) {
  constexpr size_t kMax = 120;
  std::string out;
  for (char c : text.substr(0, kMax)) {
    out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
  }
  if (text.size() > kMax) out += "...";
  return out.empty() ? "-" : out;
}

std::string utcTimestamp() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm tm{};
  gmtime_r(&seconds, &tm);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900,
                tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                static_cast<int>(millis));
  return buffer;
}

// The token of "Authorization: Bearer <token>"; empty when absent or of another scheme.
std::string bearerToken(const httplib::Request& req) {
  const std::string value = req.get_header_value("Authorization");
  constexpr std::string_view kScheme = "bearer ";
  if (value.size() <= kScheme.size()) return {};
  for (size_t i = 0; i < kScheme.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(value[i])) != kScheme[i]) return {};
  }
  size_t begin = kScheme.size();
  size_t end = value.size();
  while (begin < end && value[begin] == ' ')
    ++begin;
  while (end > begin && value[end - 1] == ' ')
    --end;
  return value.substr(begin, end - begin);
}

int statusFor(int code) {
  switch (code) {
    case kParseError:
    case kInvalidRequest:
      return 400;
    case kNotAuthenticated:
      return 401;
    case kRequestTooLarge:
      return 413;
    case kInternalError:
      return 500;
    default:
      return 200;
  }
}

// Writing to a caller that hung up raises SIGPIPE, whose default action ends the process. A
// handler the host installed is left alone.
void ignoreBrokenPipes() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction current {};
    sigaction(SIGPIPE, nullptr, &current);
    if (current.sa_handler == SIG_DFL) signal(SIGPIPE, SIG_IGN);
  });
}

}  // namespace

LogSink logTo(std::ostream& out) {
  return [&out](std::string_view line) { out << line << std::endl; };
}

struct RpcHttpServer::Impl {
  Impl(Dispatcher& d, Authenticator& a, RpcServerOptions o)
      : dispatcher(d),
        authenticator(a),
        options(std::move(o)),
        sessions(options.sessionIdleTimeout, nullptr,
                 [&a](const std::string& op) { return a.isActive(op); }) {}

  Dispatcher& dispatcher;
  Authenticator& authenticator;
  RpcServerOptions options;
  SessionStore sessions;
  LoginThrottle loginThrottle;
  httplib::Server http;

  std::mutex lifecycle;  // start/stop
  std::thread listener;
  std::atomic<bool> listenReturned{false};
  std::atomic<bool> running{false};
  int port = 0;
  std::mutex logMutex;

  void log(std::string_view operatorCode, std::string_view target, Clock::time_point started,
           std::string_view outcome) {
    if (!options.log) return;
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.1f ms", ms);
    std::string line = utcTimestamp();
    line += ' ';
    line += loggable(operatorCode);
    line += ' ';
    line += target;
    line += ' ';
    line += duration;
    line += ' ';
    line += outcome;
    std::lock_guard lock(logMutex);
    options.log(line);
  }

  static std::string faultOutcome(int code, std::string_view message) {
    return "error " + std::to_string(code) + " " + loggable(message);
  }

  void answerError(httplib::Response& res, int code, std::string_view message) {
    res.status = statusFor(code);
    res.set_content(wire::encodeErrorObject(code, message), kJson);
  }

  void handleLogin(const httplib::Request& req, httplib::Response& res) {
    const auto started = Clock::now();
    json::Value body;
    try {
      body = json::parse(req.body, 8);
    } catch (const std::exception& e) {
      answerError(res, kParseError, std::string("JSON malformado: ") + e.what());
      log("-", "login", started, faultOutcome(kParseError, "malformed"));
      return;
    }
    const json::Value* op = body.isObject() ? body.find("operator") : nullptr;
    const json::Value* password = body.isObject() ? body.find("password") : nullptr;
    if (op == nullptr || password == nullptr || !op->isString() || !password->isString()) {
      answerError(res, kInvalidRequest,
                  "Requisição inválida: informe \"operator\" e \"password\" como texto");
      log("-", "login", started, faultOutcome(kInvalidRequest, "missing credentials"));
      return;
    }
    if (const int wait = loginThrottle.attempt(op->asString(), req.remote_addr); wait > 0) {
      answerError(res, kNotAuthenticated, LoginThrottle::message(wait));
      res.status = 429;
      res.set_header("Retry-After", std::to_string(wait));
      log(op->asString(), "login", started, "throttled");
      return;
    }
    std::optional<std::string> operatorCode;
    try {
      operatorCode = authenticator.authenticate(op->asString(), password->asString());
    } catch (const std::exception& e) {
      answerError(res, kInternalError, e.what());
      log(op->asString(), "login", started, faultOutcome(kInternalError, e.what()));
      return;
    }
    if (!operatorCode) {
      answerError(res, kNotAuthenticated, "Operador ou senha inválidos");
      log(op->asString(), "login", started, "refused");
      return;
    }
    loginThrottle.succeeded(op->asString(), req.remote_addr);
    const std::string token = sessions.open(*operatorCode);
    json::Value::Object answer{{"token", json::Value(token)},
                               {"operator", json::Value(*operatorCode)}};
    res.status = 200;
    res.set_content(json::write(json::Value(std::move(answer))), kJson);
    log(*operatorCode, "login", started, "ok");
  }

  // The session's operator; answers 401 and returns nullopt when there is no live session.
  std::optional<std::string> requireSession(const httplib::Request& req, httplib::Response& res,
                                            std::string_view target, Clock::time_point started,
                                            bool rpcEnvelope) {
    const std::string token = bearerToken(req);
    std::optional<std::string> operatorCode;
    if (!token.empty()) operatorCode = sessions.touch(token);
    if (operatorCode) return operatorCode;
    const char* message = token.empty() ? "Sessão não informada: faça o login"
                                        : "Sessão inválida ou expirada: faça o login novamente";
    res.status = 401;
    res.set_content(rpcEnvelope ? wire::encodeError("null", kNotAuthenticated, message)
                                : wire::encodeErrorObject(kNotAuthenticated, message),
                    kJson);
    log("-", target, started, faultOutcome(kNotAuthenticated, message));
    return std::nullopt;
  }

  void handleLogout(const httplib::Request& req, httplib::Response& res) {
    const auto started = Clock::now();
    auto operatorCode = requireSession(req, res, "logout", started, false);
    if (!operatorCode) return;
    sessions.close(bearerToken(req));
    res.status = 200;
    res.set_content("{}", kJson);
    log(*operatorCode, "logout", started, "ok");
  }

  void handleSession(const httplib::Request& req, httplib::Response& res) {
    const auto started = Clock::now();
    auto operatorCode = requireSession(req, res, "session", started, false);
    if (!operatorCode) return;
    json::Value::Object answer{{"operator", json::Value(*operatorCode)}};
    res.status = 200;
    res.set_content(json::write(json::Value(std::move(answer))), kJson);
  }

  void handleRpc(const httplib::Request& req, httplib::Response& res) {
    const auto started = Clock::now();
    const std::string object = req.matches.size() > 1 ? std::string(req.matches[1]) : "";
    auto operatorCode = requireSession(req, res, loggable(object), started, true);
    if (!operatorCode) return;

    wire::RpcDecoded decoded = wire::decodeRequest(req.body);
    if (auto* rejected = std::get_if<wire::RpcRejected>(&decoded)) {
      const int code = rejected->fault.code();
      res.status = statusFor(code);
      res.set_content(wire::encodeError(rejected->id, code, rejected->fault.what()), kJson);
      log(*operatorCode, loggable(object), started, faultOutcome(code, rejected->fault.what()));
      return;
    }
    const wire::RpcRequest& request = std::get<wire::RpcRequest>(decoded);
    const std::string target = loggable(object) + "." + loggable(request.method);

    int code = 0;
    std::string message;
    try {
      const platform::Variant result =
          dispatcher.call(CallContext{*operatorCode}, object, request.method, request.params);
      res.status = 200;
      res.set_content(wire::encodeResult(request.id, result), kJson);
      log(*operatorCode, target, started, result.isText() ? "ok text" : "ok");
      return;
    } catch (const RpcFault& fault) {
      code = fault.code();
      message = fault.what();
    } catch (const platform::ConversionError& e) {
      // A parameter of the wrong kind surfaced inside the method: the caller's fault.
      code = kInvalidParams;
      message = std::string("Parâmetros inválidos: ") + e.what();
    } catch (const std::exception& e) {
      code = kInternalError;
      message = e.what();
    } catch (...) {
      code = kInternalError;
      message = "Erro interno desconhecido no servidor de aplicação";
    }
    res.status = statusFor(code);
    res.set_content(wire::encodeError(request.id, code, message), kJson);
    log(*operatorCode, target, started, faultOutcome(code, message));
  }

  // Answers httplib's own refusals (oversized body, unknown path, bad HTTP) in JSON too.
  httplib::Server::HandlerResponse handleError(const httplib::Request& req,
                                               httplib::Response& res) {
    if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
    int code = kInvalidRequest;
    std::string message;
    switch (res.status) {
      case 413:
        code = kRequestTooLarge;
        message =
            "Requisição excede o limite de " + std::to_string(options.maxBodyBytes) + " bytes";
        break;
      case 404:
        code = kMethodNotFound;
        message = "Recurso não encontrado: " + loggable(req.path);
        break;
      default:
        message = "Requisição HTTP inválida (status " + std::to_string(res.status) + ")";
    }
    const bool rpc = req.path.rfind("/rpc/", 0) == 0;
    res.set_content(
        rpc ? wire::encodeError("null", code, message) : wire::encodeErrorObject(code, message),
        kJson);
    log("-", loggable(req.path), Clock::now(), faultOutcome(code, message));
    return httplib::Server::HandlerResponse::Handled;
  }

  void configure() {
    const size_t threads = std::max<size_t>(1, options.threads);
    http.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    http.set_payload_max_length(options.maxBodyBytes);
    http.set_read_timeout(options.ioTimeout);
    http.set_write_timeout(options.ioTimeout);
    http.set_keep_alive_timeout(std::max<time_t>(1, options.keepAliveTimeout.count()));
    http.set_keep_alive_max_count(1000);
    http.set_tcp_nodelay(true);
    // The library's default is SO_REUSEPORT, which lets a second server bind the same port and
    // take half of the connections. Only SO_REUSEADDR: a restart may rebind at once.
    http.set_socket_options([](socket_t sock) {
      int yes = 1;
      setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    http.Post("/login", [this](const httplib::Request& req, httplib::Response& res) {
      handleLogin(req, res);
    });
    http.Post("/logout", [this](const httplib::Request& req, httplib::Response& res) {
      handleLogout(req, res);
    });
    http.Post("/session", [this](const httplib::Request& req, httplib::Response& res) {
      handleSession(req, res);
    });
    http.Post(R"(/rpc/([^/]+))",
              [this](const httplib::Request& req, httplib::Response& res) { handleRpc(req, res); });
    http.set_error_handler(httplib::Server::HandlerWithResponse(
        [this](const httplib::Request& req, httplib::Response& res) {
          return handleError(req, res);
        }));
    http.set_exception_handler(
        [this](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
          answerError(res, kInternalError, "Erro interno no servidor de aplicação");
        });
  }
};

RpcHttpServer::RpcHttpServer(Dispatcher& dispatcher, Authenticator& authenticator,
                             RpcServerOptions options)
    : impl_(std::make_unique<Impl>(dispatcher, authenticator, std::move(options))) {
  impl_->configure();
}

RpcHttpServer::~RpcHttpServer() {
  stop();
}

int RpcHttpServer::start() {
  Impl& s = *impl_;
  std::lock_guard lock(s.lifecycle);
  if (s.listener.joinable() || s.port != 0) {
    throw std::logic_error("RpcHttpServer::start: already started");
  }
  ignoreBrokenPipes();
  const std::string& address = s.options.bindAddress;
  int port = s.options.port;
  if (port == 0) {
    port = s.http.bind_to_any_port(address);
  } else if (!s.http.bind_to_port(address, port)) {
    port = -1;
  }
  if (port <= 0) {
    throw std::runtime_error("Não foi possível abrir o servidor em " + address + ":" +
                             std::to_string(s.options.port));
  }
  s.port = port;
  s.listener = std::thread([&s] {
    s.http.listen_after_bind();
    s.listenReturned = true;
  });
  // httplib's stop() is a no-op until its accept loop runs, so wait for it here: a stop() right
  // after start() must not be lost.
  while (!s.http.is_running() && !s.listenReturned) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (!s.http.is_running()) {
    s.listener.join();
    throw std::runtime_error("O servidor em " + address + ":" + std::to_string(port) +
                             " parou ao iniciar");
  }
  s.running = true;
  return port;
}

void RpcHttpServer::stop() {
  Impl& s = *impl_;
  std::lock_guard lock(s.lifecycle);
  if (!s.listener.joinable()) return;
  s.running = false;
  s.http.stop();
  s.listener.join();
}

bool RpcHttpServer::running() const {
  return impl_->running;
}

int RpcHttpServer::port() const {
  return impl_->port;
}

size_t RpcHttpServer::sessionCount() const {
  return impl_->sessions.size();
}

namespace {

std::atomic<int> gSignalWriteFd{-1};

extern "C" void writeSignalToPipe(int signal) {
  const int fd = gSignalWriteFd.load();
  if (fd < 0) return;
  const unsigned char byte = static_cast<unsigned char>(signal);
  const int saved = errno;
  [[maybe_unused]] ssize_t ignored = write(fd, &byte, 1);
  errno = saved;
}

}  // namespace

int stopOnSignals(RpcHttpServer& server) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::system_error(errno, std::generic_category(), "pipe2");
  }
  gSignalWriteFd = fds[1];
  struct sigaction action {};
  action.sa_handler = writeSignalToPipe;
  sigemptyset(&action.sa_mask);
  struct sigaction previousInt {};
  struct sigaction previousTerm {};
  sigaction(SIGINT, &action, &previousInt);
  sigaction(SIGTERM, &action, &previousTerm);

  int received = 0;
  while (received == 0 && server.running()) {
    pollfd watch{fds[0], POLLIN, 0};
    if (poll(&watch, 1, 200) > 0) {
      unsigned char byte = 0;
      if (read(fds[0], &byte, 1) == 1) received = byte;
    }
  }

  sigaction(SIGINT, &previousInt, nullptr);
  sigaction(SIGTERM, &previousTerm, nullptr);
  gSignalWriteFd = -1;
  close(fds[0]);
  close(fds[1]);
  server.stop();
  return received;
}

}  // namespace server
