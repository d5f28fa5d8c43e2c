// Operator administration from the server's command line: adding an operator with its rights,
// setting a password and deactivating, straight on the database (the server may be running).
#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "server/app/server_options.h"
#include "server/db/database.h"

namespace server::admin {

// A refusal of an administration command; what() says why in one line.
class AdminError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Rights {
  std::vector<std::pair<int, std::string>> actions;  // OPERDIREITO: kind, action key
  std::vector<std::pair<std::string, bool>> params;  // OPERPARAM: parameter, granted
};

// Reads a --rights list: comma-separated items, each
//   receita-padrao   the three standard-recipe rights (kind 4, what Autoriza is asked)
//   KIND:ACTION      any other right, e.g. 4:ALTERACAO_PRODUTO_RECEITA_PADRAO
//   PARAM            a parameter granted, e.g. ARRV
//   PARAM=S, PARAM=N a parameter granted or explicitly denied
// An empty list grants nothing. Errors: platform::UsageError naming the bad item.
Rights parseRights(const std::string& list);

// "" when `password` may be set, else why not (empty, or longer than the login accepts).
std::string passwordRefusal(std::string_view password);

// Adds an active operator with its password and rights in one transaction.
// Errors: AdminError for an invalid code or name, an operator that exists (active or not) or a
// refused password; DbError.
void addOperator(db::Database& db, const std::string& code, const std::string& name,
                 const Rights& rights, std::string_view password, int iterations);
// Replaces the operator's password. Errors: AdminError for an unknown operator or a refused
// password; DbError.
void setPassword(db::Database& db, const std::string& code, std::string_view password,
                 int iterations);
// Deactivates the operator: no more logins, and its open sessions end at their next call.
// Errors: AdminError for an unknown operator; DbError.
void deactivateOperator(db::Database& db, const std::string& code);

// Reads a new password: from a terminal (`terminalFd` >= 0) asked twice on `prompts` with the
// echo off; otherwise the first line of `in` (without its line end). Errors: AdminError when the
// input ends first or the two differ.
std::string readNewPassword(std::istream& in, std::ostream& prompts, int terminalFd);

// Runs the administration command of `options` (REQUIRES: options.admin is not None) on its
// database, created and migrated when missing; a password is read from `in` as
// readNewPassword does, prompting on `out`. Returns the process's exit code: 0 done, 1 refused
// or failed (the reason on `err`).
int runOperatorAdmin(const ServerCommandOptions& options, std::istream& in, int terminalFd,
                     std::ostream& out, std::ostream& err);

}  // namespace server::admin
