#include "server/objects/context_checks.h"

#include "platform/date.h"
#include "server/cost/unit_cost.h"
#include "server/objects/lookups.h"
#include "server/objects/messages.h"
#include "server/objects/write_limits.h"

namespace server::objects {

std::string checkBranchService(db::Database& db, const std::string& branch,
                               const std::string& service) {
  if (!processingDate(db, branch)) {
    return msg::kFilialNaoCadastrada + limits::clip(branch, limits::kBranch);
  }
  if (!service.empty() && !serviceExists(db, branch, service)) {
    return msg::kServicoNaoCadastrado + limits::clip(service, limits::kService);
  }
  return "";
}

std::string checkCostContext(db::Database& db, const std::string& branch,
                             const std::string& service, int costMode,
                             const std::string& costBranch) {
  std::string refusal = checkBranchService(db, branch, service);
  if (!refusal.empty()) return refusal;
  if (!cost::isKnownCostMode(costMode)) return msg::kTipoCustoInvalido + std::to_string(costMode);
  if (!costBranch.empty() && costBranch != branch && !processingDate(db, costBranch)) {
    return msg::kFilialNaoCadastrada + limits::clip(costBranch, limits::kBranch);
  }
  return "";
}

double monthFirstDay(double day) {
  platform::Ymd ymd = platform::decodeDate(day);
  return platform::encodeDate(ymd.year, ymd.month, 1);
}

double monthLastDay(double day) {
  platform::Ymd ymd = platform::decodeDate(day);
  return platform::encodeDate(ymd.year, ymd.month, platform::daysInMonth(ymd.year, ymd.month));
}

}  // namespace server::objects
