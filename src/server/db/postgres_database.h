// The PostgreSQL backend: one libpq connection to one database. Statements are prepared on the
// server once per connection and SQL text and reused. Values travel as text: doubles with the
// shortest text that reads back as the same double, integers in full 64 bits.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "server/db/database.h"

struct pg_conn;
struct pg_result;

namespace server::db {

class PostgresStatement;

class PostgresDatabase : public Database {
 public:
  // Opens the database named by a libpq connection URL ("postgresql://user@host/db",
  // "postgresql:///db?host=/run/socket"). ReadOnly makes every transaction read-only; Create
  // and ReadWrite are the same (the database must exist). A statement waiting longer than
  // `lockTimeoutMs` for another transaction's lock fails. Errors: DbError naming the server's
  // reason, without the password.
  static std::unique_ptr<PostgresDatabase> open(const std::string& url, OpenMode mode,
                                                int lockTimeoutMs = 5000);
  ~PostgresDatabase() override;

  const Dialect& dialect() const override { return Dialect::postgres(); }
  bool readOnly() const override { return readOnly_; }
  int64_t changes() const override { return changes_; }
  bool broken() const override;

  // Statements prepared on the server for this connection. Guarantees: at most
  // kMaxPrepared; past it the connection starts over with the statements in use from then on.
  size_t preparedStatements() const { return prepared_.size(); }
  static constexpr size_t kMaxPrepared = 256;

 protected:
  std::unique_ptr<Statement> prepareNative(const std::string& sql) override;
  void execNative(const std::string& sql) override;

 private:
  friend class PostgresStatement;
  struct Prepared {
    std::string name;
    int parameters = 0;
  };

  PostgresDatabase(pg_conn* conn, bool readOnly);
  // Throws the DbError of a failed result (taking ownership of it).
  [[noreturn]] void fail(pg_result* result, const std::string& context = "");

  pg_conn* conn_;
  bool readOnly_;
  int64_t changes_ = 0;
  int64_t nextName_ = 0;
  int live_ = 0;  // statements handed out and not destroyed yet
  std::unordered_map<std::string, Prepared> prepared_;
};

}  // namespace server::db
