#include "screen/ana_cust_rev_rec.h"

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
  defineDailyCostTable();
  defineRecipeDatasets();
  defineConsumptionDatasets();
  defineRealizedDatasets();
  defineExceptionDatasets();
  defineChartDatasets();
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
       {&cdsTotalMes, &cdsGrafCust, &cdsGrafPlanReal, &cdsCustoAcum, &cdsPlanReal, &cdsProdutoAux})
    local->createDataSet();

  for (platform::Field* code :
       {cdsProdutoCDARVPROD, qryPesqProdCDARVPROD, cdsPesqProdCDARVPROD, cdsPesqProdOpcCDARVPROD})
    code->setEditMask(remote::hostShell().DBPict(0));
}

void TfrmAnaCustRevRec::FormResize() {
  subPanCusto->setLeft((panCusto->width() - subPanCusto->width()) / 2);
}

double TfrmAnaCustRevRec::selectedDay() const {
  if (!cdsTrabCusto.active()) return 0;
  return cdsTrabCusto.fieldByName("DTDATA").asDateTime();
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

bool TfrmAnaCustRevRec::hasPendingRecipeChanges() const {
  using platform::DataSetState;
  const DataSetState produto = cdsProduto.state();
  const DataSetState cardapio = cdsCardapio.state();
  return produto == DataSetState::Edit || produto == DataSetState::Insert ||
         (cdsProduto.active() && cdsProduto.changeCount() > 0) || cardapio == DataSetState::Edit ||
         (cdsCardapio.active() && cdsCardapio.changeCount() > 0);
}

std::string TfrmAnaCustRevRec::dishFilter(const std::string& dish, const std::string& dishBranch) {
  return "CDPRATO = '" + dish + "'" + " AND CDFILAUXPRAT = " + "'" + dishBranch + "'";
}

std::string TfrmAnaCustRevRec::dateFilter(const std::string& fieldName, double day) {
  return fieldName + " = '" + platform::shortDate(day) + "'";
}

}  // namespace screen
