// The one place where the components' events are bound to the screen's handlers.
#include "screen/ana_cust_rev_rec.h"

namespace screen {

using platform::ClientDataSet;
using platform::Field;
using namespace platform::ui;

namespace {

// Adapters from a subsystem's handler to the component's event signature.
template <class S>
auto dataSetEvent(S& subsystem, void (S::*handler)(ClientDataSet&)) {
  return [&subsystem, handler](ClientDataSet& ds) { (subsystem.*handler)(ds); };
}

template <class S>
auto getText(S& subsystem, std::string (S::*handler)(const Field&, bool)) {
  return [&subsystem, handler](const Field& f, bool display) {
    return (subsystem.*handler)(f, display);
  };
}

template <class S>
auto drawCell(S& subsystem, void (S::*handler)(Canvas&, const Rect&, int, Column&, GridDrawState)) {
  return [&subsystem, handler](Canvas& canvas, const Rect& rect, int col, Column& column,
                               GridDrawState state) {
    (subsystem.*handler)(canvas, rect, col, column, state);
  };
}

template <class S>
auto mouseUp(S& subsystem, void (S::*handler)(MouseButton, ShiftState, int, int)) {
  return [&subsystem, handler](MouseButton b, ShiftState s, int x, int y) {
    (subsystem.*handler)(b, s, x, y);
  };
}

}  // namespace

void TfrmAnaCustRevRec::wireEvents() {
  using consumption::Consumption;
  using cost::CostAnalysis;
  using exceptions::ExceptionLists;
  using realized::Realized;
  using recipe::Recipe;

  // Form and connections.
  onActivate = [this] { FormActivate(); };
  onResize = [this] { FormResize(); };
  for (remote::TNetConnection* c :
       {netCustoServ.get(), netAutoriza.get(), netInfPrato.get(), netReceitaPadrao.get()})
    c->OnBeforeConnect = [this](remote::TNetConnection& net) { netBeforeConnect(net); };

  // Navigation and side tool bar.
  pgcPadrao->onChange = [this] { pgcPadraoChange(); };
  pgcPlanejado->onChange = [this] { pgcPlanejadoChange(); };
  sbtCustos->onClick = [this] { sbtCustosClick(); };
  sbtCalcula->onClick = [this] { cost.sbtCalculaClick(); };
  sbtConfirma->onClick = [this] { recipe.sbtConfirmaClick(); };
  sbtCancela->onClick = [this] { recipe.sbtCancelaClick(); };
  onCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };

  // The grids' popup menu.
  recipe.mnuIncluir->onClick = [this] { recipe.mnuIncluirClick(); };
  recipe.mnuExcluir->onClick = [this] { recipe.mnuExcluirClick(); };
  recipe.mnuComens->onClick = [this] { recipe.mnuComensClick(); };
  recipe.mnuTrocarIn->onClick = [this] { recipe.mnuTrocarInClick(); };
  sbtCustZero->onClick = [this] { exceptions.sbtCustZeroClick(); };
  exceptions.dbgCotDesatu->onKeyDown = [this](Key& key, ShiftState shift) {
    exceptions.dbgCotDesatuKeyDown(key, shift);
  };
  charts.sbtGrafCust->onClick = [this] { charts.sbtGrafCustClick(); };
  charts.sbtPlanReal->onClick = [this] { charts.sbtPlanRealClick(); };
  charts.sbtCustoAcum->onClick = [this] { charts.sbtCustoAcumClick(); };
  recipe.mnuPost->onClick = [this] { recipe.sbtConfirmaClick(); };
  recipe.mnuCancelar->onClick = [this] { recipe.mnuCancelarClick(); };

  // Daily cost table and day bar.
  ClientDataSet& trabCusto = cost.cdsTrabCusto;
  trabCusto.onCalcFields = dataSetEvent(cost, &CostAnalysis::cdsTrabCustoCalcFields);
  trabCusto.afterOpen = dataSetEvent(cost, &CostAnalysis::cdsTrabCustoAfterOpen);
  trabCusto.beforeScroll = dataSetEvent(cost, &CostAnalysis::cdsTrabCustoBeforeScroll);
  trabCusto.afterScroll = dataSetEvent(cost, &CostAnalysis::cdsTrabCustoAfterScroll);
  trabCusto.beforeDelete = dataSetEvent(cost, &CostAnalysis::cdsTrabCustoBeforeDelete);
  trabCusto.fieldByName("DTDATA").onGetText =
      getText(cost, &CostAnalysis::cdsTrabCustoDTDATAGetText);
  cost.dbgTrabCusto->onDrawColumnCell = drawCell(cost, &CostAnalysis::dbgTrabCustoDrawColumnCell);
  cost.dbnCusto->onClick = [this](NavigateButton b) { cost.dbnCustoClick(b); };
  for (DBEdit* box : {cost.dbeVrTotPerc, cost.dbeVrCustoMedio}) {
    box->onKeyDown = [this](Key& key, ShiftState shift) { cost.dbeVrTotPercKeyDown(key, shift); };
    box->onKeyPress = [this](char32_t& key) { cost.dbeVrTotPercKeyPress(key); };
  }

  // Dishes and recipe products.
  recipe.cdsCardapio.onCalcFields = dataSetEvent(recipe, &Recipe::cdsCardapioCalcFields);
  recipe.cdsCardapio.afterScroll = dataSetEvent(recipe, &Recipe::cdsCardapioAfterScroll);
  recipe.dtsCardapio.onDataChange = [this](platform::DataSource& sender, const Field* field) {
    recipe.dtsCardapioDataChange(sender, field);
  };
  recipe.dbnPadrao->onClick = [this](NavigateButton b) { recipe.dbnPadraoClick(b); };
  recipe.cdsCardapio.beforeInsert = dataSetEvent(recipe, &Recipe::cdsCardapioBeforeInsert);
  recipe.cdsCardapio.beforeDelete = dataSetEvent(recipe, &Recipe::cdsCardapioBeforeDelete);
  recipe.cdsCardapio.beforeEdit = dataSetEvent(recipe, &Recipe::cdsCardapioBeforeEdit);
  recipe.cdsCardapio.afterEdit = dataSetEvent(recipe, &Recipe::cdsCardapioAfterEdit);
  recipe.cdsCardapio.afterCancel = dataSetEvent(recipe, &Recipe::cdsCardapioAfterCancel);
  recipe.cdsCardapio.afterDelete = dataSetEvent(recipe, &Recipe::cdsCardapioAfterDelete);
  recipe.cdsCardapio.afterPost = dataSetEvent(recipe, &Recipe::cdsCardapioAfterPost);
  recipe.dbgCardapio->onKeyDown = [this](Key& key, ShiftState shift) {
    recipe.dbgCardapioKeyDown(key, shift);
  };
  recipe.dbgCardapio->onKeyPress = [this](char32_t& key) { recipe.dbgCardapioKeyPress(key); };
  recipe.dbgCardapio->onEnter = [this] { recipe.dbgCardapioEnter(); };
  recipe.cdsProduto.onCalcFields = dataSetEvent(recipe, &Recipe::cdsProdutoCalcFields);
  recipe.cdsProduto.afterOpen = dataSetEvent(recipe, &Recipe::cdsProdutoAfterOpen);
  recipe.cdsProduto.beforeInsert = dataSetEvent(recipe, &Recipe::cdsProdutoBeforeInsert);
  recipe.cdsProduto.onNewRecord = dataSetEvent(recipe, &Recipe::cdsProdutoNewRecord);
  recipe.cdsProduto.afterInsert = dataSetEvent(recipe, &Recipe::cdsProdutoAfterInsert);
  recipe.cdsProduto.beforeEdit = dataSetEvent(recipe, &Recipe::cdsProdutoBeforeEdit);
  recipe.cdsProduto.afterEdit = dataSetEvent(recipe, &Recipe::cdsProdutoAfterEdit);
  recipe.cdsProduto.beforePost = dataSetEvent(recipe, &Recipe::cdsProdutoBeforePost);
  recipe.cdsProduto.afterCancel = dataSetEvent(recipe, &Recipe::cdsProdutoAfterCancel);
  recipe.cdsProduto.beforeDelete = dataSetEvent(recipe, &Recipe::cdsProdutoBeforeDelete);
  recipe.cdsProduto.afterDelete = dataSetEvent(recipe, &Recipe::cdsProdutoAfterDelete);
  recipe.dtsProduto.onStateChange = [this](platform::DataSource& sender) {
    recipe.dtsProdutoStateChange(sender);
  };
  recipe.dbgPrato->onKeyDown = [this](Key& key, ShiftState shift) {
    recipe.dbgPratoKeyDown(key, shift);
  };
  recipe.dbgPrato->onKeyPress = [this](char32_t& key) { recipe.dbgPratoKeyPress(key); };
  recipe.dbgPrato->onColExit = [this] { recipe.dbgPratoColExit(); };
  recipe.dbgPrato->onEnter = [this] { recipe.dbgPratoEnter(); };
  recipe.dbgPrato->onEditButtonClick = [this] { recipe.dbgPratoEditButtonClick(); };
  recipe.dbgPrato->onDblClick = [this] { recipe.dbgPratoDblClick(); };
  consumption.dbgConsPerc->onDblClick = [this] { consumption.dbgConsPercDblClick(); };
  recipe.splMatPrim->onMoved = [this] { recipe.splMatPrimMoved(); };
  recipe.cdsProduto.fieldByName("QTDEBRUTA").onGetText =
      getText(recipe, &Recipe::cdsProdutoQTDEBRUTAGetText);
  recipe.cdsProduto.fieldByName("TIPO").onGetText = getText(recipe, &Recipe::cdsProdutoTIPOGetText);
  consumption.dbgTipoCons->onDrawColumnCell =
      drawCell(consumption, &Consumption::dbgTipoConsDrawColumnCell);
  consumption.dbgConsPerc->onDrawColumnCell =
      drawCell(consumption, &Consumption::dbgConsPercDrawColumnCell);
  recipe.dbgCardapio->onDrawColumnCell = drawCell(recipe, &Recipe::dbgCardapioDrawColumnCell);
  recipe.dbgPrato->onDrawColumnCell = drawCell(recipe, &Recipe::dbgPratoDrawColumnCell);
  recipe.dbgCardapio->onMouseUp = mouseUp(recipe, &Recipe::dbgCardapioMouseUp);
  recipe.dbgPrato->onMouseUp = mouseUp(recipe, &Recipe::dbgPratoMouseUp);

  // Consumption.
  consumption.cdsConsServ.onCalcFields =
      dataSetEvent(consumption, &Consumption::cdsConsServCalcFields);
  consumption.cdsConsServ.beforeDelete =
      dataSetEvent(consumption, &Consumption::cdsConsServBeforeDelete);
  consumption.cdsConsumo.onCalcFields =
      dataSetEvent(consumption, &Consumption::cdsConsumoCalcFields);
  consumption.cdsConsumo.afterScroll =
      dataSetEvent(consumption, &Consumption::cdsConsumoAfterScroll);
  consumption.cdsConsumo.beforeDelete =
      dataSetEvent(consumption, &Consumption::cdsConsumoBeforeDelete);
  consumption.Splitter2->onMoved = [this] { consumption.Splitter2Moved(); };

  // Realized and planned versus realized.
  realized.cdsRealizado.afterOpen = dataSetEvent(realized, &Realized::cdsRealizadoAfterOpen);
  realized.cdsRealizado.onCalcFields = dataSetEvent(realized, &Realized::cdsRealizadoCalcFields);
  realized.cdsRealizado.afterScroll = dataSetEvent(realized, &Realized::cdsRealizadoAfterScroll);
  realized.cdsRealizado.beforeDelete = dataSetEvent(realized, &Realized::cdsRealizadoBeforeDelete);
  realized.cdsRealizado.fieldByName("DTCARDAPIO").onGetText =
      getText(realized, &Realized::cdsRealizadoDTCARDAPIOGetText);
  realized.cdsItemReti.onCalcFields = dataSetEvent(realized, &Realized::cdsItemRetiCalcFields);
  realized.cdsItemReti.beforeDelete = dataSetEvent(realized, &Realized::cdsItemRetiBeforeDelete);
  realized.cdsPlanReal.afterScroll = dataSetEvent(realized, &Realized::cdsPlanRealAfterScroll);
  realized.cdsPlanReal.beforeDelete = dataSetEvent(realized, &Realized::cdsPlanRealBeforeDelete);
  realized.cdsPlanReal.fieldByName("DTCARDAPIO").onGetText =
      getText(realized, &Realized::cdsPlanRealDTCARDAPIOGetText);
  realized.dbgPlanReal->onDrawColumnCell = drawCell(realized, &Realized::dbgPlanRealDrawColumnCell);

  // Exception lists.
  exceptions.cdsProdCustZero.fieldByName("DTCARDAPIO").onGetText =
      getText(exceptions, &ExceptionLists::cdsProdCustZeroDTCARDAPIOGetText);
  exceptions.cdsProdCotDesatu.fieldByName("DTCONSPLAN").onGetText =
      getText(exceptions, &ExceptionLists::cdsProdCotDesatuDTCONSPLANGetText);
}

}  // namespace screen
