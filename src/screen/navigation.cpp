// Page navigation, the cost panel toggle and the switch between browsing and editing.
#include "platform/consiste.h"
#include "remote/host_services.h"
#include "screen/ana_cust_rev_rec.h"
#include "screen/scope_guard.h"

namespace screen {

using platform::DataSetState;
using platform::ui::Color;

namespace {

const Color kRed = Color::rgb(255, 0, 0);
const Color kBlack = Color::rgb(0, 0, 0);

}  // namespace

void TfrmAnaCustRevRec::pgcPadraoChange() {
  platform::ui::TabSheet* page = pgcPadrao->activePage();
  if (page == tshRealizado) {
    remote::BusyAnimation& busy = remote::busyAnimation();
    Finally hide([&busy] { busy.DeactiveShowAvi(); });
    if (!cdsRealizado.active()) {
      busy.ActiveShowAvi(this, 6, msgPadrao.Msg("calculando_real"));
      loadRealizado();
    }
    cdsRealizadoAfterScroll(cdsRealizado);
  } else if (page == tshPlanReal) {
    Atualiza_PlanReal();
  } else if (page == tshPlanejado) {
    cdsTrabCustoAfterScroll(cdsTrabCusto);
    panSafra->setVisible(isMatPrimaSubPage());
  } else if (page == tshProdCustZero) {
    CarregaProdCustZero();
  } else if (page == tshCotDesatu) {
    CarregaCotDesatu();
  }
  const bool exceptionPage = page == tshProdCustZero || page == tshCotDesatu;
  panCustZero->setEnabled(exceptionPage);
  sbtCustZero->setEnabled(exceptionPage);
  Atualiza_Custo();
  panControle->setVisible(isPlannedPage() && isMatPrimaSubPage());
}

void TfrmAnaCustRevRec::pgcPlanejadoChange() {
  remote::BusyAnimation& busy = remote::busyAnimation();
  remote::CursorControl& cursor = remote::cursorControl();
  {
    Finally restore([&] {
      busy.DeactiveShowAvi();
      cursor.setCursor(remote::CursorShape::Default);
    });
    if (pgcPlanejado->activePage() == tshAnaCusto) {
      cursor.setCursor(remote::CursorShape::HourGlass);
      busy.ActiveShowAvi(this, 1, msgPadrao.Msg("calculando"));
      ctx.firstActivation = true;
      FormActivate();
    }
    cdsTrabCustoAfterScroll(cdsTrabCusto);
  }
  panSafra->setVisible(isMatPrimaSubPage());
  panControle->setVisible(isPlannedPage() && isMatPrimaSubPage());
}

void TfrmAnaCustRevRec::sbtCustosClick() {
  if (sbtCustos->down()) {
    panCusto->setVisible(true);
    if (windowState() == platform::ui::WindowState::Maximized) {
      subPanCusto->setLeft((panCusto->width() - subPanCusto->width()) / 2);
    } else {
      setWidth(788);
      centerOnScreen();
    }
  } else {
    panCusto->setVisible(false);
  }
  Atualiza_Custo();
  repaint();
}

void TfrmAnaCustRevRec::Habilita(bool browsing) {
  sbtConfirma->setEnabled(!browsing);
  sbtCancela->setEnabled(!browsing);
  sbtCalcula->setEnabled(browsing && ctx.recipeChanged);
  const Color labels = ctx.recipeChanged ? kRed : kBlack;
  lblVrTotPerc->setFontColor(labels);
  lblVrCustoMedio->setFontColor(labels);

  if (cdsCardapio.state() == DataSetState::Edit || !dbgPrato->enabled())
    dbgPrato->setEnabled(browsing);
  const DataSetState produto = cdsProduto.state();
  if (produto == DataSetState::Edit || produto == DataSetState::Insert || !dbgCardapio->enabled())
    dbgCardapio->setEnabled(browsing);

  for (platform::ui::Control* c : std::initializer_list<platform::ui::Control*>{
           tshAnaCusto, tshConsumoServico, tshRealizado, tshPlanReal, dbnPadrao, dbnCusto})
    c->setEnabled(browsing);

  mnuPost->setEnabled(true);
  mnuCancelar->setEnabled(true);
}

}  // namespace screen
