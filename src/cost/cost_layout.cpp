// Controls of the daily cost analysis: the daily cost grid, the day bar and the cost panel.
#include "screen/ana_cust_rev_rec.h"

namespace screen {

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

void TfrmAnaCustRevRec::buildDailyCostGrid() {
  dbgTrabCusto = &create<DBGrid>("dbgTrabCusto", tshAnaCusto);
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

void TfrmAnaCustRevRec::buildDayBar() {
  pancustos = &create<Panel>("pancustos", tshPlanejado);
  pancustos->setAlign(Align::Bottom);
  pancustos->setHeight(44);

  dbnCusto = &create<DBNavigator>("dbnCusto", pancustos);
  dbnCusto->setDataSource(&dtsTrabCusto);
  dbnCusto->setVisibleButtons(
      {NavigateButton::First, NavigateButton::Prior, NavigateButton::Next, NavigateButton::Last});
  dbnCusto->setHints({"Primeiro", "Anterior", "Próximo", "Último"});
  dbnCusto->setShowHint(true);
  dbnCusto->setBounds(4, 14, 96, 25);

  dbtData = &create<DBText>("dbtData", pancustos);
  dbtData->setDataSource(&dtsTrabCusto);
  dbtData->setDataField("DTDATA");
  dbtData->setFontBold(true);
  dbtData->setBounds(106, 18, 110, 17);

  rowLabel(*this, pancustos, "Custo Padrão Perc.", 222, 2);
  nedCustoPadrao = &create<NumberEdit>("nedCustoPadrao", pancustos);
  nedCustoPadrao->setDecimals(5);
  nedCustoPadrao->setReadOnly(true);
  nedCustoPadrao->setBounds(222, 17, 90, 21);

  rowLabel(*this, pancustos, "Comensais do Dia", 318, 2);
  nedComensais = &create<NumberEdit>("nedComensais", pancustos);
  nedComensais->setDecimals(0);
  nedComensais->setReadOnly(true);
  nedComensais->setBounds(318, 17, 80, 21);

  panSafra = &create<Panel>("panSafra", pancustos);
  panSafra->setBounds(404, 0, 100, 42);
  panSafra->setVisible(false);
  rowLabel(*this, panSafra, "Safra (%)", 2, 2);
  nedPeSafraCard = &create<NumberEdit>("nedPeSafraCard", panSafra);
  nedPeSafraCard->setDecimals(2);
  nedPeSafraCard->setReadOnly(true);
  nedPeSafraCard->setBounds(2, 17, 70, 21);
  shpSafraCard = &create<Shape>("shpSafraCard", panSafra);
  shpSafraCard->setBounds(76, 17, 21, 21);

  lblVrTotPerc = &create<Label>("lblVrTotPerc", pancustos);
  lblVrTotPerc->setCaption("Custo Per Capita Dia");
  lblVrTotPerc->setBounds(510, 2, 110, 13);
  dbeVrTotPerc = &create<DBEdit>("dbeVrTotPerc", pancustos);
  dbeVrTotPerc->setDataSource(&dtsTrabCusto);
  dbeVrTotPerc->setDataField("VRTOTPERC");
  dbeVrTotPerc->setColor(clBtnFace);
  dbeVrTotPerc->setReadOnly(true);
  dbeVrTotPerc->setTabStop(false);
  dbeVrTotPerc->setBounds(510, 17, 110, 21);

  lblVrCustoMedio = &create<Label>("lblVrCustoMedio", pancustos);
  lblVrCustoMedio->setCaption("Custo Per Capita Médio");
  lblVrCustoMedio->setBounds(626, 2, 120, 13);
  dbeVrCustoMedio = &create<DBEdit>("dbeVrCustoMedio", pancustos);
  dbeVrCustoMedio->setDataSource(&dtsTrabCusto);
  dbeVrCustoMedio->setDataField("VRCUSTOMEDIO");
  dbeVrCustoMedio->setColor(clBtnFace);
  dbeVrCustoMedio->setReadOnly(true);
  dbeVrCustoMedio->setTabStop(false);
  dbeVrCustoMedio->setBounds(626, 17, 110, 21);
}

void TfrmAnaCustRevRec::buildCostPanel() {
  panCusto = &create<Panel>("panCusto");
  panCusto->setAlign(Align::Bottom);
  panCusto->setHeight(150);
  panCusto->setVisible(false);
  subPanCusto = &create<Panel>("subPanCusto", panCusto);
  subPanCusto->setBounds(0, 0, 770, 148);

  grbGraficos = &create<GroupBox>("grbGraficos", subPanCusto);
  grbGraficos->setCaption("Gráficos");
  grbGraficos->setBounds(2, 2, 40, 140);
  const struct {
    Button** button;
    const char* name;
    const char* hint;
  } charts[] = {{&sbtGrafCust, "sbtGrafCust", "Custo Percapita"},
                {&sbtPlanReal, "sbtPlanReal", "Comparação do Percapita"},
                {&sbtCustoAcum, "sbtCustoAcum", "Variação do Custo Acumulado"}};
  int top = 16;
  for (const auto& chart : charts) {
    *chart.button = &create<Button>(chart.name, grbGraficos);
    (*chart.button)->setHint(chart.hint);
    (*chart.button)->setShowHint(true);
    (*chart.button)->setBounds(6, top, 28, 28);
    top += 32;
  }

  grbCustTotaDia = &create<GroupBox>("grbCustTotaDia", subPanCusto);
  grbCustTotaDia->setBounds(46, 2, 250, 140);
  rowLabel(*this, grbCustTotaDia, "Planejado", 66, 14);
  lblRealizado = &create<Label>("lblRealizado", grbCustTotaDia);
  lblRealizado->setCaption("Realizado");
  lblRealizado->setBounds(158, 14, 90, 13);
  rowLabel(*this, grbCustTotaDia, "Matéria-prima", 4, 32);
  nedMatPriCardPlan = &costEdit(*this, "nedMatPriCardPlan", grbCustTotaDia, 66, 30);
  rowLabel(*this, grbCustTotaDia, "Consumo", 4, 56);
  nedConsCardPlan = &costEdit(*this, "nedConsCardPlan", grbCustTotaDia, 66, 54);
  rowLabel(*this, grbCustTotaDia, "Custo Total", 4, 80);
  nedCustoCardPlan = &costEdit(*this, "nedCustoCardPlan", grbCustTotaDia, 66, 78);
  nedCustoCardReal = &costEdit(*this, "nedCustoCardReal", grbCustTotaDia, 158, 78);

  grbCustoDia = &create<GroupBox>("grbCustoDia", subPanCusto);
  grbCustoDia->setBounds(300, 2, 230, 140);
  rowLabel(*this, grbCustoDia, "Per Capita do Dia", 46, 14);
  rowLabel(*this, grbCustoDia, "Total do Mês (Plan.)", 138, 14);
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
  top = 30;
  for (const auto& row : dayRows) {
    rowLabel(*this, grbCustoDia, row.row, 4, top + 2);
    *row.perCapita = &costEdit(*this, row.perCapitaName, grbCustoDia, 46, top);
    *row.month = &costEdit(*this, row.monthName, grbCustoDia, 138, top);
    top += 22;
  }
  nedSaldoPerc->setColor(clBtnFace);
  nedSaldoMes->setColor(clBtnFace);

  grbCustoAcum = &create<GroupBox>("grbCustoAcum", subPanCusto);
  grbCustoAcum->setBounds(534, 2, 232, 140);
  rowLabel(*this, grbCustoAcum, "Planejado", 48, 14);
  lblRealAcum = &create<Label>("lblRealAcum", grbCustoAcum);
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
    rowLabel(*this, grbCustoAcum, row.row, 4, top + 2);
    *row.planned = &costEdit(*this, row.plannedName, grbCustoAcum, 48, top);
    if (row.realized != nullptr)
      *row.realized = &costEdit(*this, row.realizedName, grbCustoAcum, 140, top);
    top += 22;
  }
}

}  // namespace screen
