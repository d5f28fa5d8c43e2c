// TfrmAnaCustRevRec: the recipe cost analysis screen of one branch's meal service for one month.
//
// The form owns its AnalysisContext, its four application-server connections, its datasets and
// direct queries and its controls; handlers are members named after component and event and are
// implemented in the folder of their subsystem:
//   screen/      creation, activation (initial load), close, keys, resize, page navigation,
//                Habilita, the wiring of events to handlers
//   cost/        daily cost table, day selection, cost panel (Atualiza_Custo), recalculation
//   recipe/      dish and product datasets with their calculated fields, popup-menu refresh
//   consumption/ consumption datasets with their calculated fields
//   realized/    realized costs, planned versus realized (Atualiza_PlanReal)
//   exceptions/  zero-cost and outdated-quotation lists
//   charts/      the chart datasets
//
// Every handler runs on the user-interface thread. A handler refuses silently by throwing
// platform::Abort; other exceptions reach the host, which shows them.
#pragma once

#include <memory>
#include <string>

#include "platform/client_dataset.h"
#include "platform/data_source.h"
#include "platform/ui/ui.h"
#include "remote/adoib_query.h"
#include "remote/net_connection.h"
#include "screen/analysis_context.h"
#include "screen/padr_param.h"

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

  // ---- Daily cost table ----
  platform::ClientDataSet cdsTrabCusto{"cdsTrabCusto"};
  platform::ClientDataSet cdsTotalMes{"cdsTotalMes"};
  remote::TADOIBQuery qryFeriFili{"qryFeriFili"};
  remote::TADOIBQuery qrySinaSafra{"qrySinaSafra"};

  // ---- Menu and recipe ----
  platform::ClientDataSet cdsCardapio{"cdsCardapio"};
  platform::ClientDataSet cdsProduto{"cdsProduto"};
  platform::ClientDataSet cdsProdutoAux{"cdsProdutoAux"};
  platform::ClientDataSet cdsPesqProd{"cdsPesqProd"};
  platform::ClientDataSet cdsPesqProdOpc{"cdsPesqProdOpc"};
  remote::TADOIBQuery qryPesqProd{"qryPesqProd"};

  // ---- Consumption ----
  platform::ClientDataSet cdsComens{"cdsComens"};
  platform::ClientDataSet cdsConsServ{"cdsConsServ"};
  platform::ClientDataSet cdsConsumo{"cdsConsumo"};

  // ---- Realized ----
  platform::ClientDataSet cdsRealizado{"cdsRealizado"};
  platform::ClientDataSet cdsItemReti{"cdsItemReti"};
  platform::ClientDataSet cdsPlanReal{"cdsPlanReal"};

  // ---- Charts ----
  platform::ClientDataSet cdsGrafCust{"cdsGrafCust"};
  platform::ClientDataSet cdsGrafPlanReal{"cdsGrafPlanReal"};
  platform::ClientDataSet cdsCustoAcum{"cdsCustoAcum"};

  // ---- Exception lists ----
  platform::ClientDataSet cdsProdCustZero{"cdsProdCustZero"};
  platform::ClientDataSet cdsProdCotDesatu{"cdsProdCotDesatu"};

  // Product-code fields that take the host's product-code picture.
  platform::Field* cdsProdutoCDARVPROD = nullptr;
  platform::Field* qryPesqProdCDARVPROD = nullptr;
  platform::Field* cdsPesqProdCDARVPROD = nullptr;
  platform::Field* cdsPesqProdOpcCDARVPROD = nullptr;
  platform::Field* cdsProdCustZeroCDARVPROD = nullptr;
  platform::Field* cdsProdCotDesatuCDARVPROD = nullptr;

  // ---- Data sources ----
  platform::DataSource dtsTrabCusto{&cdsTrabCusto};
  platform::DataSource dtsCardapio{&cdsCardapio};
  platform::DataSource dtsProduto{&cdsProduto};
  platform::DataSource dtsPesqProduto{&cdsPesqProd};
  platform::DataSource dtsPesqProdOpc{&cdsPesqProdOpc};
  platform::DataSource dtsConsumo{&cdsConsumo};
  platform::DataSource dtsConsServ{&cdsConsServ};
  platform::DataSource dtsRealizado{&cdsRealizado};
  platform::DataSource dtsItemReti{&cdsItemReti};
  platform::DataSource dtsPlanReal{&cdsPlanReal};
  platform::DataSource dtsProdCustZero{&cdsProdCustZero};
  platform::DataSource dtsProdCotDesatu{&cdsProdCotDesatu};

  // ---- Header and side tool bar ----
  platform::ui::Panel* panFiliCusto = nullptr;
  platform::ui::Label* lblDtRefeCust = nullptr;
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

  // ---- Day bar ("Planejado") ----
  platform::ui::Panel* pancustos = nullptr;
  platform::ui::DBNavigator* dbnCusto = nullptr;
  platform::ui::DBText* dbtData = nullptr;
  platform::ui::NumberEdit* nedCustoPadrao = nullptr;
  platform::ui::NumberEdit* nedComensais = nullptr;
  platform::ui::Panel* panSafra = nullptr;
  platform::ui::NumberEdit* nedPeSafraCard = nullptr;
  platform::ui::Shape* shpSafraCard = nullptr;
  platform::ui::Label* lblVrTotPerc = nullptr;
  platform::ui::DBEdit* dbeVrTotPerc = nullptr;
  platform::ui::Label* lblVrCustoMedio = nullptr;
  platform::ui::DBEdit* dbeVrCustoMedio = nullptr;

  // ---- Grids ----
  platform::ui::DBGrid* dbgTrabCusto = nullptr;
  platform::ui::DBGrid* dbgCardapio = nullptr;
  platform::ui::Panel* panNavigator = nullptr;
  platform::ui::DBNavigator* dbnPadrao = nullptr;
  platform::ui::DBText* dbtNome = nullptr;
  platform::ui::DBText* dbtTipoRece = nullptr;
  platform::ui::Label* lblInfCardapio = nullptr;
  platform::ui::Splitter* splMatPrim = nullptr;
  platform::ui::DBGrid* dbgPrato = nullptr;
  platform::ui::Label* Label18 = nullptr;
  platform::ui::DBGrid* dbgTipoCons = nullptr;
  platform::ui::Splitter* Splitter2 = nullptr;
  platform::ui::DBGrid* dbgConsPerc = nullptr;
  platform::ui::DBGrid* dbgRealizado = nullptr;
  platform::ui::Splitter* splRealizado = nullptr;
  platform::ui::DBGrid* dbgProdReal = nullptr;
  platform::ui::DBGrid* dbgPlanReal = nullptr;
  platform::ui::DBGrid* dbgCustZero = nullptr;
  platform::ui::DBGrid* dbgCotDesatu = nullptr;

  // ---- Cost panel ----
  platform::ui::Panel* panCusto = nullptr;
  platform::ui::Panel* subPanCusto = nullptr;
  platform::ui::GroupBox* grbGraficos = nullptr;
  platform::ui::Button* sbtGrafCust = nullptr;
  platform::ui::Button* sbtPlanReal = nullptr;
  platform::ui::Button* sbtCustoAcum = nullptr;
  platform::ui::GroupBox* grbCustTotaDia = nullptr;
  platform::ui::Label* lblRealizado = nullptr;
  platform::ui::NumberEdit* nedMatPriCardPlan = nullptr;
  platform::ui::NumberEdit* nedConsCardPlan = nullptr;
  platform::ui::NumberEdit* nedCustoCardPlan = nullptr;
  platform::ui::NumberEdit* nedCustoCardReal = nullptr;
  platform::ui::GroupBox* grbCustoDia = nullptr;
  platform::ui::NumberEdit* nedMatPriPerc = nullptr;
  platform::ui::NumberEdit* nedMatPriMes = nullptr;
  platform::ui::NumberEdit* nedConsPerc = nullptr;
  platform::ui::NumberEdit* nedConsMes = nullptr;
  platform::ui::NumberEdit* nedPercDia = nullptr;
  platform::ui::NumberEdit* nedTotalMes = nullptr;
  platform::ui::NumberEdit* nedPadrPerc = nullptr;
  platform::ui::NumberEdit* nedPadrMens = nullptr;
  platform::ui::NumberEdit* nedSaldoPerc = nullptr;
  platform::ui::NumberEdit* nedSaldoMes = nullptr;
  platform::ui::GroupBox* grbCustoAcum = nullptr;
  platform::ui::Label* lblRealAcum = nullptr;
  platform::ui::NumberEdit* nedMatPriAcuPlan = nullptr;
  platform::ui::NumberEdit* nedConsAcuPlan = nullptr;
  platform::ui::NumberEdit* nedTotalTAcum = nullptr;
  platform::ui::NumberEdit* nedTotalRAcum = nullptr;
  platform::ui::NumberEdit* nedEstimados = nullptr;
  platform::ui::NumberEdit* nedEfetivos = nullptr;
  platform::ui::NumberEdit* nedPuMedioTeor = nullptr;
  platform::ui::NumberEdit* nedPuMedioReal = nullptr;

  // ---- Popup menu of the dish and product grids ----
  platform::ui::PopupMenu* pmnToolBar = nullptr;
  platform::ui::MenuItem* mnuIncluir = nullptr;
  platform::ui::MenuItem* mnuExcluir = nullptr;
  platform::ui::MenuItem* mnuTrocarIn = nullptr;
  platform::ui::MenuItem* mnuComens = nullptr;
  platform::ui::MenuItem* N1 = nullptr;
  platform::ui::MenuItem* mnuPost = nullptr;
  platform::ui::MenuItem* mnuCancelar = nullptr;

  // ==== Handlers: screen/ ====
  // Creation: base creation, context flags, initial pages, connections, local datasets, masks.
  void FormCreate() override;
  // Refreshes the season-band cache; while firstActivation, loads the month (initial load).
  // ERRORS: a server error text raised as std::runtime_error; whatever MensErro,
  // CheckResultServ or the loads raise. The busy animation is hidden in every case.
  void FormActivate();
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
  // Switches the screen between browsing (true: nothing pending) and editing a recipe.
  void Habilita(bool browsing);
  // The cancel button's action (recipe/): drops an open product row edit, else an open diners
  // edit (the dish list refiltered to the day and the dish found again), else, confirmed with
  // "cancela", every pending product change.
  void sbtCancelaClick();
  // "Cancelar" (Esc) of the grids' menu: the cancel button when enabled, else the exit button.
  void mnuCancelarClick();

  // ==== Handlers: cost/ ====
  void cdsTrabCustoCalcFields(platform::ClientDataSet& dataSet);
  // Running values and month totals; repainting of bound controls is off during the pass.
  void cdsTrabCustoAfterOpen(platform::ClientDataSet& dataSet);
  void cdsTrabCustoBeforeScroll(platform::ClientDataSet& dataSet);
  // Loads the selected day's data for the sub-page in view and refreshes the day bar and panel.
  void cdsTrabCustoAfterScroll(platform::ClientDataSet& dataSet);
  // Deleting a day is refused silently (throws platform::Abort).
  void cdsTrabCustoBeforeDelete(platform::ClientDataSet& dataSet);
  std::string cdsTrabCustoDTDATAGetText(const platform::Field& sender, bool displayText);
  void dbgTrabCustoDrawColumnCell(platform::ui::Canvas& canvas, const platform::ui::Rect& rect,
                                  int dataCol, platform::ui::Column& column,
                                  platform::ui::GridDrawState state);
  // Refreshes the cost panel (when shown) and the enabling of its realized column.
  // Guarantees: the after-scroll handlers of cdsTrabCusto, cdsRealizado and cdsPlanReal are
  // attached again and the busy animation hidden, also on failure.
  void Atualiza_Custo();
  // Recalculates the month by reloading it, keeping the selected day (and dish on "Matéria
  // Prima"). On success recipeChanged is false and the planned-versus-realized table is rebuilt
  // from the new month; on failure recipeChanged stays true.
  void sbtCalculaClick();
  void dbnCustoClick(platform::ui::NavigateButton button);
  // The two per-capita boxes of the day bar discard every key.
  void dbeVrTotPercKeyDown(platform::ui::Key& key, platform::ui::ShiftState shift);
  void dbeVrTotPercKeyPress(char32_t& key);

  // ==== Handlers: recipe/ ====
  void cdsCardapioCalcFields(platform::ClientDataSet& dataSet);
  void dtsCardapioDataChange(platform::DataSource& sender, const platform::Field* field);
  void cdsCardapioAfterScroll(platform::ClientDataSet& dataSet);
  void dbnPadraoClick(platform::ui::NavigateButton button);
  void cdsProdutoCalcFields(platform::ClientDataSet& dataSet);
  void cdsProdutoAfterOpen(platform::ClientDataSet& dataSet);
  std::string cdsProdutoQTDEBRUTAGetText(const platform::Field& sender, bool displayText);
  std::string cdsProdutoTIPOGetText(const platform::Field& sender, bool displayText);
  // Popup-menu refresh of the dish and product grids; the right button also pops the menu up.
  // Dish and product grid cells: red warnings in a branch module, season colours.
  void dbgCardapioDrawColumnCell(platform::ui::Canvas& canvas, const platform::ui::Rect& rect,
                                 int dataCol, platform::ui::Column& column,
                                 platform::ui::GridDrawState state);
  void dbgPratoDrawColumnCell(platform::ui::Canvas& canvas, const platform::ui::Rect& rect,
                              int dataCol, platform::ui::Column& column,
                              platform::ui::GridDrawState state);
  void dbgCardapioMouseUp(platform::ui::MouseButton button, platform::ui::ShiftState shift, int x,
                          int y);
  void dbgPratoMouseUp(platform::ui::MouseButton button, platform::ui::ShiftState shift, int x,
                       int y);

  // ==== Handlers: consumption/ ====
  // Consumption grid cells: red warnings in a branch module.
  void dbgTipoConsDrawColumnCell(platform::ui::Canvas& canvas, const platform::ui::Rect& rect,
                                 int dataCol, platform::ui::Column& column,
                                 platform::ui::GridDrawState state);
  void dbgConsPercDrawColumnCell(platform::ui::Canvas& canvas, const platform::ui::Rect& rect,
                                 int dataCol, platform::ui::Column& column,
                                 platform::ui::GridDrawState state);
  void cdsConsServCalcFields(platform::ClientDataSet& dataSet);
  void cdsConsumoCalcFields(platform::ClientDataSet& dataSet);
  void cdsConsumoAfterScroll(platform::ClientDataSet& dataSet);
  // Consumption rows are never deleted here: refused silently (platform::Abort).
  void cdsConsumoBeforeDelete(platform::ClientDataSet& dataSet);
  void cdsConsServBeforeDelete(platform::ClientDataSet& dataSet);
  void Splitter2Moved();

  // ==== Handlers: realized/ ====
  void cdsRealizadoAfterOpen(platform::ClientDataSet& dataSet);
  void cdsRealizadoCalcFields(platform::ClientDataSet& dataSet);
  void cdsRealizadoAfterScroll(platform::ClientDataSet& dataSet);
  // Realized rows are never deleted here: refused silently (platform::Abort).
  void cdsRealizadoBeforeDelete(platform::ClientDataSet& dataSet);
  void cdsItemRetiBeforeDelete(platform::ClientDataSet& dataSet);
  std::string cdsRealizadoDTCARDAPIOGetText(const platform::Field& sender, bool displayText);
  void cdsItemRetiCalcFields(platform::ClientDataSet& dataSet);
  // Builds the planned-versus-realized table when it is empty. Display of cdsTrabCusto, busy
  // animation and cursor are restored in every case.
  void Atualiza_PlanReal();
  void cdsPlanRealAfterScroll(platform::ClientDataSet& dataSet);
  void cdsPlanRealBeforeDelete(platform::ClientDataSet& dataSet);
  std::string cdsPlanRealDTCARDAPIOGetText(const platform::Field& sender, bool displayText);
  void dbgPlanRealDrawColumnCell(platform::ui::Canvas& canvas, const platform::ui::Rect& rect,
                                 int dataCol, platform::ui::Column& column,
                                 platform::ui::GridDrawState state);

  // ==== Handlers: exceptions/ ====
  // Loads the zero-cost list (on every entry of its page).
  void CarregaProdCustZero();
  // Loads the outdated-quotation list (on every entry of its page).
  void CarregaCotDesatu();
  std::string cdsProdCustZeroDTCARDAPIOGetText(const platform::Field& sender, bool displayText);
  std::string cdsProdCotDesatuDTCONSPLANGetText(const platform::Field& sender, bool displayText);

  // ==== Shared helpers ====
  // The selected day: DTDATA of the daily cost table's current record; 0 when it has none.
  double selectedDay() const;
  // fixedCostDate when useFixedCostDate, else the selected day.
  double costDate() const;
  bool isPlannedPage() const;
  bool isMatPrimaSubPage() const;
  // Any edit or logged change of cdsProduto or cdsCardapio not yet saved or cancelled.
  bool hasPendingRecipeChanges() const;
  // The product-list filter of a dish: CDPRATO = '<dish>' AND CDFILAUXPRAT = '<branch>'.
  static std::string dishFilter(const std::string& dish, const std::string& dishBranch);
  // "DTCARDAPIO = '<short date>'"-style filter of a date field.
  static std::string dateFilter(const std::string& fieldName, double day);

 private:
  // Creation of the components, by subsystem (each in its folder).
  void buildLayout();
  void defineParameterDatasets();
  void defineDailyCostTable();
  void buildDailyCostGrid();
  void buildDayBar();
  void buildCostPanel();
  void defineRecipeDatasets();
  void buildRecipeControls();
  void defineConsumptionDatasets();
  void buildConsumptionControls();
  void defineRealizedDatasets();
  void buildRealizedControls();
  void defineExceptionDatasets();
  void buildExceptionControls();
  void defineChartDatasets();
  void buildPopupMenu();
  void createConnections();
  // The one place that binds component events to handlers.
  void wireEvents();

  // Day selection steps (cost/day_selection.cpp).
  void loadDayRecipes();
  void loadDayConsumption();
  void refreshDayBar();
  // Key-hint label under the product grid, from the current product's recipe kind.
  void refreshRecipeKeyHint();
  // Planned side of the cost panel (cost/cost_panel.cpp).
  void fillPlannedPanel(double plannedDiners);
  // Realized side of the cost panel when the realized or the planned-versus-realized page is
  // active: locates the other tables on the row's day and fills the realized edits.
  double fillRealizedPanel();
  // Loads cdsRealizado with GetRealizado (realized/).
  void loadRealizado();
  // The realized values of a closed day from the current record of `source`, zeros otherwise.
  void showRealizedValues(platform::ClientDataSet& source, double day);
  // Releases a work table on the server; silent, the server sweeps abandoned tables anyway.
  void releaseWorkTable(const std::string& workTableId);
};

}  // namespace screen
