// A scratch database for host tests, written through its own connection and removed with the
// fixture: an SQLite file in a scratch folder, or, when MENUCOST_TEST_PG names a test cluster, a
// new PostgreSQL database of its own (the folder is still made, for tests that need files).
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>

#include "server/db/database.h"
#include "server/server_fixture.h"

namespace host::testing {

class TempDatabase {
 public:
  TempDatabase() {
    std::random_device random;
    dir_ = std::filesystem::temp_directory_path() /
           ("menucost-host-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(dir_);
    if (servertest::onPostgres()) {
      path_ = servertest::tempDatabasePath("host");
      pg_ = servertest::connectTo(path_);
      return;
    }
    path_ = (dir_ / "suite.db").string();
    if (sqlite3_open(path_.c_str(), &db_) != SQLITE_OK)
      throw std::runtime_error("cannot create " + path_);
  }
  ~TempDatabase() {
    pg_.reset();
    sqlite3_close_v2(db_);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  TempDatabase(const TempDatabase&) = delete;
  TempDatabase& operator=(const TempDatabase&) = delete;

  void exec(const std::string& sql) {
    if (pg_) {
      pg_->exec(sql);
      return;
    }
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
      std::string text = message ? message : "?";
      sqlite3_free(message);
      throw std::runtime_error(text + " in: " + sql);
    }
  }
  long long count(const std::string& table) {
    if (pg_) return servertest::scalar(*pg_, "SELECT COUNT(*) FROM " + table);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db_, ("SELECT COUNT(*) FROM " + table).c_str(), -1, &stmt, nullptr);
    long long n = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    return n;
  }

  // What the executors open: the file's path or the database's URL.
  const std::string& path() const { return path_; }
  const std::filesystem::path& dir() const { return dir_; }

 private:
  std::filesystem::path dir_;
  std::string path_;
  sqlite3* db_ = nullptr;
  std::unique_ptr<server::db::Database> pg_;
};

// The suite's tables the host reads directly, as the server declares them (dates as day numbers).
inline void createSuiteTables(TempDatabase& db) {
  db.exec(R"sql(
    CREATE TABLE FILIAL (CDFILIAL VARCHAR(4) PRIMARY KEY, NMFILIAL VARCHAR(40),
                         DTPROCESSO DOUBLE PRECISION);
    CREATE TABLE SERVICO (CDFILIAL VARCHAR(4), CDSERVFILI VARCHAR(5), NMSERVICO VARCHAR(40),
                          PRIMARY KEY (CDFILIAL, CDSERVFILI));
    CREATE TABLE FERIFILI (CDFILIAL VARCHAR(4), DTFERIFILI DOUBLE PRECISION);
    CREATE TABLE SINASAFRA (CDSINASAFRA INTEGER PRIMARY KEY, NMSINASAFRA VARCHAR(20),
                            VRLIMINFSAFR DOUBLE PRECISION, VRLIMSUPSAFR DOUBLE PRECISION,
                            NRCORSINSAFR DOUBLE PRECISION);
    CREATE TABLE PARAMGERAL (QTDIABLOQCAR DOUBLE PRECISION, IDPESQCOMPPROD CHAR(1),
                             CDGRUPPROD VARCHAR(10));
    INSERT INTO FILIAL VALUES ('0001', 'MATRIZ', 46090), ('0002', 'CENTRO', 46085),
                              ('0003', 'NOVA', NULL);
    INSERT INTO SERVICO VALUES ('0001', '00001', '  ALMOCO  '), ('0001', '00002', 'JANTAR'),
                               ('0002', '00001', 'CAFE');
    INSERT INTO FERIFILI VALUES ('0001', 46082), ('0001', 46082), ('0002', 46083);
    INSERT INTO SINASAFRA VALUES (1, 'FORA', 0, 30, 255), (2, 'MEIA', 30, 60, 65535),
                                 (3, 'SAFRA', 60, 100, 65280);
    INSERT INTO PARAMGERAL VALUES (3, 'S', NULL);
  )sql");
}

}  // namespace host::testing
