#include "screen/ana_cust_rev_rec.h"

#include <stdexcept>

#include "platform/format.h"
#include "remote/host_services.h"
#include "screen/connections.h"
#include "screen/message_catalogue.h"
#include "screen/scope_guard.h"

namespace screen {

using platform::ui::CloseAction;

bool isZeroCostAlertMode(int32_t costMode) {
  switch (costMode) {
    case 6:
    case 10:
    case 30:
    case 31:
    case 44:
    case 48:
    case 61:
    case 62:
      return true;
    default:
      return false;
  }
}

bool isQuotationCostMode(int32_t costMode) {
  return costMode == 6 || costMode == 44 || costMode == 48;
}

TfrmAnaCustRevRec::TfrmAnaCustRevRec() : TfrmPadrParam("frmAnaCustRevRec", "RCX00500") {
  setCaption("Análise de Custos com Revisão de Receita");
  setBounds(0, 0, 788, 560);
  for (const CatalogueEntry& entry : messageCatalogue())
    msgPadrao.add(std::string(entry.key), std::string(entry.text));

  createConnections();
  defineParameterDatasets();
  buildLayout();
  wireEvents();
  FormCreate();
}

TfrmAnaCustRevRec::~TfrmAnaCustRevRec() {
  // Grids and edits of the base form outlive these members: unbind them first.
  for (size_t i = 0; i < componentCount(); ++i) {
    platform::ui::Component& c = componentAt(i);
    if (auto* grid = dynamic_cast<platform::ui::DBGrid*>(&c)) grid->setDataSource(nullptr);
    if (auto* field = dynamic_cast<platform::ui::DBFieldControl*>(&c))
      field->setDataSource(nullptr);
    if (auto* nav = dynamic_cast<platform::ui::DBNavigator*>(&c)) nav->setDataSource(nullptr);
  }
}

void TfrmAnaCustRevRec::createConnections() {
  netCustoServ = makeConnection("Rcx00500.rdmAnaCustRevRec");
  netAutoriza = makeConnection("Inv.rdmAutoriza");
  netInfPrato = makeConnection("Rcx00502.rdmInfPrato");
  netReceitaPadrao = makeConnection("Rcx00503.rdmReceitaPadrao");
  for (remote::TNetConnection* c :
       {netCustoServ.get(), netAutoriza.get(), netInfPrato.get(), netReceitaPadrao.get()}) {
    c->ThrowException = false;
  }
}

void TfrmAnaCustRevRec::netBeforeConnect(remote::TNetConnection& connection) {
  connection.Host = remote::hostShell().WebURL();
  connection.Port = remote::hostShell().WebPort();
}

void TfrmAnaCustRevRec::FormCreate() {
  TfrmPadrParam::FormCreate();
  ctx.firstActivation = true;
  const char module = remote::hostShell().ModuloAtiv();
  ctx.isBranchModule = module == 27 || module == 43;
  ctx.recipeChanged = false;

  pgcPadrao->setActivePage(tshPlanejado);
  pgcPlanejado->setActivePage(tshAnaCusto);

  {
    remote::busyAnimation().ActiveShowAvi(nullptr, 0);
    Finally hide([] { remote::busyAnimation().DeactiveShowAvi(); });
    netCustoServ->open();
    netReceitaPadrao->open();
    netInfPrato->open();
  }

  for (platform::ClientDataSet* local :
       {&cost.cdsTotalMes, &charts.cdsGrafCust, &charts.cdsGrafPlanReal, &charts.cdsCustoAcum,
        &realized.cdsPlanReal, &recipe.cdsProdutoAux})
    local->createDataSet();

  for (platform::Field* code : {recipe.cdsProdutoCDARVPROD, recipe.qryPesqProdCDARVPROD,
                                recipe.cdsPesqProdCDARVPROD, recipe.cdsPesqProdOpcCDARVPROD})
    code->setEditMask(remote::hostShell().DBPict(0));
}

void TfrmAnaCustRevRec::FormResize() {
  cost.subPanCusto->setLeft((cost.panCusto->width() - cost.subPanCusto->width()) / 2);
}

double TfrmAnaCustRevRec::selectedDay() const {
  return cost.selectedDay();
}

double TfrmAnaCustRevRec::costDate() const {
  return ctx.useFixedCostDate ? ctx.fixedCostDate : selectedDay();
}

bool TfrmAnaCustRevRec::isPlannedPage() const {
  return pgcPadrao->activePage() == tshPlanejado;
}

bool TfrmAnaCustRevRec::isMatPrimaSubPage() const {
  return pgcPlanejado->activePage() == tshMatPrima;
}

platform::ui::TabSheet* TfrmAnaCustRevRec::Services::sheet(Page which) const {
  platform::ui::TabSheet* const sheets[] = {
      form_.tshPlanejado, form_.tshRealizado, form_.tshPlanReal, form_.tshProdCustZero,
      form_.tshCotDesatu, form_.tshAnaCusto,  form_.tshMatPrima, form_.tshConsumoServico,
  };
  return sheets[static_cast<size_t>(which)];
}

platform::ui::TabSheet& TfrmAnaCustRevRec::Services::page(Page which) {
  platform::ui::TabSheet* found = sheet(which);
  if (found == nullptr) throw std::logic_error("The form's pages are not built yet");
  return *found;
}

bool TfrmAnaCustRevRec::Services::isActive(Page which) const {
  const platform::ui::TabSheet* found = sheet(which);
  if (found == nullptr) return false;
  switch (which) {
    case Page::AnaCusto:
    case Page::MatPrima:
    case Page::ConsumoServico:
      return form_.pgcPlanejado->activePage() == found;
    default:
      return form_.pgcPadrao->activePage() == found;
  }
}

platform::ui::Button& TfrmAnaCustRevRec::Services::toolButton(ToolButton which) {
  switch (which) {
    case ToolButton::Confirma:
      return *form_.sbtConfirma;
    case ToolButton::Cancela:
      return *form_.sbtCancela;
    case ToolButton::Calcula:
      return *form_.sbtCalcula;
    case ToolButton::Sair:
      break;
  }
  return *form_.sbtSair;
}

std::string dateFilter(const std::string& fieldName, double day) {
  return fieldName + " = '" + platform::shortDate(day) + "'";
}

}  // namespace screen
