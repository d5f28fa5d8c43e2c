// Controls of the daily cost analysis: the daily cost grid, the day bar and the cost panel.
#include "cost/cost_analysis.h"

namespace cost {

using namespace platform::ui;

namespace {

NumberEdit& costEdit(Form& form, const std::string& name, Control* parent, int left, int top) {
  NumberEdit& edit = form.create<NumberEdit>(name, parent);
  edit.setDecimals(5);
  edit.setThousands(true);
  edit.setReadOnly(true);
  edit.setBounds(left, top, 90, 21);
  return edit;
}

Label& rowLabel(Form& form, Control* parent, const std::string& text, int left, int top) {
  Label& label = form.create<Label>("", parent);
  label.setCaption(text);
  label.setBounds(left, top, 90, 13);
  return label;
}

}  // namespace

void CostAnalysis::buildDailyCostGrid() {
  Form& form = screen_.form();
  dbgTrabCusto = &form.create<DBGrid>("dbgTrabCusto", &screen_.page(screen::Page::AnaCusto));
  dbgTrabCusto->setAlign(Align::Client);
  dbgTrabCusto->setColor(clInfoBk);
  dbgTrabCusto->setDataSource(&dtsTrabCusto);
  dbgTrabCusto->setReadOnly(true);
  dbgTrabCusto->setDefaultDrawing(false);
  dbgTrabCusto->setTabStop(true);
  dbgTrabCusto->setOptions({GridOption::Titles, GridOption::ColumnResize, GridOption::ColLines,
                            GridOption::RowLines, GridOption::Tabs,
                            GridOption::AlwaysShowSelection});
  struct Col {
    const char* field;
    int width;
    Alignment title;
  };
  static constexpr Col kColumns[] = {
      {"DTDATA", 110, Alignment::Left},         {"QTCOMENSAIS", 110, Alignment::Right},
      {"VRCUSTPRODMAT", 110, Alignment::Right}, {"VRCUSTOCONS", 101, Alignment::Right},
      {"VRCUSTORAT", 107, Alignment::Right},    {"VRMATPERC", 120, Alignment::Right},
      {"VRCUSTOTOTAL", 109, Alignment::Right},  {"VRTOTPERC", 120, Alignment::Right},
      {"VRCUSTOACU", 102, Alignment::Right},    {"QTCOMESACU", 121, Alignment::Right},
      {"VRCUSTOMEDIO", 95, Alignment::Right},
  };
  for (const Col& c : kColumns) {
    Column& column = dbgTrabCusto->addColumn(
        c.field, cdsTrabCusto.fieldByName(c.field).displayLabel(), c.width, c.title);
    column.setAlignment(c.title);
  }
}

void CostAnalysis::buildDayBar() {
  Form& form = screen_.form();
  pancustos = &form.create<Panel>("pancustos", &screen_.page(screen::Page::Planejado));
  pancustos->setAlign(Align::Bottom);
  pancustos->setHeight(44);

  dbnCusto = &form.create<DBNavigator>("dbnCusto", pancustos);
  dbnCusto->setDataSource(&dtsTrabCusto);
  dbnCusto->setVisibleButtons(
      {NavigateButton::First, NavigateButton::Prior, NavigateButton::Next, NavigateButton::Last});
  dbnCusto->setHints({"Primeiro", "Anterior", "Próximo", "Último"});
  dbnCusto->setShowHint(true);
  dbnCusto->setBounds(4, 14, 96, 25);

  dbtData = &form.create<DBText>("dbtData", pancustos);
  dbtData->setDataSource(&dtsTrabCusto);
  dbtData->setDataField("DTDATA");
  dbtData->setFontBold(true);
  dbtData->setBounds(106, 18, 110, 17);

  rowLabel(form, pancustos, "Custo Padrão Perc.", 222, 2);
  nedCustoPadrao = &form.create<NumberEdit>("nedCustoPadrao", pancustos);
  nedCustoPadrao->setDecimals(5);
  nedCustoPadrao->setReadOnly(true);
  nedCustoPadrao->setBounds(222, 17, 90, 21);

  rowLabel(form, pancustos, "Comensais do Dia", 318, 2);
  nedComensais = &form.create<NumberEdit>("nedComensais", pancustos);
  nedComensais->setDecimals(0);
  nedComensais->setReadOnly(true);
  nedComensais->setBounds(318, 17, 80, 21);

  panSafra = &form.create<Panel>("panSafra", pancustos);
  panSafra->setBounds(404, 0, 100, 42);
  panSafra->setVisible(false);
  rowLabel(form, panSafra, "Safra (%)", 2, 2);
  nedPeSafraCard = &form.create<NumberEdit>("nedPeSafraCard", panSafra);
  nedPeSafraCard->setDecimals(2);
  nedPeSafraCard->setReadOnly(true);
  nedPeSafraCard->setBounds(2, 17, 70, 21);
  shpSafraCard = &form.create<Shape>("shpSafraCard", panSafra);
  shpSafraCard->setBounds(76, 17, 21, 21);

  lblVrTotPerc = &form.create<Label>("lblVrTotPerc", pancustos);
  lblVrTotPerc->setCaption("Custo Per Capita Dia");
  lblVrTotPerc->setBounds(510, 2, 110, 13);
  dbeVrTotPerc = &form.create<DBEdit>("dbeVrTotPerc", pancustos);
  dbeVrTotPerc->setDataSource(&dtsTrabCusto);
  dbeVrTotPerc->setDataField("VRTOTPERC");
  dbeVrTotPerc->setColor(clBtnFace);
  dbeVrTotPerc->setReadOnly(true);
  dbeVrTotPerc->setTabStop(false);
  dbeVrTotPerc->setBounds(510, 17, 110, 21);

  lblVrCustoMedio = &form.create<Label>("lblVrCustoMedio", pancustos);
  lblVrCustoMedio->setCaption("Custo Per Capita Médio");
  lblVrCustoMedio->setBounds(626, 2, 120, 13);
  dbeVrCustoMedio = &form.create<DBEdit>("dbeVrCustoMedio", pancustos);
  dbeVrCustoMedio->setDataSource(&dtsTrabCusto);
  dbeVrCustoMedio->setDataField("VRCUSTOMEDIO");
  dbeVrCustoMedio->setColor(clBtnFace);
  dbeVrCustoMedio->setReadOnly(true);
  dbeVrCustoMedio->setTabStop(false);
  dbeVrCustoMedio->setBounds(626, 17, 110, 21);
}

void CostAnalysis::buildCostPanel() {
  Form& form = screen_.form();
  panCusto = &form.create<Panel>("panCusto");
  panCusto->setAlign(Align::Bottom);
  panCusto->setHeight(150);
  panCusto->setVisible(false);
  subPanCusto = &form.create<Panel>("subPanCusto", panCusto);
  subPanCusto->setBounds(0, 0, 770, 148);

  grbGraficos = &form.create<GroupBox>("grbGraficos", subPanCusto);
  grbGraficos->setCaption("Gráficos");
  grbGraficos->setBounds(2, 2, 40, 140);
}

void CostAnalysis::buildCostFigures() {
  Form& form = screen_.form();
  grbCustTotaDia = &form.create<GroupBox>("grbCustTotaDia", subPanCusto);
  grbCustTotaDia->setBounds(46, 2, 250, 140);
  rowLabel(form, grbCustTotaDia, "Planejado", 66, 14);
  lblRealizado = &form.create<Label>("lblRealizado", grbCustTotaDia);
  lblRealizado->setCaption("Realizado");
  lblRealizado->setBounds(158, 14, 90, 13);
  rowLabel(form, grbCustTotaDia, "Matéria-prima", 4, 32);
  nedMatPriCardPlan = &costEdit(form, "nedMatPriCardPlan", grbCustTotaDia, 66, 30);
  rowLabel(form, grbCustTotaDia, "Consumo", 4, 56);
  nedConsCardPlan = &costEdit(form, "nedConsCardPlan", grbCustTotaDia, 66, 54);
  rowLabel(form, grbCustTotaDia, "Custo Total", 4, 80);
  nedCustoCardPlan = &costEdit(form, "nedCustoCardPlan", grbCustTotaDia, 66, 78);
  nedCustoCardReal = &costEdit(form, "nedCustoCardReal", grbCustTotaDia, 158, 78);

  grbCustoDia = &form.create<GroupBox>("grbCustoDia", subPanCusto);
  grbCustoDia->setBounds(300, 2, 230, 140);
  rowLabel(form, grbCustoDia, "Per Capita do Dia", 46, 14);
  rowLabel(form, grbCustoDia, "Total do Mês (Plan.)", 138, 14);
  const struct {
    const char* row;
    NumberEdit** perCapita;
    const char* perCapitaName;
    NumberEdit** month;
    const char* monthName;
  } dayRows[] = {
      {"Matéria-prima", &nedMatPriPerc, "nedMatPriPerc", &nedMatPriMes, "nedMatPriMes"},
      {"Consumo", &nedConsPerc, "nedConsPerc", &nedConsMes, "nedConsMes"},
      {"Custo", &nedPercDia, "nedPercDia", &nedTotalMes, "nedTotalMes"},
      {"Padrão", &nedPadrPerc, "nedPadrPerc", &nedPadrMens, "nedPadrMens"},
      {"Saldo", &nedSaldoPerc, "nedSaldoPerc", &nedSaldoMes, "nedSaldoMes"},
  };
  int top = 30;
  for (const auto& row : dayRows) {
    rowLabel(form, grbCustoDia, row.row, 4, top + 2);
    *row.perCapita = &costEdit(form, row.perCapitaName, grbCustoDia, 46, top);
    *row.month = &costEdit(form, row.monthName, grbCustoDia, 138, top);
    top += 22;
  }
  nedSaldoPerc->setColor(clBtnFace);
  nedSaldoMes->setColor(clBtnFace);

  grbCustoAcum = &form.create<GroupBox>("grbCustoAcum", subPanCusto);
  grbCustoAcum->setBounds(534, 2, 232, 140);
  rowLabel(form, grbCustoAcum, "Planejado", 48, 14);
  lblRealAcum = &form.create<Label>("lblRealAcum", grbCustoAcum);
  lblRealAcum->setCaption("Realizado");
  lblRealAcum->setBounds(140, 14, 90, 13);
  const struct {
    const char* row;
    NumberEdit** planned;
    const char* plannedName;
    NumberEdit** realized;
    const char* realizedName;
  } accRows[] = {
      {"Matéria-prima", &nedMatPriAcuPlan, "nedMatPriAcuPlan", nullptr, nullptr},
      {"Consumo", &nedConsAcuPlan, "nedConsAcuPlan", nullptr, nullptr},
      {"Custo Total", &nedTotalTAcum, "nedTotalTAcum", &nedTotalRAcum, "nedTotalRAcum"},
      {"Comensais", &nedEstimados, "nedEstimados", &nedEfetivos, "nedEfetivos"},
      {"Per Capita Médio", &nedPuMedioTeor, "nedPuMedioTeor", &nedPuMedioReal, "nedPuMedioReal"},
  };
  top = 30;
  for (const auto& row : accRows) {
    rowLabel(form, grbCustoAcum, row.row, 4, top + 2);
    *row.planned = &costEdit(form, row.plannedName, grbCustoAcum, 48, top);
    if (row.realized != nullptr)
      *row.realized = &costEdit(form, row.realizedName, grbCustoAcum, 140, top);
    top += 22;
  }
}

}  // namespace cost
