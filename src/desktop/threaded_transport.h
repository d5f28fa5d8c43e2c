// A transport that makes each exchange on a worker thread while the UI thread's event loop keeps
// the windows painted and the busy animation turning (off_thread_call.h).
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "remote/transport.h"

namespace desktop {

class ThreadedTransport : public remote::Transport {
 public:
  // REQUIRES: `inner` not null and safe to call from another thread.
  // `limit` bounds the whole exchange on top of the inner transport's own timeouts, so that even a
  // transport that hangs gives the user an answer.
  ThreadedTransport(std::shared_ptr<remote::Transport> inner, std::chrono::milliseconds limit);

  // GUARANTEES: the inner post's answer, or what it threw.
  // ERRORS: RemoteError (Kind::Transport) naming the endpoint when `limit` passes first.
  remote::HttpResponse post(const std::string& path, const std::string& body,
                            const remote::HttpHeaders& headers) override;
  std::string endpoint() const override { return inner_->endpoint(); }

 private:
  // Shared with the worker, which may outlive an exchange that timed out.
  std::shared_ptr<remote::Transport> inner_;
  std::chrono::milliseconds limit_;
};

// The limit for a transport with `options`: its connect, write and read timeouts and a margin.
std::chrono::milliseconds exchangeLimit(const remote::TransportOptions& options);

// Wraps every transport `inner` makes in a ThreadedTransport.
remote::TransportFactory threadedTransportFactory(remote::TransportFactory inner);

}  // namespace desktop
