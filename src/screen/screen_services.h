// What the form lends its subsystems (cost, recipe, consumption, realized, charts, exceptions):
// its context, its connection to the cost server, its messages and parameter datasets, its pages
// and tool bar, the selected day, and the few operations of its own they ask for.
//
// A subsystem of the screen includes this header, the public header of any other subsystem it
// asks something of, the screen's shared helpers (analysis_context.h, scope_guard.h,
// dataset_helpers.h, grid_paint.h, field_defs.h) and platform/remote interfaces; never the form
// header nor another subsystem's private headers. The form implements ScreenServices and each
// subsystem keeps a reference to it for the form's lifetime.
#pragma once

#include <string>

#include "platform/client_dataset.h"
#include "platform/messages.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/page_control.h"
#include "remote/adoib_query.h"
#include "remote/net_connection.h"
#include "screen/analysis_context.h"

namespace screen {

// The pages (main page control) and the planned sub-pages (pgcPlanejado) of the form.
enum class Page {
  Planejado,
  Realizado,
  PlanReal,
  ProdCustZero,
  CotDesatu,
  AnaCusto,
  MatPrima,
  ConsumoServico,
};

// The form's buttons a subsystem reads or presses: sbtConfirma, sbtCancela, sbtCalcula, sbtSair.
enum class ToolButton { Confirma, Cancela, Calcula, Sair };

class ScreenServices {
 public:
  virtual ~ScreenServices() = default;

  // The form: it creates and owns every component of a subsystem, anchors the busy animation and
  // holds the help context of the dialogs.
  virtual platform::ui::Form& form() = 0;
  virtual AnalysisContext& context() = 0;
  // netCustoServ: every remote call of the subsystems goes to the cost server, except those of
  // the servers below.
  virtual remote::TNetConnection& costServer() = 0;
  // netAutoriza, the authorisation server; not connected until its first use.
  virtual remote::TNetConnection& authorizationServer() = 0;
  // netReceitaPadrao, the standard-recipe server (the operator's parameters, product checks).
  virtual remote::TNetConnection& standardRecipeServer() = 0;
  // netInfPrato, the dish-information server (optional products, local-recipe swaps).
  virtual remote::TNetConnection& dishInfoServer() = 0;
  // msgPadrao, filled from the message catalogue.
  virtual const platform::TMessages& messages() const = 0;
  // The parameter datasets of the initial load (cdsParamFilial, cdsParamPlaneja, cdsParamGeral,
  // cdsPreCotDesatu) and its general-parameter query (qryParamGeral); closed until the first
  // load.
  virtual const platform::ClientDataSet& paramFilial() const = 0;
  virtual const platform::ClientDataSet& paramGeral() const = 0;
  virtual const remote::TADOIBQuery& paramGeralQuery() const = 0;
  virtual const platform::ClientDataSet& paramPlaneja() const = 0;
  virtual const platform::ClientDataSet& preCotDesatu() const = 0;

  // REQUIRES: the form has built its pages (every subsystem builds its controls after that).
  virtual platform::ui::TabSheet& page(Page which) = 0;
  // Whether `which` is the active page of its page control; a planned sub-page answers for
  // pgcPlanejado alone, whatever the main page shows.
  virtual bool isActive(Page which) const = 0;
  virtual platform::ui::Button& toolButton(ToolButton which) = 0;

  // The daily cost table (cost::CostAnalysis::cdsTrabCusto): its current record is the selected
  // day, its QTCOMENSAIS the day's diners.
  virtual platform::ClientDataSet& dailyCosts() = 0;
  // DTDATA of the daily cost table's current record; 0 when the table is closed.
  virtual double selectedDay() const = 0;
  // The fixed cost date when the context says so, else the selected day.
  virtual double costDate() const = 0;
  // The month's standard cost per diner, as the header shows it.
  virtual double standardCost() const = 0;

  // The cost panel's refresh (cost::CostAnalysis::Atualiza_Custo).
  virtual void refreshCostPanel() = 0;
  // The form's switch between browsing (true: nothing pending) and editing a recipe.
  virtual void Habilita(bool browsing) = 0;
  // The form's activation; with context().firstActivation set it reloads the month.
  virtual void FormActivate() = 0;
};

// "<fieldName> = '<short date>'": the filter of a date field on one day.
std::string dateFilter(const std::string& fieldName, double day);

}  // namespace screen
