#include "remote/http_transport.h"

#include <httplib.h>
#include <signal.h>

#include <charconv>
#include <cstdio>
#include <mutex>

#include "remote/remote_error.h"

namespace remote {

namespace {

using Clock = std::chrono::steady_clock;

// Below the server's keep-alive timeout: reusing a connection the server is about to drop would
// lose the call.
constexpr auto kReuseIdleLimit = std::chrono::seconds(2);

std::mutex gCaMutex;
std::string gDefaultCaFile;

std::string secondsText(std::chrono::milliseconds duration) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", static_cast<double>(duration.count()) / 1000.0);
  return text;
}

std::string failureText(httplib::Error error, const std::string& endpoint,
                        const TransportOptions& options) {
  switch (error) {
    case httplib::Error::Connection:
      return "Não foi possível conectar ao servidor de aplicação em " + endpoint +
             " (conexão recusada ou servidor inacessível)";
    case httplib::Error::ConnectionTimeout:
      return "Não foi possível conectar ao servidor de aplicação em " + endpoint +
             " (tempo de conexão esgotado)";
    case httplib::Error::Read:
      return "O servidor de aplicação em " + endpoint + " não respondeu em " +
             secondsText(options.readTimeout) + " (tempo esgotado ou conexão interrompida)";
    case httplib::Error::SSLConnection:
      return "Falha na conexão segura (TLS) com o servidor de aplicação em " + endpoint +
             " (o servidor atende https?)";
    case httplib::Error::SSLLoadingCerts:
      return "Não foi possível ler os certificados confiáveis para a conexão segura com " +
             endpoint;
    case httplib::Error::SSLServerVerification:
      return "O certificado do servidor de aplicação em " + endpoint +
             " não é confiável (verifique a autoridade certificadora informada)";
    case httplib::Error::Write:
      return "Falha ao enviar a requisição ao servidor de aplicação em " + endpoint;
    default:
      return "Falha na comunicação com o servidor de aplicação em " + endpoint + " (" +
             httplib::to_string(error) + ")";
  }
}

// A server that drops the connection while a request is being written raises SIGPIPE, whose
// default action ends the process. A handler the host installed is left alone.
void ignoreBrokenPipes() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction current {};
    sigaction(SIGPIPE, nullptr, &current);
    if (current.sa_handler == SIG_DFL) signal(SIGPIPE, SIG_IGN);
  });
}

class HttpTransport final : public Transport {
 public:
  HttpTransport(ServerAddress address, const TransportOptions& options)
      : address_(std::move(address)), options_(options), client_(address_.url()) {
    ignoreBrokenPipes();
    if (address_.tls) {
      const std::string ca = options.tlsCaFile.empty() ? defaultTlsCaFile() : options.tlsCaFile;
      if (!ca.empty()) client_.set_ca_cert_path(ca.c_str());
      client_.enable_server_certificate_verification(true);
    }
    client_.set_keep_alive(true);
    // Headers and body go out in separate writes; with Nagle each call would wait on a delayed ACK.
    client_.set_tcp_nodelay(true);
    client_.set_connection_timeout(options.connectTimeout);
    client_.set_read_timeout(options.readTimeout);
    client_.set_write_timeout(options.writeTimeout);
  }

  HttpResponse post(const std::string& path, const std::string& body,
                    const HttpHeaders& headers) override {
    httplib::Headers httpHeaders;
    for (const auto& [name, value] : headers)
      httpHeaders.emplace(name, value);
    std::lock_guard lock(mutex_);
    const auto now = Clock::now();
    if (now - lastUse_ > kReuseIdleLimit) client_.stop();
    auto result = client_.Post(path, httpHeaders, body, "application/json");
    lastUse_ = Clock::now();
    if (!result) {
      client_.stop();
      throw RemoteError(RemoteError::Kind::Transport, 0,
                        failureText(result.error(), endpoint(), options_));
    }
    return HttpResponse{result->status, std::move(result->body)};
  }

  std::string endpoint() const override { return address_.text(); }

 private:
  ServerAddress address_;
  TransportOptions options_;
  std::mutex mutex_;
  httplib::Client client_;
  Clock::time_point lastUse_{};
};

[[noreturn]] void badAddress(std::string_view text, const std::string& why) {
  throw RemoteError(
      RemoteError::Kind::Transport, 0,
      "Endereço do servidor de aplicação inválido: \"" + std::string(text) + "\" (" + why + ")");
}

}  // namespace

void setDefaultTlsCaFile(std::string path) {
  std::lock_guard lock(gCaMutex);
  gDefaultCaFile = std::move(path);
}

std::string defaultTlsCaFile() {
  std::lock_guard lock(gCaMutex);
  return gDefaultCaFile;
}

ServerAddress parseServerUrl(std::string_view hostOrUrl, int port) {
  bool tls = false;
  std::string_view rest = hostOrUrl;
  while (!rest.empty() && rest.front() == ' ')
    rest.remove_prefix(1);
  while (!rest.empty() && rest.back() == ' ')
    rest.remove_suffix(1);
  if (const size_t scheme = rest.find("://"); scheme != std::string_view::npos) {
    std::string lower(rest.substr(0, scheme));
    for (char& c : lower)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower != "http" && lower != "https") badAddress(hostOrUrl, "só http e https são aceitos");
    tls = lower == "https";
    rest.remove_prefix(scheme + 3);
  }
  if (const size_t slash = rest.find('/'); slash != std::string_view::npos) {
    rest = rest.substr(0, slash);
  }
  ServerAddress address;
  address.port = port;
  if (const size_t colon = rest.rfind(':'); colon != std::string_view::npos) {
    const std::string_view digits = rest.substr(colon + 1);
    int embedded = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), embedded);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
      badAddress(hostOrUrl, "porta inválida");
    }
    address.port = embedded;
    rest = rest.substr(0, colon);
  }
  if (rest.empty()) badAddress(hostOrUrl, "servidor não informado");
  if (address.port < 1 || address.port > 65535) {
    badAddress(hostOrUrl, "porta " + std::to_string(address.port) + " fora de 1..65535");
  }
  address.host = std::string(rest);
  address.tls = tls;
  return address;
}

std::unique_ptr<Transport> makeHttpTransport(const std::string& hostOrUrl, int port,
                                             const TransportOptions& options) {
  return std::make_unique<HttpTransport>(parseServerUrl(hostOrUrl, port), options);
}

}  // namespace remote
