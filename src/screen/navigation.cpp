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
    if (!realized.cdsRealizado.active()) {
      busy.ActiveShowAvi(this, 6, msgPadrao.Msg("calculando_real"));
      realized.loadRealizado();
    }
    realized.cdsRealizadoAfterScroll(realized.cdsRealizado);
  } else if (page == tshPlanReal) {
    realized.Atualiza_PlanReal();
  } else if (page == tshPlanejado) {
    cost.cdsTrabCustoAfterScroll(cost.cdsTrabCusto);
    cost.panSafra->setVisible(isMatPrimaSubPage());
  } else if (page == tshProdCustZero) {
    exceptions.CarregaProdCustZero();
  } else if (page == tshCotDesatu) {
    exceptions.CarregaCotDesatu();
  }
  const bool exceptionPage = page == tshProdCustZero || page == tshCotDesatu;
  panCustZero->setEnabled(exceptionPage);
  sbtCustZero->setEnabled(exceptionPage);
  cost.Atualiza_Custo();
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
    cost.cdsTrabCustoAfterScroll(cost.cdsTrabCusto);
  }
  cost.panSafra->setVisible(isMatPrimaSubPage());
  panControle->setVisible(isPlannedPage() && isMatPrimaSubPage());
}

void TfrmAnaCustRevRec::sbtCustosClick() {
  if (sbtCustos->down()) {
    cost.panCusto->setVisible(true);
    if (windowState() == platform::ui::WindowState::Maximized) {
      cost.subPanCusto->setLeft((cost.panCusto->width() - cost.subPanCusto->width()) / 2);
    } else {
      setWidth(788);
      centerOnScreen();
    }
  } else {
    cost.panCusto->setVisible(false);
  }
  cost.Atualiza_Custo();
  repaint();
}

void TfrmAnaCustRevRec::Habilita(bool browsing) {
  sbtConfirma->setEnabled(!browsing);
  sbtCancela->setEnabled(!browsing);
  sbtCalcula->setEnabled(browsing && ctx.recipeChanged);
  const Color labels = ctx.recipeChanged ? kRed : kBlack;
  cost.lblVrTotPerc->setFontColor(labels);
  cost.lblVrCustoMedio->setFontColor(labels);

  if (recipe.cdsCardapio.state() == DataSetState::Edit || !recipe.dbgPrato->enabled())
    recipe.dbgPrato->setEnabled(browsing);
  const DataSetState produto = recipe.cdsProduto.state();
  if (produto == DataSetState::Edit || produto == DataSetState::Insert ||
      !recipe.dbgCardapio->enabled())
    recipe.dbgCardapio->setEnabled(browsing);

  for (platform::ui::Control* c :
       std::initializer_list<platform::ui::Control*>{tshAnaCusto, tshConsumoServico, tshRealizado,
                                                     tshPlanReal, recipe.dbnPadrao, cost.dbnCusto})
    c->setEnabled(browsing);

  recipe.mnuPost->setEnabled(true);
  recipe.mnuCancelar->setEnabled(true);
}

}  // namespace screen
