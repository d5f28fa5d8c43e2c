// TNetConnection: the connection component to one named remote object of the application server.
//
// The screen names the object (ServerName), its before-connect handler sets Host and Port, and
// methods are called late-bound by name with their arguments in the contract's order:
//
//   TNetConnection netCustoServ("Rcx00500.rdmAnaCustRevRec");
//   netCustoServ.ThrowException = false;
//   netCustoServ.OnBeforeConnect = [](TNetConnection& c) { c.Host = ...; c.Port = ...; };
//   netCustoServ.open();
//   Variant packet = netCustoServ.call("GetCardapio", branch, service, Variant::date(46082));
//
// Failures: a server's own refusal (a contract error) is an ordinary text result. Transport
// failures (server unreachable, no answer within the timeouts) and protocol faults (unknown object
// or method, bad arguments, no session, an unreadable answer) raise RemoteError. A method that
// failed inside the server (an internal error) comes back as a text result holding its message
// when ThrowException is false, and raises RemoteError when it is true.
//
// A connection is meant for one thread at a time (the screen's); the transport under it may
// carry the exchange on another.
#pragma once

#include <concepts>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/variant.h"
#include "remote/remote_error.h"
#include "remote/session.h"
#include "remote/transport.h"

namespace remote {

class TNetConnection {
 public:
  explicit TNetConnection(std::string serverName = {});
  virtual ~TNetConnection();

  TNetConnection(const TNetConnection&) = delete;
  TNetConnection& operator=(const TNetConnection&) = delete;

  // The remote object, "Rcx00500.rdmAnaCustRevRec". Read when the connection opens.
  std::string ServerName;
  // The application server's address ("host", "http://host[:port]") and port. Read when the
  // connection opens, after OnBeforeConnect.
  std::string Host;
  int Port = 0;
  // false: an internal failure of a method comes back as its text result (see above).
  bool ThrowException = true;
  // Runs at every open(), before the address is read. An exception from it aborts the open.
  std::function<void(TNetConnection&)> OnBeforeConnect;
  // Connect and answer timeouts of the transport made at the next open().
  TransportOptions Timeouts;

  // The session this connection calls under; null means the process-wide default session.
  void setSession(std::shared_ptr<const Session> session);
  // The transport factory of this connection; null means the process-wide default (HTTP).
  void setTransportFactory(TransportFactory factory);

  // Process-wide defaults, set by the host shell once: the session it logged in with, and the
  // transport factory (the desktop's worker-thread transport). Thread-safe.
  static void setDefaultSession(std::shared_ptr<const Session> session);
  static std::shared_ptr<const Session> defaultSession();
  static void setDefaultTransportFactory(TransportFactory factory);

  // The connected flag. SetConnected(true) is open(), SetConnected(false) is close().
  bool Connected() const { return connected_; }
  void SetConnected(bool value);

  // Connects: runs OnBeforeConnect, makes the transport for Host:Port and checks that the server
  // answers and the session is live. No-op when already connected.
  // REQUIRES: ServerName not empty (else std::logic_error).
  // Throws RemoteError (Kind::Transport when the server cannot be reached in
  // Timeouts.connectTimeout; Kind::Protocol with kRpcNotAuthenticated without a live session);
  // the connection then stays closed.
  void open();
  // Drops the transport. No-op when closed; never throws.
  void close();

  // Calls `method` of the remote object with `params` in the contract's order and returns its
  // result. Opens the connection first when it is closed. Each call carries a request id of its
  // own; after a transport failure the call is sent once more, with the same id, on a fresh
  // connection (the server answers a write it already ran from its kept answer). Throws
  // RemoteError as described at the top of this file; the connection stays open after a protocol
  // fault and is closed after a transport failure that the resend did not mend.
  platform::Variant call(const std::string& method, const std::vector<platform::Variant>& params);

  // call("GetParams", branchCode) == call("GetParams", {branchCode}).
  template <class... Args>
  requires(!(sizeof...(Args) == 1 &&
             (std::is_same_v<std::remove_cvref_t<Args>, std::vector<platform::Variant>> && ...)) &&
           (std::constructible_from<platform::Variant, Args> && ...)) platform::Variant
      call(const std::string& method, Args&&... args) {
    return call(method,
                std::vector<platform::Variant>{platform::Variant(std::forward<Args>(args))...});
  }

 protected:
  // The one point every call passes through, after call(): a test wrapper overrides it to count or
  // script calls and delegates here for the real exchange.
  virtual platform::Variant invoke(const std::string& method,
                                   const std::vector<platform::Variant>& params);
  // The exchange of open() after OnBeforeConnect: makes the transport and checks the session.
  // A scripted connection overrides it to need no server.
  virtual void connect();
  // The exchange of close(). Never throws.
  virtual void disconnect() noexcept;

 private:
  std::shared_ptr<const Session> currentSession() const;
  std::string rpcPath() const;

  bool connected_ = false;
  std::shared_ptr<const Session> session_;
  TransportFactory factory_;
  std::unique_ptr<Transport> transport_;
  std::string openPath_;  // "/rpc/<ServerName>" as it was at open
  int64_t nextId_ = 1;
};

}  // namespace remote
