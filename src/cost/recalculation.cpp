// Recalculation: the month is fetched again from the saved recipes, keeping the user's day and
// dish.
#include "cost/cost_analysis.h"
#include "remote/host_services.h"
#include "screen/scope_guard.h"

namespace cost {

using screen::ControlsSuspended;
using screen::Finally;
using screen::Page;
using screen::ToolButton;

void CostAnalysis::sbtCalculaClick() {
  platform::ClientDataSet& cdsCardapio = recipe_.cdsCardapio;
  platform::ClientDataSet& cdsPlanReal = realized_.cdsPlanReal;
  platform::ui::Button& sbtCalcula = screen_.toolButton(ToolButton::Calcula);
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
  const bool onMatPrima = screen_.isActive(Page::MatPrima);
  if (onMatPrima) {
    if (cdsCardapio.active()) dishes.suspend(cdsCardapio);
    if (recipe_.cdsProduto.active()) products.suspend(recipe_.cdsProduto);
  }
  ctx.firstActivation = true;
  screen_.FormActivate();
  busy.ActiveShowAvi(&screen_.form(), 1, msgPadrao.Msg("calculando"));
  if (panCusto->visible()) Atualiza_Custo();
  // The table was built from the month as it stood before the saved changes: build it again.
  if (cdsPlanReal.active()) cdsPlanReal.emptyDataSet();
  realized_.Atualiza_PlanReal();
  sbtCalcula.setEnabled(false);
  const platform::ui::Color labels = sbtCalcula.enabled() ? platform::ui::Color::rgb(255, 0, 0)
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

}  // namespace cost
