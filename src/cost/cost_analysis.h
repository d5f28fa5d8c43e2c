// cost::CostAnalysis: the month's daily cost table ("Análise de Custo") with its running values
// and month totals, the day bar under the planned pages, what selecting a day loads, the cost
// panel (Atualiza_Custo) and the recalculation of the month.
//
// Owned by the form, which builds its controls and binds its events (form_events.cpp). A day
// change asks the recipe and consumption subsystems to load the day; the cost panel reads the
// realized subsystem's tables. Every handler runs on the user-interface thread; a refusal throws
// platform::Abort.
#pragma once

#include <string>

#include "consumption/consumption.h"
#include "platform/client_dataset.h"
#include "platform/data_source.h"
#include "platform/ui/ui.h"
#include "realized/realized.h"
#include "recipe/recipe.h"
#include "screen/screen_services.h"

namespace cost {

class CostAnalysis {
 public:
  // Defines the datasets. The controls come with the build steps.
  CostAnalysis(screen::ScreenServices& services, recipe::Recipe& recipe,
               consumption::Consumption& consumption, realized::Realized& realized);
  CostAnalysis(const CostAnalysis&) = delete;
  CostAnalysis& operator=(const CostAnalysis&) = delete;

  platform::ClientDataSet cdsTrabCusto{"cdsTrabCusto"};
  // One record: the month's raw-material and consumption totals.
  platform::ClientDataSet cdsTotalMes{"cdsTotalMes"};
  platform::DataSource dtsTrabCusto{&cdsTrabCusto};

  // ---- Daily cost grid ----
  platform::ui::DBGrid* dbgTrabCusto = nullptr;

  // ---- Day bar ----
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

  // ---- Cost panel ----
  platform::ui::Panel* panCusto = nullptr;
  platform::ui::Panel* subPanCusto = nullptr;
  // Holds the chart buttons (charts::Charts).
  platform::ui::GroupBox* grbGraficos = nullptr;
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

  // ---- Building (in the form's creation order) ----
  // REQUIRES for each: the form's pages exist.
  void buildDayBar();
  void buildDailyCostGrid();
  // The hidden panel with its centred sub-panel and the "Gráficos" group.
  void buildCostPanel();
  // The panel's three groups of figures. REQUIRES: buildCostPanel ran.
  void buildCostFigures();

  // ---- Handlers ----
  // The day's diners (clients' or diners' estimate by the branch parameter), total cost and the
  // per-capita costs.
  void cdsTrabCustoCalcFields(platform::ClientDataSet& dataSet);
  // Running values and month totals; repainting of bound controls is off during the pass.
  void cdsTrabCustoAfterOpen(platform::ClientDataSet& dataSet);
  // Clears the context's season sums for the day about to be shown.
  void cdsTrabCustoBeforeScroll(platform::ClientDataSet& dataSet);
  // Loads the selected day's data for the sub-page in view, refreshes the day bar and panel and
  // the grids' popup menu.
  void cdsTrabCustoAfterScroll(platform::ClientDataSet& dataSet);
  // Deleting a day is refused silently (throws platform::Abort).
  void cdsTrabCustoBeforeDelete(platform::ClientDataSet& dataSet);
  // "<short date> <weekday abbreviation>"; empty for a null date.
  std::string cdsTrabCustoDTDATAGetText(const platform::Field& sender, bool displayText);
  // Days with outdated quotations in red; per-capita costs above the standard cost in red.
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
  // After the day navigator moved: the recipe key hint follows the product in view.
  void dbnCustoClick(platform::ui::NavigateButton button);
  // The two per-capita boxes of the day bar discard every key.
  void dbeVrTotPercKeyDown(platform::ui::Key& key, platform::ui::ShiftState shift);
  void dbeVrTotPercKeyPress(char32_t& key);

  // True when some day of the loaded month has a menu: estimated diners or a raw-material cost.
  // The server lists every day of the month, menu or not. False when the table is closed.
  bool monthHasMenu();
  // DTDATA of the current record; 0 when the table is closed.
  double selectedDay() const;

 private:
  // Day selection steps.
  void loadDayRecipes();
  void refreshDayBar();
  // Planned side of the cost panel.
  void fillPlannedPanel(double plannedDiners);
  // Realized side of the cost panel when the realized or the planned-versus-realized page is
  // active: locates the other tables on the row's day and fills the realized edits.
  double fillRealizedPanel();
  // The realized values of a closed day from the current record of `source`, zeros otherwise.
  void showRealizedValues(platform::ClientDataSet& source, double day);

  screen::ScreenServices& screen_;
  recipe::Recipe& recipe_;
  consumption::Consumption& consumption_;
  realized::Realized& realized_;
  screen::AnalysisContext& ctx;
  const platform::TMessages& msgPadrao;
};

}  // namespace cost
