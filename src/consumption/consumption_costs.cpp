// Consumption of the day: item totals for the day's diners, type totals from their items, and
// the item list following the current type.
#include "platform/consiste.h"
#include "screen/ana_cust_rev_rec.h"
#include "screen/dataset_helpers.h"
#include "screen/scope_guard.h"

namespace screen {

using platform::ClientDataSet;
using platform::Variant;

namespace {

std::string typeFilter(const std::string& kind) {
  return "IDCONSUMO = '" + kind + "'";
}

}  // namespace

void TfrmAnaCustRevRec::cdsConsServCalcFields(ClientDataSet& ds) {
  const double multiplier =
      ds.fieldByName("IDCONSUMO").asString() == "P" ? fieldFloat(cdsComens, "QTCOMESTICAR") : 1.0;
  const double quantity =
      Consiste::RoundDec(ds.fieldByName("QTCONSSERV").asFloat() * multiplier, 5);
  ds.fieldByName("QtdeTotal").setAsFloat(quantity);
  ds.fieldByName("CustoTotal")
      .setAsFloat(Consiste::RoundDec(quantity * ds.fieldByName("CustoUnit").asFloat(), 5));
}

void TfrmAnaCustRevRec::cdsConsumoCalcFields(ClientDataSet& ds) {
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
  const double diners = fieldFloat(cdsTrabCusto, "QTCOMENSAIS");
  ds.fieldByName("CUSTOPERCAP")
      .setAsFloat(sum == 0 || diners == 0 ? 0.0 : Consiste::RoundDec(sum / diners, 5));
}

void TfrmAnaCustRevRec::cdsConsumoAfterScroll(ClientDataSet& ds) {
  const platform::Field& kind = ds.fieldByName("TPCONS");
  cdsConsServ.setFiltered(false);
  cdsConsServ.setFilter(typeFilter(kind.asString()));
  cdsConsServ.setFiltered(true);
  const int column = dbgConsPerc->columnIndexOf("QTCONSSERV");
  if (column >= 0)
    dbgConsPerc->column(column).setTitle(msgPadrao.Msg(kind.isNull() ? "P" : kind.asString()));
}

void TfrmAnaCustRevRec::Splitter2Moved() {
  if (!cdsConsumo.active() || !cdsConsServ.active()) return;
  cdsConsServ.setFilter(typeFilter(cdsConsumo.fieldByName("TPCONS").asString()));
}

}  // namespace screen
