// charts::Charts: the chart datasets (created empty with the screen) and the three chart buttons
// of the cost panel's "Gráficos" group.
//
// Owned by the form, which builds the buttons into the cost panel.
#pragma once

#include "platform/client_dataset.h"
#include "platform/ui/ui.h"
#include "screen/screen_services.h"

namespace charts {

class Charts {
 public:
  // Defines the datasets, indexed by day. The buttons come with buildButtons.
  explicit Charts(screen::ScreenServices& services);
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

 private:
  screen::ScreenServices& screen_;
};

}  // namespace charts
