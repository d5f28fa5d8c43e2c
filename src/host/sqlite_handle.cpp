#include "host/sqlite_handle.h"

#include <stdexcept>

namespace host::sqlite {

Db open(const std::string& path, int flags) {
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
  Db db(raw);
  if (rc != SQLITE_OK) {
    std::string reason = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
    throw std::runtime_error("Cannot open database '" + path + "': " + reason);
  }
  sqlite3_extended_result_codes(raw, 1);
  sqlite3_busy_timeout(raw, 5000);
  return db;
}

void exec(sqlite3* db, const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message ? message : lastError(db);
    sqlite3_free(message);
    throw std::runtime_error("SQL error: " + text);
  }
}

std::string lastError(sqlite3* db) {
  return db ? sqlite3_errmsg(db) : "no connection";
}

}  // namespace host::sqlite
