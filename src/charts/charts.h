// charts::Charts: the chart datasets (created empty with the screen) and the three chart buttons
// of the cost panel's "Gráficos" group.
//
// Owned by the form, which builds the buttons into the cost panel.
#pragma once

#include <functional>

#include "platform/client_dataset.h"
#include "platform/ui/ui.h"
#include "realized/realized.h"
#include "screen/screen_services.h"

namespace charts {

class Charts {
 public:
  // Defines the datasets, indexed by day. The buttons come with buildButtons.
  Charts(screen::ScreenServices& services, realized::Realized& realized);
  Charts(const Charts&) = delete;
  Charts& operator=(const Charts&) = delete;

  // Per-capita cost against the standard cost.
  platform::ClientDataSet cdsGrafCust{"cdsGrafCust"};
  // Planned against realized per capita.
  platform::ClientDataSet cdsGrafPlanReal{"cdsGrafPlanReal"};
  // Accumulated cost: standard, planned and realized.
  platform::ClientDataSet cdsCustoAcum{"cdsCustoAcum"};

  platform::ui::Button* sbtGrafCust = nullptr;
  platform::ui::Button* sbtPlanReal = nullptr;
  platform::ui::Button* sbtCustoAcum = nullptr;

  // The three buttons, one under the other, in `group`.
  void buildButtons(platform::ui::GroupBox& group);

  // ---- Handlers ----
  // Each empties its dataset, fills it with one row per day of the daily cost table and opens
  // its chart screen on it (RCX00511, RCX00512, RCX00513). The two charts with realized figures
  // reload the realized costs first; a failed reload is not reported and the chart uses what
  // cdsRealizado then holds. The selected day, the cost panel and the realized row stay as they
  // were, and no day's details are loaded. ERRORS: a failure of the walk (then no screen opens).
  void sbtGrafCustClick();
  void sbtPlanRealClick();
  void sbtCustoAcumClick();

 private:
  // Runs `perDay` on every row of the daily cost table without the table's row-change handling;
  // the table is back on the user's row afterwards, also when a step fails.
  void walkDays(const std::function<void(const platform::ClientDataSet& day)>& perDay);
  // Reloads cdsRealizado, then walks the days with it filtered to each one; the realized rows are
  // back unfiltered on the user's position afterwards.
  void walkDaysWithRealized(
      const std::function<void(const platform::ClientDataSet& day,
                               const platform::ClientDataSet& realized)>& perDay);
  // How a chart screen finds the dataset it draws.
  static platform::Variant handleOf(platform::ClientDataSet& dataSet);

  screen::ScreenServices& screen_;
  realized::Realized& realized_;
};

}  // namespace charts
