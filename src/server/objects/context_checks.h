// Checks of the analysis context most methods receive, answering the refusal text or "".
#pragma once

#include <string>

#include "server/db/database.h"

namespace server::objects {

// The branch whose costs are used: costBranch, or the branch itself when costBranch is empty.
inline std::string effectiveCostBranch(const std::string& branch, const std::string& costBranch) {
  return costBranch.empty() ? branch : costBranch;
}

// "" when the branch (and the service, when not empty) exist, else the refusal text.
std::string checkBranchService(db::Database& db, const std::string& branch,
                               const std::string& service);
// As checkBranchService, plus a known cost mode and an existing cost branch.
std::string checkCostContext(db::Database& db, const std::string& branch,
                             const std::string& service, int costMode,
                             const std::string& costBranch);

// The first day of the month of `day`, and its last day.
double monthFirstDay(double day);
double monthLastDay(double day);

}  // namespace server::objects
