#include "screen/entry.h"

#include <memory>

#include "platform/date.h"
#include "remote/host_services.h"

screen::TfrmAnaCustRevRec* frmAnaCustRevRec = nullptr;

extern "C" void IniProc(const platform::Variant& Params) {
  if (Params.isNull()) return;
  CriaCustoServ(Params[0].toString(), Params[1].toString(), Params[2].toString(), Params[3].toInt(),
                Params[4].toInt(), Params[5].toDouble(), Params[6].toDouble(), Params[7].toBool());
}

void CriaCustoServ(const std::string& costBranch, const std::string& branchCode,
                   const std::string& serviceCode, int32_t costMode, int32_t calcMode,
                   double referenceDate, double fixedCostDate, bool useFixedCostDate) {
  auto form = std::make_unique<screen::TfrmAnaCustRevRec>();
  frmAnaCustRevRec = form.get();
  // The base close handling releases the closed screen; so does a failure of the modal loop.
  struct Release {
    ~Release() { frmAnaCustRevRec = nullptr; }
  } release;

  screen::AnalysisContext& ctx = form->ctx;
  ctx.costBranch = costBranch;
  ctx.branchCode = branchCode;
  ctx.serviceCode = serviceCode;
  ctx.costMode = costMode;
  ctx.calcMode = calcMode;
  ctx.referenceDate = referenceDate;
  ctx.fixedCostDate = fixedCostDate;
  ctx.useFixedCostDate = useFixedCostDate;
  const platform::Ymd ymd = platform::decodeDate(referenceDate);
  ctx.monthStart = platform::encodeDate(ymd.year, ymd.month, 1);

  remote::modalLoop().showModal(*form);
}
