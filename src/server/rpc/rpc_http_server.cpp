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
#include <charconv>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <limits>
#include <mutex>
#include <optional>
#include <ostream>
#include <set>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "platform/json.h"
#include "server/rpc/guarded_connections.h"
#include "server/rpc/login_throttle.h"
#include "server/rpc/session_store.h"
#include "wire/json_rpc.h"

namespace server {

namespace json = platform::json;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kJson = "application/json; charset=utf-8";

// What is read and dropped, at most, after refusing a logged-in client's body.
constexpr size_t kSessionDrainBytes = 16 * 1024 * 1024;
// Login bodies hold an operator and a password: a few hundred bytes.
constexpr size_t kLoginBodyLimit = 16 * 1024;
// The call deadline writes its answer under a lock: a client that does not read cannot hold it.
constexpr std::chrono::milliseconds kDeadlineWriteLimit(2000);
constexpr const char* kBusyMessage =
    "Servidor ocupado: todas as conexões do servidor de aplicação estão em uso. Tente novamente "
    "em instantes.";

// Client-supplied names go into the log; control characters would let a caller forge lines.
std::string loggable(std::string_view text, size_t max = 120) {
  std::string out;
  for (char c : text.substr(0, max)) {
    out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
  }
  if (text.size() > max) out += "...";
  return out.empty() ? "-" : out;
}

std::string secondsText(std::chrono::milliseconds duration) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", static_cast<double>(duration.count()) / 1000.0);
  return text;
}

bool hasBody(const httplib::Request& req) {
  return req.has_header("Transfer-Encoding") ||
         (req.has_header("Content-Length") && req.get_header_value("Content-Length") != "0");
}

// The Content-Length the request declares; nullopt without one (or when not a plain number,
// which framingFault refuses).
std::optional<size_t> declaredLength(const httplib::Request& req) {
  if (!req.has_header("Content-Length")) return std::nullopt;
  const std::string value = req.get_header_value("Content-Length");
  size_t length = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), length);
  if (error == std::errc::result_out_of_range) return std::numeric_limits<size_t>::max();
  if (error != std::errc() || end != value.data() + value.size()) return std::nullopt;
  return length;
}

std::string lowerTrimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
    text.remove_suffix(1);
  std::string out(text);
  for (char& c : out)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Why the request's length cannot be told for sure, or null. Two readings of where a body ends
// are how requests get smuggled past a proxy, so any doubt is refused.
const char* framingFault(const httplib::Request& req) {
  const size_t lengths = req.get_header_value_count("Content-Length");
  const size_t codings = req.get_header_value_count("Transfer-Encoding");
  if (lengths > 0 && codings > 0) return "Content-Length e Transfer-Encoding juntos";
  if (codings > 1) return "Transfer-Encoding repetido";
  if (codings == 1 && lowerTrimmed(req.get_header_value("Transfer-Encoding")) != "chunked") {
    return "Transfer-Encoding não suportado (só chunked)";
  }
  if (lengths == 0) return nullptr;
  const std::string first = req.get_header_value("Content-Length");
  if (first.empty() || first.find_first_not_of("0123456789") != std::string::npos) {
    return "Content-Length inválido";
  }
  for (size_t i = 1; i < lengths; ++i) {
    if (req.get_header_value("Content-Length", i) != first) return "Content-Length conflitantes";
  }
  return nullptr;
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
    case kServerBusy:
      return 503;
    case kCallTimedOut:
      return 504;
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
        sessions(options.sessions ? options.sessions
                                  : std::make_shared<MemorySessionStore>(
                                        options.sessionIdleTimeout, nullptr,
                                        [&a](const std::string& op) { return a.isActive(op); })),
        answers(options.answers
                    ? options.answers
                    : std::make_shared<MemoryAnswerStore>(64, std::chrono::minutes(10))) {}

  Dispatcher& dispatcher;
  Authenticator& authenticator;
  RpcServerOptions options;
  std::shared_ptr<SessionStore> sessions;
  LoginThrottle loginThrottle;
  std::shared_ptr<AnswerStore> answers;
  guard::ConnectionLimits limits;
  guard::ConnectionStats stats;
  guard::PoolSlot slot;
  guard::CallDeadlines deadlines;
  std::atomic<uint64_t> replayCount{0};
  std::unique_ptr<httplib::Server> http;
  std::function<void()> widenBacklog;
  bool tls = false;

  // Writes running now, by operator and request id: a resend arriving meanwhile waits for the
  // first to end instead of running the write a second time.
  std::mutex runningMutex;
  std::condition_variable runningDone;
  std::set<std::string> runningWrites;

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

  // The request's body is left unread: the connection must close after the answer.
  static void closeAfter(httplib::Response& res) {
    if (guard::RequestControl* control = guard::currentRequest()) control->closeAfter = true;
    res.set_header("Connection", "close");
  }

  // The body through `reader`, at most `limit` bytes; nullopt after answering the refusal.
  std::optional<std::string> readBody(const httplib::Request& req, httplib::Response& res,
                                      const httplib::ContentReader& reader, size_t limit,
                                      bool rpcEnvelope, std::string_view target,
                                      Clock::time_point started) {
    std::string body;
    body.reserve(std::min<size_t>(limit, declaredLength(req).value_or(0)));
    bool over = false;
    const bool complete = reader([&](const char* data, size_t size) {
      if (size > limit - body.size()) {
        over = true;
        return false;
      }
      body.append(data, size);
      return true;
    });
    if (complete && !over) return body;
    const int code = over ? kRequestTooLarge : kInvalidRequest;
    const std::string message =
        over ? "Requisição excede o limite de " + std::to_string(limit) + " bytes"
             : std::string("Requisição incompleta: o corpo não chegou inteiro a tempo");
    res.status = statusFor(code);
    res.set_content(rpcEnvelope ? wire::encodeError("null", code, message)
                                : wire::encodeErrorObject(code, message),
                    kJson);
    closeAfter(res);
    log("-", target, started, faultOutcome(code, message));
    return std::nullopt;
  }

  void handleLogin(const httplib::Request& req, httplib::Response& res,
                   const httplib::ContentReader& reader) {
    const auto started = Clock::now();
    const std::optional<std::string> text =
        readBody(req, res, reader, kLoginBodyLimit, false, "login", started);
    if (!text) return;
    json::Value body;
    try {
      body = json::parse(*text, 8);
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
      answerError(res, kInternalError, "Erro interno no servidor de aplicação ao validar o login");
      log(op->asString(), "login", started, faultOutcome(kInternalError, e.what()));
      return;
    }
    if (!operatorCode) {
      answerError(res, kNotAuthenticated, "Operador ou senha inválidos");
      log(op->asString(), "login", started, "refused");
      return;
    }
    loginThrottle.succeeded(op->asString(), req.remote_addr);
    const std::string token = sessions->open(*operatorCode);
    json::Value::Object answer{{"token", json::Value(token)},
                               {"operator", json::Value(*operatorCode)}};
    res.status = 200;
    res.set_content(json::write(json::Value(std::move(answer))), kJson);
    log(*operatorCode, "login", started, "ok");
  }

  // The operator whose session the head of this request named (checked before its body).
  static std::string sessionOperator() {
    const guard::RequestControl* control = guard::currentRequest();
    return control != nullptr ? control->operatorCode : std::string();
  }

  void handleLogout(const httplib::Request& req, httplib::Response& res,
                    const httplib::ContentReader& reader) {
    const auto started = Clock::now();
    if (!readBody(req, res, reader, options.maxBodyBytes, false, "logout", started)) return;
    const std::string operatorCode = sessionOperator();
    sessions->close(bearerToken(req));
    res.status = 200;
    res.set_content("{}", kJson);
    log(operatorCode, "logout", started, "ok");
  }

  void handleSession(const httplib::Request& req, httplib::Response& res,
                     const httplib::ContentReader& reader) {
    const auto started = Clock::now();
    if (!readBody(req, res, reader, options.maxBodyBytes, false, "session", started)) return;
    json::Value::Object answer{{"operator", json::Value(sessionOperator())}};
    res.status = 200;
    res.set_content(json::write(json::Value(std::move(answer))), kJson);
  }

  // The whole HTTP answer the call deadline writes in the handler's place.
  std::string timedOutAnswer(std::string_view id) const {
    const std::string body = wire::encodeError(
        id, kCallTimedOut,
        "O servidor de aplicação não concluiu a chamada em " + secondsText(options.callTimeout) +
            ". Tente novamente em instantes; se persistir, avise o suporte.");
    return "HTTP/1.1 504 Gateway Timeout\r\nContent-Type: " + std::string(kJson) +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
           body;
  }

  // Runs the call; answers a resend of a kept write from the store. Throws what the dispatcher
  // throws.
  platform::Variant runCall(const CallContext& context, std::string_view object,
                            const wire::RpcRequest& request, bool& replayed) {
    replayed = false;
    const bool keep = !request.requestId.empty() && dispatcher.writes(object, request.method);
    if (!keep) return dispatcher.call(context, object, request.method, request.params);
    const std::string call = std::string(object) + "." + request.method;
    const std::string key = context.operatorCode + '\n' + request.requestId;
    {
      std::unique_lock lock(runningMutex);
      runningDone.wait(lock, [&] { return runningWrites.count(key) == 0; });
      runningWrites.insert(key);
    }
    struct Done {
      Impl& impl;
      const std::string& key;
      ~Done() {
        {
          std::lock_guard lock(impl.runningMutex);
          impl.runningWrites.erase(key);
        }
        impl.runningDone.notify_all();
      }
    } done{*this, key};
    // Outside the lock: a shared store may wait here for another server's run of the same id.
    if (std::optional<KeptAnswer> kept =
            answers->claim(context.operatorCode, request.requestId, call)) {
      if (kept->call != call) {
        throw RpcFault(kInvalidRequest,
                       "Requisição inválida: o identificador \"requestId\" já foi usado em "
                       "outra chamada");
      }
      replayed = true;
      ++replayCount;
      return std::move(kept->result);
    }
    platform::Variant result;
    try {
      result = dispatcher.call(context, object, request.method, request.params);
    } catch (...) {
      try {
        answers->release(context.operatorCode, request.requestId);
      } catch (const std::exception&) {
        // The claim then lapses by age; the call's own failure is what the client must see.
      }
      throw;
    }
    answers->keep(context.operatorCode, request.requestId, KeptAnswer{call, result});
    return result;
  }

  void handleRpc(const httplib::Request& req, httplib::Response& res,
                 const httplib::ContentReader& reader) {
    const auto started = Clock::now();
    const std::string object = req.matches.size() > 1 ? std::string(req.matches[1]) : "";
    const std::optional<std::string> body =
        readBody(req, res, reader, options.maxBodyBytes, true, loggable(object), started);
    if (!body) return;
    const std::string operatorCode = sessionOperator();

    wire::RpcDecoded decoded = wire::decodeRequest(*body);
    if (auto* rejected = std::get_if<wire::RpcRejected>(&decoded)) {
      const int code = rejected->fault.code();
      res.status = statusFor(code);
      res.set_content(wire::encodeError(rejected->id, code, rejected->fault.what()), kJson);
      log(operatorCode, loggable(object), started, faultOutcome(code, rejected->fault.what()));
      return;
    }
    const wire::RpcRequest& request = std::get<wire::RpcRequest>(decoded);
    const std::string target = loggable(object) + "." + loggable(request.method);

    guard::RequestControl* control = guard::currentRequest();
    if (control != nullptr) {
      deadlines.arm(*control, started + options.callTimeout, timedOutAnswer(request.id),
                    std::min<std::chrono::milliseconds>(options.ioTimeout, kDeadlineWriteLimit));
    }
    std::string notes;
    CallContext context{operatorCode, [&notes](std::string_view detail) {
                          if (!notes.empty()) notes += "; ";
                          notes += detail;
                        }};
    int code = 0;
    std::string message;
    std::string content;
    std::string outcome;
    try {
      bool replayed = false;
      const platform::Variant result = runCall(context, object, request, replayed);
      content = wire::encodeResult(request.id, result);
      outcome = replayed ? "ok replayed" : result.isText() ? "ok text" : "ok";
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
    if (code != 0) {
      content = wire::encodeError(request.id, code, message);
      outcome = faultOutcome(code, message);
    }
    if (!notes.empty()) outcome += " (" + loggable(notes, 2000) + ")";
    if (control != nullptr && !deadlines.disarm(*control)) {
      log(operatorCode, target, started, "answered at the call deadline; then " + outcome);
      return;
    }
    res.status = code == 0 ? 200 : statusFor(code);
    res.set_content(std::move(content), kJson);
    log(operatorCode, target, started, outcome);
  }

  // The head of every request, before its body is read: its framing, its path, its declared
  // length and its session.
  httplib::Server::HandlerResponse screen(const httplib::Request& req, httplib::Response& res) {
    using Handled = httplib::Server::HandlerResponse;
    const bool rpc = req.path.rfind("/rpc/", 0) == 0;
    const auto refuse = [&](int status, int code, const std::string& message) {
      res.status = status;
      res.set_content(
          rpc ? wire::encodeError("null", code, message) : wire::encodeErrorObject(code, message),
          kJson);
      if (hasBody(req)) closeAfter(res);
      log("-", loggable(req.path), Clock::now(), faultOutcome(code, message));
      return Handled::Handled;
    };
    if (const char* fault = framingFault(req)) {
      return refuse(400, kInvalidRequest, std::string("Requisição HTTP inválida: ") + fault);
    }
    const bool login = req.path == "/login";
    const bool known = login || req.path == "/logout" || req.path == "/session" ||
                       (rpc && req.path.size() > 5 && req.path.find('/', 5) == std::string::npos);
    if (!known || req.method != "POST") {
      return refuse(404, kMethodNotFound, "Recurso não encontrado: " + loggable(req.path));
    }
    guard::RequestControl* control = guard::currentRequest();
    if (!login) {
      const std::string token = bearerToken(req);
      std::optional<std::string> operatorCode;
      if (!token.empty()) operatorCode = sessions->touch(token);
      if (!operatorCode) {
        return refuse(401, kNotAuthenticated,
                      token.empty() ? "Sessão não informada: faça o login"
                                    : "Sessão inválida ou expirada: faça o login novamente");
      }
      if (control != nullptr) {
        control->operatorCode = std::move(*operatorCode);
        // A logged-in client that sends its whole body before reading (as most do) must still
        // see the refusal: more of what it sends is read and dropped before closing.
        control->drainBytes = kSessionDrainBytes;
      }
    }
    const size_t limit = login ? kLoginBodyLimit : options.maxBodyBytes;
    if (declaredLength(req).value_or(0) > limit) {
      return refuse(413, kRequestTooLarge,
                    "Requisição excede o limite de " + std::to_string(limit) + " bytes");
    }
    return Handled::Unhandled;
  }

  // Answers httplib's own refusals (bad HTTP) in JSON too.
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

  std::string busyAnswer() const {
    const std::string body = wire::encodeError("null", kServerBusy, kBusyMessage);
    return "HTTP/1.1 503 Service Unavailable\r\nContent-Type: " + std::string(kJson) +
           "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nRetry-After: 1\r\nConnection: close\r\n\r\n" + body;
  }

  void makeServer() {
    limits.headerTimeout = options.headerTimeout;
    limits.requestTimeout = std::max(options.requestTimeout, options.headerTimeout);
    limits.writeTimeout = options.ioTimeout;
    limits.keepAliveTimeout = options.keepAliveTimeout;
    // Chunk framing may double a body of tiny chunks; the handlers hold the decoded body to
    // maxBodyBytes.
    limits.maxBodyWireBytes = 2 * std::max(options.maxBodyBytes, kLoginBodyLimit) + 64 * 1024;
    limits.busyAnswer = busyAnswer();
    if (options.tlsCertFile.empty() != options.tlsKeyFile.empty()) {
      throw std::runtime_error("TLS: informe o certificado e a chave privada juntos");
    }
    if (!options.tlsCertFile.empty()) {
      auto server = std::make_unique<guard::GuardedServer<httplib::SSLServer>>(
          limits, stats, slot, options.tlsCertFile.c_str(), options.tlsKeyFile.c_str());
      if (!server->is_valid()) {
        throw std::runtime_error("TLS: não foi possível carregar o certificado " +
                                 options.tlsCertFile + " e a chave " + options.tlsKeyFile);
      }
      // Only TLS 1.2 and later.
      SSL_CTX_set_min_proto_version(server->ssl_context(), TLS1_2_VERSION);
      widenBacklog = [s = server.get()] { s->widenBacklog(); };
      http = std::move(server);
      tls = true;
    } else {
      auto server = std::make_unique<guard::GuardedServer<httplib::Server>>(limits, stats, slot);
      widenBacklog = [s = server.get()] { s->widenBacklog(); };
      http = std::move(server);
    }
  }

  void configure() {
    makeServer();
    const size_t threads = std::max<size_t>(1, options.threads);
    const size_t waiting = options.maxWaiting;
    http->new_task_queue = [this, threads, waiting] {
      auto* pool = new guard::WorkerPool(threads, waiting);
      std::lock_guard lock(slot.mutex);
      slot.pool = pool;
      return pool;
    };
    http->set_payload_max_length(limits.maxBodyWireBytes);
    http->set_keep_alive_max_count(limits.keepAliveMaxCount);
    // The library's default is SO_REUSEPORT, which lets a second server bind the same port and
    // take half of the connections. Only SO_REUSEADDR: a restart may rebind at once.
    http->set_socket_options([](socket_t sock) {
      int yes = 1;
      setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    http->set_pre_routing_handler(
        [this](const httplib::Request& req, httplib::Response& res) { return screen(req, res); });
    using Reader = httplib::ContentReader;
    http->Post("/login", [this](const httplib::Request& req, httplib::Response& res,
                                const Reader& reader) { handleLogin(req, res, reader); });
    http->Post("/logout", [this](const httplib::Request& req, httplib::Response& res,
                                 const Reader& reader) { handleLogout(req, res, reader); });
    http->Post("/session", [this](const httplib::Request& req, httplib::Response& res,
                                  const Reader& reader) { handleSession(req, res, reader); });
    http->Post(R"(/rpc/([^/]+))", [this](const httplib::Request& req, httplib::Response& res,
                                         const Reader& reader) { handleRpc(req, res, reader); });
    http->set_error_handler(httplib::Server::HandlerWithResponse(
        [this](const httplib::Request& req, httplib::Response& res) {
          return handleError(req, res);
        }));
    http->set_exception_handler(
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
    port = s.http->bind_to_any_port(address);
  } else if (!s.http->bind_to_port(address, port)) {
    port = -1;
  }
  if (port <= 0) {
    throw std::runtime_error("Não foi possível abrir o servidor em " + address + ":" +
                             std::to_string(s.options.port));
  }
  s.port = port;
  s.widenBacklog();
  s.listener = std::thread([&s] {
    s.http->listen_after_bind();
    s.listenReturned = true;
  });
  // httplib's stop() is a no-op until its accept loop runs, so wait for it here: a stop() right
  // after start() must not be lost.
  while (!s.http->is_running() && !s.listenReturned) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (!s.http->is_running()) {
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
  s.http->stop();
  s.listener.join();
}

bool RpcHttpServer::running() const {
  return impl_->running;
}

int RpcHttpServer::port() const {
  return impl_->port;
}

size_t RpcHttpServer::sessionCount() const {
  return impl_->sessions->size();
}

RpcServerStats RpcHttpServer::stats() const {
  RpcServerStats out;
  out.bytesReceived = impl_->stats.bytesReceived;
  out.busyRefusals = impl_->stats.busyRefusals;
  out.deadlineClosures = impl_->stats.deadlineClosures;
  out.replayedAnswers = impl_->replayCount;
  return out;
}

bool RpcHttpServer::tls() const {
  return impl_->tls;
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
