#include "server/auth/password.h"

#include <vector>

#include "server/auth/sha256.h"

namespace server::auth {
namespace {

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

}  // namespace

std::string hashPassword(std::string_view password, std::string_view salt, int iterations) {
  Digest d = pbkdf2Sha256(password, salt, iterations);
  return "pbkdf2-sha256$" + std::to_string(iterations) + "$" +
         toHex(reinterpret_cast<const uint8_t*>(salt.data()), salt.size()) + "$" + toHex(d);
}

bool verifyPassword(std::string_view password, std::string_view stored) {
  auto parts = split(stored, '$');
  if (parts.size() != 4 || parts[0] != "pbkdf2-sha256") return false;
  int iterations = 0;
  for (char c : parts[1]) {
    if (c < '0' || c > '9' || iterations > 10'000'000) return false;
    iterations = iterations * 10 + (c - '0');
  }
  auto salt = fromHex(parts[2]);
  auto expected = fromHex(parts[3]);
  if (iterations < 1 || !salt || !expected || expected->size() != 32) return false;
  Digest actual = pbkdf2Sha256(password, *salt, iterations);
  uint8_t diff = 0;
  for (size_t i = 0; i < actual.size(); ++i) {
    diff |= static_cast<uint8_t>(actual[i] ^ static_cast<uint8_t>((*expected)[i]));
  }
  return diff == 0;
}

std::optional<std::string> DbAuthenticator::authenticate(std::string_view operatorCode,
                                                         std::string_view password) {
  try {
    std::string code, stored;
    {
      auto db = pool_->acquire();
      auto st = db->prepare(
          "SELECT CDOPERADOR, DSSENHA FROM OPERADOR WHERE CDOPERADOR = ?1 AND IDATIVO = 'S'");
      st->bindText(1, operatorCode);
      if (!st->step()) return std::nullopt;
      code = st->text(0);
      stored = st->text(1);
    }
    // The connection goes back before the deliberately slow hash.
    if (!verifyPassword(password, stored)) return std::nullopt;
    return code;
  } catch (const db::DbError&) {
    return std::nullopt;
  }
}

}  // namespace server::auth
