// Password hashing: the published SHA-256, HMAC and PBKDF2 vectors, and the stored form.
#include <gtest/gtest.h>

#include "server/auth/password.h"
#include "server/auth/sha256.h"

namespace servertest {
namespace {

using namespace server::auth;

TEST(Sha256Test, KnownDigests) {
  struct Case {
    std::string input;
    const char* digest;
  };
  const Case cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      // 55, 56 and 64 bytes: the padding boundaries.
      {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
      {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
      {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input.size());
    EXPECT_EQ(toHex(sha256(c.input)), c.digest);
  }
}

TEST(Sha256Test, HmacAndPbkdf2Vectors) {
  // RFC 4231 test case 2.
  EXPECT_EQ(toHex(hmacSha256("Jefe", "what do ya want for nothing?")),
            "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
  // RFC 7914 section 11 (PBKDF2-HMAC-SHA256, first 32 bytes).
  EXPECT_EQ(toHex(pbkdf2Sha256("passwd", "salt", 1)),
            "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc");
  EXPECT_EQ(toHex(pbkdf2Sha256("password", "salt", 2)),
            "ae4d0c95af6b46d32d0adff928f06dd02a303f8ef3c251dfd6e2d85a95474c43");
}

TEST(PasswordTest, StoredHashesVerifyOnlyTheirPassword) {
  std::string stored = hashPassword("analista", "0123456789abcdef", 50);
  EXPECT_EQ(stored.rfind("pbkdf2-sha256$50$30313233", 0), 0u);
  struct Case {
    std::string password;
    std::string stored;
    bool ok;
  };
  const Case cases[] = {
      {"analista", stored, true},
      {"Analista", stored, false},
      {"", stored, false},
      {"analista", hashPassword("analista", "other salt", 50), true},
      {"analista", "", false},
      {"analista", "pbkdf2-sha256$50$zz$00", false},
      {"analista", "pbkdf2-sha256$0$3031$" + std::string(64, '0'), false},
      {"analista", "md5$1$00$00", false},
      {"analista", stored.substr(0, stored.size() - 2), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(verifyPassword(c.password, c.stored), c.ok);
  }
}

}  // namespace
}  // namespace servertest
