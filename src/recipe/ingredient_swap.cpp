// The ingredient swap: a product of a local or per-service recipe replaced by one of its optional
// products, saved on the server at once and followed by a reload of the day's products.
#include <algorithm>
#include <cctype>

#include "platform/consiste.h"
#include "platform/messages.h"
#include "recipe/recipe.h"
#include "remote/host_services.h"
#include "screen/dataset_helpers.h"
#include "screen/scope_guard.h"

namespace recipe {

using platform::Variant;
using screen::Finally;
using screen::isEditing;

namespace {

bool sameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

}  // namespace

void Recipe::mnuTrocarInClick() {
  if (isEditing(cdsProduto)) cdsProduto.post();
  if (screen::fieldText(screen_.paramPlaneja(), "IDBLOALTRELO") != "S") return;

  if (!cdsProduto.active() || cdsProduto.isEmpty()) return;
  const std::string kind = cdsProduto.fieldByName("TIPO").asString();
  if (kind != "L" && kind != "S") return;
  const bool local = kind == "L";
  const std::string dish = cdsProduto.fieldByName("CDPRATO").asString();
  const std::string dishBranch = cdsProduto.fieldByName("CDFILAUXPRAT").asString();
  const std::string oldProduct = cdsProduto.fieldByName("CDPRODUTO").asString();
  const std::string levels = treeLevels();
  platform::ui::Form& form = screen_.form();
  const int help = form.helpContext();
  remote::BusyAnimation& busy = remote::busyAnimation();

  {
    Finally hide([&busy] { busy.DeactiveShowAvi(); });
    busy.ActiveShowAvi(&form, 6, "");
    cdsPesqProdOpc.setData(Consiste::CheckResultServ(
        screen_.dishInfoServer().call("PesqProdOpc", cdsProduto.fieldByName("CDARVPROD").asString(),
                                      levels),
        true, 0));
  }
  cdsPesqProdOpc.setFilter("CDPRODUTO = CDPRODESTO");
  cdsPesqProdOpc.setFiltered(true);
  const std::string caption = msgPadrao.Msg("PRODOPC") + "|" + msgPadrao.Msg("NAOHAPRODOPC");
  if (!remote::searchList().Pesquisar(dtsPesqProdOpc, caption, false, true)) return;

  const std::string chosenCode = cdsPesqProdOpc.fieldByName("CDARVPROD").asString();
  const std::string chosen = cdsPesqProdOpc.fieldByName("CDPRODUTO").asString();
  const std::string unit = cdsPesqProdOpc.fieldByName("SGUNIDADE").asString();
  const double factor = cdsPesqProdOpc.fieldByName("VRPEFATOCORR").asFloat();
  const auto reject = [&](const std::string& key) {
    Consiste::MensErro(msgPadrao.Msg(key), true, help);
  };

  remote::TNetConnection& recipes = screen_.standardRecipeServer();
  if (recipes.call("Verif_Status_Prod", ctx.branchCode, levels, chosenCode).toString() ==
      "PROD_INATIVO")
    reject("PROD_INATIVO");
  if (Consiste::CheckResultServ(recipes.call("GetVerifProd", ctx.branchCode, chosen), true, 0)
          .toBool())
    reject("Prod_NEst");
  cdsPkProduto.setData(cdsProduto.data());
  for (cdsPkProduto.first(); !cdsPkProduto.eof(); cdsPkProduto.next()) {
    if (sameText(cdsPkProduto.fieldByName("CDFILAUXPRAT").asString(), dishBranch) &&
        sameText(cdsPkProduto.fieldByName("CDPRATO").asString(), dish) &&
        sameText(cdsPkProduto.fieldByName("CDPRODUTO").asString(), chosen))
      reject(local ? "ReceLoc_inf" : "ReceServ_inf");
  }

  {
    Finally hide([&busy] { busy.DeactiveShowAvi(); });
    busy.ActiveShowAvi(&form, 6, "");
    // The dish branch and recipe kind the server could take as the last two arguments are not
    // part of the call: both stay empty.
    const Variant result =
        local ? screen_.dishInfoServer().call("TrocaProduto", dish, ctx.branchCode, "", oldProduct,
                                              chosen, unit, factor, "", "")
              : screen_.costServer().call("TrocaProduto", dish, ctx.branchCode, ctx.serviceCode,
                                          oldProduct, chosen, unit, factor, "", "");
    Consiste::CheckResultServ(result, true, 0);
  }
  // Saved from here on: a failed reload below must not hide that the costs are stale.
  ctx.recipeChanged = true;

  const Variant products = screen_.costServer().call(
      "GetProduto", ctx.branchCode, ctx.serviceCode, Variant::date(screen_.selectedDay()),
      ctx.costMode, ctx.useFixedCostDate, Variant::date(screen_.costDate()),
      Variant::date(Consiste::PriDiaMes(ctx.referenceDate)), ctx.costBranch);
  if (!products.isPacket()) {
    // The old rows stay: the server's message must not become the day's products.
    enableAfterProductChange();
    Consiste::CheckResultServ(products, true, help);
    Consiste::MensErro("Resposta inesperada do servidor ao recarregar os produtos.", true, help);
  }
  cdsProduto.setData(products);
  msgPadrao.ShowMsg("recalcular", platform::DialogType::Warning, platform::mbOK, help);
  screen_.Habilita(true);
}

}  // namespace recipe
