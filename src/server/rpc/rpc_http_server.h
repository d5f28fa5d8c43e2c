// The application server's HTTP listener: JSON-RPC 2.0 calls on the remote objects, behind a
// bearer-token session.
//
// Endpoints (all POST, all answering JSON):
//   /login           {"operator":"..","password":".."} -> {"token":"..","operator":".."};
//                    a wrong operator or password -> 401 {"error":{"code":-32001,...}}
//   /logout          ends the caller's session -> {}
//   /session         checks the caller's session -> {"operator":".."}, or 401
//   /rpc/<object>    a JSON-RPC request (see wire/json_rpc.h) for the remote object <object>
// Every endpoint but /login needs "Authorization: Bearer <token>". HTTP statuses: 200 for results,
// unknown objects or methods and bad arguments; 400 for malformed requests (conflicting
// Content-Length headers, a transfer coding other than chunked, both at once); 401 without a live
// session; 413 for a body over the size limit; 404 for other paths; 500 when the method failed;
// 503 when every worker is busy and the waiting line is full; 504 for a call past its deadline.
// Every error answer carries a JSON body with "error": {"code","message"} (a JSON-RPC error object
// on /rpc).
//
// A request's head, its session and its declared length are checked before its body is read: an
// unauthenticated or oversized request is answered at once and its connection closed, with at
// most a bounded prefix of its body ever read. A write (Dispatcher::writes) carrying a request id
// is answered once per operator and id: a resend gets the kept answer (see answer_store.h).
//
// The server's own refusal of a call (a contract error) is an ordinary text result, produced by
// the dispatcher; only protocol faults are JSON-RPC errors.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "server/rpc/answer_store.h"
#include "server/rpc/dispatcher.h"
#include "server/rpc/session_store.h"

namespace server {

// Receives one finished log line (no newline). Calls are serialised by the server.
using LogSink = std::function<void(std::string_view line)>;

// A sink writing each line and a newline to `out`, flushed. `out` must outlive the server.
LogSink logTo(std::ostream& out);

struct RpcServerOptions {
  std::string bindAddress = "127.0.0.1";  // loopback unless told otherwise
  int port = 0;                           // 0: an ephemeral port, see RpcHttpServer::start
  // Worker threads. Each serves one kept-alive connection at a time and every open screen holds
  // three or four, so the pool is sized for a site's users, not for the cores.
  size_t threads = 64;
  // Connections waiting for a worker beyond which new ones are answered "servidor ocupado".
  size_t maxWaiting = 64;
  size_t maxBodyBytes = 8 * 1024 * 1024;
  std::chrono::milliseconds sessionIdleTimeout = std::chrono::minutes(30);
  // From a connection's accept (or a later request's first byte) to the end of the request head,
  // and to the end of its body: fixed deadlines, not restarted by each byte that arrives.
  std::chrono::milliseconds headerTimeout = std::chrono::seconds(10);
  std::chrono::milliseconds requestTimeout = std::chrono::seconds(60);
  // Longest wait for each write of an answer to the client.
  std::chrono::milliseconds ioTimeout = std::chrono::seconds(30);
  // How long an idle keep-alive connection holds its worker thread while no connection waits.
  std::chrono::milliseconds keepAliveTimeout = std::chrono::seconds(5);
  // A call still running this long after its request arrived is answered kCallTimedOut (it runs
  // on to its end; a write's answer is still kept for a resend).
  std::chrono::milliseconds callTimeout = std::chrono::seconds(100);
  // TLS: both set serves https with this certificate chain and private key (PEM files).
  std::string tlsCertFile;
  std::string tlsKeyFile;
  // Where writes' answers are kept; null: in memory, 64 per operator for 10 minutes.
  std::shared_ptr<AnswerStore> answers;
  // Where sessions live; null: in memory, idle for sessionIdleTimeout at most, ended at the next
  // call of an operator the authenticator no longer finds active.
  std::shared_ptr<SessionStore> sessions;
  LogSink log;  // null: no log
};

// Counters of the listener since it was made (for monitoring and tests).
struct RpcServerStats {
  uint64_t bytesReceived = 0;     // every byte read from every connection
  uint64_t busyRefusals = 0;      // connections answered "servidor ocupado" or dropped
  uint64_t deadlineClosures = 0;  // connections closed at a header or request deadline
  uint64_t replayedAnswers = 0;   // resent writes answered from the kept answers
};

class RpcHttpServer {
 public:
  // `dispatcher` and `authenticator` must outlive the server. Throws std::runtime_error when
  // options.tlsCertFile or tlsKeyFile is given alone or cannot be loaded.
  RpcHttpServer(Dispatcher& dispatcher, Authenticator& authenticator,
                RpcServerOptions options = {});
  // Stops the server if it runs.
  ~RpcHttpServer();

  RpcHttpServer(const RpcHttpServer&) = delete;
  RpcHttpServer& operator=(const RpcHttpServer&) = delete;

  // Binds and starts serving on background threads. Returns the bound port (the ephemeral one when
  // options.port is 0). REQUIRES: not started before. Throws std::runtime_error when the address
  // cannot be bound, std::logic_error when called twice.
  int start();

  // Stops accepting connections, lets the calls in flight finish and answer, and joins every
  // thread. Idempotent; safe from any thread but the server's own workers.
  void stop();

  // True from a successful start() until stop().
  bool running() const;
  int port() const;  // the bound port; 0 before start()

  // Live sessions (for monitoring and tests).
  size_t sessionCount() const;
  RpcServerStats stats() const;
  bool tls() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// For the server's main: blocks until SIGINT or SIGTERM arrives (or the server stops by other
// means), then stops the server. Returns the signal number, or 0 when the server stopped without
// one. The previous handlers of both signals are restored before returning. One call at a time per
// process.
int stopOnSignals(RpcHttpServer& server);

}  // namespace server
