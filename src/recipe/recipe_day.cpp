// The day's recipes: what a day change loads, and whether recipe edits are pending.
#include "platform/consiste.h"
#include "recipe/recipe.h"

namespace recipe {

using platform::DataSetState;
using platform::Variant;

void Recipe::loadDay(double day) {
  remote::TNetConnection& server = screen_.costServer();
  // Both answers are checked before either dataset changes: a refusal is shown and the day's rows
  // stay as they were, never loaded as data.
  const Variant products = Consiste::CheckResultServ(
      server.call("GetProduto", ctx.branchCode, ctx.serviceCode, Variant::date(day), ctx.costMode,
                  ctx.useFixedCostDate, Variant::date(screen_.costDate()),
                  Variant::date(Consiste::PriDiaMes(ctx.referenceDate)), ctx.costBranch),
      true, 0);
  Variant menu;
  if (!cdsCardapio.active()) {
    menu = Consiste::CheckResultServ(server.call("GetCardapio", ctx.branchCode, ctx.serviceCode,
                                                 Variant::date(Consiste::PriDiaMes(day))),
                                     true, 0);
  }
  cdsProduto.setFiltered(false);
  cdsProduto.setData(products);
  if (!cdsCardapio.active()) {
    cdsCardapio.setFiltered(false);
    cdsCardapio.setData(menu);
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
