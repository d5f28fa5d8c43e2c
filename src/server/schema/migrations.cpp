#include "server/schema/migrations.h"

#include <string>
#include <vector>

namespace server::schema {
namespace {

struct Migration {
  int version;
  const char* description;
  std::vector<const char*> statements;
};

// Dates are day numbers (days since 30/12/1899); flags are one-character texts "S"/"N".
const std::vector<Migration>& migrations() {
  static const std::vector<Migration> list = {
      {1,
       "company, products, recipes, menus, costs, realized, operators, work table",
       {
           "CREATE TABLE IF NOT EXISTS PARAMGERAL ("
           " IDPARAMGERAL INTEGER NOT NULL PRIMARY KEY,"
           " QTDIABLOQCAR DOUBLE PRECISION NOT NULL DEFAULT 0,"
           " IDUTCARDPADR CHAR(1) NOT NULL DEFAULT 'N',"
           " CDGRUPPROD VARCHAR(10) NOT NULL DEFAULT '',"
           " IDPESQCOMPPROD CHAR(1) NOT NULL DEFAULT 'N',"
           " DSMASCARVPROD VARCHAR(20) NOT NULL DEFAULT '99.99.999.9999')",

           "CREATE TABLE IF NOT EXISTS FILIAL ("
           " CDFILIAL VARCHAR(4) NOT NULL PRIMARY KEY,"
           " NMFILIAL VARCHAR(40) NOT NULL,"
           " DTPROCESSO DOUBLE PRECISION NOT NULL)",

           "CREATE TABLE IF NOT EXISTS PARAMFILIAL ("
           " CDFILIAL VARCHAR(4) NOT NULL PRIMARY KEY REFERENCES FILIAL (CDFILIAL),"
           " IDCOMCUSPERC CHAR(1) NOT NULL DEFAULT 'T')",

           "CREATE TABLE IF NOT EXISTS PARAMPLANEJA ("
           " CDFILIAL VARCHAR(4) NOT NULL PRIMARY KEY REFERENCES FILIAL (CDFILIAL),"
           " IDUTILFATCOR CHAR(1) NOT NULL DEFAULT 'S',"
           " IDUTILFATCOC CHAR(1) NOT NULL DEFAULT 'N',"
           " IDTIPCALCFAT CHAR(1) NOT NULL DEFAULT 'M',"
           " IDQTLIQUBRUT CHAR(1) NOT NULL DEFAULT 'B',"
           " NRCORSAFRA DOUBLE PRECISION NOT NULL DEFAULT 0,"
           " NRCORINICSAF DOUBLE PRECISION NOT NULL DEFAULT 0,"
           " NRCORENTRSAF DOUBLE PRECISION NOT NULL DEFAULT 0,"
           " IDBLOALTRELO CHAR(1) NOT NULL DEFAULT 'N')",

           "CREATE TABLE IF NOT EXISTS SERVICO ("
           " CDFILIAL VARCHAR(4) NOT NULL REFERENCES FILIAL (CDFILIAL),"
           " CDSERVFILI VARCHAR(5) NOT NULL,"
           " NMSERVICO VARCHAR(40) NOT NULL,"
           " PRIMARY KEY (CDFILIAL, CDSERVFILI))",

           // Tree nodes (levels above the last) have no stock product. A stock product is its
           // own stock product; a purchase product points at the one it becomes.
           "CREATE TABLE IF NOT EXISTS PRODUTO ("
           " CDPRODUTO VARCHAR(10) NOT NULL PRIMARY KEY,"
           " CDARVPROD VARCHAR(20) NOT NULL UNIQUE,"
           " CDNVPRODUTO INTEGER NOT NULL,"
           " NMPRODUTO VARCHAR(50) NOT NULL,"
           " DSCOMPLNOME VARCHAR(30) NOT NULL DEFAULT '',"
           " SGUNIDADE VARCHAR(10) NOT NULL DEFAULT '',"
           " CDPRODESTO VARCHAR(10),"
           " VRPEFATOCORR DOUBLE PRECISION NOT NULL DEFAULT 1,"
           " IDINTESAFR VARCHAR(12) NOT NULL DEFAULT '',"
           " IDATIVO CHAR(1) NOT NULL DEFAULT 'S',"
           " IDCONTREST CHAR(1) NOT NULL DEFAULT 'S',"
           " CDGRUPPROD VARCHAR(10) NOT NULL DEFAULT '',"
           " VRPRECOREF DOUBLE PRECISION NOT NULL DEFAULT 0)",

           "CREATE TABLE IF NOT EXISTS PRODFILIAL ("
           " CDFILIAL VARCHAR(4) NOT NULL REFERENCES FILIAL (CDFILIAL),"
           " CDPRODUTO VARCHAR(10) NOT NULL REFERENCES PRODUTO (CDPRODUTO),"
           " IDATIVO CHAR(1) NOT NULL DEFAULT 'S',"
           " PRIMARY KEY (CDFILIAL, CDPRODUTO))",

           "CREATE TABLE IF NOT EXISTS PRODOPCIONAL ("
           " CDPRODUTO VARCHAR(10) NOT NULL REFERENCES PRODUTO (CDPRODUTO),"
           " CDPRODOPC VARCHAR(10) NOT NULL REFERENCES PRODUTO (CDPRODUTO),"
           " PRIMARY KEY (CDPRODUTO, CDPRODOPC))",

           // CDFILAUXPRAT "P" is the company's standard catalogue.
           "CREATE TABLE IF NOT EXISTS PRATO ("
           " CDFILAUXPRAT VARCHAR(4) NOT NULL,"
           " CDPRATO VARCHAR(10) NOT NULL,"
           " NMPRATO VARCHAR(40) NOT NULL,"
           " PRIMARY KEY (CDFILAUXPRAT, CDPRATO))",

           "CREATE TABLE IF NOT EXISTS RECEITA ("
           " CDFILAUXPRAT VARCHAR(4) NOT NULL,"
           " CDPRATO VARCHAR(10) NOT NULL,"
           " CDPRODUTO VARCHAR(10) NOT NULL REFERENCES PRODUTO (CDPRODUTO),"
           " QTDERECE DOUBLE PRECISION NOT NULL,"
           " SGUNIDRECE VARCHAR(10) NOT NULL DEFAULT '',"
           " PRIMARY KEY (CDFILAUXPRAT, CDPRATO, CDPRODUTO),"
           " FOREIGN KEY (CDFILAUXPRAT, CDPRATO) REFERENCES PRATO (CDFILAUXPRAT, CDPRATO))",

           "CREATE TABLE IF NOT EXISTS RECEITALOCAL ("
           " CDFILIAL VARCHAR(4) NOT NULL REFERENCES FILIAL (CDFILIAL),"
           " CDFILAUXPRAT VARCHAR(4) NOT NULL,"
           " CDPRATO VARCHAR(10) NOT NULL,"
           " CDPRODUTO VARCHAR(10) NOT NULL REFERENCES PRODUTO (CDPRODUTO),"
           " QTDERECE DOUBLE PRECISION NOT NULL,"
           " SGUNIDRECE VARCHAR(10) NOT NULL DEFAULT '',"
           " PRIMARY KEY (CDFILIAL, CDFILAUXPRAT, CDPRATO, CDPRODUTO),"
           " FOREIGN KEY (CDFILAUXPRAT, CDPRATO) REFERENCES PRATO (CDFILAUXPRAT, CDPRATO))",

           "CREATE TABLE IF NOT EXISTS RECEITASERV ("
           " CDFILIAL VARCHAR(4) NOT NULL,"
           " CDSERVFILI VARCHAR(5) NOT NULL,"
           " CDFILAUXPRAT VARCHAR(4) NOT NULL,"
           " CDPRATO VARCHAR(10) NOT NULL,"
           " CDPRODUTO VARCHAR(10) NOT NULL REFERENCES PRODUTO (CDPRODUTO),"
           " QTDERECE DOUBLE PRECISION NOT NULL,"
           " SGUNIDRECE VARCHAR(10) NOT NULL DEFAULT '',"
           " PRIMARY KEY (CDFILIAL, CDSERVFILI, CDFILAUXPRAT, CDPRATO, CDPRODUTO),"
           " FOREIGN KEY (CDFILIAL, CDSERVFILI) REFERENCES SERVICO (CDFILIAL, CDSERVFILI),"
           " FOREIGN KEY (CDFILAUXPRAT, CDPRATO) REFERENCES PRATO (CDFILAUXPRAT, CDPRATO))",

           "CREATE TABLE IF NOT EXISTS CARDAPIODIA ("
           " CDFILIAL VARCHAR(4) NOT NULL,"
           " CDSERVFILI VARCHAR(5) NOT NULL,"
           " DTCARDAPIO DOUBLE PRECISION NOT NULL,"
           " QTCOMESTICAR DOUBLE PRECISION NOT NULL DEFAULT 0,"
           " QTCLIESTICAR DOUBLE PRECISION NOT NULL DEFAULT 0,"
           " PRIMARY KEY (CDFILIAL, CDSERVFILI, DTCARDAPIO),"
           " FOREIGN KEY (CDFILIAL, CDSERVFILI) REFERENCES SERVICO (CDFILIAL, CDSERVFILI))",

           "CREATE TABLE IF NOT EXISTS CARDAPIO ("
           " CDFILIAL VARCHAR(4) NOT NULL,"
           " CDSERVFILI VARCHAR(5) NOT NULL,"
           " DTCARDAPIO DOUBLE PRECISION NOT NULL,"
           " CDFILAUXPRAT VARCHAR(4) NOT NULL,"
           " CDPRATO VARCHAR(10) NOT NULL,"
           " CDDIETPAD VARCHAR(4) NOT NULL DEFAULT '',"
           " COMENSPRATO DOUBLE PRECISION NOT NULL DEFAULT 0,"
           " VRPECONSCARD DOUBLE PRECISION NOT NULL DEFAULT 0,"
           " CONT DOUBLE PRECISION NOT NULL DEFAULT 1,"
           " PRIMARY KEY (CDFILIAL, CDSERVFILI, DTCARDAPIO, CDFILAUXPRAT, CDPRATO),"
           " FOREIGN KEY (CDFILIAL, CDSERVFILI, DTCARDAPIO)"
           "  REFERENCES CARDAPIODIA (CDFILIAL, CDSERVFILI, DTCARDAPIO),"
           " FOREIGN KEY (CDFILAUXPRAT, CDPRATO) REFERENCES PRATO (CDFILAUXPRAT, CDPRATO))",

           // IDORIGEM: "C" quotations, "E" stock history, "R" reference price.
           "CREATE TABLE IF NOT EXISTS TIPOCUSTO ("
           " CDTIPOCUSTO INTEGER NOT NULL PRIMARY KEY,"
           " NMTIPOCUSTO VARCHAR(40) NOT NULL,"
           " IDORIGEM CHAR(1) NOT NULL)",

           "CREATE TABLE IF NOT EXISTS FORNECEDOR ("
           " CDFORNECED VARCHAR(21) NOT NULL PRIMARY KEY,"
           " IDTPIJURFORN CHAR(1) NOT NULL DEFAULT 'J',"
           " NRINSJURFORN VARCHAR(20) NOT NULL DEFAULT '',"
           " NMRAZSOCFORN VARCHAR(40) NOT NULL)",

           // Prices are per stock unit of the quoted product's stock product.
           "CREATE TABLE IF NOT EXISTS COTACAO ("
           " IDCOTACAO {AUTOKEY},"
           " CDFILIAL VARCHAR(4) NOT NULL REFERENCES FILIAL (CDFILIAL),"
           " CDPRODUTO VARCHAR(10) NOT NULL REFERENCES PRODUTO (CDPRODUTO),"
           " CDFORNECED VARCHAR(21) NOT NULL REFERENCES FORNECEDOR (CDFORNECED),"
           " VRPRECO DOUBLE PRECISION NOT NULL,"
           " DTINIVALITM DOUBLE PRECISION NOT NULL,"
           " DTFINVALITM DOUBLE PRECISION NOT NULL,"
           " NMMARCA VARCHAR(20) NOT NULL DEFAULT '',"
           " IDORIGEM CHAR(1) NOT NULL DEFAULT 'C')",

           // TPCUSTO 10 average stock cost, 30 last purchase cost.
           "CREATE TABLE IF NOT EXISTS CUSTOHIST ("
           " CDFILIAL VARCHAR(4) NOT NULL REFERENCES FILIAL (CDFILIAL),"
           " TPCUSTO INTEGER NOT NULL,"
           " CDPRODUTO VARCHAR(10) NOT NULL REFERENCES PRODUTO (CDPRODUTO),"
           " DTCUSTO DOUBLE PRECISION NOT NULL,"
           " VRCUSTO DOUBLE PRECISION NOT NULL,"
           " PRIMARY KEY (CDFILIAL, TPCUSTO, CDPRODUTO, DTCUSTO))",

           "CREATE TABLE IF NOT EXISTS TIPOCONSUMO ("
           " CDTPRCONSFIX VARCHAR(2) NOT NULL PRIMARY KEY,"
           " NMTIPOPRAT VARCHAR(15) NOT NULL,"
           " TPCONS CHAR(1) NOT NULL)",

           "CREATE TABLE IF NOT EXISTS TIPOCONSSERV ("
           " CDFILIAL VARCHAR(4) NOT NULL,"
           " CDSERVFILI VARCHAR(5) NOT NULL,"
           " CDTPRCONSFIX VARCHAR(2) NOT NULL REFERENCES TIPOCONSUMO (CDTPRCONSFIX),"
           " VRCUSTPADRTP DOUBLE PRECISION NOT NULL DEFAULT 0,"
           " PRIMARY KEY (CDFILIAL, CDSERVFILI, CDTPRCONSFIX),"
           " FOREIGN KEY (CDFILIAL, CDSERVFILI) REFERENCES SERVICO (CDFILIAL, CDSERVFILI))",

           // NRTIPODIA 1 Sunday .. 7 Saturday, 8 holiday.
           "CREATE TABLE IF NOT EXISTS ITCONSSERV ("
           " CDFILIAL VARCHAR(4) NOT NULL,"
           " CDSERVFILI VARCHAR(5) NOT NULL,"
           " CDTPRCONSFIX VARCHAR(2) NOT NULL,"
           " NRTIPODIA INTEGER NOT NULL,"
           " CDPRODUTO VARCHAR(10) NOT NULL REFERENCES PRODUTO (CDPRODUTO),"
           " QTCONSSERV DOUBLE PRECISION NOT NULL,"
           " PRIMARY KEY (CDFILIAL, CDSERVFILI, NRTIPODIA, CDTPRCONSFIX, CDPRODUTO),"
           " FOREIGN KEY (CDFILIAL, CDSERVFILI, CDTPRCONSFIX)"
           "  REFERENCES TIPOCONSSERV (CDFILIAL, CDSERVFILI, CDTPRCONSFIX))",

           "CREATE TABLE IF NOT EXISTS FERIFILI ("
           " CDFILIAL VARCHAR(4) NOT NULL REFERENCES FILIAL (CDFILIAL),"
           " DTFERIFILI DOUBLE PRECISION NOT NULL,"
           " NMFERIADO VARCHAR(40) NOT NULL DEFAULT '',"
           " PRIMARY KEY (CDFILIAL, DTFERIFILI))",

           // DTMESRAT is the first day of the month apportioned.
           "CREATE TABLE IF NOT EXISTS RATEIO ("
           " CDFILIAL VARCHAR(4) NOT NULL,"
           " CDSERVFILI VARCHAR(5) NOT NULL,"
           " DTMESRAT DOUBLE PRECISION NOT NULL,"
           " VRRATEIO DOUBLE PRECISION NOT NULL,"
           " PRIMARY KEY (CDFILIAL, CDSERVFILI, DTMESRAT),"
           " FOREIGN KEY (CDFILIAL, CDSERVFILI) REFERENCES SERVICO (CDFILIAL, CDSERVFILI))",

           "CREATE TABLE IF NOT EXISTS RETIRADA ("
           " CDFILIAL VARCHAR(4) NOT NULL,"
           " CDSERVFILI VARCHAR(5) NOT NULL,"
           " DTRETIRADA DOUBLE PRECISION NOT NULL,"
           " CDPRODUTO VARCHAR(10) NOT NULL REFERENCES PRODUTO (CDPRODUTO),"
           " QTRETIRADA DOUBLE PRECISION NOT NULL,"
           " VRCUSTOUNIT DOUBLE PRECISION NOT NULL,"
           " PRIMARY KEY (CDFILIAL, CDSERVFILI, DTRETIRADA, CDPRODUTO),"
           " FOREIGN KEY (CDFILIAL, CDSERVFILI) REFERENCES SERVICO (CDFILIAL, CDSERVFILI))",

           "CREATE TABLE IF NOT EXISTS COMENSEFET ("
           " CDFILIAL VARCHAR(4) NOT NULL,"
           " CDSERVFILI VARCHAR(5) NOT NULL,"
           " DTCARDAPIO DOUBLE PRECISION NOT NULL,"
           " QTCOMEFETCAR DOUBLE PRECISION NOT NULL DEFAULT 0,"
           " QTCLIEFETCAR DOUBLE PRECISION NOT NULL DEFAULT 0,"
           " PRIMARY KEY (CDFILIAL, CDSERVFILI, DTCARDAPIO),"
           " FOREIGN KEY (CDFILIAL, CDSERVFILI) REFERENCES SERVICO (CDFILIAL, CDSERVFILI))",

           // DTMES is the first day of the month.
           "CREATE TABLE IF NOT EXISTS CUSTOPADRAO ("
           " CDFILIAL VARCHAR(4) NOT NULL,"
           " CDSERVFILI VARCHAR(5) NOT NULL,"
           " DTMES DOUBLE PRECISION NOT NULL,"
           " VRCUSTPADR DOUBLE PRECISION NOT NULL,"
           " PRIMARY KEY (CDFILIAL, CDSERVFILI, DTMES),"
           " FOREIGN KEY (CDFILIAL, CDSERVFILI) REFERENCES SERVICO (CDFILIAL, CDSERVFILI))",

           "CREATE TABLE IF NOT EXISTS SINASAFRA ("
           " CDSINASAFRA INTEGER NOT NULL PRIMARY KEY,"
           " NMSINASAFRA VARCHAR(20) NOT NULL,"
           " VRLIMINFSAFR DOUBLE PRECISION NOT NULL,"
           " VRLIMSUPSAFR DOUBLE PRECISION NOT NULL,"
           " NRCORSINSAFR DOUBLE PRECISION NOT NULL)",

           // Passwords are stored as "pbkdf2-sha256$iterations$salt$hash" (hex).
           "CREATE TABLE IF NOT EXISTS OPERADOR ("
           " CDOPERADOR VARCHAR(12) NOT NULL PRIMARY KEY,"
           " NMOPERADOR VARCHAR(40) NOT NULL,"
           " IDATIVO CHAR(1) NOT NULL DEFAULT 'S',"
           " DSSENHA VARCHAR(200) NOT NULL DEFAULT '')",

           // IDVALOR "S" grants the parameter, "N" denies it explicitly.
           "CREATE TABLE IF NOT EXISTS OPERPARAM ("
           " CDOPERADOR VARCHAR(12) NOT NULL REFERENCES OPERADOR (CDOPERADOR),"
           " CDPARAM VARCHAR(10) NOT NULL,"
           " IDVALOR CHAR(1) NOT NULL,"
           " PRIMARY KEY (CDOPERADOR, CDPARAM))",

           "CREATE TABLE IF NOT EXISTS OPERDIREITO ("
           " CDOPERADOR VARCHAR(12) NOT NULL REFERENCES OPERADOR (CDOPERADOR),"
           " NRTIPO INTEGER NOT NULL,"
           " CDACAO VARCHAR(60) NOT NULL,"
           " PRIMARY KEY (CDOPERADOR, NRTIPO, CDACAO))",

           // One key per daily cost load; DTCRIACAO in seconds since 1970 lets abandoned keys be
           // swept.
           "CREATE TABLE IF NOT EXISTS CONSPLANCHAVE ("
           " CDCONSPLAN VARCHAR(10) NOT NULL PRIMARY KEY,"
           " CDFILIAL VARCHAR(4) NOT NULL,"
           " CDSERVFILI VARCHAR(5) NOT NULL,"
           " DTCRIACAO BIGINT NOT NULL)",

           "CREATE TABLE IF NOT EXISTS CONSPLAN ("
           " CDCONSPLAN VARCHAR(10) NOT NULL"
           "  REFERENCES CONSPLANCHAVE (CDCONSPLAN) ON DELETE CASCADE,"
           " DTCONSPLAN DOUBLE PRECISION NOT NULL,"
           " CDPRODUTO VARCHAR(10) NOT NULL,"
           " QTCONSPLAN DOUBLE PRECISION NOT NULL,"
           " CUSTOPROD DOUBLE PRECISION NOT NULL,"
           " IDCUSTODESATU CHAR(1) NOT NULL DEFAULT 'N',"
           " DTCUSTOSUP DOUBLE PRECISION,"
           " DTFINCUSTSUP DOUBLE PRECISION,"
           " PRIMARY KEY (CDCONSPLAN, DTCONSPLAN, CDPRODUTO))",
       }},
      {2,
       "indexes on the month's access paths",
       {
           // Quotations valid in a window, and the latest one before it per product.
           "CREATE INDEX IF NOT EXISTS IX_COTACAO_FIM ON COTACAO (CDFILIAL, DTFINVALITM)",
           "CREATE INDEX IF NOT EXISTS IX_COTACAO_PROD ON COTACAO (CDFILIAL, CDPRODUTO, "
           "DTFINVALITM)",
           // Stock history of a window (the primary key serves the latest value per product).
           "CREATE INDEX IF NOT EXISTS IX_CUSTOHIST_DATA ON CUSTOHIST (CDFILIAL, TPCUSTO, DTCUSTO)",
           "CREATE INDEX IF NOT EXISTS IX_CONSPLANCHAVE_CRIACAO ON CONSPLANCHAVE (DTCRIACAO)",
           "CREATE INDEX IF NOT EXISTS IX_PRODUTO_ESTOQUE ON PRODUTO (CDPRODESTO)",
           "CREATE INDEX IF NOT EXISTS IX_PRODUTO_NIVEL ON PRODUTO (CDNVPRODUTO, CDARVPROD)",
           "CREATE INDEX IF NOT EXISTS IX_COMENSEFET_DIA ON COMENSEFET (CDFILIAL, CDSERVFILI,"
           " DTCARDAPIO)",
       }},
      {3,
       "work tables of one row: what a month load's lists need to plan it again",
       {
           // Keys of the per-product form cannot be read by this version: released at once.
           "DELETE FROM CONSPLANCHAVE",
           "ALTER TABLE CONSPLANCHAVE ADD COLUMN CDOPERADOR VARCHAR(12) NOT NULL DEFAULT ''",
           "ALTER TABLE CONSPLANCHAVE ADD COLUMN DTINICIO DOUBLE PRECISION NOT NULL DEFAULT 0",
           "ALTER TABLE CONSPLANCHAVE ADD COLUMN DTFIM DOUBLE PRECISION NOT NULL DEFAULT 0",
           "ALTER TABLE CONSPLANCHAVE ADD COLUMN TPCUSTO INTEGER NOT NULL DEFAULT 0",
           "ALTER TABLE CONSPLANCHAVE ADD COLUMN CDFILCUSTO VARCHAR(4) NOT NULL DEFAULT ''",
           // NULL: costs taken on each day.
           "ALTER TABLE CONSPLANCHAVE ADD COLUMN DTCUSTOFIXA DOUBLE PRECISION",
           "CREATE INDEX IF NOT EXISTS IX_CONSPLANCHAVE_OPERADOR ON CONSPLANCHAVE (CDOPERADOR,"
           " DTCRIACAO)",
       }},
      {4,
       "sessions and kept answers of writes, shared by every server of the database",
       {
           // Only the SHA-256 of a token is stored (hex): reading the table opens no session.
           // Times are milliseconds since 1970, comparable between servers.
           "CREATE TABLE IF NOT EXISTS SESSAOOPER ("
           " HASHTOKEN CHAR(64) NOT NULL PRIMARY KEY,"
           " CDOPERADOR VARCHAR(12) NOT NULL,"
           " DTULTACESSO BIGINT NOT NULL)",
           "CREATE INDEX IF NOT EXISTS IX_SESSAOOPER_OPERADOR ON SESSAOOPER (CDOPERADOR)",
           "CREATE INDEX IF NOT EXISTS IX_SESSAOOPER_ACESSO ON SESSAOOPER (DTULTACESSO)",
           // DSRESPOSTA NULL: the write is running on some server (claimed at DTRESPOSTA).
           "CREATE TABLE IF NOT EXISTS RESPGUARDADA ("
           " CDOPERADOR VARCHAR(12) NOT NULL,"
           " IDREQUISICAO VARCHAR(64) NOT NULL,"
           " NMCHAMADA VARCHAR(200) NOT NULL,"
           " DSRESPOSTA VARCHAR,"
           " DTRESPOSTA BIGINT NOT NULL,"
           " PRIMARY KEY (CDOPERADOR, IDREQUISICAO))",
           "CREATE INDEX IF NOT EXISTS IX_RESPGUARDADA_DATA ON RESPGUARDADA (DTRESPOSTA)",
       }},
  };
  return list;
}

}  // namespace

int latestVersion() {
  return migrations().back().version;
}

int currentVersion(db::Database& db) {
  auto exists = db.prepare(db.dialect().backend() == db::Backend::SQLite
                               ? "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND "
                                 "name = 'schema_version'"
                               : "SELECT COUNT(*) FROM information_schema.tables WHERE "
                                 "table_schema = current_schema() AND "
                                 "table_name = 'schema_version'");
  if (!exists->step() || exists->integer(0) == 0) return 0;
  auto st = db.prepare("SELECT MAX(version) FROM schema_version");
  return st->step() ? static_cast<int>(st->integer(0)) : 0;
}

void migrate(db::Database& db, int64_t nowSeconds) {
  for (;;) {
    db::Transaction tx(db);
    // Servers starting together on one PostgreSQL database take turns here; SQLite's write
    // transaction already excludes the others. The version is read after the turn is ours.
    if (db.dialect().backend() == db::Backend::PostgreSQL) {
      db.exec("SELECT pg_advisory_xact_lock(7428190371)");
    }
    db.exec(
        "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL PRIMARY KEY,"
        " description VARCHAR(200) NOT NULL, applied_at BIGINT NOT NULL)");
    int current = currentVersion(db);
    if (current > latestVersion()) {
      throw db::DbError("database schema version " + std::to_string(current) +
                        " is newer than this server (" + std::to_string(latestVersion()) + ")");
    }
    const Migration* next = nullptr;
    for (const auto& migration : migrations()) {
      if (migration.version > current) {
        next = &migration;
        break;
      }
    }
    if (next == nullptr) {
      tx.commit();
      return;
    }
    for (const char* statement : next->statements)
      db.exec(statement);
    auto record = db.prepare(
        "INSERT INTO schema_version (version, description, applied_at) VALUES (?1, ?2, ?3)");
    record->bindInt(1, next->version);
    record->bindText(2, next->description);
    record->bindInt(3, nowSeconds);
    record->run();
    record.reset();
    tx.commit();
  }
}

}  // namespace server::schema
