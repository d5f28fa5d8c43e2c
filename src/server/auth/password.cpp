#include "server/auth/password.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <stdexcept>
#include <vector>

namespace server::auth {
namespace {

constexpr std::string_view kAlgorithm = "pbkdf2-sha256";
// Far above any count this server writes; bounds the work a forged row could ask for.
constexpr int kMaxIterations = 10'000'000;

std::string toHex(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char b : bytes) {
    out += kHex[b >> 4];
    out += kHex[b & 0x0f];
  }
  return out;
}

std::optional<std::string> fromHex(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  for (size_t i = 0; i < hex.size(); i += 2) {
    int hi = digit(hex[i]), lo = digit(hex[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
  }
  return out;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == separator) {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

std::string randomBytes(size_t count) {
  std::string bytes(count, '\0');
  if (RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), static_cast<int>(count)) != 1) {
    throw std::runtime_error("no random bytes for a password salt");
  }
  return bytes;
}

bool sameBytes(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char diff = 0;
  for (size_t i = 0; i < a.size(); ++i)
    diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

}  // namespace

std::string pbkdf2Sha256(std::string_view password, std::string_view salt, int iterations) {
  if (iterations < 1) throw std::invalid_argument("PBKDF2 needs at least one iteration");
  std::string out(kHashBytes, '\0');
  if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                        reinterpret_cast<const unsigned char*>(salt.data()),
                        static_cast<int>(salt.size()), iterations, EVP_sha256(),
                        static_cast<int>(out.size()),
                        reinterpret_cast<unsigned char*>(out.data())) != 1) {
    throw std::runtime_error("PBKDF2 failed");
  }
  return out;
}

std::string hashPassword(std::string_view password, std::string_view salt, int iterations) {
  return std::string(kAlgorithm) + "$" + std::to_string(iterations) + "$" + toHex(salt) + "$" +
         toHex(pbkdf2Sha256(password, salt, iterations));
}

std::string newPasswordHash(std::string_view password, int iterations) {
  return hashPassword(password, randomBytes(kSaltBytes), iterations);
}

std::optional<StoredHash> parseStoredHash(std::string_view stored) {
  auto parts = split(stored, '$');
  if (parts.size() != 4 || parts[0] != kAlgorithm || parts[1].empty()) return std::nullopt;
  StoredHash parsed;
  for (char c : parts[1]) {
    if (c < '0' || c > '9' || parsed.iterations > kMaxIterations) return std::nullopt;
    parsed.iterations = parsed.iterations * 10 + (c - '0');
  }
  auto salt = fromHex(parts[2]);
  auto hash = fromHex(parts[3]);
  if (parsed.iterations < 1 || parsed.iterations > kMaxIterations || !salt || !hash ||
      hash->size() != kHashBytes) {
    return std::nullopt;
  }
  parsed.salt = std::move(*salt);
  parsed.hash = std::move(*hash);
  return parsed;
}

bool verifyPassword(std::string_view password, std::string_view stored) {
  auto parsed = parseStoredHash(stored);
  return parsed &&
         sameBytes(pbkdf2Sha256(password, parsed->salt, parsed->iterations), parsed->hash);
}

DbAuthenticator::DbAuthenticator(std::shared_ptr<db::ConnectionPool> pool, PasswordPolicy policy,
                                 Derive derive)
    : pool_(std::move(pool)),
      policy_(policy),
      derive_(derive ? std::move(derive) : Derive(pbkdf2Sha256)) {
  dummy_.iterations = policy_.iterations;
  dummy_.salt = randomBytes(kSaltBytes);
  dummy_.hash = randomBytes(kHashBytes);
}

bool DbAuthenticator::check(std::string_view password, const StoredHash& stored) const {
  return sameBytes(derive_(password, stored.salt, stored.iterations), stored.hash);
}

std::optional<std::string> DbAuthenticator::authenticate(std::string_view operatorCode,
                                                         std::string_view password) {
  // Refused at once: the cost of a derivation must not grow with what a caller sends.
  if (password.size() > policy_.maxBytes) return std::nullopt;
  try {
    std::optional<std::string> code;
    std::string storedText;
    {
      auto db = pool_->acquire();
      auto st = db->prepare(
          "SELECT CDOPERADOR, DSSENHA FROM OPERADOR WHERE CDOPERADOR = ?1 AND IDATIVO = 'S'");
      st->bindText(1, operatorCode);
      if (st->step()) {
        code = st->text(0);
        storedText = st->text(1);
      }
    }
    // The connection goes back before the deliberately slow hash. Operators that cannot log in
    // are checked against a hash no password matches, at the same cost.
    auto stored = code ? parseStoredHash(storedText) : std::nullopt;
    const bool matches = check(password, stored ? *stored : dummy_);
    if (!stored || !matches) return std::nullopt;
    if (stored->iterations < policy_.iterations) upgrade(*code, storedText, password);
    return code;
  } catch (const db::DbError&) {
    return std::nullopt;
  }
}

void DbAuthenticator::upgrade(const std::string& code, const std::string& storedText,
                              std::string_view password) {
  try {
    auto db = pool_->acquire();
    // Only over the hash just checked: a password set meanwhile wins.
    auto st =
        db->prepare("UPDATE OPERADOR SET DSSENHA = ?1 WHERE CDOPERADOR = ?2 AND DSSENHA = ?3");
    st->bindText(1, newPasswordHash(password, policy_.iterations));
    st->bindText(2, code);
    st->bindText(3, storedText);
    st->run();
  } catch (const db::DbError&) {
    // The login stands; the next one tries the upgrade again.
  }
}

bool DbAuthenticator::isActive(std::string_view operatorCode) {
  auto db = pool_->acquire();
  auto st = db->prepare("SELECT 1 FROM OPERADOR WHERE CDOPERADOR = ?1 AND IDATIVO = 'S'");
  st->bindText(1, operatorCode);
  return st->step();
}

}  // namespace server::auth
