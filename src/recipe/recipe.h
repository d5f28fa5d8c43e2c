// recipe::Recipe: the dishes of the selected day and their recipe products on "Matéria Prima",
// with their calculated costs and season shares, the popup menu of their two grids, the cancel
// action, the key hint under the product grid and the product search lists.
//
// Owned by the form, which builds its controls and binds its events (form_events.cpp). Every
// handler runs on the user-interface thread; a refusal throws platform::Abort.
#pragma once

#include <string>

#include "platform/client_dataset.h"
#include "platform/data_source.h"
#include "platform/ui/ui.h"
#include "remote/adoib_query.h"
#include "screen/screen_services.h"

namespace recipe {

class Recipe {
 public:
  // Defines the datasets and queries. The controls come with buildControls.
  explicit Recipe(screen::ScreenServices& services);
  Recipe(const Recipe&) = delete;
  Recipe& operator=(const Recipe&) = delete;

  platform::ClientDataSet cdsCardapio{"cdsCardapio"};
  platform::ClientDataSet cdsProduto{"cdsProduto"};
  platform::ClientDataSet cdsProdutoAux{"cdsProdutoAux"};
  platform::ClientDataSet cdsPesqProd{"cdsPesqProd"};
  platform::ClientDataSet cdsPesqProdOpc{"cdsPesqProdOpc"};
  remote::TADOIBQuery qryPesqProd{"qryPesqProd"};
  // Season bands by share (SINASAFRA): the colour of a dish's and of the day's season share.
  remote::TADOIBQuery qrySinaSafra{"qrySinaSafra"};

  // Product-code fields that take the host's product-code picture.
  platform::Field* cdsProdutoCDARVPROD = nullptr;
  platform::Field* qryPesqProdCDARVPROD = nullptr;
  platform::Field* cdsPesqProdCDARVPROD = nullptr;
  platform::Field* cdsPesqProdOpcCDARVPROD = nullptr;

  platform::DataSource dtsCardapio{&cdsCardapio};
  platform::DataSource dtsProduto{&cdsProduto};
  platform::DataSource dtsPesqProduto{&cdsPesqProd};
  platform::DataSource dtsPesqProdOpc{&cdsPesqProdOpc};

  platform::ui::DBGrid* dbgCardapio = nullptr;
  platform::ui::Panel* panNavigator = nullptr;
  platform::ui::DBNavigator* dbnPadrao = nullptr;
  platform::ui::DBText* dbtNome = nullptr;
  platform::ui::DBText* dbtTipoRece = nullptr;
  platform::ui::Label* lblInfCardapio = nullptr;
  platform::ui::Splitter* splMatPrim = nullptr;
  platform::ui::DBGrid* dbgPrato = nullptr;
  // The key hint under the product grid.
  platform::ui::Label* Label18 = nullptr;

  // Popup menu of the dish and product grids.
  platform::ui::PopupMenu* pmnToolBar = nullptr;
  platform::ui::MenuItem* mnuIncluir = nullptr;
  platform::ui::MenuItem* mnuExcluir = nullptr;
  platform::ui::MenuItem* mnuTrocarIn = nullptr;
  platform::ui::MenuItem* mnuComens = nullptr;
  platform::ui::MenuItem* N1 = nullptr;
  platform::ui::MenuItem* mnuPost = nullptr;
  platform::ui::MenuItem* mnuCancelar = nullptr;

  // ---- Building (in the form's creation order) ----
  // The controls of "Matéria Prima". REQUIRES: the form's pages exist.
  void buildControls();
  // The popup menu, attached to both grids. REQUIRES: buildControls ran.
  void buildPopupMenu();

  // ---- Handlers ----
  // Warnings of every dish (outdated or zero-cost products); on the day's filtered list also
  // the dish's cost, per-diner costs and season share, adding the season sums to the context.
  void cdsCardapioCalcFields(platform::ClientDataSet& dataSet);
  // The product list follows the current dish.
  void dtsCardapioDataChange(platform::DataSource& sender, const platform::Field* field);
  // After the dish changed (by scrolling or by its navigator): the key hint follows it.
  void cdsCardapioAfterScroll(platform::ClientDataSet& dataSet);
  void dbnPadraoClick(platform::ui::NavigateButton button);
  // Quantity and cost for the current dish's diners, the season digit of blockDate's month and
  // the season costs, per-diner values for the day.
  void cdsProdutoCalcFields(platform::ClientDataSet& dataSet);
  // The context's recipeKind from the first product.
  void cdsProdutoAfterOpen(platform::ClientDataSet& dataSet);
  // The gross quantity with the product's unit.
  std::string cdsProdutoQTDEBRUTAGetText(const platform::Field& sender, bool displayText);
  // The recipe kind's caption (standard, local, per service); empty for another kind.
  std::string cdsProdutoTIPOGetText(const platform::Field& sender, bool displayText);
  // Dish and product grid cells: red warnings in a branch module, season colours.
  void dbgCardapioDrawColumnCell(platform::ui::Canvas& canvas, const platform::ui::Rect& rect,
                                 int dataCol, platform::ui::Column& column,
                                 platform::ui::GridDrawState state);
  void dbgPratoDrawColumnCell(platform::ui::Canvas& canvas, const platform::ui::Rect& rect,
                              int dataCol, platform::ui::Column& column,
                              platform::ui::GridDrawState state);
  // Popup-menu refresh of the dish and product grids; the right button also pops the menu up.
  // Guarantees: "Cancelar" (Esc) stays enabled whatever happens.
  void dbgCardapioMouseUp(platform::ui::MouseButton button, platform::ui::ShiftState shift, int x,
                          int y);
  void dbgPratoMouseUp(platform::ui::MouseButton button, platform::ui::ShiftState shift, int x,
                       int y);
  // The cancel button's action: drops an open product row edit, else an open diners edit (the
  // dish list refiltered to the day and the dish found again), else, confirmed with "cancela",
  // every pending product change.
  void sbtCancelaClick();
  // "Cancelar" (Esc) of the grids' menu: the cancel button when enabled, else the exit button.
  void mnuCancelarClick();

  // ---- For the form and the other subsystems ----
  // Loads the products of `day` and, when not loaded yet, the dishes of its month; the dish list
  // is filtered to the day. ERRORS: whatever the cost server raises.
  void loadDay(double day);
  // What a day change asks of the grids' menu: the refresh both grids run on a left release.
  void refreshPopupMenu();
  // Key hint under the product grid, from the current product's recipe kind.
  void refreshRecipeKeyHint();
  // Any edit or logged change of cdsProduto or cdsCardapio not yet saved or cancelled.
  bool hasPendingRecipeChanges() const;
  // The colour number (NRCORSINSAFR) of the season band holding `percent`; null when no band
  // holds it or it has no colour. Valid until the next lookup.
  const platform::Field* seasonBandColour(double percent);

 private:
  screen::ScreenServices& screen_;
  screen::AnalysisContext& ctx;
  const platform::TMessages& msgPadrao;
};

}  // namespace recipe
