// Realized costs per day: running totals on load, per-diner values, the withdrawn items of the
// selected realized day.
#include "platform/abort.h"
#include "platform/consiste.h"
#include "platform/format.h"
#include "screen/ana_cust_rev_rec.h"
#include "screen/dataset_helpers.h"
#include "screen/scope_guard.h"

namespace screen {

using platform::ClientDataSet;
using platform::Variant;

void TfrmAnaCustRevRec::loadRealizado() {
  cdsRealizado.setData(netCustoServ->call("GetRealizado", ctx.branchCode, ctx.serviceCode,
                                          Variant::date(Consiste::PriDiaMes(selectedDay())),
                                          ctx.calcMode, ctx.useFixedCostDate,
                                          Variant::date(ctx.fixedCostDate), ctx.costBranch));
}

void TfrmAnaCustRevRec::cdsRealizadoAfterOpen(ClientDataSet& ds) {
  {
    Detached rowChange(ds.afterScroll);
    double cost = 0;
    double diners = 0;
    platform::Field& accumulated = ds.fieldByName("CUSTOACUM");
    platform::Field& accumulatedDiners = ds.fieldByName("QTCOMENSACU");
    ds.first();
    while (!ds.eof()) {
      cost += ds.fieldByName("CUSTO").asFloat();
      diners += ds.fieldByName("QTCOMEFETCAR").asFloat();
      ds.edit();
      accumulated.setAsFloat(Consiste::RoundDec(cost, 5));
      accumulatedDiners.setAsFloat(Consiste::RoundDec(diners, 5));
      const double storedDiners = accumulatedDiners.asFloat();
      ds.fieldByName("VRCUSTOMEDIO")
          .setAsFloat(storedDiners != 0
                          ? Consiste::RoundDec(accumulated.asFloat() / storedDiners, 5)
                          : 0.0);
      ds.post();
      ds.next();
    }
  }
  ds.first();
}

void TfrmAnaCustRevRec::cdsRealizadoCalcFields(ClientDataSet& ds) {
  const double diners = ds.fieldByName("QTCOMEFETCAR").asFloat();
  ds.fieldByName("QtdePerc")
      .setAsFloat(diners > 0 ? Consiste::RoundDec(ds.fieldByName("CUSTO").asFloat() / diners, 5)
                             : 0.0);
}

void TfrmAnaCustRevRec::cdsItemRetiCalcFields(ClientDataSet& ds) {
  const double withdrawn = ds.fieldByName("QTRETIRADA").asFloat();
  const double diners = ds.fieldByName("QTCOMEFETCAR").asFloat();
  ds.fieldByName("QtdePerc").setAsFloat(diners > 0 ? withdrawn / diners : 0.0);
  ds.fieldByName("CustoTotal").setAsFloat(ds.fieldByName("CustoUnit").asFloat() * withdrawn);
  const bool clientDiners = fieldText(cdsParamFilial, "IDCOMCUSPERC") == "C";
  ds.fieldByName("QTCOMECLIE")
      .setAsFloat(ds.fieldByName(clientDiners ? "QTCLIEFETCAR" : "QTCOMEFETCAR").asFloat());
}

void TfrmAnaCustRevRec::cdsRealizadoAfterScroll(ClientDataSet& ds) {
  if (pgcPadrao->activePage() != tshRealizado) return;
  if (!cdsItemReti.active()) {
    cdsItemReti.setData(netCustoServ->call("GetItemReti", ctx.branchCode, ctx.serviceCode,
                                           Variant::date(Consiste::PriDiaMes(selectedDay())),
                                           ctx.calcMode, ctx.useFixedCostDate,
                                           Variant::date(ctx.fixedCostDate), ctx.costBranch));
  }
  cdsItemReti.setFilter(dateFilter("DTCARDAPIO", fieldDate(ds, "DTCARDAPIO")));
  cdsItemReti.setFiltered(true);
  Atualiza_Custo();
}

std::string TfrmAnaCustRevRec::cdsRealizadoDTCARDAPIOGetText(const platform::Field& sender, bool) {
  if (sender.isNull()) return "";
  return platform::formatDateTime("ddddd ddd", sender.asDateTime());
}

void TfrmAnaCustRevRec::cdsRealizadoBeforeDelete(platform::ClientDataSet&) {
  throw platform::Abort();
}

void TfrmAnaCustRevRec::cdsItemRetiBeforeDelete(platform::ClientDataSet&) {
  throw platform::Abort();
}

void TfrmAnaCustRevRec::cdsPlanRealBeforeDelete(platform::ClientDataSet&) {
  throw platform::Abort();
}

}  // namespace screen
