// The screen's frame: header, side tool bar, pages and sub-pages; each subsystem adds its own
// controls to them.
#include "screen/ana_cust_rev_rec.h"

namespace screen {

using namespace platform::ui;

namespace {

Button& toolButton(Form& form, const std::string& name, Control* parent, const std::string& hint,
                   int top) {
  Button& button = form.create<Button>(name, parent);
  button.setHint(hint);
  button.setShowHint(true);
  button.setBounds(2, top, 28, 28);
  return button;
}

TabSheet& page(Form& form, const std::string& name, PageControl* parent,
               const std::string& caption) {
  TabSheet& sheet = form.create<TabSheet>(name, parent);
  sheet.setCaption(caption);
  return sheet;
}

}  // namespace

void TfrmAnaCustRevRec::buildLayout() {
  // Hidden until there is a cost branch to show: an empty box tells nothing.
  panFiliCusto = &create<Panel>("panFiliCusto", panCabecalho);
  panFiliCusto->setBounds(4, 2, 120, 18);
  panFiliCusto->setAlignment(Alignment::Left);
  panFiliCusto->setVisible(false);
  lblDtRefeCust = &create<Label>("lblDtRefeCust", panCabecalho);
  lblDtRefeCust->setBounds(130, 4, 220, 13);
  lblDtRefeCust->setVisible(false);
  lblSemCardapio = &create<Label>("lblSemCardapio", panCabecalho);
  lblSemCardapio->setCaption("Não há cardápio para este mês.");
  lblSemCardapio->setFontBold(true);
  lblSemCardapio->setFontColor(Color::rgb(255, 0, 0));
  lblSemCardapio->setBounds(356, 4, 200, 13);
  lblSemCardapio->setVisible(false);

  // Docked below everything else, the cost panel included; two lines, for a narrow window.
  panContexto = &create<Panel>("panContexto");
  panContexto->setAlign(Align::Bottom);
  panContexto->setHeight(30);
  panContexto->setAlignment(Alignment::Left);

  panControle = &create<Panel>("panControle", panBotoes);
  panControle->setBounds(0, 64, 32, 60);
  panControle->setVisible(false);
  sbtConfirma = &toolButton(*this, "sbtConfirma", panControle, "Confirmar", 0);
  sbtConfirma->setEnabled(false);
  sbtCancela = &toolButton(*this, "sbtCancela", panControle, "Cancelar", 30);
  sbtCancela->setEnabled(false);
  sbtCalcula = &toolButton(*this, "sbtCalcula", panBotoes, "Recalcular Custos", 126);
  sbtCalcula->setEnabled(false);
  panCustZero = &create<Panel>("panCustZero", panBotoes);
  panCustZero->setBounds(0, 156, 32, 30);
  panCustZero->setEnabled(false);
  sbtCustZero = &toolButton(*this, "sbtCustZero", panCustZero, "Recalcular Custos", 0);
  sbtCustZero->setEnabled(false);
  sbtCustos =
      &toolButton(*this, "sbtCustos", panBotoes, "Visualizar Acompanhamento de Custos", 188);
  sbtCustos->setGroupIndex(1);
  sbtCustos->setAllowAllUp(true);

  tshPlanejado = &page(*this, "tshPlanejado", pgcPadrao, "Planejado");
  tshRealizado = &page(*this, "tshRealizado", pgcPadrao, "Realizado");
  tshPlanReal = &page(*this, "tshPlanReal", pgcPadrao, "Acompanhamento");
  tshProdCustZero = &page(*this, "tshProdCustZero", pgcPadrao, "Produtos Custo Zero");
  tshCotDesatu = &page(*this, "tshCotDesatu", pgcPadrao, "Cotação Desatualizada");

  cost.buildDayBar();
  pgcPlanejado = &create<PageControl>("pgcPlanejado", tshPlanejado);
  pgcPlanejado->setAlign(Align::Client);
  tshAnaCusto = &page(*this, "tshAnaCusto", pgcPlanejado, "Análise de Custo");
  tshMatPrima = &page(*this, "tshMatPrima", pgcPlanejado, "Matéria Prima");
  tshConsumoServico = &page(*this, "tshConsumoServico", pgcPlanejado, "Consumo por Serviço");

  cost.buildDailyCostGrid();
  recipe.buildControls();
  consumption.buildControls();
  realized.buildControls();
  exceptions.buildControls();
  cost.buildCostPanel();
  charts.buildButtons(*cost.grbGraficos);
  cost.buildCostFigures();
  recipe.buildPopupMenu();
}

}  // namespace screen
