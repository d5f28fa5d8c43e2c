// The thin database layer the application server is written against: prepared statements with
// numbered parameters, row cursors, write transactions and a fault-injection hook.
//
// Example:
//   auto st = db.prepare("SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODUTO = ?1");
//   st->bindText(1, code);
//   while (st->step()) names.push_back(st->text(0));
//
// A Database (one connection) is used by one thread at a time; share a ConnectionPool instead.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "server/db/dialect.h"

namespace server::db {

// Every failure of the database (including an injected fault) ends the operation with this.
// The SQLSTATE says what kind of failure it was, on both backends, where it matters to a caller:
// kSerializationFailure and kDeadlock are worth running the whole transaction again;
// kUniqueViolation is a key that is already taken. "" when no code applies.
class DbError : public std::runtime_error {
 public:
  static constexpr const char* kSerializationFailure = "40001";
  static constexpr const char* kDeadlock = "40P01";
  static constexpr const char* kUniqueViolation = "23505";

  explicit DbError(const std::string& message, std::string sqlState = "")
      : std::runtime_error(message), sqlState_(std::move(sqlState)) {}
  const std::string& sqlState() const { return sqlState_; }
  // A serialization failure or a deadlock: the same transaction may succeed when run again.
  bool transient() const { return sqlState_ == kSerializationFailure || sqlState_ == kDeadlock; }
  bool uniqueViolation() const { return sqlState_ == kUniqueViolation; }

 private:
  std::string sqlState_;
};

enum class OpenMode {
  ReadWrite,  // the database must exist
  Create,     // created when missing (SQLite; a PostgreSQL database must exist)
  ReadOnly,   // the database must exist; every write fails
};

class Statement {
 public:
  virtual ~Statement() = default;

  // Parameters are numbered from 1 as in the SQL text. REQUIRES: the statement is not half-way
  // through its rows (call reset() first). Errors: DbError for an index out of range.
  virtual void bindNull(int index) = 0;
  virtual void bindText(int index, std::string_view value) = 0;
  virtual void bindReal(int index, double value) = 0;
  virtual void bindInt(int index, int64_t value) = 0;

  // Executes the statement or fetches its next row. Returns true while a row is available and
  // false once the statement is done. Errors: DbError (constraint, lock timeout, injected fault);
  // the statement must then be reset before it is run again.
  virtual bool step() = 0;
  // Makes the statement runnable again from the start; bindings are kept.
  virtual void reset() = 0;

  // Steps to completion and resets, also on failure. Errors: as step().
  void run();

  // Column access of the current row. REQUIRES: the last step() returned true; 0 <= col <
  // columnCount(). A NULL reads as "", 0.0 and 0.
  virtual int columnCount() const = 0;
  virtual bool isNull(int col) const = 0;
  virtual std::string text(int col) const = 0;
  virtual double real(int col) const = 0;
  virtual int64_t integer(int col) const = 0;
};

class Database {
 public:
  virtual ~Database() = default;

  virtual const Dialect& dialect() const = 0;
  virtual bool readOnly() const = 0;

  // Prepares portable SQL (see dialect.h). Errors: DbError with the backend's message.
  std::unique_ptr<Statement> prepare(std::string_view portableSql);
  // Runs one or more parameterless statements separated by ';'. Errors: DbError.
  void exec(std::string_view portableSql);

  // Transactions do not nest. begin() takes the write lock (waiting up to the busy timeout).
  // Errors: DbError; after a failed commit() the transaction is still open and must be rolled
  // back. rollback() never throws.
  void begin();
  // A read-only transaction: every statement until commit() or rollback() reads the same
  // snapshot of the database. Errors: DbError.
  void beginRead();
  void commit();
  void rollback() noexcept;
  bool inTransaction() const { return inTransaction_; }

  // Rows changed by the last finished INSERT, UPDATE or DELETE.
  virtual int64_t changes() const = 0;
  // The message of the last failure on this connection, "" when none.
  const std::string& lastError() const { return lastError_; }
  // Whether the connection to the server is lost; a pool opens a new one instead of reusing it.
  virtual bool broken() const { return false; }

  // Fault injection for tests: the n-th statement executed from now on (counting every statement
  // run, BEGIN and COMMIT included; n >= 1) fails with DbError("injected fault"). n = 0 switches
  // it off. The fault fires once.
  void failNthStatement(int n) { faultCountdown_ = n; }
  // Statements executed on this connection so far.
  int64_t statementsExecuted() const { return executed_; }
  // Test hook: `hook` runs right before each statement of this connection executes, with the
  // backend's SQL text (BEGIN and COMMIT included, ROLLBACK not), so a test can land another
  // writer's change between two statements of an operation. Statements the hook runs on this
  // connection do not call it again. An empty function switches it off.
  void onStatement(std::function<void(std::string_view sql)> hook) { hook_ = std::move(hook); }

 protected:
  virtual std::unique_ptr<Statement> prepareNative(const std::string& sql) = 0;
  virtual void execNative(const std::string& sql) = 0;

  // Implementations call this right before a statement starts executing, with its backend SQL.
  // Runs the statement hook; throws the injected fault when it is due.
  void countStatement(std::string_view sql);
  void setLastError(std::string message) { lastError_ = std::move(message); }

 private:
  std::string lastError_;
  int faultCountdown_ = 0;
  int64_t executed_ = 0;
  bool inTransaction_ = false;
  std::function<void(std::string_view)> hook_;
  bool inHook_ = false;
};

// A read transaction for the scope, unless `db` is already in a transaction (whose snapshot, or
// lock, then serves). Ends with the scope; reading leaves nothing to commit.
class ReadTransaction {
 public:
  explicit ReadTransaction(Database& db) : db_(db), owned_(!db.inTransaction()) {
    if (owned_) db_.beginRead();
  }
  ~ReadTransaction() {
    if (owned_) db_.rollback();
  }
  ReadTransaction(const ReadTransaction&) = delete;
  ReadTransaction& operator=(const ReadTransaction&) = delete;

 private:
  Database& db_;
  bool owned_;
};

// A write transaction that rolls back unless committed.
class Transaction {
 public:
  explicit Transaction(Database& db) : db_(db) { db_.begin(); }
  ~Transaction() {
    if (!done_) db_.rollback();
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  // Errors: DbError; the destructor then rolls back.
  void commit() {
    db_.commit();
    done_ = true;
  }

 private:
  Database& db_;
  bool done_ = false;
};

}  // namespace server::db
