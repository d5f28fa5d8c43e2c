// consumption::Consumption: the selected day's consumption by service on "Consumo por Serviço":
// the consumption types with their totals above, the items of the current type below.
//
// Owned by the form, which builds its controls and binds its events (form_events.cpp). Every
// handler runs on the user-interface thread; a refusal throws platform::Abort.
#pragma once

#include "platform/client_dataset.h"
#include "platform/data_source.h"
#include "platform/ui/ui.h"
#include "remote/adoib_query.h"
#include "screen/screen_services.h"

namespace consumption {

class Consumption {
 public:
  // Defines the datasets and the holiday query. The controls come with buildControls.
  explicit Consumption(screen::ScreenServices& services);
  Consumption(const Consumption&) = delete;
  Consumption& operator=(const Consumption&) = delete;

  // One record: the day's estimated diners.
  platform::ClientDataSet cdsComens{"cdsComens"};
  // Items of every consumption type of the day, filtered to the current type.
  platform::ClientDataSet cdsConsServ{"cdsConsServ"};
  // Consumption types of the day.
  platform::ClientDataSet cdsConsumo{"cdsConsumo"};
  // Whether the day is a branch holiday (its consumption is the holidays' one).
  remote::TADOIBQuery qryFeriFili{"qryFeriFili"};
  // Where a product's cost came from, handed whole to the origin screen; never read here.
  platform::ClientDataSet cdsOrigemCusto{"cdsOrigemCusto"};
  platform::DataSource dtsConsumo{&cdsConsumo};
  platform::DataSource dtsConsServ{&cdsConsServ};

  platform::ui::DBGrid* dbgTipoCons = nullptr;
  platform::ui::Splitter* Splitter2 = nullptr;
  platform::ui::DBGrid* dbgConsPerc = nullptr;

  // The controls of "Consumo por Serviço". REQUIRES: the form's pages exist.
  void buildControls();

  // ---- Handlers ----
  // Consumption grid cells: red warnings in a branch module.
  void dbgTipoConsDrawColumnCell(platform::ui::Canvas& canvas, const platform::ui::Rect& rect,
                                 int dataCol, platform::ui::Column& column,
                                 platform::ui::GridDrawState state);
  void dbgConsPercDrawColumnCell(platform::ui::Canvas& canvas, const platform::ui::Rect& rect,
                                 int dataCol, platform::ui::Column& column,
                                 platform::ui::GridDrawState state);
  // An item's quantity and cost for the day's diners (per-diner items) or as is.
  void cdsConsServCalcFields(platform::ClientDataSet& dataSet);
  // A type's warnings and its total and per-diner cost from its items.
  void cdsConsumoCalcFields(platform::ClientDataSet& dataSet);
  // The item list follows the current type; the quantity column is titled after it.
  void cdsConsumoAfterScroll(platform::ClientDataSet& dataSet);
  // Consumption rows are never deleted here: refused silently (platform::Abort).
  void cdsConsumoBeforeDelete(platform::ClientDataSet& dataSet);
  void cdsConsServBeforeDelete(platform::ClientDataSet& dataSet);
  void Splitter2Moved();
  // The cost origin of the current item's product.
  void dbgConsPercDblClick();

  // In a cost mode taken from quotations, fetches where `productCode`'s unit cost at the cost
  // date came from (GetOrigemCusto) and opens RCX00514 on it; in any other mode nothing. A
  // refusal is shown, keeps the previous origin rows and opens nothing.
  void showCostOrigin(const std::string& productCode);

  // Loads the consumption of `day` (a holiday's when the branch has one that day); the busy
  // animation shows meanwhile and is hidden in every case.
  // ERRORS: whatever the query or the cost server raises.
  void loadDay(double day);

 private:
  screen::ScreenServices& screen_;
  screen::AnalysisContext& ctx;
  const platform::TMessages& msgPadrao;
};

}  // namespace consumption
