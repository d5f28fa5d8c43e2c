// The daily cost table: its definition, calculated fields, running values and month totals,
// date text and grid painting.
#include "cost/cost_analysis.h"
#include "platform/abort.h"
#include "platform/consiste.h"
#include "platform/format.h"
#include "remote/host_services.h"
#include "screen/dataset_helpers.h"
#include "screen/field_defs.h"
#include "screen/scope_guard.h"

namespace cost {

using platform::ClientDataSet;
using platform::FieldKind;
using platform::FieldType;
using platform::Variant;
using namespace platform::ui;
using screen::ControlsSuspended;
using screen::defineFields;
using screen::Detached;
using screen::fieldText;

namespace {

const Color kRed = Color::rgb(255, 0, 0);
const Color kBlack = Color::rgb(0, 0, 0);

}  // namespace

CostAnalysis::CostAnalysis(screen::ScreenServices& services, recipe::Recipe& recipe,
                           consumption::Consumption& consumption, realized::Realized& realized)
    : screen_(services),
      recipe_(recipe),
      consumption_(consumption),
      realized_(realized),
      ctx(services.context()),
      msgPadrao(services.messages()) {
  constexpr FieldKind C = FieldKind::Calculated;
  constexpr FieldType F = FieldType::Float;
  constexpr const char* kMoney = "#,##0.00000";
  defineFields(
      cdsTrabCusto,
      {
          {.name = "DTDATA", .type = FieldType::DateTime, .label = "Data"},
          {.name = "QTCOMENSAIS",
           .type = F,
           .kind = C,
           .label = "Comensais Estimados",
           .format = "#,##0"},
          {.name = "VRCUSTPRODMAT", .type = F, .label = "Matéria Prima", .format = kMoney},
          {.name = "VRCUSTOCONS", .type = F, .label = "Consumo", .format = kMoney},
          {.name = "VRCUSTORAT", .type = F, .label = "Custos Indiretos", .format = kMoney},
          {.name = "QTCOMESTICAR", .type = F},
          {.name = "QTCLIESTICAR", .type = F},
          {.name = "VRCUSTOTOTAL", .type = F, .kind = C, .label = "Custo Total", .format = kMoney},
          {.name = "VRMATPERC",
           .type = F,
           .kind = C,
           .label = "Mat. Prima Per Capita",
           .format = kMoney},
          {.name = "VRTOTPERC",
           .type = F,
           .kind = C,
           .label = "Custo Total Per Capita",
           .format = kMoney},
          {.name = "VRCUSTOACU", .type = F, .label = "Custo Acumulado", .format = kMoney},
          {.name = "VRCUSTOCONSACU", .type = F, .visible = false},
          {.name = "VRCUSTMATACU", .type = F, .visible = false},
          {.name = "VRCUSTOMEDIO", .type = F, .label = "Custo Perc. Médio", .format = kMoney},
          {.name = "QTCOMESACU", .type = F, .label = "Comensais Acumulados", .format = "#,##0"},
      });
  cdsTrabCusto.addIndex("OrdenaData", "DTDATA");
  cdsTrabCusto.setIndexName("OrdenaData");

  cdsTotalMes.addField("VRTOTMATPRIM", F);
  cdsTotalMes.addField("VRTOTCONS", F);
}

double CostAnalysis::selectedDay() const {
  if (!cdsTrabCusto.active()) return 0;
  return cdsTrabCusto.fieldByName("DTDATA").asDateTime();
}

void CostAnalysis::cdsTrabCustoCalcFields(ClientDataSet& ds) {
  const bool clientDiners = fieldText(screen_.paramFilial(), "IDCOMCUSPERC") == "C";
  const double diners = ds.fieldByName(clientDiners ? "QTCLIESTICAR" : "QTCOMESTICAR").asFloat();
  ds.fieldByName("QTCOMENSAIS").setAsFloat(diners);
  const double material = ds.fieldByName("VRCUSTPRODMAT").asFloat();
  const double total =
      material + (ds.fieldByName("VRCUSTOCONS").asFloat() + ds.fieldByName("VRCUSTORAT").asFloat());
  ds.fieldByName("VRCUSTOTOTAL").setAsFloat(total);
  if (diners == 0) {
    ds.fieldByName("VRMATPERC").setAsFloat(0);
    ds.fieldByName("VRTOTPERC").setAsFloat(0);
  } else {
    ds.fieldByName("VRMATPERC").setAsFloat(Consiste::RoundDec(material / diners, 5));
    ds.fieldByName("VRTOTPERC").setAsFloat(Consiste::RoundDec(total / diners, 5));
  }
}

void CostAnalysis::cdsTrabCustoAfterOpen(ClientDataSet& ds) {
  ControlsSuspended suspended(ds);

  cdsTotalMes.emptyDataSet();
  cdsTotalMes.append();
  cdsTotalMes.fieldByName("VRTOTCONS").setAsFloat(0);
  cdsTotalMes.fieldByName("VRTOTMATPRIM").setAsFloat(0);
  cdsTotalMes.post();

  // The walk below only computes running values: loading each day it passes through would fetch
  // the products of every day of the month on "Matéria Prima". The open's own after-scroll loads
  // the day the cursor ends on.
  Detached quiet(ds.afterScroll);

  double previousCost = 0;
  double previousDiners = 0;
  double materialSum = 0;
  double consumptionSum = 0;
  platform::Field& accumulated = ds.fieldByName("VRCUSTOACU");
  platform::Field& accumulatedDiners = ds.fieldByName("QTCOMESACU");
  while (!ds.eof()) {
    ds.edit();
    accumulated.setAsFloat(ds.fieldByName("VRCUSTOTOTAL").asFloat() + previousCost);
    accumulatedDiners.setAsFloat(ds.fieldByName("QTCOMENSAIS").asFloat() + previousDiners);
    materialSum += ds.fieldByName("VRCUSTPRODMAT").asFloat();
    ds.fieldByName("VRCUSTMATACU").setAsFloat(Consiste::RoundDec(materialSum, 5));
    consumptionSum += ds.fieldByName("VRCUSTOCONS").asFloat();
    ds.fieldByName("VRCUSTOCONSACU").setAsFloat(Consiste::RoundDec(consumptionSum, 5));
    const double diners = accumulatedDiners.asFloat();
    ds.fieldByName("VRCUSTOMEDIO")
        .setAsFloat(diners != 0 ? Consiste::RoundDec(accumulated.asFloat() / diners, 5) : 0.0);
    ds.post();
    previousCost = accumulated.asFloat();
    previousDiners = accumulatedDiners.asFloat();
    ds.next();
  }

  cdsTotalMes.edit();
  cdsTotalMes.fieldByName("VRTOTCONS").setAsFloat(Consiste::RoundDec(consumptionSum, 5));
  cdsTotalMes.fieldByName("VRTOTMATPRIM").setAsFloat(Consiste::RoundDec(materialSum, 5));
  cdsTotalMes.post();

  ds.first();
  suspended.resume();
}

void CostAnalysis::cdsTrabCustoBeforeScroll(ClientDataSet&) {
  ctx.seasonSum1 = 0;
  ctx.seasonSum2 = 0;
  ctx.seasonSum3 = 0;
}

void CostAnalysis::cdsTrabCustoBeforeDelete(ClientDataSet&) {
  throw platform::Abort();
}

std::string CostAnalysis::cdsTrabCustoDTDATAGetText(const platform::Field& sender, bool) {
  if (sender.isNull()) return "";
  return platform::formatDateTime("ddddd ddd", sender.asDateTime());
}

void CostAnalysis::dbgTrabCustoDrawColumnCell(Canvas& canvas, const Rect& rect, int, Column& column,
                                              GridDrawState state) {
  canvas.fillRect(rect);
  const std::string& fieldName = column.fieldName();
  const platform::Field& field = cdsTrabCusto.fieldByName(fieldName);
  if (state.contains(DrawFlag::Selected)) {
    canvas.setBrushColor(clHighlight);
    canvas.setFontColor(clHighlightText);
  } else {
    canvas.setBrushColor(clInfoBk);
    canvas.setFontColor(clWindowText);
    const double day = cdsTrabCusto.fieldByName("DTDATA").asDateTime();
    const ClientDataSet& outdatedDays = screen_.preCotDesatu();
    const bool outdated = outdatedDays.active() && !outdatedDays.isEmpty() &&
                          !outdatedDays.lookup("DTDATA", Variant::date(day), "DTDATA").isNull();
    if (outdated) canvas.setFontColor(kRed);
    if (remote::hostShell().ModuloAtiv() != 81 &&
        (fieldName == "VRCUSTOMEDIO" || fieldName == "VRTOTPERC")) {
      const double standard = nedCustoPadrao->GetNumber();
      if (standard < field.asFloat()) {
        canvas.setFontColor(kRed);
      } else if (outdated) {
        canvas.setFontColor(kBlack);
      }
    }
  }
  const std::string text = field.displayText();
  const int x = fieldName == "DTDATA" ? rect.left + 3 : rect.right - canvas.textWidth(text) - 2;
  canvas.textRect(rect, x, rect.top + 3, text);
}

bool CostAnalysis::monthHasMenu() {
  if (!cdsTrabCusto.active()) return false;
  bool found = false;
  for (int row = 1; row <= cdsTrabCusto.displayRowCount() && !found; ++row) {
    cdsTrabCusto.withDisplayRow(row, [&] {
      for (const char* field : {"QTCOMESTICAR", "QTCLIESTICAR", "VRCUSTPRODMAT"})
        if (cdsTrabCusto.fieldByName(field).asFloat() != 0) found = true;
    });
  }
  return found;
}

}  // namespace cost
