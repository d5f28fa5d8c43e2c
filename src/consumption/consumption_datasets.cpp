// Definitions of the consumption datasets, the holiday query and the controls of "Consumo por
// Serviço".
#include "consumption/consumption.h"
#include "screen/field_defs.h"

namespace consumption {

using platform::FieldKind;
using platform::FieldType;
using namespace platform::ui;
using screen::costField;
using screen::defineFields;

namespace {

constexpr FieldKind C = FieldKind::Calculated;
constexpr FieldType T = FieldType::Text;
constexpr FieldType F = FieldType::Float;

}  // namespace

Consumption::Consumption(screen::ScreenServices& services)
    : screen_(services), ctx(services.context()), msgPadrao(services.messages()) {
  defineFields(cdsComens, {{.name = "QTCOMESTICAR", .type = F}});
  defineFields(cdsOrigemCusto, {{.name = "CDFORNECED", .type = T, .size = 21},
                                {.name = "IDTPIJURFORN", .type = T, .size = 1},
                                {.name = "NRINSJURFORN", .type = T, .size = 20},
                                {.name = "NMRAZSOCFORN", .type = T, .size = 40},
                                {.name = "CDPRODUTO", .type = T, .size = 10},
                                {.name = "CDARVPROD", .type = T, .size = 20},
                                {.name = "NMPRODUTO", .type = T, .size = 50},
                                {.name = "DTINIVALITM", .type = FieldType::DateTime},
                                {.name = "DTFINVALITM", .type = FieldType::DateTime},
                                {.name = "NMMARCA", .type = T, .size = 20},
                                {.name = "IDORIGEM", .type = T, .size = 1},
                                {.name = "VRUNITARIO", .type = F},
                                {.name = "VRCUSTO", .type = F},
                                {.name = "DTCUSTO", .type = FieldType::DateTime}});

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

  qryFeriFili.SQL =
      "SELECT COUNT(*) AS CTFERIFILI FROM FERIFILI WHERE CDFILIAL = :P_CDFILIAL AND DTFERIFILI = "
      ":P_DTFERIFILI";
  qryFeriFili.SQL_ORACLE = qryFeriFili.SQL;
  qryFeriFili.SQL_MSSQL =
      "SELECT CONVERT(DOUBLE PRECISION, COUNT(*)) AS CTFERIFILI FROM FERIFILI WHERE CDFILIAL = "
      ":P_CDFILIAL AND DTFERIFILI = :P_DTFERIFILI";
  qryFeriFili.SQL_IB =
      "SELECT CAST(COUNT(*) AS FLOAT) AS CTFERIFILI FROM FERIFILI WHERE CDFILIAL = :P_CDFILIAL "
      "AND DTFERIFILI = :P_DTFERIFILI";
  qryFeriFili.addField("CTFERIFILI", F).setReadOnly(true);
}

void Consumption::buildControls() {
  Form& form = screen_.form();
  TabSheet* tshConsumoServico = &screen_.page(screen::Page::ConsumoServico);
  const GridOptions options{GridOption::Titles, GridOption::ColumnResize, GridOption::ColLines,
                            GridOption::RowLines, GridOption::AlwaysShowSelection};
  dbgTipoCons = &form.create<DBGrid>("dbgTipoCons", tshConsumoServico);
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

  Splitter2 = &form.create<Splitter>("Splitter2", tshConsumoServico);
  Splitter2->setAlign(Align::Top);
  Splitter2->setHeight(6);
  // The user may drag it, but never so far that a grid disappears.
  Splitter2->setMinSize(30);

  dbgConsPerc = &form.create<DBGrid>("dbgConsPerc", tshConsumoServico);
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

}  // namespace consumption
