// Realized costs per day: running totals on load, per-diner values, the withdrawn items of the
// selected realized day.
#include "platform/abort.h"
#include "platform/consiste.h"
#include "platform/format.h"
#include "realized/realized.h"
#include "screen/dataset_helpers.h"
#include "screen/scope_guard.h"

namespace realized {

using platform::ClientDataSet;
using platform::Variant;
using screen::Detached;
using screen::fieldDate;
using screen::fieldText;

void Realized::loadRealizado() {
  cdsRealizado.setData(screen_.costServer().call(
      "GetRealizado", ctx.branchCode, ctx.serviceCode,
      Variant::date(Consiste::PriDiaMes(screen_.selectedDay())), ctx.calcMode, ctx.useFixedCostDate,
      Variant::date(ctx.fixedCostDate), ctx.costBranch));
}

void Realized::cdsRealizadoAfterOpen(ClientDataSet& ds) {
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

void Realized::cdsRealizadoCalcFields(ClientDataSet& ds) {
  const double diners = ds.fieldByName("QTCOMEFETCAR").asFloat();
  ds.fieldByName("QtdePerc")
      .setAsFloat(diners > 0 ? Consiste::RoundDec(ds.fieldByName("CUSTO").asFloat() / diners, 5)
                             : 0.0);
}

void Realized::cdsItemRetiCalcFields(ClientDataSet& ds) {
  const double withdrawn = ds.fieldByName("QTRETIRADA").asFloat();
  const double diners = ds.fieldByName("QTCOMEFETCAR").asFloat();
  ds.fieldByName("QtdePerc").setAsFloat(diners > 0 ? withdrawn / diners : 0.0);
  ds.fieldByName("CustoTotal").setAsFloat(ds.fieldByName("CustoUnit").asFloat() * withdrawn);
  const bool clientDiners = fieldText(screen_.paramFilial(), "IDCOMCUSPERC") == "C";
  ds.fieldByName("QTCOMECLIE")
      .setAsFloat(ds.fieldByName(clientDiners ? "QTCLIEFETCAR" : "QTCOMEFETCAR").asFloat());
}

void Realized::cdsRealizadoAfterScroll(ClientDataSet& ds) {
  if (!screen_.isActive(screen::Page::Realizado)) return;
  if (!cdsItemReti.active()) {
    cdsItemReti.setData(screen_.costServer().call(
        "GetItemReti", ctx.branchCode, ctx.serviceCode,
        Variant::date(Consiste::PriDiaMes(screen_.selectedDay())), ctx.calcMode,
        ctx.useFixedCostDate, Variant::date(ctx.fixedCostDate), ctx.costBranch));
  }
  cdsItemReti.setFilter(screen::dateFilter("DTCARDAPIO", fieldDate(ds, "DTCARDAPIO")));
  cdsItemReti.setFiltered(true);
  screen_.refreshCostPanel();
}

std::string Realized::cdsRealizadoDTCARDAPIOGetText(const platform::Field& sender, bool) {
  if (sender.isNull()) return "";
  return platform::formatDateTime("ddddd ddd", sender.asDateTime());
}

void Realized::cdsRealizadoBeforeDelete(platform::ClientDataSet&) {
  throw platform::Abort();
}

void Realized::cdsItemRetiBeforeDelete(platform::ClientDataSet&) {
  throw platform::Abort();
}

void Realized::cdsPlanRealBeforeDelete(platform::ClientDataSet&) {
  throw platform::Abort();
}

}  // namespace realized
