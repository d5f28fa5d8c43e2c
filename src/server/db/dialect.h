// Dialect: every difference between the SQL of the supported backends, in one place.
//
// Statements are written once in a portable form:
//   - placeholders are numbered, "?1" .. "?N" (a number may repeat);
//   - "{AUTOKEY}" stands for an auto-incremented integer primary key column type;
//   - dates are day numbers (DOUBLE PRECISION), so date arithmetic is plain addition;
//   - types are VARCHAR(n), CHAR(n), DOUBLE PRECISION, INTEGER, BIGINT; on PostgreSQL texts
//     compare and sort by their bytes (collation "C"), as in SQLite, whatever the database's
//     locale, CHAR(n) is VARCHAR(n) (no blank padding) and INTEGER is 64-bit;
//   - "CREATE TABLE/INDEX IF NOT EXISTS" and "LIMIT" read the same in both backends.
// translate() turns that form into the backend's own text; upsert(), addDays() and beginWrite()
// build the statements that differ.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace server::db {

enum class Backend { SQLite, PostgreSQL };

class Dialect {
 public:
  explicit Dialect(Backend backend) : backend_(backend) {}

  static const Dialect& sqlite();
  static const Dialect& postgres();

  Backend backend() const { return backend_; }

  // Rewrites portable SQL into this backend's text. Placeholders and tokens inside quoted
  // literals are left alone. Guarantees: the placeholder numbers are kept.
  std::string translate(std::string_view portableSql) const;

  // Starts a write transaction that takes the write lock at once, so two writers never deadlock
  // upgrading a read lock.
  std::string beginWrite() const;
  // Starts a read-only transaction whose statements all read one snapshot.
  std::string beginRead() const;
  // Appended to a SELECT of one table: locks the rows read until the transaction ends, so two
  // writers of the same rows take turns (SQLite's write transactions already do).
  std::string lockRows() const;

  // A query answering one row, 1 when this transaction now holds the task lock `key` and 0 when
  // another transaction (of any server on the database) holds it; the lock ends with the
  // transaction. SQLite's write transaction already excludes every other, so it always answers 1.
  std::string tryTaskLock(int64_t key) const;

  // Column type of an auto-incremented integer primary key.
  std::string autoIncrementKey() const;

  // "INSERT INTO table (columns) VALUES (?1..?n) ON CONFLICT (keys) DO UPDATE SET other = new"
  // (portable form). REQUIRES: keys is a non-empty subset of columns. When every column is a key
  // the conflict is ignored.
  std::string upsert(std::string_view table, const std::vector<std::string>& columns,
                     const std::vector<std::string>& keys) const;

  // Portable expression of a date (day number) moved by a number of days.
  std::string addDays(std::string_view dateExpr, std::string_view daysExpr) const;

 private:
  Backend backend_;
};

}  // namespace server::db
