// Dishes of the day: each dish's cost from its recipe products, its season share and warnings,
// and the product list following the current dish.
#include <string>

#include "platform/consiste.h"
#include "recipe/recipe.h"
#include "screen/dataset_helpers.h"
#include "screen/scope_guard.h"

namespace recipe {

using platform::ClientDataSet;
using platform::Variant;
using screen::ControlsSuspended;
using screen::Detached;
using screen::fieldText;

namespace {

// The product-list filter of a dish.
std::string dishFilter(const std::string& dish, const std::string& dishBranch) {
  return "CDPRATO = '" + dish + "'" + " AND CDFILAUXPRAT = " + "'" + dishBranch + "'";
}

}  // namespace

void Recipe::cdsCardapioCalcFields(ClientDataSet& ds) {
  const std::string dish = ds.fieldByName("CDPRATO").asString();
  const std::string dishBranch = ds.fieldByName("CDFILAUXPRAT").asString();
  const Variant menuDay = Variant::date(ds.fieldByName("DTCARDAPIO").asDateTime());

  bool outdated = false;
  bool zeroCost = false;
  if (cdsProduto.active()) {
    cdsProduto.setFiltered(false);
    outdated = !cdsProduto
                    .lookup("CDPRATO;CDFILAUXPRAT;DTCARDAPIO;IDCUSTODESATU",
                            Variant::array({dish, dishBranch, menuDay, Variant("S")}), "CDPRATO")
                    .isNull();
    zeroCost = !cdsProduto
                    .lookup("CUSTOPROD;CDPRATO;CDFILAUXPRAT;DTCARDAPIO",
                            Variant::array({Variant(0.0), dish, dishBranch, menuDay}), "CDPRATO")
                    .isNull();
    cdsProduto.setFiltered(true);
  }
  ds.fieldByName("IDCUSTODESATU").setAsString(outdated ? "S" : "N");
  ds.fieldByName("idExistCustZero").setAsString(zeroCost ? "S" : "N");

  // While the whole month is being loaded only the warnings are needed.
  if (!ds.filtered() || !cdsProduto.active()) return;

  const bool clientDiners = fieldText(screen_.paramFilial(), "IDCOMCUSPERC") == "C";
  const double dayDiners = ds.fieldByName(clientDiners ? "QTCLIESTICAR" : "QTCOMESTICAR").asFloat();
  ds.fieldByName("NrComeClie").setAsFloat(dayDiners);

  cdsProduto.setFiltered(false);
  {
    ControlsSuspended suspended(cdsProduto);
    cdsProduto.setFilter(dishFilter(dish, dishBranch));
    cdsProduto.setFiltered(true);
    cdsProduto.first();

    const double weight = ds.fieldByName("VRPECONSCARD").asFloat();
    double dishCost = 0;
    double sumSafr2 = 0;
    double sumSafr3 = 0;
    bool anyProduct = false;
    {
      Detached dataChange(dtsCardapio.onDataChange);
      platform::Field& total = cdsProduto.fieldByName("CustoTotal");
      platform::Field& safra = cdsProduto.fieldByName("CustoSafra");
      platform::Field& safr2 = cdsProduto.fieldByName("CustoSafr2");
      platform::Field& safr3 = cdsProduto.fieldByName("CustoSafr3");
      while (!cdsProduto.eof()) {
        anyProduct = true;
        dishCost += total.asFloat();
        sumSafr2 += safr2.asFloat();
        sumSafr3 += safr3.asFloat();
        ctx.seasonSum1 += safra.asFloat() * weight / 100;
        ctx.seasonSum2 += safr2.asFloat() * weight / 100;
        ctx.seasonSum3 += safr3.asFloat() * weight / 100;
        cdsProduto.next();
      }
    }
    suspended.resume();

    if (anyProduct) ds.fieldByName("CustoPrato").setAsFloat(dishCost);
    const double dishDiners = ds.fieldByName("COMENSPRATO").asFloat();
    const double perDiner = dishDiners > 0 ? Consiste::RoundDec(dishCost / dishDiners, 5) : 0.0;
    ds.fieldByName("CustoPerc").setAsFloat(perDiner);
    ds.fieldByName("CustoPercDia")
        .setAsFloat(dayDiners > 0 ? Consiste::RoundDec(dishCost / dayDiners, 5) : 0.0);
    const double share =
        perDiner > 0
            ? Consiste::RoundDec(100 * sumSafr3 / perDiner + (100 * sumSafr2 / perDiner) / 2, 2)
            : 0.0;
    ds.fieldByName("PercSafra").setAsFloat(share);

    if (const platform::Field* colour = seasonBandColour(share))
      ds.fieldByName("Safra").setAsFloat(colour->asFloat());
  }
  cdsProduto.setFiltered(false);
}

void Recipe::dtsCardapioDataChange(platform::DataSource&, const platform::Field*) {
  if (!cdsProduto.active()) return;
  ControlsSuspended suspended(cdsProduto);
  cdsProduto.setFilter(
      dishFilter(fieldText(cdsCardapio, "CDPRATO"), fieldText(cdsCardapio, "CDFILAUXPRAT")));
  cdsProduto.setFiltered(true);
  suspended.resume();
}

void Recipe::cdsCardapioAfterScroll(ClientDataSet&) {
  refreshRecipeKeyHint();
}

void Recipe::dbnPadraoClick(platform::ui::NavigateButton) {
  refreshRecipeKeyHint();
}

void Recipe::refreshRecipeKeyHint() {
  const std::string kind = fieldText(cdsProduto, "TIPO");
  if (kind.empty()) {
    Label18->setCaption(msgPadrao.Msg("RECELABELVAZIA"));
  } else if (kind == "P") {
    Label18->setCaption(msgPadrao.Msg("RECEPADRLABEL"));
  } else {
    Label18->setCaption(msgPadrao.Msg("RECELOCALLABEL"));
  }
}

}  // namespace recipe
