// Day selection: what moving the daily cost table loads and shows.
#include <string>

#include "platform/consiste.h"
#include "platform/date.h"
#include "remote/host_services.h"
#include "screen/ana_cust_rev_rec.h"
#include "screen/dataset_helpers.h"
#include "screen/scope_guard.h"

namespace screen {

using platform::ClientDataSet;
using platform::Variant;
using platform::ui::Color;
using platform::ui::MouseButton;

namespace {

const Color kRed = Color::rgb(255, 0, 0);
const Color kBlack = Color::rgb(0, 0, 0);

}  // namespace

void TfrmAnaCustRevRec::cdsTrabCustoAfterScroll(ClientDataSet&) {
  if (isPlannedPage()) {
    if (isMatPrimaSubPage()) {
      loadDayRecipes();
    } else if (pgcPlanejado->activePage() == tshConsumoServico) {
      loadDayConsumption();
    }
    refreshDayBar();
  }
  dbgCardapioMouseUp(MouseButton::Left, {}, 0, 0);
  dbgPratoMouseUp(MouseButton::Left, {}, 0, 0);
}

void TfrmAnaCustRevRec::loadDayRecipes() {
  remote::BusyAnimation& busy = remote::busyAnimation();
  Finally hide([&busy] { busy.DeactiveShowAvi(); });
  if (!cdsProduto.active() || !cdsCardapio.active())
    busy.ActiveShowAvi(this, 6, msgPadrao.Msg("calculando"));

  const double day = selectedDay();
  cdsProduto.setFiltered(false);
  cdsProduto.setData(
      netCustoServ->call("GetProduto", ctx.branchCode, ctx.serviceCode, Variant::date(day),
                         ctx.costMode, ctx.useFixedCostDate, Variant::date(costDate()),
                         Variant::date(Consiste::PriDiaMes(ctx.referenceDate)), ctx.costBranch));

  if (!cdsCardapio.active()) {
    cdsCardapio.setFiltered(false);
    cdsCardapio.setData(netCustoServ->call("GetCardapio", ctx.branchCode, ctx.serviceCode,
                                           Variant::date(Consiste::PriDiaMes(day))));
  }
  cdsCardapio.setFilter(dateFilter("DTCARDAPIO", day));
  cdsCardapio.setFiltered(true);

  const double season = ctx.seasonSum1 > 0 ? ctx.seasonSum3 / ctx.seasonSum1 * 100 +
                                                 (ctx.seasonSum2 / ctx.seasonSum1 * 100) / 2
                                           : 0.0;
  nedPeSafraCard->SetNumber(season);

  qrySinaSafra.Close();
  qrySinaSafra.ParamByName("P_PERCSAFRA").setAsFloat(nedPeSafraCard->GetNumber());
  qrySinaSafra.Open();
  if (!qrySinaSafra.IsEmpty() && !qrySinaSafra.FieldByName("NRCORSINSAFR").isNull()) {
    shpSafraCard->setBrushColor(
        Color::fromNumber(qrySinaSafra.FieldByName("NRCORSINSAFR").asLargeInt()));
  }
}

void TfrmAnaCustRevRec::loadDayConsumption() {
  remote::BusyAnimation& busy = remote::busyAnimation();
  busy.ActiveShowAvi(this, 6, msgPadrao.Msg("calculando"));
  Finally hide([&busy] { busy.DeactiveShowAvi(); });

  const double day = selectedDay();
  qryFeriFili.Close();
  qryFeriFili.ParamByName("P_CDFILIAL").setAsString(ctx.branchCode);
  qryFeriFili.ParamByName("P_DTFERIFILI").setAsDateTime(day);
  qryFeriFili.Open();
  const std::string dayType = qryFeriFili.FieldByName("CTFERIFILI").asInteger() >= 1
                                  ? std::string("8")
                                  : std::to_string(platform::dayOfWeek(day));

  const Variant result =
      netCustoServ->call("GetConsServ", ctx.branchCode, ctx.serviceCode, Variant::date(day),
                         ctx.costMode, dayType, Variant::date(costDate()), ctx.costBranch);
  cdsComens.setData(result[2]);
  if (cdsConsServ.active()) {
    cdsConsServ.emptyDataSet();
  } else {
    cdsConsServ.createDataSet();
  }
  cdsConsServ.setData(result[1]);
  if (cdsConsumo.active()) {
    cdsConsumo.emptyDataSet();
  } else {
    cdsConsumo.createDataSet();
  }
  cdsConsumo.setData(result[0]);
}

void TfrmAnaCustRevRec::refreshDayBar() {
  nedComensais->SetNumber(fieldFloat(cdsTrabCusto, "QTCOMENSAIS"));
  Atualiza_Custo();
  const double standard = nedCustoPadrao->GetNumber();
  dbeVrTotPerc->setFontColor(standard < fieldFloat(cdsTrabCusto, "VRTOTPERC") ? kRed : kBlack);
  dbeVrCustoMedio->setFontColor(standard < fieldFloat(cdsTrabCusto, "VRCUSTOMEDIO") ? kRed
                                                                                    : kBlack);
}

void TfrmAnaCustRevRec::dbnCustoClick(platform::ui::NavigateButton) {
  refreshRecipeKeyHint();
}

void TfrmAnaCustRevRec::dbeVrTotPercKeyDown(platform::ui::Key& key, platform::ui::ShiftState) {
  key = platform::ui::kNoKey;
}

void TfrmAnaCustRevRec::dbeVrTotPercKeyPress(char32_t& key) {
  key = 0;
}

}  // namespace screen
