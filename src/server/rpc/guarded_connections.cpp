#include "server/rpc/guarded_connections.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace server::guard {

namespace {

using std::chrono::milliseconds;

constexpr size_t kBufferSize = 16 * 1024;
// How often an idle connection looks at the workers and at the server stopping.
constexpr milliseconds kIdleSlice(20);
// A refused or finished connection: what is read and dropped before closing.
constexpr size_t kDrainBytes = 256 * 1024;
constexpr milliseconds kDrainTime(200);
constexpr size_t kMaxRefusalsWaiting = 64;

thread_local RequestControl* tCurrent = nullptr;
enum class Mode { Serve, Refuse, Drop };
thread_local Mode tMode = Mode::Serve;

int msUntil(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

void endpointOf(socket_t sock, bool peer, std::string& ip, int& port) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  const int rc = peer ? getpeername(sock, reinterpret_cast<sockaddr*>(&address), &length)
                      : getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length);
  if (rc != 0) return;
  char text[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET) {
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
    inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
    port = ntohs(v4->sin_port);
  } else if (address.ss_family == AF_INET6) {
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
    inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
    port = ntohs(v6->sin6_port);
  }
  ip = text;
}

struct CurrentRequest {
  explicit CurrentRequest(RequestControl& control) { tCurrent = &control; }
  ~CurrentRequest() { tCurrent = nullptr; }
};

}  // namespace

RequestControl* currentRequest() {
  return tCurrent;
}

// ---- GuardedStream ----

GuardedStream::GuardedStream(socket_t sock, SSL* ssl, ConnectionStats& stats)
    : sock_(sock), ssl_(ssl), stats_(stats), buffer_(kBufferSize) {}

GuardedStream::~GuardedStream() {
  if (ssl_ != nullptr) SSL_free(ssl_);
}

bool GuardedStream::waitFor(short events, Clock::time_point deadline) {
  for (;;) {
    pollfd watch{sock_, events, 0};
    const int rc = poll(&watch, 1, msUntil(deadline));
    if (rc > 0) return true;
    if (rc == 0) {
      deadlinePassed_ = true;
      return false;
    }
    if (errno != EINTR) return false;
  }
}

bool GuardedStream::handshake(Clock::time_point deadline) {
  if (ssl_ == nullptr) return true;
  for (;;) {
    ERR_clear_error();
    const int rc = SSL_accept(ssl_);
    if (rc == 1) return true;
    const int error = SSL_get_error(ssl_, rc);
    if (error == SSL_ERROR_WANT_READ) {
      if (!waitFor(POLLIN, deadline)) return false;
    } else if (error == SSL_ERROR_WANT_WRITE) {
      if (!waitFor(POLLOUT, deadline)) return false;
    } else {
      return false;
    }
  }
}

void GuardedStream::limitReads(Clock::time_point deadline, size_t budget) {
  readDeadline_ = deadline;
  readBudget_ = budget;
}

ssize_t GuardedStream::receive(char* ptr, size_t size) {
  if (readBudget_ == 0) return -1;
  // Checked before every read, not only while waiting: bytes that keep coming must not carry a
  // request past its deadline.
  if (Clock::now() >= readDeadline_) {
    deadlinePassed_ = true;
    return -1;
  }
  size = std::min(size, readBudget_);
  for (;;) {
    ssize_t n = 0;
    if (ssl_ != nullptr) {
      ERR_clear_error();
      const int rc = SSL_read(ssl_, ptr, static_cast<int>(std::min<size_t>(size, 1 << 30)));
      if (rc > 0) {
        n = rc;
      } else {
        const int error = SSL_get_error(ssl_, rc);
        if (error == SSL_ERROR_ZERO_RETURN) return 0;
        if (error == SSL_ERROR_WANT_READ) {
          if (!waitFor(POLLIN, readDeadline_)) return -1;
          continue;
        }
        if (error == SSL_ERROR_WANT_WRITE) {
          if (!waitFor(POLLOUT, readDeadline_)) return -1;
          continue;
        }
        return -1;
      }
    } else {
      n = recv(sock_, ptr, size, 0);
      if (n == 0) return 0;
      if (n < 0) {
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
        if (!waitFor(POLLIN, readDeadline_)) return -1;
        continue;
      }
    }
    readBudget_ -= static_cast<size_t>(n);
    stats_.bytesReceived += static_cast<uint64_t>(n);
    return n;
  }
}

bool GuardedStream::is_readable() const {
  if (bufferBegin_ < bufferEnd_) return true;
  if (ssl_ != nullptr && SSL_pending(ssl_) > 0) return true;
  pollfd watch{sock_, POLLIN, 0};
  return poll(&watch, 1, msUntil(readDeadline_)) > 0;
}

bool GuardedStream::is_writable() const {
  pollfd watch{sock_, POLLOUT, 0};
  return !writesClosed_ && poll(&watch, 1, static_cast<int>(writeTimeout_.count())) > 0;
}

ssize_t GuardedStream::read(char* ptr, size_t size) {
  if (bufferBegin_ == bufferEnd_) {
    // The request head comes a byte at a time: read ahead into the buffer.
    if (size >= buffer_.size()) return receive(ptr, size);
    const ssize_t n = receive(buffer_.data(), buffer_.size());
    if (n <= 0) return n;
    bufferBegin_ = 0;
    bufferEnd_ = static_cast<size_t>(n);
  }
  const size_t n = std::min(size, bufferEnd_ - bufferBegin_);
  std::memcpy(ptr, buffer_.data() + bufferBegin_, n);
  bufferBegin_ += n;
  return static_cast<ssize_t>(n);
}

bool GuardedStream::writeAll(std::string_view bytes, Clock::time_point deadline) {
  while (!bytes.empty()) {
    if (ssl_ != nullptr) {
      ERR_clear_error();
      const int rc =
          SSL_write(ssl_, bytes.data(), static_cast<int>(std::min<size_t>(bytes.size(), 1 << 30)));
      if (rc > 0) {
        bytes.remove_prefix(static_cast<size_t>(rc));
        continue;
      }
      const int error = SSL_get_error(ssl_, rc);
      if (error == SSL_ERROR_WANT_WRITE) {
        if (!waitFor(POLLOUT, deadline)) return false;
      } else if (error == SSL_ERROR_WANT_READ) {
        if (!waitFor(POLLIN, deadline)) return false;
      } else {
        return false;
      }
    } else {
      const ssize_t n = send(sock_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n > 0) {
        bytes.remove_prefix(static_cast<size_t>(n));
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        if (!waitFor(POLLOUT, deadline)) return false;
      } else {
        return false;
      }
    }
  }
  return true;
}

ssize_t GuardedStream::write(const char* ptr, size_t size) {
  if (writesClosed_) return -1;
  if (!writeAll(std::string_view(ptr, size), Clock::now() + writeTimeout_)) return -1;
  return static_cast<ssize_t>(size);
}

void GuardedStream::get_remote_ip_and_port(std::string& ip, int& port) const {
  endpointOf(sock_, true, ip, port);
}

void GuardedStream::get_local_ip_and_port(std::string& ip, int& port) const {
  endpointOf(sock_, false, ip, port);
}

bool GuardedStream::waitForBytes(Clock::time_point deadline, const std::function<bool()>& giveUp) {
  if (bufferBegin_ < bufferEnd_) return true;
  if (ssl_ != nullptr && SSL_pending(ssl_) > 0) return true;
  for (;;) {
    if (giveUp()) return false;
    const Clock::time_point slice = std::min(deadline, Clock::now() + kIdleSlice);
    pollfd watch{sock_, POLLIN, 0};
    const int rc = poll(&watch, 1, msUntil(slice));
    if (rc > 0) return true;
    if (rc < 0 && errno != EINTR) return false;
    if (Clock::now() >= deadline) {
      deadlinePassed_ = true;
      return false;
    }
  }
}

void GuardedStream::finish(size_t drainBytes, Clock::time_point deadline) {
  if (ssl_ != nullptr) {
    ERR_clear_error();
    SSL_shutdown(ssl_);
  }
  ::shutdown(sock_, SHUT_WR);
  char sink[4096];
  while (drainBytes > 0) {
    pollfd watch{sock_, POLLIN, 0};
    if (poll(&watch, 1, msUntil(deadline)) <= 0) break;
    const ssize_t n = recv(sock_, sink, std::min(sizeof sink, drainBytes), 0);
    if (n <= 0) break;
    drainBytes -= static_cast<size_t>(n);
    stats_.bytesReceived += static_cast<uint64_t>(n);
  }
}

// ---- WorkerPool ----

WorkerPool::WorkerPool(size_t threads, size_t maxWaiting) : maxWaiting_(maxWaiting) {
  threads_.reserve(threads + 1);
  for (size_t i = 0; i < threads; ++i)
    threads_.emplace_back([this] { work(false); });
  threads_.emplace_back([this] { work(true); });
}

WorkerPool::~WorkerPool() {
  shutdown();
}

void WorkerPool::enqueue(std::function<void()> fn) {
  std::unique_lock lock(mutex_);
  if (idle_ > jobs_.size() || jobs_.size() - idle_ < maxWaiting_) {
    jobs_.push_back(std::move(fn));
    waiting_ = jobs_.size() > idle_ ? jobs_.size() - idle_ : 0;
  } else if (refusals_.size() < kMaxRefusalsWaiting) {
    refusals_.push_back(std::move(fn));
  } else {
    // Not even the refuser keeps up: the connection closes unanswered, on the listener's thread.
    lock.unlock();
    tMode = Mode::Drop;
    fn();
    tMode = Mode::Serve;
    return;
  }
  lock.unlock();
  wake_.notify_all();
}

void WorkerPool::work(bool refuser) {
  tMode = refuser ? Mode::Refuse : Mode::Serve;
  std::unique_lock lock(mutex_);
  for (;;) {
    auto& queue = refuser ? refusals_ : jobs_;
    if (!refuser) ++idle_;
    wake_.wait(lock, [&] { return stopping_ || !queue.empty(); });
    if (!refuser) --idle_;
    if (queue.empty()) return;  // stopping with nothing left
    std::function<void()> job = std::move(queue.front());
    queue.pop_front();
    if (!refuser) waiting_ = jobs_.size() > idle_ ? jobs_.size() - idle_ : 0;
    lock.unlock();
    job();
    lock.lock();
  }
}

void WorkerPool::shutdown() {
  {
    std::lock_guard lock(mutex_);
    if (stopping_ && threads_.empty()) return;
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : threads_)
    if (t.joinable()) t.join();
  threads_.clear();
}

// ---- the connection loop ----

namespace {

void refuse(GuardedStream& stream, const ConnectionLimits& limits, ConnectionStats& stats) {
  ++stats.busyRefusals;
  const auto deadline = Clock::now() + std::min<milliseconds>(limits.headerTimeout, kDrainTime * 5);
  if (!stream.handshake(deadline)) return;
  // Read what of the request has come, so the answer is not lost to a reset.
  stream.limitReads(Clock::now() + kDrainTime, limits.maxHeadBytes);
  char sink[4096];
  if (stream.waitForBytes(Clock::now() + kDrainTime, [] { return false; })) {
    stream.read(sink, sizeof sink);
  }
  if (stream.writeAll(limits.busyAnswer, deadline))
    stream.finish(kDrainBytes, Clock::now() + kDrainTime);
}

}  // namespace

void serveConnection(socket_t sock, SSL_CTX* ctx, const ConnectionLimits& limits, WorkerPool& pool,
                     ConnectionStats& stats, const std::function<bool()>& stopping,
                     const ProcessRequest& process) {
  const auto accepted = Clock::now();
  const int flags = fcntl(sock, F_GETFL, 0);
  fcntl(sock, F_SETFL, flags | O_NONBLOCK);
  int yes = 1;
  setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  SSL* ssl = nullptr;
  if (ctx != nullptr) {
    ssl = SSL_new(ctx);
    if (ssl == nullptr || SSL_set_fd(ssl, sock) != 1) {
      if (ssl != nullptr) SSL_free(ssl);
      ::close(sock);
      return;
    }
  }
  if (tMode == Mode::Drop) {
    ++stats.busyRefusals;
    if (ssl != nullptr) SSL_free(ssl);
    ::close(sock);
    return;
  }
  {
    GuardedStream stream(sock, ssl, stats);
    stream.setWriteTimeout(limits.writeTimeout);
    if (tMode == Mode::Refuse) {
      if (!stopping()) refuse(stream, limits, stats);
    } else if (stream.handshake(accepted + limits.headerTimeout)) {
      bool polite = false;
      size_t drain = kDrainBytes;
      for (size_t served = 0; served < limits.keepAliveMaxCount; ++served) {
        // The first request's time runs from the accept; later ones' from their first byte.
        const bool first = served == 0;
        const auto waitUntil =
            first ? accepted + limits.headerTimeout : Clock::now() + limits.keepAliveTimeout;
        if (!stream.waitForBytes(waitUntil,
                                 [&] { return stopping() || (!first && pool.workersShort()); })) {
          // An idle kept-alive connection ending is no deadline closure; a silent new one is.
          if (stream.deadlinePassed() && first) ++stats.deadlineClosures;
          break;
        }
        const auto start = first ? accepted : Clock::now();
        stream.limitReads(start + limits.headerTimeout, limits.maxHeadBytes);
        RequestControl control;
        control.stream = &stream;
        CurrentRequest current(control);
        bool closed = false;
        const bool last = served + 1 == limits.keepAliveMaxCount || stopping();
        const bool ok = process(stream, last, closed, [&](httplib::Request&) {
          stream.limitReads(start + limits.requestTimeout, limits.maxBodyWireBytes);
        });
        if (stream.deadlinePassed()) ++stats.deadlineClosures;
        if (control.answeredByDeadline) break;
        if (control.closeAfter) {
          polite = true;
          drain = control.drainBytes;
        }
        if (!ok || closed || last || control.closeAfter) break;
      }
      if (polite) stream.finish(drain, Clock::now() + kDrainTime * (drain > kDrainBytes ? 10 : 1));
    }
  }
  ::close(sock);
}

// ---- CallDeadlines ----

CallDeadlines::CallDeadlines() : thread_([this] { run(); }) {}

CallDeadlines::~CallDeadlines() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void CallDeadlines::arm(RequestControl& control, Clock::time_point deadline, std::string answer,
                        std::chrono::milliseconds writeTimeout) {
  bool earliest = false;
  {
    std::lock_guard lock(mutex_);
    earliest = watches_.empty() || deadline < watches_.begin()->first;
    watches_.emplace(deadline, Watch{&control, std::move(answer), writeTimeout});
  }
  // Waking the watcher for every call would cost each call a thread switch: only when its wait
  // must end sooner.
  if (earliest) wake_.notify_all();
}

bool CallDeadlines::disarm(RequestControl& control) {
  std::lock_guard lock(mutex_);
  for (auto it = watches_.begin(); it != watches_.end(); ++it) {
    if (it->second.control == &control) {
      watches_.erase(it);
      break;
    }
  }
  return !control.answered.exchange(true);
}

void CallDeadlines::run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (watches_.empty()) {
      wake_.wait(lock);
      continue;
    }
    const auto next = watches_.begin()->first;
    if (Clock::now() < next) {
      wake_.wait_until(lock, next);
      continue;
    }
    Watch watch = std::move(watches_.begin()->second);
    watches_.erase(watches_.begin());
    // Written under the lock: disarm() then waits for it, so the request outlives the write.
    if (!watch.control->answered.exchange(true)) {
      watch.control->answeredByDeadline = true;
      GuardedStream& stream = *watch.control->stream;
      stream.closeForWrites();
      stream.writeAll(watch.answer, Clock::now() + watch.writeTimeout);
      ::shutdown(stream.socket(), SHUT_RDWR);
    }
  }
}

}  // namespace server::guard
