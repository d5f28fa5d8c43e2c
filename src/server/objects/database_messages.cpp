#include "server/objects/database_messages.h"

#include <algorithm>
#include <cctype>

#include "server/objects/messages.h"

namespace server::objects {

namespace {

struct Symptom {
  const char* needle;  // lower case, as SQLite or PostgreSQL word it
  const char* message;
};

constexpr const char* kBusy = "Banco de dados ocupado. Tente novamente em instantes.";
constexpr const char* kFull =
    "Espaço em disco esgotado no servidor de banco de dados. Avise o suporte.";
constexpr const char* kReadOnly =
    "O banco de dados está somente para leitura no servidor. Avise o suporte.";
constexpr const char* kDamaged = "O banco de dados está danificado. Avise o suporte.";
constexpr const char* kUnreachable =
    "Não foi possível acessar o banco de dados. Tente novamente em instantes; se persistir, "
    "avise o suporte.";

constexpr Symptom kSymptoms[] = {
    {"database is locked", kBusy},
    {"database table is locked", kBusy},
    {"database is busy", kBusy},
    {"deadlock detected", kBusy},
    {"could not obtain lock", kBusy},
    {"lock timeout", kBusy},
    {"could not serialize access", kBusy},
    {"disk is full", kFull},
    {"no space left on device", kFull},
    {"could not extend file", kFull},
    {"readonly database", kReadOnly},
    {"read-only", kReadOnly},
    {"malformed", kDamaged},
    {"not a database", kDamaged},
    {"corrupt", kDamaged},
    {"unable to open database", kUnreachable},
    {"cannot open database", kUnreachable},
    {"could not connect", kUnreachable},
    {"connection to server", kUnreachable},
    {"disk i/o error", kUnreachable},
};

}  // namespace

std::string databaseMessage(std::string_view detail) {
  std::string lower(detail);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const Symptom& symptom : kSymptoms) {
    if (lower.find(symptom.needle) != std::string::npos) return symptom.message;
  }
  return std::string(msg::kErroBanco) +
         "a operação não foi concluída. Os detalhes estão no log do servidor de aplicação.";
}

std::string databaseRefusal(const CallContext& context, const std::exception& error) {
  if (context.note) context.note(error.what());
  return databaseMessage(error.what());
}

}  // namespace server::objects
