#include "server/dispatch/server_dispatcher.h"

#include "server/objects/ana_cust_rev_rec.h"
#include "server/objects/database_messages.h"
#include "server/objects/messages.h"
#include "server/objects/other_objects.h"
#include "server/objects/write_limits.h"

namespace server {

ServerDispatcher::ServerDispatcher(std::shared_ptr<db::ConnectionPool> pool,
                                   objects::Environment env)
    : pool_(std::move(pool)) {
  auto add = [&](std::unique_ptr<objects::RemoteObject> object) {
    std::string name(object->name());
    objects_.emplace(std::move(name), std::move(object));
  };
  add(std::make_unique<objects::AnaCustRevRec>(std::move(env)));
  add(std::make_unique<objects::Autoriza>());
  add(std::make_unique<objects::InfPrato>());
  add(std::make_unique<objects::ReceitaPadrao>());
}

platform::Variant ServerDispatcher::call(const CallContext& context, std::string_view object,
                                         std::string_view method,
                                         const std::vector<platform::Variant>& params) {
  auto it = objects_.find(object);
  if (it == objects_.end()) {
    throw RpcFault(kMethodNotFound,
                   "Objeto do servidor desconhecido: '" + objects::limits::echo(object) + "'");
  }
  try {
    auto db = pool_->acquire();
    return it->second->call(*db, context, method, params);
  } catch (const RpcFault&) {
    throw;
  } catch (const db::DbError& e) {
    return platform::Variant(objects::databaseRefusal(context, e));
  } catch (const std::exception& e) {
    // Anything else is a fault of the call, reported on the wire rather than crashing the server.
    throw RpcFault(kInternalError, e.what());
  }
}

bool ServerDispatcher::writes(std::string_view object, std::string_view method) const {
  if (object == objects::AnaCustRevRec::kName) {
    return method == "GravaReceita" || method == "AltComensais" || method == "TrocaProduto" ||
           method == "DelConsplan";
  }
  return object == objects::InfPrato::kName && method == "TrocaProduto";
}

void ServerDispatcher::sweep() {
  auto db = pool_->acquire();
  auto& costs = static_cast<objects::AnaCustRevRec&>(*objects_.at(objects::AnaCustRevRec::kName));
  costs.sweepWorkTables(*db);
}

}  // namespace server
