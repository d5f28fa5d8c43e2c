// Controls of the "Matéria Prima" sub-page and the popup menu of its two grids.
#include "recipe/recipe.h"

namespace recipe {

using namespace platform::ui;

namespace {

struct GridColumn {
  const char* field;
  const char* title;  // empty: the field's label
  int width;
  Alignment title_alignment;
  Alignment cell_alignment;
};

void addColumns(DBGrid& grid, const platform::ClientDataSet& ds,
                std::initializer_list<GridColumn> columns) {
  for (const GridColumn& c : columns) {
    const std::string title =
        *c.title != '\0' ? std::string(c.title) : ds.fieldByName(c.field).displayLabel();
    grid.addColumn(c.field, title, c.width, c.title_alignment).setAlignment(c.cell_alignment);
  }
}

constexpr int kDefault = Column::kDefaultWidth;
constexpr Alignment L = Alignment::Left;
constexpr Alignment R = Alignment::Right;

}  // namespace

void Recipe::buildControls() {
  Form& form = screen_.form();
  TabSheet* tshMatPrima = &screen_.page(screen::Page::MatPrima);
  Panel& dishPanel = form.create<Panel>("panCardapio", tshMatPrima);
  dishPanel.setAlign(Align::Top);
  dishPanel.setHeight(110);

  dbgCardapio = &form.create<DBGrid>("dbgCardapio", &dishPanel);
  dbgCardapio->setAlign(Align::Client);
  dbgCardapio->setColor(clInfoBk);
  dbgCardapio->setDataSource(&dtsCardapio);
  dbgCardapio->setDefaultDrawing(false);
  dbgCardapio->setTabStop(true);
  dbgCardapio->setOptions({GridOption::Editing, GridOption::Titles, GridOption::ColumnResize,
                           GridOption::ColLines, GridOption::RowLines, GridOption::Tabs});
  addColumns(*dbgCardapio, cdsCardapio,
             {{"NMPRATO", "", 203, L, L},
              {"CONT", "", 33, L, R},
              {"CustoPerc", "", 90, R, R},
              {"COMENSPRATO", "", kDefault, L, R},
              {"CustoPrato", "", 80, R, R},
              {"CustoPercDia", "", kDefault, L, R},
              {"Safra", "Safra", 30, L, R},
              {"PercSafra", "", 80, R, R}});
  // The diners are the one dish value the user edits.
  for (const char* shown : {"NMPRATO", "CONT"})
    dbgCardapio->column(dbgCardapio->columnIndexOf(shown)).setReadOnly(true);

  panNavigator = &form.create<Panel>("panNavigator", &dishPanel);
  panNavigator->setAlign(Align::Bottom);
  panNavigator->setHeight(24);
  dbnPadrao = &form.create<DBNavigator>("dbnPadrao", panNavigator);
  dbnPadrao->setDataSource(&dtsCardapio);
  dbnPadrao->setVisibleButtons(
      {NavigateButton::First, NavigateButton::Prior, NavigateButton::Next, NavigateButton::Last});
  dbnPadrao->setHints(
      {"Primeiro prato do dia", "Prato anterior", "Próximo prato", "Último prato do dia"});
  dbnPadrao->setShowHint(false);
  dbnPadrao->setBounds(2, 1, 96, 22);
  dbtNome = &form.create<DBText>("dbtNome", panNavigator);
  dbtNome->setDataSource(&dtsCardapio);
  dbtNome->setDataField("NMPRATO");
  dbtNome->setFontBold(true);
  dbtNome->setBounds(104, 4, 260, 16);
  dbtTipoRece = &form.create<DBText>("dbtTipoRece", panNavigator);
  dbtTipoRece->setDataSource(&dtsProduto);
  dbtTipoRece->setDataField("TIPO");
  dbtTipoRece->setFontBold(true);
  dbtTipoRece->setBounds(370, 4, 150, 16);
  // The dish keys' legend goes with the product keys' at the foot of the page: beside a long
  // dish name it would not fit a narrow window.
  lblInfCardapio = &form.create<Label>("lblInfCardapio", tshMatPrima);
  lblInfCardapio->setAlign(Align::Bottom);
  lblInfCardapio->setCaption("F3 = Editar Comens.; CTRL+ENTER = Confirmar; ESC = Cancelar");
  lblInfCardapio->setHeight(16);

  splMatPrim = &form.create<Splitter>("splMatPrim", tshMatPrima);
  splMatPrim->setAlign(Align::Top);
  splMatPrim->setHeight(6);

  Label18 = &form.create<Label>("Label18", tshMatPrima);
  Label18->setAlign(Align::Bottom);
  Label18->setCaption(
      "INSERT = Incluir Produto; CTRL+DEL = Excluir Produto; CTRL+T = Trocar Ingrediente; "
      "CTRL+ENTER = Confirmar; ESC = Cancelar");

  dbgPrato = &form.create<DBGrid>("dbgPrato", tshMatPrima);
  dbgPrato->setAlign(Align::Client);
  dbgPrato->setColor(clInfoBk);
  dbgPrato->setDataSource(&dtsProduto);
  dbgPrato->setDefaultDrawing(false);
  dbgPrato->setTabStop(true);
  dbgPrato->setOptions({GridOption::Editing, GridOption::Titles, GridOption::ColumnResize,
                        GridOption::ColLines, GridOption::RowLines, GridOption::Tabs});
  addColumns(*dbgPrato, cdsProduto,
             {{"CDARVPROD", "Produto", 100, L, L},
              {"NMPRODUTO", "Nome do Produto", 150, L, L},
              {"QTDERECE", "Per Capita", 69, R, R},
              {"SGUNIDRECE", "UN", 56, L, L},
              {"QTDEBRUTA", "Qtde. Req.", 68, R, R},
              {"CUSTOPRODANT", "Custo Unit. Ant.", kDefault, L, R},
              {"CUSTOPROD", "Custo Unit. Atual", 85, R, R},
              {"QtdeTotal", "Qtde. Total", 69, R, R},
              {"CustoTotal", "Custo Total", 69, R, R},
              {"Safra", "Safra", 30, L, L},
              {"percDia", "Per Capita Dia", 73, L, R},
              {"custoPercDia", "Custo Per Capita Dia", 108, L, R}});
  // Only the per capita of any row and the code of a new row take input (the code column
  // follows the dataset's state).
  for (const char* shown :
       {"CDARVPROD", "NMPRODUTO", "SGUNIDRECE", "QTDEBRUTA", "CUSTOPRODANT", "CUSTOPROD"})
    dbgPrato->column(dbgPrato->columnIndexOf(shown)).setReadOnly(true);
}

void Recipe::buildPopupMenu() {
  Form& form = screen_.form();
  pmnToolBar = &form.create<PopupMenu>("pmnToolBar");
  pmnToolBar->setAutoPopup(false);
  const struct {
    MenuItem** item;
    const char* name;
    const char* caption;
    ShortCut shortCut;
  } items[] = {
      {&mnuIncluir, "mnuIncluir", "Incluir", ShortCut(VK_INSERT)},
      {&mnuExcluir, "mnuExcluir", "Excluir", ShortCut(VK_DELETE, ssCtrl)},
      {&mnuTrocarIn, "mnuTrocarIn", "Trocar Ingrediente", ShortCut(keyOf('T'), ssCtrl)},
      {&mnuComens, "mnuComens", "Editar Comensais", ShortCut(VK_F3)},
      {&N1, "N1", "-", ShortCut()},
      {&mnuPost, "mnuPost", "Confirmar", ShortCut(VK_RETURN, ssCtrl)},
      {&mnuCancelar, "mnuCancelar", "Cancelar", ShortCut(VK_ESCAPE)},
  };
  for (const auto& it : items) {
    *it.item = &form.create<MenuItem>(it.name);
    (*it.item)->setCaption(it.caption);
    (*it.item)->setShortCut(it.shortCut);
    pmnToolBar->add(**it.item);
  }
  mnuPost->setEnabled(false);
  mnuCancelar->setEnabled(false);
  dbgCardapio->setPopupMenu(pmnToolBar);
  dbgPrato->setPopupMenu(pmnToolBar);
}

}  // namespace recipe
