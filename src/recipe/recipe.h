// recipe::Recipe: the dishes of the selected day and their recipe products on "Matéria Prima",
// with their calculated costs and season shares; the editing of both (the rules before every
// insert, edit, delete and store of a product, the diners of a dish), the confirm and cancel
// actions, the popup menu and keys of their two grids, the key hint under the product grid and
// the product search.
//
// Owned by the form, which builds its controls and binds its events (form_events.cpp). Every
// handler runs on the user-interface thread; a refusal throws platform::Abort.
#pragma once

#include <string>
#include <vector>

#include "consumption/consumption.h"
#include "platform/client_dataset.h"
#include "platform/data_source.h"
#include "platform/ui/ui.h"
#include "remote/adoib_query.h"
#include "screen/screen_services.h"

namespace recipe {

class Recipe {
 public:
  // Defines the datasets and queries. The controls come with buildControls.
  // `consumption` looks up where a product's cost came from.
  Recipe(screen::ScreenServices& services, consumption::Consumption& consumption);
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
  // A typed product code among the catalogue's stock products (no product group configured).
  remote::TADOIBQuery qryVdProduto{"qryVdProduto"};
  // The same check answered by the cost server when a product group is configured; its fields
  // come with the packet.
  platform::ClientDataSet cdsVdProduto{"cdsVdProduto"};
  // Working copy of cdsProduto for the ingredient swap; never shown.
  platform::ClientDataSet cdsPkProduto{"cdsPkProduto"};

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

  // ---- Editing the products of a recipe ----
  // The rules before a product row is inserted, edited, deleted or stored; each refuses by
  // throwing platform::Abort (after its message, if any) and leaves the row as it was, except
  // that a store refused by the product check empties the product's name, per capita, unit
  // cost and recipe unit. Insert and edit take a snapshot of the day's products for the
  // duplicate check; delete asks "exclusao".
  void cdsProdutoBeforeInsert(platform::ClientDataSet& dataSet);
  void cdsProdutoBeforeEdit(platform::ClientDataSet& dataSet);
  void cdsProdutoBeforeDelete(platform::ClientDataSet& dataSet);
  void cdsProdutoBeforePost(platform::ClientDataSet& dataSet);
  // A new row: the focus goes to its product-code cell.
  void cdsProdutoNewRecord(platform::ClientDataSet& dataSet);
  // Lock the screen after a row opens; after a cancel or delete release it only when nothing
  // else is pending.
  void cdsProdutoAfterInsert(platform::ClientDataSet& dataSet);
  void cdsProdutoAfterEdit(platform::ClientDataSet& dataSet);
  void cdsProdutoAfterCancel(platform::ClientDataSet& dataSet);
  void cdsProdutoAfterDelete(platform::ClientDataSet& dataSet);
  // The product-code column shows the search button only while a row is being inserted.
  void dtsProdutoStateChange(platform::DataSource& sender);
  // Validates the product code of the row being edited or inserted and fills its product's data
  // (and, for a new row, its unit and costs); nothing outside edit or insert. A failure empties
  // the product's name, per capita, unit cost and recipe unit, puts the focus on the code cell
  // and ends the operation (the store or the cell exit).
  void Vd_CdProduto();
  // Whether inserting and deleting products in the current dish's local recipe is blocked for
  // the operator; with `showMessage` a block is shown and ends the operation. A standard recipe
  // is never blocked (and asks nothing). ERRORS: the server's refusal, shown, then Abort.
  bool BloqAltRecLo(bool showMessage);
  // Keys of the product grid: Alt+PgUp to the dish grid, Ctrl+Enter confirms, Backspace/Delete
  // only in a new row, Ctrl+Delete left to the menu, Ctrl+V pastes a new row's code.
  void dbgPratoKeyDown(platform::ui::Key& key, platform::ui::ShiftState shift);
  // Only the per capita of any row and the product code of a new row take characters.
  void dbgPratoKeyPress(char32_t& key);
  // Leaving the code cell validates the code; leaving the per capita of an open row copies it
  // into the required quantity.
  void dbgPratoColExit();
  // Key hint and popup-menu refresh.
  void dbgPratoEnter();
  // The product search of the code cell's button: the chosen stock product fills the row.
  void dbgPratoEditButtonClick();
  // Where the current product's unit cost came from (consumption::Consumption::showCostOrigin).
  void dbgPratoDblClick();
  // "Incluir" and "Excluir" of the grids' menu: a new row, or the current row deleted.
  void mnuIncluirClick();
  void mnuExcluirClick();
  // "Trocar Ingrediente": the current product of a local or per-service recipe replaced by a
  // chosen optional product (TrocaProduto), then the day's products reloaded and the costs
  // marked stale. A rejected choice shows its message and changes nothing. A failed reload is
  // shown and keeps the old rows; the swap stays saved and the costs stale.
  void mnuTrocarInClick();
  // The product list is filtered to the current dish again, from its first product.
  void splMatPrimMoved();

  // ---- Editing the diners of a dish ----
  // Dishes are never inserted or deleted here; their diners are edited on open days only.
  void cdsCardapioBeforeInsert(platform::ClientDataSet& dataSet);
  void cdsCardapioBeforeDelete(platform::ClientDataSet& dataSet);
  void cdsCardapioBeforeEdit(platform::ClientDataSet& dataSet);
  void cdsCardapioAfterEdit(platform::ClientDataSet& dataSet);
  void cdsCardapioAfterCancel(platform::ClientDataSet& dataSet);
  void cdsCardapioAfterDelete(platform::ClientDataSet& dataSet);
  // A stored diners change is saved at once: every dish row whose diners wait in the change
  // log is sent (AltComensais); the rows the server took become the rows' base values, the
  // others stay pending and the first refusal is shown. Then the costs are marked stale and
  // "recalcular" is shown. ERRORS: the refusal (shown, then Abort) or the transport's failure.
  void cdsCardapioAfterPost(platform::ClientDataSet& dataSet);
  // Backspace or F3 starts the diners edit; Ctrl+Enter confirms.
  void dbgCardapioKeyDown(platform::ui::Key& key, platform::ui::ShiftState shift);
  // Only the diners column takes characters.
  void dbgCardapioKeyPress(char32_t& key);
  void dbgCardapioEnter();
  // "Editar Comensais": starts the diners edit of the current dish, focus on its diners cell.
  void mnuComensClick();

  // ---- Confirm ----
  // The confirm button (and "Confirmar"): stores an open product row or diners edit, asks
  // "confirma" and sends the pending product changes (GravaReceita) and diners changes. A
  // refused or failed save keeps the changes pending, the screen locked and recipeChanged as
  // it was; only a save that went through sets it.
  void sbtConfirmaClick();

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
  // Drops every open edit and logged change of both datasets and releases the screen.
  void discardPendingChanges();
  // The colour number (NRCORSINSAFR) of the season band holding `percent`; null when no band
  // holds it or it has no colour. Valid until the next lookup.
  const platform::Field* seasonBandColour(double percent);

 private:
  // One dish row whose diners wait in the change log, as the server is to be told.
  struct DinersChange {
    platform::Variant key;  // CDFILIAL;CDSERVFILI;CDPRATO;CDFILAUXPRAT;DTCARDAPIO
    double diners = 0;
    bool accepted = false;
  };

  // The selected day is before blockDate: nothing of it may change.
  bool dayClosed() const;
  // The standard-recipe rule of an insert, edit or delete (recipeKind "P").
  void checkStandardRecipe(const char* actionKey, const char* refusalKey);
  // cdsProdutoAux := every product of the day with its pending changes.
  void snapshotProducts();
  // "CDPRATO = '<dish>' AND CDFILAUXPRAT = '<branch>'" of the current dish.
  std::string currentDishFilter() const;
  // The number of levels of the product-code tree, as the servers take it.
  std::string treeLevels() const;
  // Selects the product grid's column of `field` and gives the grid the focus.
  void focusProductCell(const char* field);
  // Habilita after a change of cdsProduto's state: released only with nothing open or logged.
  void enableAfterProductChange();
  void enableAfterDishChange();
  // Sends every pending diners change; merges the accepted ones. ERRORS: as
  // cdsCardapioAfterPost.
  void sendPendingDiners();
  void mergeAcceptedDiners(const std::vector<DinersChange>& changes);

  screen::ScreenServices& screen_;
  consumption::Consumption& consumption_;
  screen::AnalysisContext& ctx;
  const platform::TMessages& msgPadrao;
};

}  // namespace recipe
