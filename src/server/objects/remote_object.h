// A remote object of the application server: methods called by name with the contract's
// arguments, run on a database connection the dispatcher lends for the call.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant.h"
#include "server/db/database.h"
#include "server/db/retry.h"
#include "server/objects/write_limits.h"
#include "server/rpc/dispatcher.h"

namespace server::objects {

// What the objects need from outside besides the database.
struct Environment {
  std::function<int64_t()> nowSeconds;  // wall clock, seconds since 1970
  std::function<std::string()> newKey;  // a fresh random 10-character work-table key
};

// The default environment: the system clock and a random-device seeded key generator.
Environment systemEnvironment();

class RemoteObject {
 public:
  virtual ~RemoteObject() = default;
  // The server name the screen connects to, e.g. "Rcx00500.rdmAnaCustRevRec".
  virtual std::string_view name() const = 0;
  // Runs `method` on `db` for the operator of `context`. Returns the contract's result; a
  // refusal is a text result. Errors: RpcFault kMethodNotFound for an unknown method,
  // kInvalidParams for unusable arguments; DbError when the database fails.
  virtual platform::Variant call(db::Database& db, const CallContext& context,
                                 std::string_view method,
                                 const std::vector<platform::Variant>& params) = 0;
};

// What a method does to the database.
enum class Access {
  Reads,   // reads only: all its statements read one snapshot (a read transaction)
  Writes,  // opens its own write transactions
};

// Method name -> member function, shared by the objects' call(). Every call is run again when
// the database gave it up in a conflict with another call (see db::retryTransient).
template <class T>
class MethodTable {
 public:
  using Method = platform::Variant (T::*)(db::Database&, const CallContext&,
                                          const std::vector<platform::Variant>&);
  struct Entry {
    Method method;
    Access access = Access::Reads;
  };
  MethodTable(std::initializer_list<std::pair<const std::string, Entry>> methods)
      : methods_(methods) {}

  platform::Variant call(T& self, db::Database& db, const CallContext& context,
                         std::string_view method,
                         const std::vector<platform::Variant>& params) const {
    auto it = methods_.find(method);
    if (it == methods_.end()) {
      throw RpcFault(kMethodNotFound, "Method '" + limits::echo(method) + "' not found in " +
                                          std::string(self.name()));
    }
    const Entry& entry = it->second;
    return db::retryTransient([&] {
      if (entry.access == Access::Writes) return (self.*entry.method)(db, context, params);
      db::ReadTransaction snapshot(db);
      return (self.*entry.method)(db, context, params);
    });
  }

 private:
  std::map<std::string, Entry, std::less<>> methods_;
};

}  // namespace server::objects
