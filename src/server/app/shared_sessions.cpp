#include "server/app/shared_sessions.h"

#include <openssl/evp.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

#include "platform/variant.h"

namespace server {

int64_t wallClockMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string sha256Hex(std::string_view text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(text.data(), text.size(), digest, &length, EVP_sha256(), nullptr) != 1) {
    throw std::runtime_error("SHA-256 indisponível na biblioteca de criptografia");
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(length * 2);
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 0x0f];
  }
  return hex;
}

// ---- sessions ----

DbSessionStore::DbSessionStore(std::shared_ptr<db::ConnectionPool> pool,
                               std::chrono::milliseconds idleTimeout, WallClock now)
    : pool_(std::move(pool)),
      idleMs_(idleTimeout.count()),
      resolutionMs_(std::min<int64_t>(1000, idleTimeout.count() / 4)),
      now_(now ? std::move(now) : WallClock(wallClockMs)) {
  if (idleMs_ <= 0) throw std::invalid_argument("DbSessionStore: idle timeout must be positive");
}

std::string DbSessionStore::open(const std::string& operatorCode) {
  std::string token = randomToken();
  sweep();
  auto db = pool_->acquire();
  auto st = db->prepare(
      "INSERT INTO SESSAOOPER (HASHTOKEN, CDOPERADOR, DTULTACESSO) VALUES (?1, ?2, ?3)");
  st->bindText(1, sha256Hex(token));
  st->bindText(2, operatorCode);
  st->bindInt(3, now_());
  st->run();
  return token;
}

std::optional<std::string> DbSessionStore::touch(const std::string& token) {
  const std::string hash = sha256Hex(token);
  const int64_t now = now_();
  auto db = pool_->acquire();
  auto st = db->prepare(
      "SELECT S.CDOPERADOR, S.DTULTACESSO, O.IDATIVO FROM SESSAOOPER S"
      " LEFT JOIN OPERADOR O ON O.CDOPERADOR = S.CDOPERADOR WHERE S.HASHTOKEN = ?1");
  st->bindText(1, hash);
  if (!st->step()) return std::nullopt;
  const std::string operatorCode = st->text(0);
  const int64_t lastSeen = st->integer(1);
  const bool active = st->text(2) == "S";
  st.reset();
  if (!active) {
    auto end = db->prepare("DELETE FROM SESSAOOPER WHERE CDOPERADOR = ?1");
    end->bindText(1, operatorCode);
    end->run();
    return std::nullopt;
  }
  if (now - lastSeen >= idleMs_) {
    // Only if no other server restarted it meanwhile.
    auto end = db->prepare("DELETE FROM SESSAOOPER WHERE HASHTOKEN = ?1 AND DTULTACESSO = ?2");
    end->bindText(1, hash);
    end->bindInt(2, lastSeen);
    end->run();
    return std::nullopt;
  }
  if (now - lastSeen >= resolutionMs_) {
    auto restart = db->prepare(
        "UPDATE SESSAOOPER SET DTULTACESSO = ?2 WHERE HASHTOKEN = ?1 AND DTULTACESSO < ?2");
    restart->bindText(1, hash);
    restart->bindInt(2, now);
    restart->run();
  }
  return operatorCode;
}

bool DbSessionStore::close(const std::string& token) {
  const std::string hash = sha256Hex(token);
  auto db = pool_->acquire();
  auto live = db->prepare("DELETE FROM SESSAOOPER WHERE HASHTOKEN = ?1 AND DTULTACESSO > ?2");
  live->bindText(1, hash);
  live->bindInt(2, now_() - idleMs_);
  live->run();
  if (db->changes() > 0) return true;
  auto expired = db->prepare("DELETE FROM SESSAOOPER WHERE HASHTOKEN = ?1");
  expired->bindText(1, hash);
  expired->run();
  return false;
}

size_t DbSessionStore::closeOperator(const std::string& operatorCode) {
  auto db = pool_->acquire();
  auto st = db->prepare("DELETE FROM SESSAOOPER WHERE CDOPERADOR = ?1");
  st->bindText(1, operatorCode);
  st->run();
  return static_cast<size_t>(db->changes());
}

size_t DbSessionStore::size() const {
  auto db = pool_->acquire();
  auto st = db->prepare("SELECT COUNT(*) FROM SESSAOOPER");
  return st->step() ? static_cast<size_t>(st->integer(0)) : 0;
}

int64_t DbSessionStore::sweep() {
  auto db = pool_->acquire();
  auto st = db->prepare("DELETE FROM SESSAOOPER WHERE DTULTACESSO <= ?1");
  st->bindInt(1, now_() - idleMs_);
  st->run();
  return db->changes();
}

// ---- kept answers ----

DbAnswerStore::DbAnswerStore(std::shared_ptr<db::ConnectionPool> pool,
                             std::chrono::milliseconds retention,
                             std::chrono::milliseconds abandonAfter, WallClock now,
                             std::chrono::milliseconds pollInterval)
    : pool_(std::move(pool)),
      retentionMs_(retention.count()),
      abandonMs_(abandonAfter.count()),
      now_(now ? std::move(now) : WallClock(wallClockMs)),
      poll_(pollInterval) {}

namespace {

struct Row {
  std::string call;
  bool answered = false;
  std::string answer;
  int64_t at = 0;
};

std::optional<Row> readRow(db::Database& db, std::string_view operatorCode,
                           std::string_view requestId) {
  auto st = db.prepare(
      "SELECT NMCHAMADA, DSRESPOSTA, DTRESPOSTA FROM RESPGUARDADA"
      " WHERE CDOPERADOR = ?1 AND IDREQUISICAO = ?2");
  st->bindText(1, operatorCode);
  st->bindText(2, requestId);
  if (!st->step()) return std::nullopt;
  return Row{st->text(0), !st->isNull(1), st->text(1), st->integer(2)};
}

}  // namespace

std::optional<KeptAnswer> DbAnswerStore::find(std::string_view operatorCode,
                                              std::string_view requestId) {
  auto db = pool_->acquire();
  std::optional<Row> row = readRow(*db, operatorCode, requestId);
  if (!row || !row->answered || now_() - row->at >= retentionMs_) return std::nullopt;
  return KeptAnswer{row->call, platform::Variant::fromJson(row->answer)};
}

void DbAnswerStore::keep(std::string_view operatorCode, std::string_view requestId,
                         KeptAnswer answer) {
  const std::string json = answer.result.toJson();
  auto db = pool_->acquire();
  auto st = db->prepare(db->dialect().upsert(
      "RESPGUARDADA", {"CDOPERADOR", "IDREQUISICAO", "NMCHAMADA", "DSRESPOSTA", "DTRESPOSTA"},
      {"CDOPERADOR", "IDREQUISICAO"}));
  st->bindText(1, operatorCode);
  st->bindText(2, requestId);
  st->bindText(3, answer.call);
  st->bindText(4, json);
  st->bindInt(5, now_());
  st->run();
}

std::optional<KeptAnswer> DbAnswerStore::claim(std::string_view operatorCode,
                                               std::string_view requestId, std::string_view call) {
  for (;;) {
    {
      auto db = pool_->acquire();
      const int64_t now = now_();
      try {
        auto insert = db->prepare(
            "INSERT INTO RESPGUARDADA (CDOPERADOR, IDREQUISICAO, NMCHAMADA, DSRESPOSTA,"
            " DTRESPOSTA) VALUES (?1, ?2, ?3, NULL, ?4)");
        insert->bindText(1, operatorCode);
        insert->bindText(2, requestId);
        insert->bindText(3, call);
        insert->bindInt(4, now);
        insert->run();
        return std::nullopt;
      } catch (const db::DbError& e) {
        if (!e.uniqueViolation()) throw;
      }
      std::optional<Row> row = readRow(*db, operatorCode, requestId);
      if (row) {
        const bool stale = now - row->at >= (row->answered ? retentionMs_ : abandonMs_);
        if (row->answered && !stale) {
          return KeptAnswer{row->call, platform::Variant::fromJson(row->answer)};
        }
        if (stale) {
          // Whoever replaces the row it read wins; the others see the new row next turn.
          auto take = db->prepare(
              "UPDATE RESPGUARDADA SET NMCHAMADA = ?3, DSRESPOSTA = NULL, DTRESPOSTA = ?4"
              " WHERE CDOPERADOR = ?1 AND IDREQUISICAO = ?2 AND DTRESPOSTA = ?5");
          take->bindText(1, operatorCode);
          take->bindText(2, requestId);
          take->bindText(3, call);
          take->bindInt(4, now);
          take->bindInt(5, row->at);
          take->run();
          if (db->changes() == 1) return std::nullopt;
        }
      }
    }
    // Another server runs it now (or the row just went): wait without holding a connection.
    std::this_thread::sleep_for(poll_);
  }
}

void DbAnswerStore::release(std::string_view operatorCode, std::string_view requestId) {
  auto db = pool_->acquire();
  auto st = db->prepare(
      "DELETE FROM RESPGUARDADA WHERE CDOPERADOR = ?1 AND IDREQUISICAO = ?2"
      " AND DSRESPOSTA IS NULL");
  st->bindText(1, operatorCode);
  st->bindText(2, requestId);
  st->run();
}

int64_t DbAnswerStore::sweep() {
  const int64_t now = now_();
  auto db = pool_->acquire();
  auto st = db->prepare(
      "DELETE FROM RESPGUARDADA WHERE (DSRESPOSTA IS NOT NULL AND DTRESPOSTA <= ?1)"
      " OR DTRESPOSTA <= ?2");
  st->bindInt(1, now - retentionMs_);
  st->bindInt(2, now - std::max(retentionMs_, abandonMs_));
  st->run();
  return db->changes();
}

}  // namespace server
