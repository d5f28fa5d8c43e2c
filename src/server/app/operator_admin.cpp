#include "server/app/operator_admin.h"

#include <termios.h>

#include <istream>
#include <ostream>

#include "platform/command_line.h"
#include "server/auth/password.h"
#include "server/db/open_database.h"
#include "server/objects/remote_object.h"
#include "server/schema/migrations.h"

namespace server::admin {
namespace {

using platform::UsageError;

constexpr size_t kMaxCodeBytes = 12;  // OPERADOR.CDOPERADOR
constexpr size_t kMaxNameBytes = 40;  // OPERADOR.NMOPERADOR
constexpr size_t kMaxActionBytes = 60;
constexpr size_t kMaxParamBytes = 10;

constexpr const char* kStandardRecipeRights[] = {"INCLUSAO_PRODUTO_RECEITA_PADRAO",
                                                 "ALTERACAO_PRODUTO_RECEITA_PADRAO",
                                                 "EXCLUSAO_PRODUTO_RECEITA_PADRAO"};

bool isKeyText(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok) return false;
  }
  return true;
}

// Printable, without spaces at either end: codes and names are typed at the login.
bool isPrintable(std::string_view text) {
  if (text.empty() || text.front() == ' ' || text.back() == ' ') return false;
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
  }
  return true;
}

std::string trimmed(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && text[begin] == ' ')
    ++begin;
  while (end > begin && text[end - 1] == ' ')
    --end;
  return std::string(text.substr(begin, end - begin));
}

bool operatorExists(db::Database& db, const std::string& code) {
  auto st = db.prepare("SELECT 1 FROM OPERADOR WHERE CDOPERADOR = ?1");
  st->bindText(1, code);
  return st->step();
}

void checkPassword(std::string_view password) {
  if (std::string reason = passwordRefusal(password); !reason.empty()) throw AdminError(reason);
}

// Turns the terminal's echo off while it lives.
class EchoOff {
 public:
  explicit EchoOff(int fd) : fd_(fd) {
    if (tcgetattr(fd_, &saved_) != 0) {
      fd_ = -1;
      return;
    }
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(fd_, TCSAFLUSH, &quiet);
  }
  ~EchoOff() {
    if (fd_ >= 0) tcsetattr(fd_, TCSAFLUSH, &saved_);
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  int fd_;
  termios saved_{};
};

std::string readLine(std::istream& in) {
  std::string line;
  if (!std::getline(in, line)) throw AdminError("no password given on the standard input");
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace

Rights parseRights(const std::string& list) {
  Rights rights;
  if (trimmed(list).empty()) return rights;
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    const std::string item = trimmed(std::string_view(list).substr(start, comma - start));
    start = comma + 1;
    auto bad = [&](const char* why) { return UsageError("--rights: '" + item + "' " + why); };
    if (item == "receita-padrao") {
      for (const char* action : kStandardRecipeRights)
        rights.actions.emplace_back(4, action);
    } else if (size_t colon = item.find(':'); colon != std::string::npos) {
      const std::string kind = item.substr(0, colon);
      const std::string action = item.substr(colon + 1);
      if (kind.empty() || kind.size() > 4 ||
          kind.find_first_not_of("0123456789") != std::string::npos)
        throw bad("needs a kind number before ':'");
      if (!isKeyText(action) || action.size() > kMaxActionBytes)
        throw bad("needs an action key of capitals, digits and '_' after ':'");
      rights.actions.emplace_back(std::stoi(kind), action);
    } else {
      const size_t equals = item.find('=');
      const std::string param = item.substr(0, equals);
      const std::string value = equals == std::string::npos ? "S" : item.substr(equals + 1);
      if (!isKeyText(param) || param.size() > kMaxParamBytes)
        throw bad("is not a right (KIND:ACTION, receita-padrao) nor a parameter (PARAM[=S|N])");
      if (value != "S" && value != "N") throw bad("needs S or N after '='");
      rights.params.emplace_back(param, value == "S");
    }
  }
  return rights;
}

std::string passwordRefusal(std::string_view password) {
  if (password.empty()) return "the password must not be empty";
  if (password.size() > auth::kMaxPasswordBytes) {
    return "the password is longer than " + std::to_string(auth::kMaxPasswordBytes) + " bytes";
  }
  return "";
}

void addOperator(db::Database& db, const std::string& code, const std::string& name,
                 const Rights& rights, std::string_view password, int iterations) {
  if (!isPrintable(code) || code.size() > kMaxCodeBytes || code.find(' ') != std::string::npos) {
    throw AdminError("the operator code '" + code + "' must have 1 to " +
                     std::to_string(kMaxCodeBytes) + " characters without spaces");
  }
  if (!isPrintable(name) || name.size() > kMaxNameBytes) {
    throw AdminError("the operator name must have 1 to " + std::to_string(kMaxNameBytes) +
                     " characters");
  }
  checkPassword(password);
  // Hashed before the transaction: the write lock is not held through the slow part.
  const std::string hash = auth::newPasswordHash(password, iterations);
  db::Transaction tx(db);
  if (operatorExists(db, code)) throw AdminError("the operator '" + code + "' already exists");
  auto op = db.prepare(
      "INSERT INTO OPERADOR (CDOPERADOR, NMOPERADOR, IDATIVO, DSSENHA) VALUES (?1, ?2, 'S', ?3)");
  op->bindText(1, code);
  op->bindText(2, name);
  op->bindText(3, hash);
  op->run();
  const std::string addRight = db.dialect().upsert(
      "OPERDIREITO", {"CDOPERADOR", "NRTIPO", "CDACAO"}, {"CDOPERADOR", "NRTIPO", "CDACAO"});
  const std::string setParam = db.dialect().upsert(
      "OPERPARAM", {"CDOPERADOR", "CDPARAM", "IDVALOR"}, {"CDOPERADOR", "CDPARAM"});
  for (const auto& [kind, action] : rights.actions) {
    auto st = db.prepare(addRight);
    st->bindText(1, code);
    st->bindInt(2, kind);
    st->bindText(3, action);
    st->run();
  }
  for (const auto& [param, granted] : rights.params) {
    auto st = db.prepare(setParam);
    st->bindText(1, code);
    st->bindText(2, param);
    st->bindText(3, granted ? "S" : "N");
    st->run();
  }
  tx.commit();
}

void setPassword(db::Database& db, const std::string& code, std::string_view password,
                 int iterations) {
  checkPassword(password);
  const std::string hash = auth::newPasswordHash(password, iterations);
  db::Transaction tx(db);
  auto st = db.prepare("UPDATE OPERADOR SET DSSENHA = ?1 WHERE CDOPERADOR = ?2");
  st->bindText(1, hash);
  st->bindText(2, code);
  st->run();
  if (db.changes() == 0) throw AdminError("unknown operator '" + code + "'");
  tx.commit();
}

void deactivateOperator(db::Database& db, const std::string& code) {
  db::Transaction tx(db);
  auto st = db.prepare("UPDATE OPERADOR SET IDATIVO = 'N' WHERE CDOPERADOR = ?1");
  st->bindText(1, code);
  st->run();
  if (db.changes() == 0) throw AdminError("unknown operator '" + code + "'");
  tx.commit();
}

std::string readNewPassword(std::istream& in, std::ostream& prompts, int terminalFd) {
  if (terminalFd < 0) return readLine(in);
  std::string first, second;
  {
    EchoOff quiet(terminalFd);
    prompts << "Password: " << std::flush;
    first = readLine(in);
    prompts << "\nRepeat the password: " << std::flush;
    second = readLine(in);
    prompts << std::endl;
  }
  if (first != second) throw AdminError("the two passwords differ");
  return first;
}

int runOperatorAdmin(const ServerCommandOptions& options, std::istream& in, int terminalFd,
                     std::ostream& out, std::ostream& err) {
  using Action = ServerCommandOptions::AdminAction;
  const std::string& code = options.adminOperator;
  try {
    // Refused before asking for a password.
    const Rights rights = parseRights(options.rights);
    auto db = db::openDatabase(options.databasePath, db::OpenMode::Create);
    schema::migrate(*db, objects::systemEnvironment().nowSeconds());
    const int iterations = options.passwordPolicy.iterations;
    switch (options.admin) {
      case Action::AddOperator: {
        if (operatorExists(*db, code))
          throw AdminError("the operator '" + code + "' already exists");
        const std::string password = readNewPassword(in, out, terminalFd);
        addOperator(*db, code, options.operatorName.empty() ? code : options.operatorName, rights,
                    password, iterations);
        out << "menucost-server: operator '" << code << "' added" << std::endl;
        break;
      }
      case Action::SetPassword: {
        if (!operatorExists(*db, code)) throw AdminError("unknown operator '" + code + "'");
        setPassword(*db, code, readNewPassword(in, out, terminalFd), iterations);
        out << "menucost-server: password of '" << code << "' set" << std::endl;
        break;
      }
      case Action::Deactivate:
        deactivateOperator(*db, code);
        out << "menucost-server: operator '" << code
            << "' deactivated; its open sessions end at their next call" << std::endl;
        break;
      case Action::None:
        throw std::logic_error("no administration command");
    }
    return 0;
  } catch (const std::exception& e) {
    err << "menucost-server: " << e.what() << std::endl;
    return 1;
  }
}

}  // namespace server::admin
