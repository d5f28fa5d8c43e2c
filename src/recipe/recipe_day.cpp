// The day's recipes: what a day change loads, and whether recipe edits are pending.
#include "platform/consiste.h"
#include "recipe/recipe.h"

namespace recipe {

using platform::DataSetState;
using platform::Variant;

void Recipe::loadDay(double day) {
  remote::TNetConnection& server = screen_.costServer();
  cdsProduto.setFiltered(false);
  cdsProduto.setData(
      server.call("GetProduto", ctx.branchCode, ctx.serviceCode, Variant::date(day), ctx.costMode,
                  ctx.useFixedCostDate, Variant::date(screen_.costDate()),
                  Variant::date(Consiste::PriDiaMes(ctx.referenceDate)), ctx.costBranch));

  if (!cdsCardapio.active()) {
    cdsCardapio.setFiltered(false);
    cdsCardapio.setData(server.call("GetCardapio", ctx.branchCode, ctx.serviceCode,
                                    Variant::date(Consiste::PriDiaMes(day))));
  }
  cdsCardapio.setFilter(screen::dateFilter("DTCARDAPIO", day));
  cdsCardapio.setFiltered(true);
}

bool Recipe::hasPendingRecipeChanges() const {
  const DataSetState produto = cdsProduto.state();
  const DataSetState cardapio = cdsCardapio.state();
  return produto == DataSetState::Edit || produto == DataSetState::Insert ||
         (cdsProduto.active() && cdsProduto.changeCount() > 0) || cardapio == DataSetState::Edit ||
         (cdsCardapio.active() && cdsCardapio.changeCount() > 0);
}

}  // namespace recipe
