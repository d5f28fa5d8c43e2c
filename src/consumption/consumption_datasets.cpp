// Definitions of the consumption datasets and the controls of "Consumo por Serviço".
#include "screen/ana_cust_rev_rec.h"
#include "screen/field_defs.h"

namespace screen {

using platform::FieldKind;
using platform::FieldType;
using namespace platform::ui;

namespace {

constexpr FieldKind C = FieldKind::Calculated;
constexpr FieldType T = FieldType::Text;
constexpr FieldType F = FieldType::Float;

}  // namespace

void TfrmAnaCustRevRec::defineConsumptionDatasets() {
  defineFields(cdsComens, {{.name = "QTCOMESTICAR", .type = F}});

  defineFields(cdsConsServ, {
                                {.name = "IDCONSUMO", .type = FieldType::FixedText, .size = 1},
                                {.name = "NMPRODUTO", .type = T, .size = 50, .label = "Produto"},
                                {.name = "SGUNIDADE", .type = T, .size = 10, .label = "UN"},
                                costField("QTCONSSERV", "Percapita"),
                                costField("CustoUnit", "Custo Unit."),
                                costField("QtdeTotal", "Qtde Total", C),
                                costField("CustoTotal", "Custo Total", C),
                                {.name = "CDPRODUTO", .type = T, .size = 10, .visible = false},
                                {.name = "IDCUSTODESATU", .type = T, .size = 4000},
                            });

  defineFields(cdsConsumo,
               {
                   {.name = "TPCONS", .type = FieldType::FixedText, .size = 1, .readOnly = true},
                   {.name = "CDTPRCONSFIX", .type = T, .size = 2},
                   {.name = "NMTIPOPRAT", .type = T, .size = 15, .label = "Tipo de Consumo"},
                   costField("CUSTOTOTAL", "Custo Total", C),
                   {.name = "VRCUSTPADRTP",
                    .type = F,
                    .label = "P. U. Objetivo",
                    .format = "###,##0.00",
                    .sameEditFormat = true},
                   costField("CUSTOPERCAP", "Custo Per Capita", C),
                   {.name = "idExistCustZero", .type = T, .size = 1, .kind = C},
                   {.name = "IDCUSTODESATU", .type = T, .size = 1, .kind = C},
               });
}

void TfrmAnaCustRevRec::buildConsumptionControls() {
  const GridOptions options{GridOption::Titles, GridOption::ColumnResize, GridOption::ColLines,
                            GridOption::RowLines, GridOption::AlwaysShowSelection};
  dbgTipoCons = &create<DBGrid>("dbgTipoCons", tshConsumoServico);
  dbgTipoCons->setAlign(Align::Top);
  dbgTipoCons->setHeight(84);
  dbgTipoCons->setColor(clInfoBk);
  dbgTipoCons->setDataSource(&dtsConsumo);
  dbgTipoCons->setReadOnly(true);
  dbgTipoCons->setDefaultDrawing(false);
  dbgTipoCons->setTabStop(true);
  dbgTipoCons->setOptions(options);
  dbgTipoCons->addColumn("NMTIPOPRAT", "Tipo de Consumo", 161, Alignment::Left);
  dbgTipoCons->addColumn("CUSTOPERCAP", "Custo Per Capita", 132, Alignment::Right)
      .setAlignment(Alignment::Right);
  dbgTipoCons->addColumn("CUSTOTOTAL", "Custo Total", 75, Alignment::Right)
      .setAlignment(Alignment::Right);
  dbgTipoCons->addColumn("VRCUSTPADRTP", "P. U. Objetivo", 96, Alignment::Right)
      .setAlignment(Alignment::Right);

  Splitter2 = &create<Splitter>("Splitter2", tshConsumoServico);
  Splitter2->setAlign(Align::Top);
  Splitter2->setHeight(6);
  // The user may drag it, but never so far that a grid disappears.
  Splitter2->setMinSize(30);

  dbgConsPerc = &create<DBGrid>("dbgConsPerc", tshConsumoServico);
  dbgConsPerc->setAlign(Align::Client);
  dbgConsPerc->setColor(clInfoBk);
  dbgConsPerc->setDataSource(&dtsConsServ);
  dbgConsPerc->setReadOnly(true);
  dbgConsPerc->setDefaultDrawing(false);
  dbgConsPerc->setTabStop(true);
  dbgConsPerc->setOptions(options);
  dbgConsPerc->addColumn("NMPRODUTO", "Produto", 225, Alignment::Left);
  dbgConsPerc->addColumn("SGUNIDADE", "UN", Column::kDefaultWidth, Alignment::Left);
  dbgConsPerc->addColumn("QTCONSSERV", "Per Capita", 71, Alignment::Right)
      .setAlignment(Alignment::Right);
  dbgConsPerc->addColumn("CustoUnit", "Custo Unit.", 74, Alignment::Right)
      .setAlignment(Alignment::Right);
  dbgConsPerc->addColumn("QtdeTotal", "Qtde Total", 72, Alignment::Right)
      .setAlignment(Alignment::Right);
  dbgConsPerc->addColumn("CustoTotal", "Custo Total", 70, Alignment::Right)
      .setAlignment(Alignment::Right);
}

}  // namespace screen
