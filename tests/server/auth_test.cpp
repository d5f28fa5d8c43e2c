// Password hashing: the published PBKDF2 vectors, the stored form, and the authenticator's
// refusals, constant work per login and hash upgrades over a real database.
#include <gtest/gtest.h>

#include <atomic>

#include "server/auth/password.h"
#include "server/schema/migrations.h"
#include "server_fixture.h"

namespace servertest {
namespace {

using namespace server::auth;

std::string hex(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out += kHex[b >> 4];
    out += kHex[b & 0x0f];
  }
  return out;
}

TEST(PasswordTest, Pbkdf2Vectors) {
  // RFC 7914 section 11 (PBKDF2-HMAC-SHA256, first 32 bytes).
  EXPECT_EQ(hex(pbkdf2Sha256("passwd", "salt", 1)),
            "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc");
  EXPECT_EQ(hex(pbkdf2Sha256("password", "salt", 2)),
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
      {"analista", newPasswordHash("analista", 50), true},
      {"analista", "", false},
      {"analista", "pbkdf2-sha256$50$zz$00", false},
      {"analista", "pbkdf2-sha256$0$3031$" + std::string(64, '0'), false},
      {"analista", "pbkdf2-sha256$99999999999$3031$" + std::string(64, '0'), false},
      {"analista", "md5$1$00$00", false},
      {"analista", stored.substr(0, stored.size() - 2), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(verifyPassword(c.password, c.stored), c.ok);
  }
  // Two hashes of one password never share a salt.
  EXPECT_NE(newPasswordHash("analista", 5), newPasswordHash("analista", 5));
}

// Operators in a real database, checked through a derivation the test counts.
class AuthenticatorTest : public ::testing::Test {
 protected:
  static constexpr int kIterations = 40;

  void SetUp() override {
    path_ = tempDatabasePath("auth");
    pool_ = std::make_shared<server::db::ConnectionPool>(
        [this] { return connectTo(path_, server::db::OpenMode::Create); }, 2);
    auto db = pool_->acquire();
    server::schema::migrate(*db, 0);
    addOperator(*db, "analista", "S", hashPassword("analista", "salt", kIterations));
    addOperator(*db, "antigo", "S", hashPassword("antigo", "salt", 10));
    addOperator(*db, "inativo", "N", hashPassword("inativo", "salt", kIterations));
    addOperator(*db, "semsenha", "S", "");
    addOperator(*db, "longa", "S", hashPassword(std::string(kMaxPasswordBytes, 'x'), "s", 5));
  }

  static void addOperator(server::db::Database& db, const char* code, const char* active,
                          const std::string& hash) {
    auto st = db.prepare("INSERT INTO OPERADOR VALUES (?1, ?1, ?2, ?3)");
    st->bindText(1, code);
    st->bindText(2, active);
    st->bindText(3, hash);
    st->run();
  }

  std::string storedHash(const char* code) {
    auto db = pool_->acquire();
    auto st = db->prepare("SELECT DSSENHA FROM OPERADOR WHERE CDOPERADOR = ?1");
    st->bindText(1, code);
    return st->step() ? st->text(0) : "";
  }

  DbAuthenticator::Derive counting() {
    return [this](std::string_view password, std::string_view salt, int iterations) {
      ++derivations_;
      return pbkdf2Sha256(password, salt, iterations);
    };
  }

  std::string path_;
  std::shared_ptr<server::db::ConnectionPool> pool_;
  std::atomic<int> derivations_{0};
};

TEST_F(AuthenticatorTest, EveryOperatorCostsOneDerivationAndOversizedPasswordsNone) {
  DbAuthenticator auth(pool_, PasswordPolicy{kIterations, kMaxPasswordBytes}, counting());
  struct Case {
    const char* label;
    std::string operatorCode;
    std::string password;
    bool accepted;
    int derivations;
  };
  const Case cases[] = {
      {"right password", "analista", "analista", true, 1},
      {"wrong password", "analista", "errada", false, 1},
      {"unknown operator", "ninguem", "analista", false, 1},
      {"inactive operator", "inativo", "inativo", false, 1},
      {"operator without a hash", "semsenha", "", false, 1},
      {"longest password allowed", "longa", std::string(kMaxPasswordBytes, 'x'), true, 1},
      {"one byte too long", "longa", std::string(kMaxPasswordBytes + 1, 'x'), false, 0},
      {"4 MB password, known operator", "analista", std::string(4 << 20, 'a'), false, 0},
      {"4 MB password, unknown operator", "ninguem", std::string(4 << 20, 'a'), false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    derivations_ = 0;
    EXPECT_EQ(auth.authenticate(c.operatorCode, c.password).has_value(), c.accepted);
    EXPECT_EQ(derivations_, c.derivations);
  }
}

TEST_F(AuthenticatorTest, UnknownOperatorsAreCheckedAtTheCurrentWorkFactor) {
  std::vector<int> seen;
  DbAuthenticator auth(pool_, PasswordPolicy{kIterations, kMaxPasswordBytes},
                       [&](std::string_view password, std::string_view salt, int iterations) {
                         seen.push_back(iterations);
                         return pbkdf2Sha256(password, salt, iterations);
                       });
  auth.authenticate("ninguem", "x");
  auth.authenticate("inativo", "inativo");
  auth.authenticate("analista", "errada");
  EXPECT_EQ(seen, (std::vector<int>{kIterations, kIterations, kIterations}));
}

TEST_F(AuthenticatorTest, WeakerHashesAreUpgradedAtTheNextSuccessfulLogin) {
  DbAuthenticator auth(pool_, PasswordPolicy{kIterations, kMaxPasswordBytes});
  const std::string old = storedHash("antigo");
  ASSERT_EQ(old.rfind("pbkdf2-sha256$10$", 0), 0u);

  EXPECT_FALSE(auth.authenticate("antigo", "errada"));
  EXPECT_EQ(storedHash("antigo"), old);

  EXPECT_EQ(auth.authenticate("antigo", "antigo"), "antigo");
  const std::string upgraded = storedHash("antigo");
  EXPECT_EQ(upgraded.rfind("pbkdf2-sha256$40$", 0), 0u) << upgraded;
  EXPECT_NE(parseStoredHash(upgraded)->salt, parseStoredHash(old)->salt);
  EXPECT_TRUE(verifyPassword("antigo", upgraded));
  EXPECT_EQ(auth.authenticate("antigo", "antigo"), "antigo");
  EXPECT_EQ(storedHash("antigo"), upgraded);

  // A hash already at the policy's count stays as it is.
  const std::string current = storedHash("analista");
  EXPECT_TRUE(auth.authenticate("analista", "analista"));
  EXPECT_EQ(storedHash("analista"), current);
}

TEST_F(AuthenticatorTest, ActiveOperators) {
  DbAuthenticator auth(pool_, PasswordPolicy{kIterations, kMaxPasswordBytes});
  EXPECT_TRUE(auth.isActive("analista"));
  EXPECT_FALSE(auth.isActive("inativo"));
  EXPECT_FALSE(auth.isActive("ninguem"));
  EXPECT_FALSE(auth.isActive("ANALISTA"));
}

}  // namespace
}  // namespace servertest
