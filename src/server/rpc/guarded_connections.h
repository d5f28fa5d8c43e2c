// The listener's connection handling, in place of the HTTP library's own: every read and write
// runs against an absolute deadline (a trickled request head cannot hold a worker by sending a
// byte now and then), the bytes read per request are bounded, idle kept-alive connections give
// their worker up when others wait, and connections beyond the workers and a bounded waiting line
// are answered "servidor ocupado" at once. Internal to the listener (it includes the HTTP
// library).
#pragma once

// The system's HTTP library is built with TLS: its header must say so wherever it is included.
#ifndef CPPHTTPLIB_OPENSSL_SUPPORT
#define CPPHTTPLIB_OPENSSL_SUPPORT
#endif
#include <httplib.h>
#include <openssl/ssl.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace server::guard {

using Clock = std::chrono::steady_clock;

struct ConnectionLimits {
  // From a connection's accept, or a later request's first byte, to the end of the request head.
  std::chrono::milliseconds headerTimeout = std::chrono::seconds(10);
  // From the same start to the end of the request's body.
  std::chrono::milliseconds requestTimeout = std::chrono::seconds(60);
  // For each write of an answer to complete.
  std::chrono::milliseconds writeTimeout = std::chrono::seconds(30);
  // How long an idle kept-alive connection holds its worker while nobody else waits for one.
  std::chrono::milliseconds keepAliveTimeout = std::chrono::seconds(5);
  size_t keepAliveMaxCount = 1000;
  size_t maxHeadBytes = 64 * 1024;
  // Bytes of a body as sent (chunk framing included) read at most; the handlers enforce the
  // exact limit on the decoded body.
  size_t maxBodyWireBytes = 32 * 1024 * 1024;
  // The answer given to a connection refused for want of workers: a whole HTTP response.
  std::string busyAnswer;
};

struct ConnectionStats {
  std::atomic<uint64_t> bytesReceived{0};
  std::atomic<uint64_t> busyRefusals{0};
  std::atomic<uint64_t> deadlineClosures{0};
};

class GuardedStream;

// What the handlers of one request tell the connection loop, reachable from the worker serving it
// through currentRequest().
struct RequestControl {
  GuardedStream* stream = nullptr;
  bool closeAfter = false;  // the request's body was not read: the connection cannot go on
  // With closeAfter: at most this much more is read and dropped, so the client reads the answer
  // instead of a reset.
  size_t drainBytes = 256 * 1024;
  std::string operatorCode;  // the live session's operator, checked before the body is read
  // Set once, by whoever answers a call watched by CallDeadlines first: its handler or the
  // deadline.
  std::atomic<bool> answered{false};
  std::atomic<bool> answeredByDeadline{false};
};

// The request the calling worker thread serves; null outside a request.
RequestControl* currentRequest();

// An httplib stream over a non-blocking socket, plain or TLS, whose reads and writes give up at
// their deadline and whose reads stop at a byte budget.
class GuardedStream final : public httplib::Stream {
 public:
  // Takes ownership of `ssl` (may be null for plain TCP), not of `sock`.
  GuardedStream(socket_t sock, SSL* ssl, ConnectionStats& stats);
  ~GuardedStream() override;

  bool is_readable() const override;
  bool is_writable() const override;
  ssize_t read(char* ptr, size_t size) override;
  ssize_t write(const char* ptr, size_t size) override;
  void get_remote_ip_and_port(std::string& ip, int& port) const override;
  void get_local_ip_and_port(std::string& ip, int& port) const override;
  socket_t socket() const override { return sock_; }

  // The TLS handshake, by `deadline`. True for plain TCP.
  bool handshake(Clock::time_point deadline);
  // Reads from now on give up at `deadline` and after `budget` more bytes.
  void limitReads(Clock::time_point deadline, size_t budget);
  // Waits until bytes of a next request are there (true), `deadline` passes or `giveUp` says so
  // (false); `giveUp` is asked every few milliseconds.
  bool waitForBytes(Clock::time_point deadline, const std::function<bool()>& giveUp);
  // Writes all of `bytes` by `deadline`; false when it could not.
  bool writeAll(std::string_view bytes, Clock::time_point deadline);
  // Refuses every later write: the answer was given by someone else.
  void closeForWrites() { writesClosed_ = true; }
  // Ends the connection politely: TLS close notify, FIN, then reads and drops what the client
  // still sends (so our answer is not lost to a reset), at most `drainBytes` or until `deadline`.
  void finish(size_t drainBytes, Clock::time_point deadline);
  bool deadlinePassed() const { return deadlinePassed_; }
  void setWriteTimeout(std::chrono::milliseconds timeout) { writeTimeout_ = timeout; }

 private:
  ssize_t receive(char* ptr, size_t size);
  bool waitFor(short events, Clock::time_point deadline);

  socket_t sock_;
  SSL* ssl_;
  ConnectionStats& stats_;
  std::vector<char> buffer_;
  size_t bufferBegin_ = 0;
  size_t bufferEnd_ = 0;
  Clock::time_point readDeadline_;
  size_t readBudget_ = 0;
  bool deadlinePassed_ = false;
  std::chrono::milliseconds writeTimeout_{30000};
  std::atomic<bool> writesClosed_{false};
};

// The listener's workers: `threads` threads and a line of at most `maxWaiting` connections; a
// connection beyond them is handed to a refuser that answers limits.busyAnswer.
class WorkerPool final : public httplib::TaskQueue {
 public:
  WorkerPool(size_t threads, size_t maxWaiting);
  ~WorkerPool() override;

  void enqueue(std::function<void()> fn) override;
  void shutdown() override;

  // Connections wait for a worker: idle kept-alive connections should let theirs go.
  bool workersShort() const { return waiting_.load() > 0; }

 private:
  void work(bool refuser);

  size_t maxWaiting_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  std::deque<std::function<void()>> refusals_;
  std::atomic<size_t> waiting_{0};
  size_t idle_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

using ProcessRequest =
    std::function<bool(httplib::Stream&, bool closeConnection, bool& connectionClosed,
                       const std::function<void(httplib::Request&)>& setup)>;

// Serves one accepted connection until it ends, then closes `sock`. `ctx` non-null: TLS.
// `stopping` says the server is shutting down.
void serveConnection(socket_t sock, SSL_CTX* ctx, const ConnectionLimits& limits, WorkerPool& pool,
                     ConnectionStats& stats, const std::function<bool()>& stopping,
                     const ProcessRequest& process);

// The workers' pool of the running server, for serveConnection; set by the server's task queue
// factory.
struct PoolSlot {
  std::mutex mutex;
  WorkerPool* pool = nullptr;
};

// httplib's server (plain or TLS) with the connection handling above.
template <class Base>
class GuardedServer final : public Base {
 public:
  template <class... Args>
  GuardedServer(const ConnectionLimits& limits, ConnectionStats& stats, PoolSlot& slot,
                Args&&... args)
      : Base(std::forward<Args>(args)...), limits_(limits), stats_(stats), slot_(slot) {}

  // The library listens with a backlog of 5: a burst of desktops connecting at once would see
  // their handshakes dropped and retried a second later. Call after binding.
  void widenBacklog() {
    if (this->svr_sock_ != INVALID_SOCKET) ::listen(this->svr_sock_, SOMAXCONN);
  }

 private:
  bool process_and_close_socket(socket_t sock) override {
    WorkerPool* pool = nullptr;
    {
      std::lock_guard lock(slot_.mutex);
      pool = slot_.pool;
    }
    SSL_CTX* ctx = nullptr;
    if constexpr (std::is_base_of_v<httplib::SSLServer, Base>) ctx = this->ssl_context();
    serveConnection(
        sock, ctx, limits_, *pool, stats_, [this] { return this->svr_sock_ == INVALID_SOCKET; },
        [this](httplib::Stream& strm, bool close, bool& closed,
               const std::function<void(httplib::Request&)>& setup) {
          return this->process_request(strm, close, closed, setup);
        });
    return true;
  }

  const ConnectionLimits& limits_;
  ConnectionStats& stats_;
  PoolSlot& slot_;
};

// Answers calls that run past their deadline: at the deadline the call's prepared answer is
// written and the connection closed, while the call itself runs on to its end (its answer then
// goes nowhere).
class CallDeadlines {
 public:
  CallDeadlines();
  ~CallDeadlines();

  // Watches `control` until disarm(). `answer` is the whole HTTP response to give at `deadline`.
  void arm(RequestControl& control, Clock::time_point deadline, std::string answer,
           std::chrono::milliseconds writeTimeout);
  // Stops watching; waits while the deadline's answer is being written. True when the call is
  // still the handler's to answer; false when the deadline answered it already.
  bool disarm(RequestControl& control);

 private:
  struct Watch {
    RequestControl* control;
    std::string answer;
    std::chrono::milliseconds writeTimeout;
  };
  void run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::multimap<Clock::time_point, Watch> watches_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace server::guard
