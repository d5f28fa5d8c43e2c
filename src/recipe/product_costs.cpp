// Recipe products: quantities and costs for the dish's diners, season costs, display texts.
#include <cctype>
#include <string>

#include "platform/consiste.h"
#include "platform/date.h"
#include "platform/format.h"
#include "recipe/recipe.h"
#include "screen/dataset_helpers.h"

namespace recipe {

using platform::ClientDataSet;
using screen::fieldFloat;

namespace {

// The season digit of month `month` in the twelve-character season text, 0 when blank or not a
// digit; empty (-1) when the text is too short for the month.
int seasonDigit(const std::string& seasons, int month) {
  if (static_cast<int>(seasons.size()) < month) return -1;
  const std::string digit = Consiste::AllTrim(seasons.substr(static_cast<size_t>(month - 1), 1));
  if (digit.size() != 1 || !std::isdigit(static_cast<unsigned char>(digit[0]))) return 0;
  return digit[0] - '0';
}

}  // namespace

void Recipe::cdsProdutoCalcFields(ClientDataSet& ds) {
  // The dish whose products are shown; while a dish row is being costed, that row.
  const double dishDiners = fieldFloat(cdsCardapio, "COMENSPRATO");
  const double dayDiners = fieldFloat(cdsCardapio, "QTCOMESTICAR");
  const double gross = ds.fieldByName("QTDEBRUTA").asFloat();
  const double unitCost = ds.fieldByName("CUSTOPROD").asFloat();

  const double quantity = Consiste::RoundDec(gross * dishDiners, 5);
  ds.fieldByName("QtdeTotal").setAsFloat(quantity);
  const double total = Consiste::RoundDec(unitCost * quantity, 5);
  ds.fieldByName("CustoTotal").setAsFloat(total);

  const int digit = seasonDigit(ds.fieldByName("IDINTESAFR").asString(),
                                platform::decodeDate(ctx.blockDate).month);
  if (digit >= 0) ds.fieldByName("Safra").setAsInteger(digit);
  ds.fieldByName("CustoSafra").setAsFloat(unitCost * gross);
  if (digit == 2) ds.fieldByName("CustoSafr2").setAsFloat(unitCost * gross);
  if (digit == 3) ds.fieldByName("CustoSafr3").setAsFloat(unitCost * gross);

  ds.fieldByName("percDia").setAsFloat(dayDiners > 0 ? Consiste::RoundDec(quantity / dayDiners, 5)
                                                     : 0.0);
  ds.fieldByName("custoPercDia")
      .setAsFloat(dayDiners > 0 ? Consiste::RoundDec(total / dayDiners, 5) : 0.0);
}

void Recipe::cdsProdutoAfterOpen(ClientDataSet& ds) {
  ctx.recipeKind = ds.isEmpty() ? std::string() : ds.fieldByName("TIPO").asString();
}

std::string Recipe::cdsProdutoQTDEBRUTAGetText(const platform::Field& sender, bool) {
  if (sender.isNull()) return "";
  return platform::formatFloat("#,##0.00000", sender.asFloat()) + " " +
         sender.dataSet().fieldByName("SGUNIDPROD").asString();
}

std::string Recipe::cdsProdutoTIPOGetText(const platform::Field& sender, bool) {
  const std::string kind = sender.asString();
  if (kind == "P") return msgPadrao.Msg("receP");
  if (kind == "L") return msgPadrao.Msg("receL");
  if (kind == "S") return msgPadrao.Msg("receS");
  return "";
}

}  // namespace recipe
