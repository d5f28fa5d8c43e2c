// Day selection: what moving the daily cost table loads and shows.
#include "cost/cost_analysis.h"
#include "remote/host_services.h"
#include "screen/dataset_helpers.h"
#include "screen/scope_guard.h"

namespace cost {

using platform::ClientDataSet;
using platform::ui::Color;
using screen::fieldFloat;
using screen::Finally;
using screen::Page;

namespace {

const Color kRed = Color::rgb(255, 0, 0);
const Color kBlack = Color::rgb(0, 0, 0);

}  // namespace

void CostAnalysis::cdsTrabCustoAfterScroll(ClientDataSet&) {
  if (screen_.isActive(Page::Planejado)) {
    if (screen_.isActive(Page::MatPrima)) {
      loadDayRecipes();
    } else if (screen_.isActive(Page::ConsumoServico)) {
      consumption_.loadDay(selectedDay());
    }
    refreshDayBar();
  }
  recipe_.refreshPopupMenu();
}

void CostAnalysis::loadDayRecipes() {
  remote::BusyAnimation& busy = remote::busyAnimation();
  Finally hide([&busy] { busy.DeactiveShowAvi(); });
  if (!recipe_.cdsProduto.active() || !recipe_.cdsCardapio.active())
    busy.ActiveShowAvi(&screen_.form(), 6, msgPadrao.Msg("calculando"));

  recipe_.loadDay(selectedDay());

  const double season = ctx.seasonSum1 > 0 ? ctx.seasonSum3 / ctx.seasonSum1 * 100 +
                                                 (ctx.seasonSum2 / ctx.seasonSum1 * 100) / 2
                                           : 0.0;
  nedPeSafraCard->SetNumber(season);

  if (const platform::Field* colour = recipe_.seasonBandColour(nedPeSafraCard->GetNumber()))
    shpSafraCard->setBrushColor(Color::fromNumber(colour->asLargeInt()));
}

void CostAnalysis::refreshDayBar() {
  nedComensais->SetNumber(fieldFloat(cdsTrabCusto, "QTCOMENSAIS"));
  Atualiza_Custo();
  const double standard = nedCustoPadrao->GetNumber();
  dbeVrTotPerc->setFontColor(standard < fieldFloat(cdsTrabCusto, "VRTOTPERC") ? kRed : kBlack);
  dbeVrCustoMedio->setFontColor(standard < fieldFloat(cdsTrabCusto, "VRCUSTOMEDIO") ? kRed
                                                                                    : kBlack);
}

void CostAnalysis::dbnCustoClick(platform::ui::NavigateButton) {
  recipe_.refreshRecipeKeyHint();
}

void CostAnalysis::dbeVrTotPercKeyDown(platform::ui::Key& key, platform::ui::ShiftState) {
  key = platform::ui::kNoKey;
}

void CostAnalysis::dbeVrTotPercKeyPress(char32_t& key) {
  key = 0;
}

}  // namespace cost
