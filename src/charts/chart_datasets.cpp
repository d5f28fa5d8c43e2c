// The chart datasets, created empty with the screen and filled by the chart actions, and the
// chart buttons.
#include "charts/charts.h"
#include "screen/field_defs.h"

namespace charts {

using platform::FieldType;
using screen::defineFields;
using screen::FieldDef;

namespace {

constexpr FieldType F = FieldType::Float;
constexpr const char* kMoney = "#,##0.00000";

}  // namespace

Charts::Charts(screen::ScreenServices& services, realized::Realized& realized)
    : screen_(services), realized_(realized) {
  const FieldDef day{.name = "DTCARDAPIO", .type = FieldType::DateTime, .format = "dd"};
  defineFields(cdsGrafCust, {day,
                             {.name = "VrPadrao", .type = F, .format = kMoney},
                             {.name = "VrCustGraf", .type = F, .format = kMoney}});
  defineFields(cdsGrafPlanReal, {day,
                                 {.name = "VrPadrao", .type = F, .format = kMoney},
                                 {.name = "VRPERCPLAN", .type = F, .format = kMoney},
                                 {.name = "VRPERCREAL", .type = F, .format = kMoney}});
  defineFields(cdsCustoAcum, {day,
                              {.name = "VrTotPadrao", .type = F, .format = kMoney},
                              {.name = "VRTOTTACUM", .type = F, .format = kMoney},
                              {.name = "VRTOTRACUM", .type = F, .format = kMoney}});
  for (platform::ClientDataSet* chart : {&cdsGrafCust, &cdsGrafPlanReal, &cdsCustoAcum}) {
    chart->addIndex("indexPadrao", "DTCARDAPIO");
    chart->setIndexName("indexPadrao");
  }
}

void Charts::buildButtons(platform::ui::GroupBox& group) {
  const struct {
    platform::ui::Button** button;
    const char* name;
    const char* hint;
  } buttons[] = {{&sbtGrafCust, "sbtGrafCust", "Custo Percapita"},
                 {&sbtPlanReal, "sbtPlanReal", "Comparação do Percapita"},
                 {&sbtCustoAcum, "sbtCustoAcum", "Variação do Custo Acumulado"}};
  // In a row under the group's caption.
  int left = 6;
  for (const auto& chart : buttons) {
    *chart.button = &screen_.form().create<platform::ui::Button>(chart.name, &group);
    (*chart.button)->setHint(chart.hint);
    (*chart.button)->setShowHint(true);
    (*chart.button)->setBounds(left, 15, 28, 28);
    left += 32;
  }
}

}  // namespace charts
