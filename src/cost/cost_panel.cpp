// The cost panel: the day's and the month's planned figures beside the standard cost and, for
// closed days, the realized ones.
#include "cost/cost_analysis.h"
#include "platform/consiste.h"
#include "platform/format.h"
#include "remote/host_services.h"
#include "screen/dataset_helpers.h"
#include "screen/scope_guard.h"

namespace cost {

using platform::ClientDataSet;
using platform::DataSetState;
using platform::Variant;
using platform::ui::Color;
using screen::Detached;
using screen::fieldDate;
using screen::fieldFloat;
using screen::Finally;
using screen::Page;

namespace {

double R(double value) {
  return Consiste::RoundDec(value, 5);
}

}  // namespace

void CostAnalysis::Atualiza_Custo() {
  ClientDataSet& cdsRealizado = realized_.cdsRealizado;
  ClientDataSet& cdsPlanReal = realized_.cdsPlanReal;
  double day = selectedDay();
  if (panCusto->visible()) {
    {
      Detached trabCusto(cdsTrabCusto.afterScroll);
      Detached realizado(cdsRealizado.afterScroll);
      Detached planReal(cdsPlanReal.afterScroll);
      remote::BusyAnimation& busy = remote::busyAnimation();
      Finally hide([&busy] { busy.DeactiveShowAvi(); });

      const double plannedDiners =
          Consiste::CheckResultServ(
              screen_.costServer().call("GetComensPlan", ctx.branchCode, ctx.serviceCode,
                                        Variant::date(ctx.monthStart)),
              true, 0)
              .toDouble();
      if (!cdsRealizado.active()) {
        busy.ActiveShowAvi(&screen_.form(), 6, msgPadrao.Msg("calculando_real"));
        realized_.loadRealizado();
      }
      if (screen_.isActive(Page::Planejado)) {
        if (cdsPlanReal.state() != DataSetState::Insert)
          cdsPlanReal.locate("DTCARDAPIO", Variant::date(day));
        for (platform::ui::NumberEdit* edit :
             {nedCustoCardReal, nedTotalRAcum, nedEfetivos, nedPuMedioReal})
          edit->SetNumber(0);
      } else if (screen_.isActive(Page::Realizado) || screen_.isActive(Page::PlanReal)) {
        day = fillRealizedPanel();
      }
      fillPlannedPanel(plannedDiners);
    }
    // A month without realized days leaves no day to name (0 would read 30/12/1899).
    const std::string dayText = day > 0 ? platform::shortDate(day) : std::string();
    grbCustoDia->setCaption(msgPadrao.Msg("DIA") + dayText);
    grbCustTotaDia->setCaption(msgPadrao.Msg("DIA") + dayText);
    grbCustoAcum->setCaption(msgPadrao.Msg("ACUM_ATE") + dayText);
    const Color red = Color::rgb(255, 0, 0);
    nedSaldoPerc->setColor(nedSaldoPerc->GetNumber() < 0 ? red : platform::ui::clBtnFace);
    nedSaldoMes->setColor(nedSaldoMes->GetNumber() < 0 ? red : platform::ui::clBtnFace);
  }
  const bool realizedColumn = !screen_.isActive(Page::Planejado) && day < ctx.blockDate;
  for (platform::ui::Control* c : std::initializer_list<platform::ui::Control*>{
           lblRealizado, nedCustoCardReal, lblRealAcum, nedTotalRAcum, nedEfetivos, nedPuMedioReal})
    c->setEnabled(realizedColumn);
}

double CostAnalysis::fillRealizedPanel() {
  const bool fromRealizado = screen_.isActive(Page::Realizado);
  ClientDataSet& source = fromRealizado ? realized_.cdsRealizado : realized_.cdsPlanReal;
  ClientDataSet& other = fromRealizado ? realized_.cdsPlanReal : realized_.cdsRealizado;
  const double day = fieldDate(source, "DTCARDAPIO");
  if (cdsTrabCusto.active()) cdsTrabCusto.locate("DTDATA", Variant::date(day));
  if (other.active()) other.locate("DTCARDAPIO", Variant::date(day));
  showRealizedValues(source, day);
  return day;
}

void CostAnalysis::showRealizedValues(ClientDataSet& source, double day) {
  const bool closed = day < ctx.blockDate;
  nedCustoCardReal->SetNumber(closed ? R(fieldFloat(source, "CUSTO")) : 0.0);
  nedTotalRAcum->SetNumber(closed ? R(fieldFloat(source, "CUSTOACUM")) : 0.0);
  nedEfetivos->SetNumber(closed ? R(fieldFloat(source, "QTCOMENSACU")) : 0.0);
  nedPuMedioReal->SetNumber(closed ? R(fieldFloat(source, "VRCUSTOMEDIO")) : 0.0);
}

void CostAnalysis::fillPlannedPanel(double plannedDiners) {
  const ClientDataSet& t = cdsTrabCusto;
  const double diners = fieldFloat(t, "QTCOMENSAIS");
  nedMatPriPerc->SetNumber(R(fieldFloat(t, "VRMATPERC")));
  nedConsPerc->SetNumber(diners == 0 ? 0.0 : R(fieldFloat(t, "VRCUSTOCONS") / diners));
  nedPercDia->SetNumber(R(fieldFloat(t, "VRTOTPERC")));
  nedPadrPerc->SetNumber(nedCustoPadrao->GetNumber());
  nedSaldoPerc->SetNumber(R(nedPadrPerc->GetNumber() - nedPercDia->GetNumber()));
  nedMatPriMes->SetNumber(R(fieldFloat(cdsTotalMes, "VRTOTMATPRIM")));
  nedConsMes->SetNumber(R(fieldFloat(cdsTotalMes, "VRTOTCONS")));
  nedTotalMes->SetNumber(R(nedMatPriMes->GetNumber() + nedConsMes->GetNumber()));
  nedPadrMens->SetNumber(R(nedCustoPadrao->GetNumber() * plannedDiners));
  nedSaldoMes->SetNumber(R(nedPadrMens->GetNumber() - nedTotalMes->GetNumber()));
  nedMatPriCardPlan->SetNumber(R(fieldFloat(t, "VRCUSTPRODMAT")));
  nedConsCardPlan->SetNumber(R(fieldFloat(t, "VRCUSTOCONS")));
  nedCustoCardPlan->SetNumber(nedMatPriCardPlan->GetNumber() + nedConsCardPlan->GetNumber());
  nedMatPriAcuPlan->SetNumber(R(fieldFloat(t, "VRCUSTMATACU")));
  nedConsAcuPlan->SetNumber(R(fieldFloat(t, "VRCUSTOCONSACU")));
  nedTotalTAcum->SetNumber(nedMatPriAcuPlan->GetNumber() + nedConsAcuPlan->GetNumber());
  nedEstimados->SetNumber(R(fieldFloat(t, "QTCOMESACU")));
  nedPuMedioTeor->SetNumber(R(fieldFloat(t, "VRCUSTOMEDIO")));
}

}  // namespace cost
