// TfrmAnaCustRevRec: the recipe cost analysis screen of one branch's meal service for one month.
//
// The form owns its AnalysisContext, its four application-server connections, the parameter
// datasets and direct queries of the initial load, its frame (header, side tool bar, pages) and
// one object per subsystem, each declared in the public header of its folder:
//   cost::CostAnalysis         cost/cost_analysis.h         daily cost table, day bar, day
//                                                           selection, cost panel, recalculation
//   recipe::Recipe             recipe/recipe.h              dishes, recipe products, their grids'
//                                                           popup menu, cancel, product search
//   consumption::Consumption   consumption/consumption.h    consumption by service
//   realized::Realized         realized/realized.h          realized costs, planned versus realized
//   charts::Charts             charts/charts.h              chart datasets and buttons
//   exceptions::ExceptionLists exceptions/exception_lists.h zero-cost and outdated-quotation lists
// Here (screen/) are creation, activation (initial load), close, keys, resize, page navigation,
// Habilita and the one place binding component events to handlers (form_events.cpp). The
// subsystems reach the form only through screen::ScreenServices (screen_services.h).
//
// Every handler runs on the user-interface thread. A handler refuses silently by throwing
// platform::Abort; other exceptions reach the host, which shows them.
#pragma once

#include <memory>
#include <string>

#include "charts/charts.h"
#include "consumption/consumption.h"
#include "cost/cost_analysis.h"
#include "exceptions/exception_lists.h"
#include "platform/client_dataset.h"
#include "platform/ui/ui.h"
#include "realized/realized.h"
#include "recipe/recipe.h"
#include "remote/adoib_query.h"
#include "remote/net_connection.h"
#include "screen/analysis_context.h"
#include "screen/padr_param.h"
#include "screen/screen_services.h"

namespace screen {

class TfrmAnaCustRevRec : public TfrmPadrParam {
 public:
  // Builds the components, wires their events and runs the creation handling (FormCreate):
  // connects netCustoServ, netReceitaPadrao and netInfPrato.
  // REQUIRES: the host services are installed (remote::setHostServices).
  // ERRORS: whatever connecting raises (remote::RemoteError); nothing is left behind.
  TfrmAnaCustRevRec();
  ~TfrmAnaCustRevRec() override;

  AnalysisContext ctx;

  // ---- Connections (owned; made by the connection factory, see connections.h) ----
  std::unique_ptr<remote::TNetConnection> netCustoServ;
  std::unique_ptr<remote::TNetConnection> netAutoriza;
  std::unique_ptr<remote::TNetConnection> netInfPrato;
  std::unique_ptr<remote::TNetConnection> netReceitaPadrao;

  // ---- Parameters and the initial load ----
  platform::ClientDataSet cdsParamFilial{"cdsParamFilial"};
  platform::ClientDataSet cdsParamPlaneja{"cdsParamPlaneja"};
  platform::ClientDataSet cdsCustoPadrao{"cdsCustoPadrao"};
  platform::ClientDataSet cdsParamGeral{"cdsParamGeral"};
  platform::ClientDataSet cdsPreCotDesatu{"cdsPreCotDesatu"};
  remote::TADOIBQuery qryServico{"qryServico"};
  remote::TADOIBQuery qryParamGeral{"qryParamGeral"};
  // Names of the context line: branch, cost mode, operator.
  remote::TADOIBQuery qryFilial{"qryFilial"};
  remote::TADOIBQuery qryTipoCusto{"qryTipoCusto"};
  remote::TADOIBQuery qryOperador{"qryOperador"};

  // ---- Header and side tool bar ----
  platform::ui::Panel* panFiliCusto = nullptr;
  platform::ui::Label* lblDtRefeCust = nullptr;
  // Shown while the month loaded has no menu.
  platform::ui::Label* lblSemCardapio = nullptr;
  // The status line: the context line (contextText).
  platform::ui::Panel* panContexto = nullptr;
  platform::ui::Panel* panControle = nullptr;
  platform::ui::Button* sbtConfirma = nullptr;
  platform::ui::Button* sbtCancela = nullptr;
  platform::ui::Button* sbtCalcula = nullptr;
  platform::ui::Panel* panCustZero = nullptr;
  platform::ui::Button* sbtCustZero = nullptr;
  platform::ui::Button* sbtCustos = nullptr;

  // ---- Pages ----
  platform::ui::TabSheet* tshPlanejado = nullptr;
  platform::ui::TabSheet* tshRealizado = nullptr;
  platform::ui::TabSheet* tshPlanReal = nullptr;
  platform::ui::TabSheet* tshProdCustZero = nullptr;
  platform::ui::TabSheet* tshCotDesatu = nullptr;
  platform::ui::PageControl* pgcPlanejado = nullptr;
  platform::ui::TabSheet* tshAnaCusto = nullptr;
  platform::ui::TabSheet* tshMatPrima = nullptr;
  platform::ui::TabSheet* tshConsumoServico = nullptr;

  // ==== Handlers: screen/ ====
  // Creation: base creation, context flags, initial pages, connections, local datasets, masks.
  void FormCreate() override;
  // Refreshes the season-band cache; while firstActivation, loads the month (initial load).
  // ERRORS: a server error text raised as std::runtime_error; whatever MensErro,
  // CheckResultServ or the loads raise. The busy animation is hidden in every case.
  void FormActivate();
  // Closing with recipe or diners changes pending asks "cancela": Yes drops them and lets the
  // screen close, No keeps it open with the changes.
  void FormCloseQuery(bool& canClose);
  // Releases the server's work table (a failure is shown, never keeps the screen open),
  // disconnects the four connections, then runs the base close handling.
  void FormClose(platform::ui::CloseAction& action) override;
  // Escape with pending recipe changes on "Matéria Prima" cancels them; other keys and
  // situations go to the base screen.
  void FormKeyPress(char32_t& key) override;
  // Keeps subPanCusto centred in panCusto.
  void FormResize();
  // Before-connect of the four connections: host and port from the shell.
  void netBeforeConnect(remote::TNetConnection& connection);
  // After the main page changed: loads what the page shows (Realizado once, the exception
  // lists every time), refreshes the cost panel and the side tool bar.
  void pgcPadraoChange();
  // After the planned sub-page changed: "Análise de Custo" reloads the month; every sub-page
  // reloads the selected day's data. Busy animation and cursor restored also on failure.
  void pgcPlanejadoChange();
  // Shows or hides the cost panel and refreshes it.
  void sbtCustosClick();
  // Switches the screen between browsing (true: nothing pending) and editing a recipe: the tool
  // bar, the recalculation's red labels, the grids and navigators of the other side and the
  // pages a pending edit must not leave.
  void Habilita(bool browsing);

  // Looks up the names of the branch, cost mode and operator (a failed lookup shows the code
  // alone) and shows the context line in the status line and after the window's caption.
  // REQUIRES: the service name in qryServico (the load opened it).
  void showContext();
  // Shows the "no menu" notice exactly when the loaded month has no menu.
  void showMonthNotice();

  // ---- Shared helpers ----
  // The selected day: DTDATA of the daily cost table's current record; 0 when it has none.
  double selectedDay() const;
  // fixedCostDate when useFixedCostDate, else the selected day.
  double costDate() const;
  bool isPlannedPage() const;
  bool isMatPrimaSubPage() const;

  // What the subsystems see of the form.
  ScreenServices& services() { return services_; }

 private:
  // The form as its subsystems see it.
  class Services final : public ScreenServices {
   public:
    explicit Services(TfrmAnaCustRevRec& form) : form_(form) {}
    platform::ui::Form& form() override { return form_; }
    AnalysisContext& context() override { return form_.ctx; }
    remote::TNetConnection& costServer() override { return *form_.netCustoServ; }
    remote::TNetConnection& authorizationServer() override { return *form_.netAutoriza; }
    remote::TNetConnection& standardRecipeServer() override { return *form_.netReceitaPadrao; }
    remote::TNetConnection& dishInfoServer() override { return *form_.netInfPrato; }
    const platform::TMessages& messages() const override { return form_.msgPadrao; }
    const platform::ClientDataSet& paramFilial() const override { return form_.cdsParamFilial; }
    const platform::ClientDataSet& paramGeral() const override { return form_.cdsParamGeral; }
    const remote::TADOIBQuery& paramGeralQuery() const override { return form_.qryParamGeral; }
    const platform::ClientDataSet& paramPlaneja() const override { return form_.cdsParamPlaneja; }
    const platform::ClientDataSet& preCotDesatu() const override { return form_.cdsPreCotDesatu; }
    platform::ui::TabSheet& page(Page which) override;
    bool isActive(Page which) const override;
    platform::ui::Button& toolButton(ToolButton which) override;
    platform::ClientDataSet& dailyCosts() override { return form_.cost.cdsTrabCusto; }
    double selectedDay() const override { return form_.selectedDay(); }
    double costDate() const override { return form_.costDate(); }
    double standardCost() const override { return form_.cost.nedCustoPadrao->GetNumber(); }
    void refreshCostPanel() override { form_.cost.Atualiza_Custo(); }
    void Habilita(bool browsing) override { form_.Habilita(browsing); }
    void FormActivate() override { form_.FormActivate(); }

   private:
    platform::ui::TabSheet* sheet(Page which) const;

    TfrmAnaCustRevRec& form_;
  };

  Services services_{*this};

 public:
  // ---- Subsystems (each needs the ones it asks things of, declared before it) ----
  exceptions::ExceptionLists exceptions{services_};
  realized::Realized realized{services_};
  charts::Charts charts{services_, realized};
  consumption::Consumption consumption{services_};
  recipe::Recipe recipe{services_, consumption};
  cost::CostAnalysis cost{services_, recipe, consumption, realized};

 private:
  // The frame (header, tool bar, pages), with each subsystem's controls in creation order.
  void buildLayout();
  void defineParameterDatasets();
  void createConnections();
  // The one place that binds component events to handlers.
  void wireEvents();
  // Releases a work table on the server; silent, the server sweeps abandoned tables anyway.
  void releaseWorkTable(const std::string& workTableId);
};

}  // namespace screen
