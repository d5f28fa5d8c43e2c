// The Dispatcher the wire calls: routes a call to its remote object by server name and lends it a
// pooled database connection. Database failures become error texts, as contract errors are.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "server/db/connection_pool.h"
#include "server/objects/remote_object.h"
#include "server/rpc/dispatcher.h"

namespace server {

class ServerDispatcher : public Dispatcher {
 public:
  // Hosts the four remote objects over `pool`.
  ServerDispatcher(std::shared_ptr<db::ConnectionPool> pool, objects::Environment env);

  // See Dispatcher::call. Guarantees: a database failure is answered as the text
  // "Erro no banco de dados: ..." (GravaReceita keeps its two-element shape); never crashes on
  // any arguments. Thread-safe.
  platform::Variant call(const CallContext& context, std::string_view object,
                         std::string_view method,
                         const std::vector<platform::Variant>& params) override;

  // GravaReceita, AltComensais, TrocaProduto (both objects) and DelConsplan.
  bool writes(std::string_view object, std::string_view method) const override;

  // Sweeps expired work tables now (the server does this at start).
  void sweep();

 private:
  std::shared_ptr<db::ConnectionPool> pool_;
  std::map<std::string, std::unique_ptr<objects::RemoteObject>, std::less<>> objects_;
};

}  // namespace server
