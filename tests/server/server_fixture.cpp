#include "server_fixture.h"

#include <unistd.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/data_packet.h"
#include "platform/date.h"
#include "server/auth/password.h"
#include "server/db/open_database.h"
#include "server/db/postgres_database.h"
#include "server/db/sqlite_database.h"
#include "server/schema/migrations.h"

namespace servertest {

using server::db::Database;
using server::db::OpenMode;
using server::db::PostgresDatabase;

namespace {

const char* clusterUrl() {
  const char* url = std::getenv("MENUCOST_TEST_PG");
  return url != nullptr && *url != 0 ? url : nullptr;
}

// The cluster's URL naming database `name` instead of the maintenance one.
std::string urlOf(const std::string& name) {
  std::string url = clusterUrl();
  size_t authority = url.find("://") + 3;
  size_t path = url.find('/', authority);
  size_t query = url.find('?', authority);
  if (path == std::string::npos || (query != std::string::npos && path > query)) path = query;
  std::string rest = query == std::string::npos ? "" : url.substr(query);
  return url.substr(0, path == std::string::npos ? url.size() : path) + "/" + name + rest;
}

std::unique_ptr<PostgresDatabase> maintenance() {
  return PostgresDatabase::open(clusterUrl(), OpenMode::ReadWrite);
}

// Databases sort texts by a language's rules unless told otherwise: the test databases use one,
// so an ORDER BY that differs from SQLite's byte order shows.
constexpr const char* kLinguisticOrder =
    " TEMPLATE template0 ENCODING 'UTF8' LOCALE_PROVIDER icu ICU_LOCALE 'pt-BR' LOCALE 'C'";

// The migrated template the test databases are copied from, made once per schema version by
// whichever test program needs it first.
std::string migratedTemplate() {
  std::string name = "menucost_template_v" + std::to_string(server::schema::latestVersion());
  auto admin = maintenance();
  admin->exec("SELECT pg_advisory_lock(4242)");
  try {
    if (scalar(*admin, "SELECT COUNT(*) FROM pg_database WHERE datname = '" + name + "'") == 0) {
      std::string building = name + "_building";
      admin->exec("DROP DATABASE IF EXISTS " + building + " WITH (FORCE)");
      admin->exec("CREATE DATABASE " + building + kLinguisticOrder);
      {
        auto db = PostgresDatabase::open(urlOf(building), OpenMode::ReadWrite);
        server::schema::migrate(*db, 1000);
      }
      // Copies need a template nobody is connected to; the rename waits for that.
      admin->exec("ALTER DATABASE " + building + " RENAME TO " + name);
    }
  } catch (...) {
    admin->exec("SELECT pg_advisory_unlock(4242)");
    throw;
  }
  admin->exec("SELECT pg_advisory_unlock(4242)");
  return name;
}

// Databases this program created, dropped when it ends.
struct Created {
  std::mutex mutex;
  std::vector<std::string> names;
  ~Created() {
    if (names.empty()) return;
    try {
      auto admin = maintenance();
      for (const auto& name : names)
        admin->exec("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
    } catch (const std::exception& e) {
      std::fprintf(stderr, "dropping the test databases failed: %s\n", e.what());
    }
  }
};
Created& created() {
  static Created list;
  return list;
}

std::string uniqueName(const std::string& name) {
  static std::atomic<int> counter{0};
  std::string clean;
  for (char c : name)
    clean += std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(c)) : '_';
  return "t" + std::to_string(getpid()) + "_" + std::to_string(counter++) + "_" + clean;
}

// A new PostgreSQL database copied from `templateSql` (" TEMPLATE x" or the linguistic order).
std::string createDatabase(const std::string& name, const std::string& templateSql) {
  std::string db = uniqueName(name);
  maintenance()->exec("CREATE DATABASE " + db + templateSql);
  return db;
}

void dropDatabase(const std::string& name) {
  maintenance()->exec("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
}

}  // namespace

bool onPostgres() {
  return clusterUrl() != nullptr;
}

TestDatabase::TestDatabase(TestDatabase&& other) noexcept
    : location_(std::move(other.location_)),
      dropName_(std::exchange(other.dropName_, {})),
      db_(std::move(other.db_)) {}

TestDatabase& TestDatabase::operator=(TestDatabase&& other) noexcept {
  if (this != &other) {
    release();
    location_ = std::move(other.location_);
    dropName_ = std::exchange(other.dropName_, {});
    db_ = std::move(other.db_);
  }
  return *this;
}

TestDatabase::~TestDatabase() {
  release();
}

void TestDatabase::release() noexcept {
  db_.reset();
  if (dropName_.empty()) return;
  try {
    dropDatabase(dropName_);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "dropping %s failed: %s\n", dropName_.c_str(), e.what());
  }
  dropName_.clear();
}

std::unique_ptr<Database> TestDatabase::connect() const {
  return connectTo(location_);
}

TestDatabase openMemory() {
  TestDatabase t;
  if (!onPostgres()) {
    t.location_ = ":memory:";
    t.db_ = server::db::SqliteDatabase::open(":memory:", OpenMode::Create);
    server::schema::migrate(*t.db_, 1000);
    return t;
  }
  t.dropName_ = createDatabase("memory", " TEMPLATE " + migratedTemplate());
  t.location_ = urlOf(t.dropName_);
  t.db_ = connectTo(t.location_);
  return t;
}

TestDatabase openShared(const std::string& name) {
  if (!onPostgres()) {
    TestDatabase t;
    t.location_ = tempDatabasePath(name);
    t.db_ = connectTo(t.location_, OpenMode::Create);
    server::schema::migrate(*t.db_, 1000);
    return t;
  }
  return openMemory();
}

std::string tempDatabasePath(const std::string& name) {
  if (onPostgres()) {
    std::string db = createDatabase(name, kLinguisticOrder);
    std::lock_guard lock(created().mutex);
    created().names.push_back(db);
    return urlOf(db);
  }
  static std::atomic<int> counter{0};
  auto dir =
      std::filesystem::temp_directory_path() / ("menucost-server-test-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  auto path = dir / (name + "-" + std::to_string(counter++) + ".db");
  std::filesystem::remove(path);
  return path.string();
}

std::unique_ptr<Database> connectTo(const std::string& location, OpenMode mode) {
  if (server::db::isPostgresUrl(location)) {
    // A longer wait than the default, for the tests that hold a lock while another waits.
    return PostgresDatabase::open(location, mode, 10'000);
  }
  return server::db::SqliteDatabase::open(location, mode, 10'000);
}

double day(int year, int month, int dayOfMonth) {
  return platform::encodeDate(year, month, dayOfMonth);
}

namespace {

void exec(Database& db, const std::string& sql) {
  db.exec(sql);
}

std::string d(int y, int m, int dd) {
  return std::to_string(static_cast<int>(day(y, m, dd)));
}

}  // namespace

void loadSmallFixture(Database& db) {
  std::string sql =
      "INSERT INTO PARAMGERAL (IDPARAMGERAL, QTDIABLOQCAR, IDUTCARDPADR, CDGRUPPROD) VALUES (1, 3,"
      " 'N', '');"
      "INSERT INTO FILIAL VALUES ('0001', 'FILIAL UM', " +
      d(2026, 3, 10) + "), ('0002', 'FILIAL DOIS', " + d(2026, 3, 10) +
      ");"
      "INSERT INTO PARAMFILIAL VALUES ('0001', 'T'), ('0002', 'C');"
      "INSERT INTO PARAMPLANEJA VALUES ('0001', 'S', 'N', 'M', 'B', 40960, 51455, 220, 'S');"
      "INSERT INTO SERVICO VALUES ('0001', '00001', 'ALMOCO'), ('0002', '00001', 'ALMOCO');"
      "INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, CDNVPRODUTO, NMPRODUTO, SGUNIDADE, CDPRODESTO,"
      " VRPEFATOCORR, IDINTESAFR, IDATIVO, IDCONTREST, CDGRUPPROD, VRPRECOREF) VALUES"
      " ('1000', '01', 1, 'MERCEARIA', '', NULL, 1, '', 'S', 'N', 'ALIM', 0),"
      " ('1001', '01.01.001.0001', 4, 'ARROZ', 'KG', '1001', 1.0, '', 'S', 'S', 'ALIM', 5.5),"
      " ('1002', '01.01.001.0002', 4, 'FEIJAO', 'KG', '1002', 1.0, '', 'S', 'S', 'ALIM', 9),"
      " ('1003', '02.01.001.0001', 4, 'BATATA', 'KG', '1003', 1.25, '111223333221', 'S', 'S',"
      "  'ALIM', 3),"
      " ('1004', '01.01.001.5001', 4, 'ARROZ PCT 5KG', 'PCT', '1001', 1, '', 'S', 'S', 'ALIM', 0),"
      " ('1005', '02.01.001.0002', 4, 'CENOURA', 'KG', '1005', 1.1, '', 'N', 'S', 'ALIM', 4),"
      " ('1006', '02.01.001.0003', 4, 'ABOBRINHA', 'KG', '1006', 1.2, '', 'S', 'N', 'ALIM', 4),"
      " ('1007', '02.01.001.0004', 4, 'CHUCHU', 'KG', '1007', 1.0, '', 'S', 'S', 'ALIM', 2),"
      " ('1008', '07.01.001.0001', 4, 'COPO', 'UN', '1008', 1, '', 'S', 'S', 'DESC', 0.1),"
      " ('1009', '08.01.001.0001', 4, 'DETERGENTE', 'L', '1009', 1, '', 'S', 'S', 'LIMP', 4),"
      " ('1010', '02.01.001.0005', 4, 'VAGEM', 'KG', '1010', 1, '', 'S', 'S', 'ALIM', 0),"
      " ('1011', '02.01.001.0006', 4, 'QUIABO', 'KG', '1011', 1, '', 'S', 'S', 'ALIM', 6);"
      "INSERT INTO PRODFILIAL SELECT '0001', CDPRODUTO, CASE CDPRODUTO WHEN '1011' THEN 'N' ELSE"
      " 'S' END FROM PRODUTO WHERE CDPRODESTO IS NOT NULL;"
      "INSERT INTO PRODFILIAL SELECT '0002', CDPRODUTO, 'S' FROM PRODUTO"
      " WHERE CDPRODESTO IS NOT NULL;"
      "INSERT INTO PRODOPCIONAL VALUES ('1003', '1007'), ('1003', '1006'), ('1002', '1003'),"
      " ('1001', '1002');"
      "INSERT INTO PRATO VALUES ('P', '1001', 'ARROZ BRANCO'), ('P', '3001', 'BATATA ASSADA'),"
      " ('0001', 'L00011', 'ESPECIAL DA CASA');"
      "INSERT INTO RECEITA VALUES ('P', '1001', '1001', 0.1, 'KG'), ('P', '1001', '1010', 0.02,"
      " 'KG'), ('P', '3001', '1003', 0.2, 'KG'), ('P', '3001', '1002', 0.03, 'KG');"
      "INSERT INTO RECEITALOCAL VALUES ('0001', 'P', '3001', '1003', 0.18, 'KG'),"
      " ('0001', '0001', 'L00011', '1002', 0.1, 'KG');"
      "INSERT INTO RECEITASERV VALUES ('0001', '00001', '0001', 'L00011', '1002', 0.12, 'KG'),"
      " ('0001', '00001', '0001', 'L00011', '1007', 0.05, 'KG');"
      "INSERT INTO CARDAPIODIA VALUES ('0001', '00001', " +
      d(2026, 3, 9) + ", 50, 40), ('0001', '00001', " + d(2026, 3, 16) +
      ", 100, 90), ('0001', '00001', " + d(2026, 3, 17) +
      ", 80, 70);"
      "INSERT INTO CARDAPIO VALUES ('0001', '00001', " +
      d(2026, 3, 9) + ", 'P', '1001', 'NORM', 50, 100, 2), ('0001', '00001', " + d(2026, 3, 16) +
      ", 'P', '1001', 'NORM', 100, 100, 2), ('0001', '00001', " + d(2026, 3, 16) +
      ", 'P', '3001', 'NORM', 60, 60, 1), ('0001', '00001', " + d(2026, 3, 16) +
      ", '0001', 'L00011', 'NORM', 40, 40, 1), ('0001', '00001', " + d(2026, 3, 17) +
      ", 'P', '1001', 'NORM', 80, 100, 2);"
      "INSERT INTO FORNECEDOR VALUES ('F1', 'J', '11111111000101', 'FORNECEDOR UM'),"
      " ('F2', 'J', '22222222000102', 'FORNECEDOR DOIS');"
      "INSERT INTO COTACAO (CDFILIAL, CDPRODUTO, CDFORNECED, VRPRECO, DTINIVALITM, DTFINVALITM,"
      " NMMARCA, IDORIGEM) VALUES"
      " ('0001', '1001', 'F1', 5.00, " +
      d(2026, 3, 1) + ", " + d(2026, 3, 31) +
      ", 'MARCA A', 'C'),"
      " ('0001', '1004', 'F2', 4.00, " +
      d(2026, 3, 10) + ", " + d(2026, 3, 20) +
      ", 'MARCA B', 'C'),"
      " ('0001', '1002', 'F1', 8.00, " +
      d(2026, 2, 1) + ", " + d(2026, 2, 28) +
      ", '', 'C'),"
      " ('0001', '1003', 'F1', 3.00, " +
      d(2026, 3, 1) + ", " + d(2026, 3, 15) +
      ", '', 'C'),"
      " ('0001', '1003', 'F2', 3.50, " +
      d(2026, 3, 16) + ", " + d(2026, 3, 31) +
      ", '', 'C'),"
      " ('0001', '1007', 'F1', 2.00, " +
      d(2026, 1, 1) + ", " + d(2026, 12, 31) +
      ", '', 'C'),"
      " ('0001', '1008', 'F1', 0.10, " +
      d(2026, 1, 1) + ", " + d(2026, 12, 31) +
      ", '', 'C'),"
      " ('0001', '1009', 'F2', 4.00, " +
      d(2026, 1, 1) + ", " + d(2026, 12, 31) +
      ", '', 'C'),"
      " ('0002', '1001', 'F1', 6.00, " +
      d(2026, 3, 1) + ", " + d(2026, 3, 31) +
      ", '', 'C');"
      "INSERT INTO CUSTOHIST VALUES ('0001', 10, '1001', " +
      d(2026, 3, 1) + ", 4.8), ('0001', 10, '1001', " + d(2026, 3, 15) +
      ", 4.9), ('0001', 30, '1001', " + d(2026, 3, 1) + ", 5.1), ('0001', 10, '1003', " +
      d(2026, 2, 28) +
      ", 2.95);"
      "INSERT INTO TIPOCONSUMO VALUES ('01', 'DESCARTAVEIS', 'P'), ('02', 'LIMPEZA', 'F');"
      "INSERT INTO TIPOCONSSERV VALUES ('0001', '00001', '01', 0.5), ('0001', '00001', '02', 10);"
      "INSERT INTO ITCONSSERV VALUES ('0001', '00001', '01', 2, '1008', 1.5),"
      " ('0001', '00001', '02', 2, '1009', 2.0), ('0001', '00001', '01', 3, '1008', 1.0),"
      " ('0001', '00001', '02', 3, '1009', 1.0), ('0001', '00001', '01', 8, '1008', 1.0);"
      "INSERT INTO FERIFILI VALUES ('0001', " +
      d(2026, 3, 17) +
      ", 'FERIADO');"
      "INSERT INTO RATEIO VALUES ('0001', '00001', " +
      d(2026, 3, 1) +
      ", 900);"
      "INSERT INTO RETIRADA VALUES ('0001', '00001', " +
      d(2026, 3, 9) + ", '1001', 5.0, 4.7), ('0001', '00001', " + d(2026, 3, 9) +
      ", '1002', 2.0, 7.5), ('0001', '00001', " + d(2026, 3, 10) +
      ", '1001', 4.0, 4.75);"
      "INSERT INTO COMENSEFET VALUES ('0001', '00001', " +
      d(2026, 3, 9) + ", 48, 40), ('0001', '00001', " + d(2026, 3, 10) +
      ", 52, 45);"
      "INSERT INTO CUSTOPADRAO VALUES ('0001', '00001', " +
      d(2026, 3, 1) +
      ", 6.5);"
      "INSERT INTO SINASAFRA VALUES (1, 'SAFRA', 0, 20, 40960);";
  exec(db, sql);
  auto op = db.prepare("INSERT INTO OPERADOR VALUES (?1, ?2, 'S', ?3)");
  for (const char* code : {"analista", "filial", "consulta"}) {
    op->bindText(1, code);
    op->bindText(2, code);
    op->bindText(3, server::auth::hashPassword(code, "salt", 10));
    op->run();
  }
  exec(db,
       "INSERT INTO OPERDIREITO VALUES ('analista', 4, 'INCLUSAO_PRODUTO_RECEITA_PADRAO'),"
       " ('analista', 4, 'ALTERACAO_PRODUTO_RECEITA_PADRAO'),"
       " ('analista', 4, 'EXCLUSAO_PRODUTO_RECEITA_PADRAO');"
       "INSERT INTO OPERPARAM VALUES ('analista', 'ARRV', 'S'), ('consulta', 'ARRV', 'N');");
}

server::objects::Environment testEnvironment(TestClock& clock) {
  server::objects::Environment env;
  env.nowSeconds = [&clock] { return clock.now; };
  env.newKey = [&clock] {
    std::string n = std::to_string(++clock.keys);
    return "KEY" + std::string(7 - n.size(), '0') + n;
  };
  return env;
}

platform::Variant call(server::objects::RemoteObject& object, Database& db,
                       const std::string& method, std::vector<platform::Variant> params,
                       const std::string& operatorCode) {
  server::CallContext context{operatorCode};
  return object.call(db, context, method, params);
}

double num(const platform::DataPacket& packet, size_t row, const std::string& field) {
  return packet.value(row, field).toDouble();
}

std::string text(const platform::DataPacket& packet, size_t row, const std::string& field) {
  return packet.value(row, field).toString();
}

int64_t scalar(Database& db, const std::string& sql) {
  auto st = db.prepare(sql);
  return st->step() ? st->integer(0) : -1;
}

}  // namespace servertest
