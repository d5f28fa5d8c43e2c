#include "server/objects/database_messages.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace server::objects {
namespace {

TEST(DatabaseMessages, TheUserReadsTheSymptomNeverTheDatabasesText) {
  struct Case {
    const char* detail;  // as the driver words it
    const char* expectedStart;
  };
  const Case cases[] = {
      {"database is locked", "Banco de dados ocupado. Tente novamente em instantes."},
      {"database is locked in: UPDATE CARDAPIO SET COMENSPRATO = ?1", "Banco de dados ocupado."},
      {"Database Table Is Locked", "Banco de dados ocupado."},
      {"ERROR:  deadlock detected", "Banco de dados ocupado."},
      {"database or disk is full", "Espaço em disco esgotado"},
      {"could not extend file \"base/1/2\": No space left on device", "Espaço em disco esgotado"},
      {"attempt to write a readonly database", "O banco de dados está somente para leitura"},
      {"database disk image is malformed", "O banco de dados está danificado"},
      {"file is not a database", "O banco de dados está danificado"},
      {"cannot open database '/srv/x.db': unable to open database file",
       "Não foi possível acessar o banco de dados"},
      {"no such table: CARDAPIO in: SELECT * FROM CARDAPIO", "Erro no banco de dados: "},
      {"", "Erro no banco de dados: "},
  };
  for (const Case& c : cases) {
    const std::string message = databaseMessage(c.detail);
    EXPECT_EQ(message.rfind(c.expectedStart, 0), 0u) << c.detail << " -> " << message;
    EXPECT_EQ(message.find("SELECT"), std::string::npos) << message;
    EXPECT_EQ(message.find("database"), std::string::npos) << message;
  }
}

TEST(DatabaseMessages, TheFullTextGoesToTheCallsNote) {
  std::string noted;
  CallContext context{"ANALISTA", [&](std::string_view detail) { noted = detail; }};
  const std::runtime_error error("database is locked in: DELETE FROM RECEITA");
  EXPECT_EQ(databaseRefusal(context, error), databaseMessage("database is locked"));
  EXPECT_EQ(noted, "database is locked in: DELETE FROM RECEITA");
  EXPECT_EQ(databaseRefusal(CallContext{"ANALISTA", nullptr}, error),
            databaseMessage("database is locked"));
}

}  // namespace
}  // namespace server::objects
