// Activation: the initial load of the month, and its reload when firstActivation is set again.
#include <stdexcept>
#include <utility>

#include "platform/consiste.h"
#include "platform/format.h"
#include "remote/host_services.h"
#include "screen/ana_cust_rev_rec.h"
#include "screen/scope_guard.h"

namespace screen {

using platform::Variant;

namespace {

// A remote result that is a text is the server's error message.
void raiseIfText(const Variant& result) {
  if (result.isText()) throw std::runtime_error(result.toString());
}

std::string replacePlaceholder(std::string pattern, const std::string& value) {
  const size_t at = pattern.find("%s");
  if (at != std::string::npos) pattern.replace(at, 2, value);
  return pattern;
}

}  // namespace

void TfrmAnaCustRevRec::FormActivate() {
  remote::BusyAnimation& busy = remote::busyAnimation();
  remote::HostShell& shell = remote::hostShell();

  tshCotDesatu->setEnabled(isQuotationCostMode(ctx.costMode));

  {
    busy.ActiveShowAvi(this, 6);
    Finally hide([&busy] { busy.DeactiveShowAvi(); });
    shell.AtualizaLocalCache(Variant::array({Variant("SINASAFRA")}));
  }

  if (!ctx.firstActivation) {
    repaint();
    return;
  }
  repaint();
  if (!ctx.costBranch.empty()) {
    panFiliCusto->setCaption(msgPadrao.Msg("FILIAL") + " " + ctx.costBranch);
    panFiliCusto->setVisible(true);
  }
  ctx.firstActivation = false;

  busy.ActiveShowAvi(nullptr, 6, msgPadrao.Msg("calculando"));
  try {
    const double monthFirst = Consiste::PriDiaMes(ctx.referenceDate);
    const double monthLast = Consiste::UltimoDiaMes(ctx.referenceDate);

    qryServico.Close();
    qryServico.ParamByName("P_CDFILIAL").setAsString(ctx.branchCode);
    qryServico.ParamByName("P_CDSERVFILI").setAsString(ctx.serviceCode);
    qryServico.Open();
    setCaption(msgPadrao.Msg("CustoServ") + " - " +
               Consiste::AllTrim(qryServico.FieldByName("NMSERVICO").asString()));
    showContext();

    lblDtRefeCust->setVisible(ctx.useFixedCostDate);
    if (ctx.useFixedCostDate) {
      lblDtRefeCust->setCaption(
          replacePlaceholder(msgPadrao.Msg("refefix"), platform::shortDate(ctx.fixedCostDate)));
    }

    const Variant params = netCustoServ->call("GetParams", ctx.branchCode);
    raiseIfText(params);
    cdsParamFilial.setData(params[0]);
    cdsParamPlaneja.setData(params[1]);

    cdsCustoPadrao.setData(netCustoServ->call("GetCustoPadrao", ctx.branchCode, ctx.serviceCode,
                                              Variant::date(monthFirst)));
    cost.nedCustoPadrao->SetNumber(cdsCustoPadrao.fieldByName("VRCUSTPADR").asFloat());

    const std::string previousWorkTable = ctx.workTableId;
    ctx.workTableId.clear();
    Variant trabCusto;
    {
      // The reload replaces the work table; the old one is released whatever the new call
      // answers, so no table is left behind on the server for this screen.
      Finally release([&] {
        if (!previousWorkTable.empty() && previousWorkTable != ctx.workTableId)
          releaseWorkTable(previousWorkTable);
      });
      trabCusto = netCustoServ->call(
          "GetTrabCusto", ctx.branchCode, ctx.serviceCode, Variant::date(monthFirst),
          Variant::date(monthLast), ctx.costMode, shell.Operador(), ctx.useFixedCostDate,
          Variant::date(ctx.fixedCostDate), ctx.costBranch, ctx.isBranchModule);
      raiseIfText(trabCusto);
      ctx.workTableId = trabCusto[0].toString();
    }
    if (!ctx.workTableId.empty() && ctx.workTableId.size() != 10) {
      // An error message is no key: it must not be sent back as one later.
      const std::string message = std::exchange(ctx.workTableId, std::string());
      Consiste::MensErro(message, true, helpContext());
    }

    const double day = selectedDay();
    try {
      cost.cdsTrabCusto.setData(trabCusto[1]);
    } catch (...) {
      if (cost.cdsTrabCusto.active()) cost.cdsTrabCusto.locate("DTDATA", Variant::date(day));
      throw;
    }
    cost.cdsTrabCusto.locate("DTDATA", Variant::date(day));
    showMonthNotice();

    if (shell.ModuloAtiv() != 81) cdsPreCotDesatu.setData(trabCusto[2]);

    ctx.recipeKind.clear();
    qryParamGeral.Close();
    qryParamGeral.Open();
    busy.DeactiveShowAvi();

    cdsParamGeral.setData(Consiste::CheckResultServ(netCustoServ->call("GetParamGeral"), true, 0));
    ctx.blockDate =
        shell.DataProc(ctx.branchCode) + cdsParamGeral.fieldByName("QTDIABLOQCAR").asFloat();
  } catch (...) {
    busy.DeactiveShowAvi();
    repaint();
    throw;
  }
  repaint();
}

void TfrmAnaCustRevRec::releaseWorkTable(const std::string& workTableId) {
  try {
    netCustoServ->call("DelConsplan", workTableId, ctx.branchCode);
  } catch (const std::exception&) {
    // The server sweeps work tables older than a day; nothing for the user to act on here.
  }
}

}  // namespace screen
