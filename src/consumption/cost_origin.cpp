// Where a product's unit cost came from: fetched for the day's cost date and shown by the
// origin screen.
#include "consumption/consumption.h"
#include "platform/consiste.h"
#include "platform/messages.h"
#include "remote/host_services.h"
#include "screen/dataset_helpers.h"
#include "screen/scope_guard.h"

namespace consumption {

using platform::Variant;
using screen::Finally;

void Consumption::dbgConsPercDblClick() {
  showCostOrigin(screen::fieldText(cdsConsServ, "CDPRODUTO"));
}

void Consumption::showCostOrigin(const std::string& productCode) {
  const double costDate = screen_.costDate();
  if (!screen::isQuotationCostMode(ctx.costMode)) return;
  platform::ui::Form& form = screen_.form();
  {
    remote::BusyAnimation& busy = remote::busyAnimation();
    Finally hide([&] {
      busy.DeactiveShowAvi();
      form.repaint();
    });
    busy.ActiveShowAvi(&form, 6, msgPadrao.Msg("CUSTO_ORIGEM"));
    const std::string& branch = ctx.costBranch.empty() ? ctx.branchCode : ctx.costBranch;
    const Variant origin =
        Consiste::CheckResultServ(screen_.costServer().call("GetOrigemCusto", branch, productCode,
                                                            ctx.costMode, Variant::date(costDate)),
                                  true, 0);
    cdsOrigemCusto.setData(origin);
  }
  remote::hostShell().LoadBPL(
      "RCX00514", Variant::array({Variant(cdsOrigemCusto.data()), Variant(ctx.branchCode),
                                  Variant(productCode)}));
}

}  // namespace consumption
