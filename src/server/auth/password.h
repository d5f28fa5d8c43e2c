// Operators' passwords: salted, iterated hashes stored as "pbkdf2-sha256$iterations$salt$hash".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <memory>

#include "server/db/connection_pool.h"
#include "server/rpc/dispatcher.h"

namespace server::auth {

inline constexpr int kPasswordIterations = 10000;

// Hashes `password` with `salt` (any bytes; hex-encoded in the result).
std::string hashPassword(std::string_view password, std::string_view salt,
                         int iterations = kPasswordIterations);
// True when `password` matches `stored`; false for a malformed stored text. The comparison takes
// the same time whatever the position of the first differing byte.
bool verifyPassword(std::string_view password, std::string_view stored);

// Checks operators against OPERADOR (active ones only).
class DbAuthenticator : public Authenticator {
 public:
  explicit DbAuthenticator(std::shared_ptr<db::ConnectionPool> pool) : pool_(std::move(pool)) {}
  // Errors: none; a database failure refuses the login.
  std::optional<std::string> authenticate(std::string_view operatorCode,
                                          std::string_view password) override;

 private:
  std::shared_ptr<db::ConnectionPool> pool_;
};

}  // namespace server::auth
