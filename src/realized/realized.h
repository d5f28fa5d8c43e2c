// realized::Realized: the month's realized costs per day with the items withdrawn ("Realizado"),
// and planned versus realized, one line per day ("Acompanhamento", Atualiza_PlanReal).
//
// Owned by the form, which builds its controls and binds its events (form_events.cpp). Every
// handler runs on the user-interface thread; a refusal throws platform::Abort.
#pragma once

#include <string>

#include "platform/client_dataset.h"
#include "platform/data_source.h"
#include "platform/ui/ui.h"
#include "screen/screen_services.h"

namespace realized {

class Realized {
 public:
  // Defines the datasets. The controls come with buildControls.
  explicit Realized(screen::ScreenServices& services);
  Realized(const Realized&) = delete;
  Realized& operator=(const Realized&) = delete;

  platform::ClientDataSet cdsRealizado{"cdsRealizado"};
  // Items withdrawn in the month, filtered to the current realized day.
  platform::ClientDataSet cdsItemReti{"cdsItemReti"};
  // Local: built by Atualiza_PlanReal from the daily cost table and cdsRealizado.
  platform::ClientDataSet cdsPlanReal{"cdsPlanReal"};
  platform::DataSource dtsRealizado{&cdsRealizado};
  platform::DataSource dtsItemReti{&cdsItemReti};
  platform::DataSource dtsPlanReal{&cdsPlanReal};

  platform::ui::DBGrid* dbgRealizado = nullptr;
  platform::ui::Splitter* splRealizado = nullptr;
  platform::ui::DBGrid* dbgProdReal = nullptr;
  platform::ui::DBGrid* dbgPlanReal = nullptr;

  // The controls of "Realizado" and "Acompanhamento". REQUIRES: the form's pages exist.
  void buildControls();

  // ---- Handlers ----
  // Running cost, diners and average per diner.
  void cdsRealizadoAfterOpen(platform::ClientDataSet& dataSet);
  void cdsRealizadoCalcFields(platform::ClientDataSet& dataSet);
  // On "Realizado": loads the withdrawn items once, filters them to the row's day and refreshes
  // the cost panel.
  void cdsRealizadoAfterScroll(platform::ClientDataSet& dataSet);
  // Realized rows are never deleted here: refused silently (platform::Abort).
  void cdsRealizadoBeforeDelete(platform::ClientDataSet& dataSet);
  void cdsItemRetiBeforeDelete(platform::ClientDataSet& dataSet);
  // "<short date> <weekday abbreviation>"; empty for a null date.
  std::string cdsRealizadoDTCARDAPIOGetText(const platform::Field& sender, bool displayText);
  // Per-diner quantity, total cost and the day's diners (clients' or diners' by the branch
  // parameter).
  void cdsItemRetiCalcFields(platform::ClientDataSet& dataSet);
  // Builds the planned-versus-realized table when it is empty: realized lines for closed days,
  // planned ones for open days. Display of the daily cost table (and its day), busy animation
  // and cursor are restored in every case.
  void Atualiza_PlanReal();
  // Refreshes the cost panel.
  void cdsPlanRealAfterScroll(platform::ClientDataSet& dataSet);
  // Refused silently (platform::Abort).
  void cdsPlanRealBeforeDelete(platform::ClientDataSet& dataSet);
  // As cdsRealizadoDTCARDAPIOGetText.
  std::string cdsPlanRealDTCARDAPIOGetText(const platform::Field& sender, bool displayText);
  // Realized lines in red.
  void dbgPlanRealDrawColumnCell(platform::ui::Canvas& canvas, const platform::ui::Rect& rect,
                                 int dataCol, platform::ui::Column& column,
                                 platform::ui::GridDrawState state);

  // Loads cdsRealizado with the month of the selected day (GetRealizado).
  // ERRORS: whatever the cost server raises.
  void loadRealizado();

 private:
  screen::ScreenServices& screen_;
  screen::AnalysisContext& ctx;
  const platform::TMessages& msgPadrao;
};

}  // namespace realized
