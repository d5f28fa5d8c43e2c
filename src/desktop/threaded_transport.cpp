#include "desktop/threaded_transport.h"

#include <stdexcept>
#include <utility>

#include "desktop/off_thread_call.h"
#include "remote/remote_error.h"

namespace desktop {

ThreadedTransport::ThreadedTransport(std::shared_ptr<remote::Transport> inner,
                                     std::chrono::milliseconds limit)
    : inner_(std::move(inner)), limit_(limit) {
  if (inner_ == nullptr) throw std::invalid_argument("ThreadedTransport: no inner transport");
}

remote::HttpResponse ThreadedTransport::post(const std::string& path, const std::string& body,
                                             const remote::HttpHeaders& headers) {
  try {
    return callOffUiThread(
        [inner = inner_, path, body, headers] { return inner->post(path, body, headers); }, limit_);
  } catch (const CallTimeout& timeout) {
    throw remote::RemoteError(remote::RemoteError::Kind::Transport, 0,
                              std::string(timeout.what()) + " (" + inner_->endpoint() + ")");
  }
}

std::chrono::milliseconds exchangeLimit(const remote::TransportOptions& options) {
  return options.connectTimeout + options.writeTimeout + options.readTimeout +
         std::chrono::seconds(5);
}

remote::TransportFactory threadedTransportFactory(remote::TransportFactory inner) {
  return [inner = std::move(inner)](
             const std::string& host, int port,
             const remote::TransportOptions& options) -> std::unique_ptr<remote::Transport> {
    std::shared_ptr<remote::Transport> made = inner(host, port, options);
    return std::make_unique<ThreadedTransport>(std::move(made), exchangeLimit(options));
  };
}

}  // namespace desktop
