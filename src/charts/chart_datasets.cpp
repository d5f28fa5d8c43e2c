// The chart datasets, created empty with the screen and filled by the chart actions.
#include "screen/ana_cust_rev_rec.h"
#include "screen/field_defs.h"

namespace screen {

using platform::FieldType;

namespace {

constexpr FieldType F = FieldType::Float;
constexpr const char* kMoney = "#,##0.00000";

}  // namespace

void TfrmAnaCustRevRec::defineChartDatasets() {
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

}  // namespace screen
