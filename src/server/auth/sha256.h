// SHA-256, HMAC-SHA-256 and PBKDF2-HMAC-SHA-256 for the operators' password hashes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace server::auth {

using Digest = std::array<uint8_t, 32>;

Digest sha256(std::string_view data);
Digest hmacSha256(std::string_view key, std::string_view message);
// Derives 32 bytes. REQUIRES: iterations >= 1.
Digest pbkdf2Sha256(std::string_view password, std::string_view salt, int iterations);

std::string toHex(const uint8_t* data, size_t size);
inline std::string toHex(const Digest& d) {
  return toHex(d.data(), d.size());
}

}  // namespace server::auth
