// Operators' passwords: salted PBKDF2-HMAC-SHA256 hashes stored as
// "pbkdf2-sha256$iterations$salt$hash" (salt and hash in hex), so a hash made with an older
// iteration count is still recognised and can be upgraded when its password is next given.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "server/db/connection_pool.h"
#include "server/rpc/dispatcher.h"

namespace server::auth {

// The recommended work factor for PBKDF2-HMAC-SHA256 at the time of writing.
inline constexpr int kPasswordIterations = 600'000;
// Longer passwords are refused before any hashing: nobody types more, and the length must not
// become a way to make the server work.
inline constexpr size_t kMaxPasswordBytes = 256;
inline constexpr size_t kSaltBytes = 16;
inline constexpr size_t kHashBytes = 32;

// The raw derivation: PBKDF2-HMAC-SHA256 of `password` and `salt`, kHashBytes bytes.
// REQUIRES: iterations >= 1.
std::string pbkdf2Sha256(std::string_view password, std::string_view salt, int iterations);

// The stored text of `password` hashed with `salt` (any bytes; hex-encoded in the result).
std::string hashPassword(std::string_view password, std::string_view salt,
                         int iterations = kPasswordIterations);
// The same with a fresh random salt, for a password being set.
std::string newPasswordHash(std::string_view password, int iterations = kPasswordIterations);

struct StoredHash {
  int iterations = 0;
  std::string salt;  // raw bytes
  std::string hash;  // raw bytes, kHashBytes long
};
// The parts of a stored text; nullopt when it is not a hash this server makes.
std::optional<StoredHash> parseStoredHash(std::string_view stored);

// True when `password` matches `stored`; false for a malformed stored text. The comparison takes
// the same time whatever the position of the first differing byte.
bool verifyPassword(std::string_view password, std::string_view stored);

struct PasswordPolicy {
  int iterations = kPasswordIterations;  // for new and upgraded hashes
  size_t maxBytes = kMaxPasswordBytes;
};

// Checks operators against OPERADOR (active ones only).
class DbAuthenticator : public Authenticator {
 public:
  // The derivation every check goes through; replaceable so tests can see it is called.
  using Derive =
      std::function<std::string(std::string_view password, std::string_view salt, int iterations)>;

  // `derive` null: pbkdf2Sha256.
  explicit DbAuthenticator(std::shared_ptr<db::ConnectionPool> pool, PasswordPolicy policy = {},
                           Derive derive = nullptr);

  // A password longer than policy.maxBytes is refused without hashing. An unknown or inactive
  // operator, or one without a usable hash, costs one derivation as a known one does, so the
  // answer's time does not tell which operators exist. A hash made with fewer iterations than
  // the policy's (or another format) is replaced after a successful check.
  // Errors: none; a database failure refuses the login.
  std::optional<std::string> authenticate(std::string_view operatorCode,
                                          std::string_view password) override;

  // Whether the operator is registered and active. Errors: DbError.
  bool isActive(std::string_view operatorCode) override;

 private:
  bool check(std::string_view password, const StoredHash& stored) const;
  void upgrade(const std::string& code, const std::string& storedText, std::string_view password);

  std::shared_ptr<db::ConnectionPool> pool_;
  PasswordPolicy policy_;
  Derive derive_;
  StoredHash dummy_;  // random, matched by no password
};

}  // namespace server::auth
