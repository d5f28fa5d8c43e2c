// The context line (status line and window title) and the header's notices.
#include <stdexcept>

#include "platform/consiste.h"
#include "remote/host_services.h"
#include "screen/ana_cust_rev_rec.h"
#include "screen/context_text.h"

namespace screen {

namespace {

// The name a lookup finds; empty when there is none or the lookup fails. The line only shows
// names beside codes it always has, so a missing table or row must not stop the load.
std::string lookUpName(remote::TADOIBQuery& query, const char* param,
                       const platform::Variant& value, const char* field) {
  try {
    query.Close();
    query.ParamByName(param).setValue(value);
    query.Open();
    return query.IsEmpty() ? std::string() : query.FieldByName(field).asString();
  } catch (const std::exception&) {
    query.Close();
    return {};
  }
}

}  // namespace

void TfrmAnaCustRevRec::showContext() {
  ContextNames names;
  names.branch = lookUpName(qryFilial, "P_CDFILIAL", platform::Variant(ctx.branchCode), "NMFILIAL");
  names.service = qryServico.Active() && !qryServico.IsEmpty()
                      ? qryServico.FieldByName("NMSERVICO").asString()
                      : std::string();
  names.costMode =
      lookUpName(qryTipoCusto, "P_CDTIPOCUSTO", platform::Variant(ctx.costMode), "NMTIPOCUSTO");
  names.operatorCode = remote::hostShell().Operador();
  names.operatorName =
      lookUpName(qryOperador, "P_CDOPERADOR", platform::Variant(names.operatorCode), "NMOPERADOR");
  const std::string text = screen::contextText(ctx, names, msgPadrao);
  panContexto->setCaption(text);
  setContextText(text);
}

void TfrmAnaCustRevRec::showMonthNotice() {
  lblSemCardapio->setVisible(cost.cdsTrabCusto.active() && !cost.monthHasMenu());
  // The header's notices follow one another from the left, hidden ones taking no room.
  int left = 4;
  for (platform::ui::Control* c : {static_cast<platform::ui::Control*>(panFiliCusto),
                                   static_cast<platform::ui::Control*>(lblDtRefeCust),
                                   static_cast<platform::ui::Control*>(lblSemCardapio)}) {
    if (!c->visible()) continue;
    c->setLeft(left);
    left += c->width() + 8;
  }
}

}  // namespace screen
