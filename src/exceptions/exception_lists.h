// exceptions::ExceptionLists: the month's products with zero cost ("Produtos Custo Zero") and
// with outdated quotations ("Cotação Desatualizada"), loaded again on every entry of their page.
//
// Owned by the form, which builds its controls and binds its events (form_events.cpp).
#pragma once

#include <string>

#include "platform/client_dataset.h"
#include "platform/data_source.h"
#include "platform/ui/ui.h"
#include "screen/screen_services.h"

namespace exceptions {

class ExceptionLists {
 public:
  // Defines the datasets. The controls come with buildControls.
  explicit ExceptionLists(screen::ScreenServices& services);
  ExceptionLists(const ExceptionLists&) = delete;
  ExceptionLists& operator=(const ExceptionLists&) = delete;

  platform::ClientDataSet cdsProdCustZero{"cdsProdCustZero"};
  platform::ClientDataSet cdsProdCotDesatu{"cdsProdCotDesatu"};
  // Product-code fields that take the host's product-code picture.
  platform::Field* cdsProdCustZeroCDARVPROD = nullptr;
  platform::Field* cdsProdCotDesatuCDARVPROD = nullptr;
  platform::DataSource dtsProdCustZero{&cdsProdCustZero};
  platform::DataSource dtsProdCotDesatu{&cdsProdCotDesatu};

  platform::ui::DBGrid* dbgCustZero = nullptr;
  platform::ui::DBGrid* dbgCotDesatu = nullptr;

  // The grids of both pages. REQUIRES: the form's pages exist.
  void buildControls();

  // ---- Handlers ----
  // Loads the zero-cost list (on every entry of its page). ERRORS: whatever the server raises.
  void CarregaProdCustZero();
  // Loads the outdated-quotation list of the screen's work table (on every entry of its page).
  // ERRORS: whatever the server raises.
  void CarregaCotDesatu();
  // "<short date> - <weekday abbreviation>"; empty for a null date.
  std::string cdsProdCustZeroDTCARDAPIOGetText(const platform::Field& sender, bool displayText);
  // "<date> - <first three characters of the weekday>".
  std::string cdsProdCotDesatuDTCONSPLANGetText(const platform::Field& sender, bool displayText);
  // Ctrl+Delete is dropped: the list's rows are never deleted.
  void dbgCotDesatuKeyDown(platform::ui::Key& key, platform::ui::ShiftState shift);
  // "Recalcular Custos": opens RCX00515 on the screen's month, telling it which list asked
  // ("1" outdated quotations, "0" zero costs) and the screen's work table.
  void sbtCustZeroClick();

 private:
  screen::ScreenServices& screen_;
  screen::AnalysisContext& ctx;
};

}  // namespace exceptions
