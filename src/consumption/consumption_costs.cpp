// Consumption of the day: its load, item totals for the day's diners, type totals from their
// items, and the item list following the current type.
#include <stdexcept>
#include <string>

#include "consumption/consumption.h"
#include "platform/consiste.h"
#include "platform/date.h"
#include "remote/host_services.h"
#include "screen/dataset_helpers.h"
#include "screen/scope_guard.h"

namespace consumption {

using platform::ClientDataSet;
using platform::Variant;
using screen::ControlsSuspended;
using screen::fieldFloat;
using screen::Finally;

namespace {

std::string typeFilter(const std::string& kind) {
  return "IDCONSUMO = '" + kind + "'";
}

}  // namespace

void Consumption::cdsConsServCalcFields(ClientDataSet& ds) {
  const double multiplier =
      ds.fieldByName("IDCONSUMO").asString() == "P" ? fieldFloat(cdsComens, "QTCOMESTICAR") : 1.0;
  const double quantity =
      Consiste::RoundDec(ds.fieldByName("QTCONSSERV").asFloat() * multiplier, 5);
  ds.fieldByName("QtdeTotal").setAsFloat(quantity);
  ds.fieldByName("CustoTotal")
      .setAsFloat(Consiste::RoundDec(quantity * ds.fieldByName("CustoUnit").asFloat(), 5));
}

void Consumption::cdsConsumoCalcFields(ClientDataSet& ds) {
  const std::string kind = ds.fieldByName("TPCONS").asString();
  if (!cdsConsServ.active()) {
    ds.fieldByName("IDCUSTODESATU").setAsString("N");
    ds.fieldByName("idExistCustZero").setAsString("N");
    ds.fieldByName("CUSTOTOTAL").setAsFloat(0);
    ds.fieldByName("CUSTOPERCAP").setAsFloat(0);
    return;
  }
  cdsConsServ.setFiltered(false);
  const bool outdated =
      !cdsConsServ
           .lookup("IDCUSTODESATU;IDCONSUMO", Variant::array({Variant("S"), kind}), "IDCONSUMO")
           .isNull();
  ds.fieldByName("IDCUSTODESATU").setAsString(outdated ? "S" : "N");
  const bool zeroCost =
      !cdsConsServ.lookup("CustoUnit;IDCONSUMO", Variant::array({Variant(0.0), kind}), "IDCONSUMO")
           .isNull();
  ds.fieldByName("idExistCustZero").setAsString(zeroCost ? "S" : "N");

  cdsConsServ.setFilter(typeFilter(kind));
  cdsConsServ.setFiltered(true);
  if (cdsConsServ.isEmpty()) {
    ds.fieldByName("CUSTOTOTAL").setAsFloat(0);
    ds.fieldByName("CUSTOPERCAP").setAsFloat(0);
    return;
  }
  double sum = 0;
  {
    ControlsSuspended suspended(cdsConsServ);
    platform::Field& total = cdsConsServ.fieldByName("CustoTotal");
    while (!cdsConsServ.eof()) {
      sum += total.asFloat();
      cdsConsServ.next();
    }
    suspended.resume();
  }
  ds.fieldByName("CUSTOTOTAL").setAsFloat(Consiste::RoundDec(sum, 5));
  const double diners = fieldFloat(screen_.dailyCosts(), "QTCOMENSAIS");
  ds.fieldByName("CUSTOPERCAP")
      .setAsFloat(sum == 0 || diners == 0 ? 0.0 : Consiste::RoundDec(sum / diners, 5));
}

void Consumption::cdsConsumoAfterScroll(ClientDataSet& ds) {
  const platform::Field& kind = ds.fieldByName("TPCONS");
  cdsConsServ.setFiltered(false);
  cdsConsServ.setFilter(typeFilter(kind.asString()));
  cdsConsServ.setFiltered(true);
  const int column = dbgConsPerc->columnIndexOf("QTCONSSERV");
  if (column >= 0)
    dbgConsPerc->column(column).setTitle(msgPadrao.Msg(kind.isNull() ? "P" : kind.asString()));
}

void Consumption::loadDay(double day) {
  remote::BusyAnimation& busy = remote::busyAnimation();
  busy.ActiveShowAvi(&screen_.form(), 6, msgPadrao.Msg("calculando"));
  Finally hide([&busy] { busy.DeactiveShowAvi(); });

  qryFeriFili.Close();
  qryFeriFili.ParamByName("P_CDFILIAL").setAsString(ctx.branchCode);
  qryFeriFili.ParamByName("P_DTFERIFILI").setAsDateTime(day);
  qryFeriFili.Open();
  const std::string dayType = qryFeriFili.FieldByName("CTFERIFILI").asInteger() >= 1
                                  ? std::string("8")
                                  : std::to_string(platform::dayOfWeek(day));

  // Checked before the datasets are emptied: a refusal is shown and the day's rows stay.
  const Variant result = Consiste::CheckResultServ(
      screen_.costServer().call("GetConsServ", ctx.branchCode, ctx.serviceCode, Variant::date(day),
                                ctx.costMode, dayType, Variant::date(screen_.costDate()),
                                ctx.costBranch),
      true, 0);
  if (!result.isArray() || result.size() != 3)
    throw std::runtime_error("GetConsServ: resposta inesperada do servidor.");
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

void Consumption::Splitter2Moved() {
  if (!cdsConsumo.active() || !cdsConsServ.active()) return;
  cdsConsServ.setFilter(typeFilter(cdsConsumo.fieldByName("TPCONS").asString()));
}

}  // namespace consumption
