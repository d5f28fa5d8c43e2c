// Recalculation: the month is fetched again from the saved recipes, keeping the user's day and
// dish.
#include "remote/host_services.h"
#include "screen/ana_cust_rev_rec.h"
#include "screen/scope_guard.h"

namespace screen {

void TfrmAnaCustRevRec::sbtCalculaClick() {
  platform::Bookmark dayMark =
      cdsTrabCusto.active() ? cdsTrabCusto.getBookmark() : platform::Bookmark();
  platform::Bookmark dishMark =
      cdsCardapio.active() ? cdsCardapio.getBookmark() : platform::Bookmark();
  remote::BusyAnimation& busy = remote::busyAnimation();
  remote::CursorControl& cursor = remote::cursorControl();
  ControlsSuspended dishes;
  ControlsSuspended products;
  Finally always([&] {
    busy.DeactiveShowAvi();
    dishes.resume();
    products.resume();
    cdsTrabCusto.freeBookmark(dayMark);
    cdsCardapio.freeBookmark(dishMark);
    cursor.setCursor(remote::CursorShape::Default);
  });

  cursor.setCursor(remote::CursorShape::HourGlass);
  const bool onMatPrima = isMatPrimaSubPage();
  if (onMatPrima) {
    if (cdsCardapio.active()) dishes.suspend(cdsCardapio);
    if (cdsProduto.active()) products.suspend(cdsProduto);
  }
  ctx.firstActivation = true;
  FormActivate();
  busy.ActiveShowAvi(this, 1, msgPadrao.Msg("calculando"));
  if (panCusto->visible()) Atualiza_Custo();
  // The table was built from the month as it stood before the saved changes: build it again.
  if (cdsPlanReal.active()) cdsPlanReal.emptyDataSet();
  Atualiza_PlanReal();
  sbtCalcula->setEnabled(false);
  const platform::ui::Color labels = sbtCalcula->enabled() ? platform::ui::Color::rgb(255, 0, 0)
                                                           : platform::ui::Color::rgb(0, 0, 0);
  lblVrTotPerc->setFontColor(labels);
  lblVrCustoMedio->setFontColor(labels);
  if (onMatPrima) {
    if (cdsTrabCusto.active() && cdsTrabCusto.bookmarkValid(dayMark))
      cdsTrabCusto.gotoBookmark(dayMark);
    if (cdsCardapio.active() && cdsCardapio.bookmarkValid(dishMark))
      cdsCardapio.gotoBookmark(dishMark);
    dishes.resume();
    products.resume();
  }
  // Only a recalculation that went through brings the costs up to date.
  ctx.recipeChanged = false;
}

}  // namespace screen
