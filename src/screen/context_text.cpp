#include "screen/context_text.h"

#include <vector>

#include "platform/consiste.h"
#include "platform/date.h"
#include "platform/format.h"

namespace screen {

namespace {

using Consiste::AllTrim;

const char* const kMonths[] = {"Janeiro",  "Fevereiro", "Março",    "Abril",
                               "Maio",     "Junho",     "Julho",    "Agosto",
                               "Setembro", "Outubro",   "Novembro", "Dezembro"};

// "Label code - name", "Label code" without a name; nothing without a code.
std::string coded(const char* label, const std::string& code, const std::string& name) {
  const std::string c = AllTrim(code);
  if (c.empty()) return {};
  const std::string n = AllTrim(name);
  return std::string(label) + " " + c + (n.empty() ? "" : " - " + n);
}

std::string monthText(double referenceDate) {
  if (referenceDate <= 0) return {};
  const platform::Ymd ymd = platform::decodeDate(referenceDate);
  return std::string(kMonths[ymd.month - 1]) + " de " + std::to_string(ymd.year);
}

std::string costDateText(const AnalysisContext& ctx, const platform::TMessages& messages) {
  if (!ctx.useFixedCostDate) return AllTrim(messages.Msg("refecard"));
  std::string pattern = messages.Msg("refefix");
  const size_t at = pattern.find("%s");
  if (at != std::string::npos) pattern.replace(at, 2, platform::shortDate(ctx.fixedCostDate));
  return AllTrim(pattern);
}

}  // namespace

std::string contextText(const AnalysisContext& ctx, const ContextNames& names,
                        const platform::TMessages& messages) {
  std::vector<std::string> parts = {
      coded("Filial", ctx.branchCode, names.branch),
      coded("Serviço", ctx.serviceCode, names.service),
      monthText(ctx.referenceDate),
      coded("Custo", ctx.costMode != 0 ? std::to_string(ctx.costMode) : "", names.costMode),
      costDateText(ctx, messages),
  };
  const std::string costBranch = AllTrim(ctx.costBranch);
  if (!costBranch.empty() && costBranch != AllTrim(ctx.branchCode))
    parts.push_back("Custos da filial " + costBranch);
  parts.push_back(coded("Operador", names.operatorCode, names.operatorName));

  std::string text;
  for (const std::string& part : parts) {
    if (part.empty()) continue;
    if (!text.empty()) text += " | ";
    text += part;
  }
  return text;
}

}  // namespace screen
