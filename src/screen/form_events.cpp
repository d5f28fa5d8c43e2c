// The one place where the components' events are bound to the screen's handlers.
#include "screen/ana_cust_rev_rec.h"

namespace screen {

using platform::ClientDataSet;
using platform::Field;
using namespace platform::ui;

namespace {

// The data-moving part of a navigator: the buttons the screen shows only move the cursor.
void moveCursor(ClientDataSet& ds, NavigateButton button) {
  if (!ds.active()) return;
  switch (button) {
    case NavigateButton::First:
      ds.first();
      break;
    case NavigateButton::Prior:
      ds.prior();
      break;
    case NavigateButton::Next:
      ds.next();
      break;
    case NavigateButton::Last:
      ds.last();
      break;
    default:
      break;
  }
}

}  // namespace

void TfrmAnaCustRevRec::wireEvents() {
  auto dataSetEvent = [this](void (TfrmAnaCustRevRec::*handler)(ClientDataSet&)) {
    return [this, handler](ClientDataSet& ds) { (this->*handler)(ds); };
  };
  auto getText = [this](std::string (TfrmAnaCustRevRec::*handler)(const Field&, bool)) {
    return [this, handler](const Field& f, bool display) { return (this->*handler)(f, display); };
  };
  auto drawCell = [this](void (TfrmAnaCustRevRec::*handler)(Canvas&, const Rect&, int, Column&,
                                                            GridDrawState)) {
    return [this, handler](Canvas& canvas, const Rect& rect, int col, Column& column,
                           GridDrawState state) {
      (this->*handler)(canvas, rect, col, column, state);
    };
  };

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
  sbtCalcula->onClick = [this] { sbtCalculaClick(); };
  sbtCancela->onClick = [this] { sbtCancelaClick(); };
  mnuCancelar->onClick = [this] { mnuCancelarClick(); };

  // Daily cost table and day bar.
  cdsTrabCusto.onCalcFields = dataSetEvent(&TfrmAnaCustRevRec::cdsTrabCustoCalcFields);
  cdsTrabCusto.afterOpen = dataSetEvent(&TfrmAnaCustRevRec::cdsTrabCustoAfterOpen);
  cdsTrabCusto.beforeScroll = dataSetEvent(&TfrmAnaCustRevRec::cdsTrabCustoBeforeScroll);
  cdsTrabCusto.afterScroll = dataSetEvent(&TfrmAnaCustRevRec::cdsTrabCustoAfterScroll);
  cdsTrabCusto.beforeDelete = dataSetEvent(&TfrmAnaCustRevRec::cdsTrabCustoBeforeDelete);
  cdsTrabCusto.fieldByName("DTDATA").onGetText =
      getText(&TfrmAnaCustRevRec::cdsTrabCustoDTDATAGetText);
  dbgTrabCusto->onDrawColumnCell = drawCell(&TfrmAnaCustRevRec::dbgTrabCustoDrawColumnCell);
  dbnCusto->action = [this](NavigateButton b) { moveCursor(cdsTrabCusto, b); };
  dbnCusto->onClick = [this](NavigateButton b) { dbnCustoClick(b); };
  for (DBEdit* box : {dbeVrTotPerc, dbeVrCustoMedio}) {
    box->onKeyDown = [this](Key& key, ShiftState shift) { dbeVrTotPercKeyDown(key, shift); };
    box->onKeyPress = [this](char32_t& key) { dbeVrTotPercKeyPress(key); };
  }

  // Dishes and recipe products.
  cdsCardapio.onCalcFields = dataSetEvent(&TfrmAnaCustRevRec::cdsCardapioCalcFields);
  cdsCardapio.afterScroll = dataSetEvent(&TfrmAnaCustRevRec::cdsCardapioAfterScroll);
  dtsCardapio.onDataChange = [this](platform::DataSource& sender, const Field* field) {
    dtsCardapioDataChange(sender, field);
  };
  dbnPadrao->action = [this](NavigateButton b) { moveCursor(cdsCardapio, b); };
  dbnPadrao->onClick = [this](NavigateButton b) { dbnPadraoClick(b); };
  cdsProduto.onCalcFields = dataSetEvent(&TfrmAnaCustRevRec::cdsProdutoCalcFields);
  cdsProduto.afterOpen = dataSetEvent(&TfrmAnaCustRevRec::cdsProdutoAfterOpen);
  cdsProduto.fieldByName("QTDEBRUTA").onGetText =
      getText(&TfrmAnaCustRevRec::cdsProdutoQTDEBRUTAGetText);
  cdsProduto.fieldByName("TIPO").onGetText = getText(&TfrmAnaCustRevRec::cdsProdutoTIPOGetText);
  dbgTipoCons->onDrawColumnCell = drawCell(&TfrmAnaCustRevRec::dbgTipoConsDrawColumnCell);
  dbgConsPerc->onDrawColumnCell = drawCell(&TfrmAnaCustRevRec::dbgConsPercDrawColumnCell);
  dbgCardapio->onDrawColumnCell = drawCell(&TfrmAnaCustRevRec::dbgCardapioDrawColumnCell);
  dbgPrato->onDrawColumnCell = drawCell(&TfrmAnaCustRevRec::dbgPratoDrawColumnCell);
  dbgCardapio->onMouseUp = [this](MouseButton b, ShiftState s, int x, int y) {
    dbgCardapioMouseUp(b, s, x, y);
  };
  dbgPrato->onMouseUp = [this](MouseButton b, ShiftState s, int x, int y) {
    dbgPratoMouseUp(b, s, x, y);
  };

  // Consumption.
  cdsConsServ.onCalcFields = dataSetEvent(&TfrmAnaCustRevRec::cdsConsServCalcFields);
  cdsConsServ.beforeDelete = dataSetEvent(&TfrmAnaCustRevRec::cdsConsServBeforeDelete);
  cdsConsumo.onCalcFields = dataSetEvent(&TfrmAnaCustRevRec::cdsConsumoCalcFields);
  cdsConsumo.afterScroll = dataSetEvent(&TfrmAnaCustRevRec::cdsConsumoAfterScroll);
  cdsConsumo.beforeDelete = dataSetEvent(&TfrmAnaCustRevRec::cdsConsumoBeforeDelete);
  Splitter2->onMoved = [this] { Splitter2Moved(); };

  // Realized and planned versus realized.
  cdsRealizado.afterOpen = dataSetEvent(&TfrmAnaCustRevRec::cdsRealizadoAfterOpen);
  cdsRealizado.onCalcFields = dataSetEvent(&TfrmAnaCustRevRec::cdsRealizadoCalcFields);
  cdsRealizado.afterScroll = dataSetEvent(&TfrmAnaCustRevRec::cdsRealizadoAfterScroll);
  cdsRealizado.beforeDelete = dataSetEvent(&TfrmAnaCustRevRec::cdsRealizadoBeforeDelete);
  cdsRealizado.fieldByName("DTCARDAPIO").onGetText =
      getText(&TfrmAnaCustRevRec::cdsRealizadoDTCARDAPIOGetText);
  cdsItemReti.onCalcFields = dataSetEvent(&TfrmAnaCustRevRec::cdsItemRetiCalcFields);
  cdsItemReti.beforeDelete = dataSetEvent(&TfrmAnaCustRevRec::cdsItemRetiBeforeDelete);
  cdsPlanReal.afterScroll = dataSetEvent(&TfrmAnaCustRevRec::cdsPlanRealAfterScroll);
  cdsPlanReal.beforeDelete = dataSetEvent(&TfrmAnaCustRevRec::cdsPlanRealBeforeDelete);
  cdsPlanReal.fieldByName("DTCARDAPIO").onGetText =
      getText(&TfrmAnaCustRevRec::cdsPlanRealDTCARDAPIOGetText);
  dbgPlanReal->onDrawColumnCell = drawCell(&TfrmAnaCustRevRec::dbgPlanRealDrawColumnCell);

  // Exception lists.
  cdsProdCustZero.fieldByName("DTCARDAPIO").onGetText =
      getText(&TfrmAnaCustRevRec::cdsProdCustZeroDTCARDAPIOGetText);
  cdsProdCotDesatu.fieldByName("DTCONSPLAN").onGetText =
      getText(&TfrmAnaCustRevRec::cdsProdCotDesatuDTCONSPLANGetText);
}

}  // namespace screen
