// Definitions of the realized-cost datasets and the controls of "Realizado" and
// "Acompanhamento".
#include "realized/realized.h"
#include "screen/field_defs.h"

namespace realized {

using platform::FieldKind;
using platform::FieldType;
using namespace platform::ui;
using screen::costField;
using screen::defineFields;

namespace {

constexpr FieldKind C = FieldKind::Calculated;
constexpr FieldType T = FieldType::Text;
constexpr FieldType F = FieldType::Float;
constexpr FieldType DT = FieldType::DateTime;
constexpr const char* kMoney = "#,##0.00000";

struct GridColumn {
  const char* field;
  const char* title;
  int width;
  Alignment titleAlignment;
};

DBGrid& makeGrid(Form& form, const std::string& name, Control* parent, platform::DataSource* source,
                 std::initializer_list<GridColumn> columns, bool rowSelect) {
  DBGrid& grid = form.create<DBGrid>(name, parent);
  grid.setColor(clInfoBk);
  grid.setDataSource(source);
  grid.setReadOnly(true);
  grid.setTabStop(true);
  GridOptions options{GridOption::Titles, GridOption::ColumnResize, GridOption::ColLines,
                      GridOption::RowLines, GridOption::AlwaysShowSelection};
  grid.setOptions(rowSelect ? options.with(GridOption::RowSelect) : options);
  for (const GridColumn& c : columns) {
    grid.addColumn(c.field, c.title, c.width, c.titleAlignment).setAlignment(c.titleAlignment);
  }
  return grid;
}

constexpr int kDefault = Column::kDefaultWidth;
constexpr Alignment L = Alignment::Left;
constexpr Alignment R = Alignment::Right;

}  // namespace

Realized::Realized(screen::ScreenServices& services)
    : screen_(services), ctx(services.context()), msgPadrao(services.messages()) {
  defineFields(
      cdsRealizado,
      {
          {.name = "DTCARDAPIO", .type = DT, .label = "Data Retirada"},
          {.name = "QTCOMEFETCAR", .type = F, .label = "Comensais", .format = "#,###,##0"},
          costField("QtdePerc", "Percapita", C),
          {.name = "QTRETIRADA", .type = F},
          {.name = "CUSTO", .type = F, .label = "Custo Total", .format = kMoney},
          {.name = "CUSTOACUM", .type = F, .label = "Custo Acumulado", .format = kMoney},
          {.name = "QTCOMENSACU", .type = F, .label = "Comensais Acumulados", .format = "#,##0"},
          {.name = "VRCUSTOMEDIO", .type = F, .label = "Custo Perc. Médio", .format = kMoney},
      });
  cdsRealizado.addIndex("OrdenaData", "DTCARDAPIO");
  cdsRealizado.setIndexName("OrdenaData");

  defineFields(cdsItemReti,
               {
                   {.name = "NMPRODUTO", .type = T, .size = 50, .label = "Nome do Produto"},
                   {.name = "SGUNIDADE", .type = T, .size = 10, .label = "UN"},
                   costField("QtdePerc", "Percapita", C),
                   costField("CustoUnit", "Custo Unit."),
                   costField("QTRETIRADA", "Qtde Total"),
                   costField("CustoTotal", "Custo Total", C),
                   {.name = "QTCOMEFETCAR", .type = F, .visible = false},
                   {.name = "QTCLIEFETCAR", .type = F, .visible = false},
                   {.name = "QTCOMECLIE",
                    .type = F,
                    .kind = C,
                    .format = "#,###,##0",
                    .sameEditFormat = true,
                    .visible = false},
                   {.name = "CDPRODUTO", .type = T, .size = 10, .visible = false},
                   {.name = "DTCARDAPIO", .type = DT},
               });

  defineFields(
      cdsPlanReal,
      {
          {.name = "DTCARDAPIO", .type = DT, .label = "Data"},
          {.name = "CUSTO", .type = F, .label = "Custo Total", .format = kMoney},
          {.name = "CUSTOACUM", .type = F, .label = "Custo Acumulado", .format = kMoney},
          {.name = "IDREAL", .type = T, .size = 1},
          {.name = "VRCUSTOPER", .type = F, .label = "Custo Percapita", .format = kMoney},
          {.name = "QTCOMENSAIS", .type = F, .label = "Comensais", .format = "#,##0"},
          {.name = "QTCOMENSACU", .type = F, .label = "Comensais Acumulados", .format = "#,##0"},
          {.name = "VRCUSTOMEDIO", .type = F, .label = "Custo Perc. Médio", .format = kMoney},
      });
  cdsPlanReal.addIndex("OrdenaData", "DTCARDAPIO");
  cdsPlanReal.setIndexName("OrdenaData");
}

void Realized::buildControls() {
  Form& form = screen_.form();
  TabSheet* tshRealizado = &screen_.page(screen::Page::Realizado);
  dbgRealizado = &makeGrid(form, "dbgRealizado", tshRealizado, &dtsRealizado,
                           {{"DTCARDAPIO", "Data Retirada", 110, L},
                            {"QTCOMEFETCAR", "Comensais", kDefault, R},
                            {"QtdePerc", "Per Capita", 90, R},
                            {"CUSTO", "Custo Total", 90, R},
                            {"CUSTOACUM", "Custo Acumulado", 90, R},
                            {"QTCOMENSACU", "Comensais Acumulados", 121, R},
                            {"VRCUSTOMEDIO", "Custo Perc. Médio", 95, R}},
                           true);
  dbgRealizado->setAlign(Align::Top);
  dbgRealizado->setHeight(106);
  splRealizado = &form.create<Splitter>("splRealizado", tshRealizado);
  splRealizado->setAlign(Align::Top);
  splRealizado->setHeight(4);
  dbgProdReal = &makeGrid(form, "dbgProdReal", tshRealizado, &dtsItemReti,
                          {{"NMPRODUTO", "Nome do Produto", 233, L},
                           {"SGUNIDADE", "UN", kDefault, L},
                           {"QtdePerc", "Per Capita", 80, R},
                           {"CustoUnit", "Custo Unit.", 80, R},
                           {"QTRETIRADA", "Qtde. Total", 80, R},
                           {"CustoTotal", "Custo Total", 80, R}},
                          true);
  dbgProdReal->setAlign(Align::Client);

  dbgPlanReal = &makeGrid(form, "dbgPlanReal", &screen_.page(screen::Page::PlanReal), &dtsPlanReal,
                          {{"DTCARDAPIO", "Data", 110, L},
                           {"QTCOMENSAIS", "Comensais", kDefault, R},
                           {"VRCUSTOPER", "Custo Per Capita", 86, R},
                           {"CUSTO", "Custo Total", 101, R},
                           {"CUSTOACUM", "Custo Acumulado", 109, R},
                           {"QTCOMENSACU", "Comensais Acumulados", 119, R},
                           {"VRCUSTOMEDIO", "Custo Perc. Médio", 94, R}},
                          false);
  dbgPlanReal->setAlign(Align::Client);
  dbgPlanReal->setDefaultDrawing(false);
}

}  // namespace realized
