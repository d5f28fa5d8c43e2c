// Controls of the daily cost analysis: the daily cost grid, the day bar and the cost panel.
#include "cost/cost_analysis.h"

namespace cost {

using namespace platform::ui;

namespace {

NumberEdit& costEdit(Form& form, const std::string& name, Control* parent, int left, int top,
                     int width) {
  NumberEdit& edit = form.create<NumberEdit>(name, parent);
  edit.setDecimals(5);
  edit.setThousands(true);
  edit.setReadOnly(true);
  edit.setBounds(left, top, width, 21);
  return edit;
}

// The cost panel's columns, sized for its longest captions and for month totals in the hundreds
// of thousands, so that the whole panel fits the 788-pixel window the toggle narrows to.
constexpr int kRowLabelWidth = 74;  // "Matéria-prima"
constexpr int kDayTotalWidth = 76;
constexpr int kPerCapitaWidth = 70;
constexpr int kMonthWidth = 88;
constexpr int kFirstRowTop = 28;
constexpr int kRowStep = 22;

Label& rowLabel(Form& form, Control* parent, const std::string& text, int left, int top,
                int width = 90, Alignment alignment = Alignment::Left) {
  Label& label = form.create<Label>("", parent);
  label.setCaption(text);
  label.setAlignment(alignment);
  label.setBounds(left, top, width, 13);
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

  rowLabel(form, pancustos, "Custo Padrão Perc.", 222, 2, 96);
  nedCustoPadrao = &form.create<NumberEdit>("nedCustoPadrao", pancustos);
  nedCustoPadrao->setDecimals(5);
  nedCustoPadrao->setReadOnly(true);
  nedCustoPadrao->setBounds(222, 17, 90, 21);

  rowLabel(form, pancustos, "Comensais do Dia", 320, 2, 92);
  nedComensais = &form.create<NumberEdit>("nedComensais", pancustos);
  nedComensais->setDecimals(0);
  nedComensais->setReadOnly(true);
  nedComensais->setBounds(320, 17, 80, 21);

  panSafra = &form.create<Panel>("panSafra", pancustos);
  panSafra->setBounds(414, 0, 100, 42);
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
  lblVrTotPerc->setBounds(516, 2, 106, 13);
  dbeVrTotPerc = &form.create<DBEdit>("dbeVrTotPerc", pancustos);
  dbeVrTotPerc->setDataSource(&dtsTrabCusto);
  dbeVrTotPerc->setDataField("VRTOTPERC");
  dbeVrTotPerc->setColor(clBtnFace);
  dbeVrTotPerc->setReadOnly(true);
  dbeVrTotPerc->setTabStop(false);
  dbeVrTotPerc->setBounds(516, 17, 106, 21);

  lblVrCustoMedio = &form.create<Label>("lblVrCustoMedio", pancustos);
  lblVrCustoMedio->setCaption("Custo Per Capita Médio");
  lblVrCustoMedio->setBounds(626, 2, 118, 13);
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
  subPanCusto->setBounds(0, 0, 782, 148);

  // Under the day's totals, which need only three rows.
  grbGraficos = &form.create<GroupBox>("grbGraficos", subPanCusto);
  grbGraficos->setCaption("Gráficos");
  grbGraficos->setBounds(2, 100, 240, 46);
}

void CostAnalysis::buildCostFigures() {
  Form& form = screen_.form();
  constexpr int kValues = 4 + kRowLabelWidth + 2;  // left of the first column of values

  grbCustTotaDia = &form.create<GroupBox>("grbCustTotaDia", subPanCusto);
  grbCustTotaDia->setBounds(2, 2, 240, 96);
  const int realizedLeft = kValues + kDayTotalWidth + 4;
  rowLabel(form, grbCustTotaDia, "Planejado", kValues, 14, kDayTotalWidth);
  lblRealizado = &form.create<Label>("lblRealizado", grbCustTotaDia);
  lblRealizado->setCaption("Realizado");
  lblRealizado->setBounds(realizedLeft, 14, kDayTotalWidth, 13);
  int top = kFirstRowTop;
  rowLabel(form, grbCustTotaDia, "Matéria-prima", 4, top + 2, kRowLabelWidth);
  nedMatPriCardPlan =
      &costEdit(form, "nedMatPriCardPlan", grbCustTotaDia, kValues, top, kDayTotalWidth);
  top += kRowStep;
  rowLabel(form, grbCustTotaDia, "Consumo", 4, top + 2, kRowLabelWidth);
  nedConsCardPlan =
      &costEdit(form, "nedConsCardPlan", grbCustTotaDia, kValues, top, kDayTotalWidth);
  top += kRowStep;
  rowLabel(form, grbCustTotaDia, "Custo Total", 4, top + 2, kRowLabelWidth);
  nedCustoCardPlan =
      &costEdit(form, "nedCustoCardPlan", grbCustTotaDia, kValues, top, kDayTotalWidth);
  nedCustoCardReal =
      &costEdit(form, "nedCustoCardReal", grbCustTotaDia, realizedLeft, top, kDayTotalWidth);

  // Its column titles are wider than the values below them: right-aligned over their columns,
  // the first reaching over the row captions' column, which has no title.
  grbCustoDia = &form.create<GroupBox>("grbCustoDia", subPanCusto);
  grbCustoDia->setBounds(246, 2, 254, 140);
  const int monthLeft = kValues + kPerCapitaWidth + 6;
  rowLabel(form, grbCustoDia, "Per Capita do Dia", kValues + kPerCapitaWidth - 88, 14, 88,
           Alignment::Right);
  rowLabel(form, grbCustoDia, "Total do Mês (Plan.)", monthLeft + kMonthWidth - 92, 14, 98,
           Alignment::Right);
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
  top = kFirstRowTop;
  for (const auto& row : dayRows) {
    rowLabel(form, grbCustoDia, row.row, 4, top + 2, kRowLabelWidth);
    *row.perCapita = &costEdit(form, row.perCapitaName, grbCustoDia, kValues, top, kPerCapitaWidth);
    *row.month = &costEdit(form, row.monthName, grbCustoDia, monthLeft, top, kMonthWidth);
    top += kRowStep;
  }
  nedSaldoPerc->setColor(clBtnFace);
  nedSaldoMes->setColor(clBtnFace);

  // "Per Capita Médio" needs a wider caption column.
  constexpr int kAccLabelWidth = 86;
  constexpr int kAccValues = 4 + kAccLabelWidth + 2;
  grbCustoAcum = &form.create<GroupBox>("grbCustoAcum", subPanCusto);
  grbCustoAcum->setBounds(504, 2, 276, 140);
  const int accRealizedLeft = kAccValues + kMonthWidth + 4;
  rowLabel(form, grbCustoAcum, "Planejado", kAccValues, 14, kMonthWidth);
  lblRealAcum = &form.create<Label>("lblRealAcum", grbCustoAcum);
  lblRealAcum->setCaption("Realizado");
  lblRealAcum->setBounds(accRealizedLeft, 14, kMonthWidth, 13);
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
  top = kFirstRowTop;
  for (const auto& row : accRows) {
    rowLabel(form, grbCustoAcum, row.row, 4, top + 2, kAccLabelWidth);
    *row.planned = &costEdit(form, row.plannedName, grbCustoAcum, kAccValues, top, kMonthWidth);
    if (row.realized != nullptr)
      *row.realized =
          &costEdit(form, row.realizedName, grbCustoAcum, accRealizedLeft, top, kMonthWidth);
    top += kRowStep;
  }
}

}  // namespace cost
