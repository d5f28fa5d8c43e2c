#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ui/ui.h"

namespace platform::ui {
namespace {

// Records every notification of a form's components.
struct Notifications {
  explicit Notifications(Form& form) {
    form.addComponentObserver([this](Component& c, Prop p) { seen.push_back({c.name(), p}); });
  }
  struct Seen {
    std::string name;
    Prop prop;
    bool operator==(const Seen&) const = default;
  };
  std::vector<Seen> seen;
};

TEST(ChangeNotification, OncePerActualChange) {
  Form form("frm");
  auto& pan = form.create<Panel>("panCusto");
  auto& lbl = form.create<Label>("lblVrTotPerc", &pan);
  auto& sbt = form.create<Button>("sbtCustos", &pan);
  auto& ned = form.create<NumberEdit>("nedSaldoMes", &pan);
  auto& shp = form.create<Shape>("shpSafraCard");
  auto& grb = form.create<GroupBox>("grbCustoDia");
  auto& dbe = form.create<DBEdit>("dbeVrTotPerc");
  auto& dbn = form.create<DBNavigator>("dbnCusto");
  auto& grid = form.create<DBGrid>("dbgCardapio");
  auto& pgc = form.create<PageControl>("pgcPadrao");
  auto& tsh = form.create<TabSheet>("tshPlanejado", &pgc);
  auto& mnu = form.create<MenuItem>("mnuPost");
  grid.addColumn("NMPRATO");
  struct Case {
    const char* name;
    Prop prop;
    std::function<void()> set;
  };
  const Case kCases[] = {
      {"panCusto", Prop::Visible, [&] { pan.setVisible(false); }},
      {"panCusto", Prop::Caption, [&] { pan.setCaption("Filial: 0001"); }},
      {"lblVrTotPerc", Prop::Font, [&] { lbl.setFontColor(clRed); }},
      {"lblVrTotPerc", Prop::Caption, [&] { lbl.setCaption("Custo Per Capita Dia"); }},
      {"sbtCustos", Prop::Enabled, [&] { sbt.setEnabled(false); }},
      {"sbtCustos", Prop::Hint, [&] { sbt.setHint("Recalcular Custos"); }},
      {"nedSaldoMes", Prop::Number, [&] { ned.SetNumber(-12.5); }},
      {"nedSaldoMes", Prop::Color, [&] { ned.setColor(clRed); }},
      {"nedSaldoMes", Prop::Format, [&] { ned.setDecimals(5); }},
      {"nedSaldoMes", Prop::Bounds, [&] { ned.setLeft(40); }},
      {"shpSafraCard", Prop::Color, [&] { shp.setBrushColor(Color::fromNumber(0x00FFFF)); }},
      {"grbCustoDia", Prop::Caption, [&] { grb.setCaption("Dia 07/03/2026"); }},
      {"dbeVrTotPerc", Prop::Font, [&] { dbe.setFontColor(clBlack); }},
      {"dbeVrTotPerc", Prop::DataBinding, [&] { dbe.setDataField("VRTOTPERC"); }},
      {"dbnCusto", Prop::Hint,
       [&] {
         dbn.setHints({"Primeiro", "Anterior"});
       }},
      {"dbgCardapio", Prop::Color, [&] { grid.setColor(clInfoBk); }},
      {"dbgCardapio", Prop::Columns, [&] { grid.column(0).setWidth(203); }},
      {"dbgCardapio", Prop::Columns, [&] { grid.column(0).setTitleAlignment(Alignment::Right); }},
      {"dbgCardapio", Prop::Options, [&] { grid.setOptions(GridOptions{GridOption::Titles}); }},
      {"dbgCardapio", Prop::Editor, [&] { grid.setEditorText("0001"); }},
      {"tshPlanejado", Prop::Caption, [&] { tsh.setCaption("Planejado"); }},
      {"tshPlanejado", Prop::Enabled, [&] { tsh.setEnabled(false); }},
      {"mnuPost", Prop::Enabled, [&] { mnu.setEnabled(false); }},
      {"mnuPost", Prop::ShortCut, [&] { mnu.setShortCut(ShortCut(VK_RETURN, ssCtrl)); }},
      {"frm", Prop::Caption, [&] { form.setCaption("Análise de Custos - ALMOCO"); }},
      {"frm", Prop::WindowState, [&] { form.setWindowState(WindowState::Maximized); }},
  };
  Notifications n(form);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    n.seen.clear();
    c.set();
    c.set();  // the same value again changes nothing
    EXPECT_EQ(n.seen, (std::vector<Notifications::Seen>{{c.name, c.prop}}));
  }
}

TEST(ChangeNotification, OwnObserversRunFirstAndCanBeRemoved) {
  Form form("frm");
  auto& lbl = form.create<Label>("Label18");
  std::vector<std::string> order;
  const int own = lbl.addObserver([&order](Component&, Prop) { order.push_back("own"); });
  form.addComponentObserver([&order](Component&, Prop) { order.push_back("form"); });
  lbl.setCaption("   ");
  lbl.removeObserver(own);
  lbl.setCaption("INSERT = Incluir Produto");
  EXPECT_EQ(order, (std::vector<std::string>{"own", "form", "form"}));
}

TEST(ButtonTest, ToggleAndGroups) {
  Form form("frm");
  auto& bar = form.create<Panel>("bar");
  auto& custos = form.create<Button>("sbtCustos", &bar);
  custos.setGroupIndex(1);
  custos.setAllowAllUp(true);
  int clicks = 0;
  custos.onClick = [&clicks] { ++clicks; };
  EXPECT_TRUE(custos.press());
  EXPECT_TRUE(custos.down());
  EXPECT_TRUE(custos.press());
  EXPECT_FALSE(custos.down());
  custos.click();  // code clicking does not toggle
  EXPECT_FALSE(custos.down());
  EXPECT_EQ(clicks, 3);

  auto& a = form.create<Button>("a", &bar);
  auto& b = form.create<Button>("b", &bar);
  auto& elsewhere = form.create<Button>("c");
  for (Button* x : {&a, &b, &elsewhere})
    x->setGroupIndex(2);
  a.setDown(true);
  elsewhere.setDown(true);  // another parent: another group
  b.press();
  EXPECT_FALSE(a.down());
  EXPECT_TRUE(b.down());
  EXPECT_TRUE(elsewhere.down());
  b.press();  // no allowAllUp: stays down
  b.setDown(false);
  EXPECT_TRUE(b.down());

  auto& plain = form.create<Button>("sbtConfirma");
  plain.setDown(true);
  EXPECT_FALSE(plain.down());
  plain.setEnabled(false);
  EXPECT_FALSE(plain.press());
}

TEST(NumberEditTest, ShowsItsDecimalsAndKeepsTheNumber) {
  Form form("frm");
  auto& ned = form.create<NumberEdit>("nedCustoPadrao");
  struct Case {
    double number;
    int decimals;
    const char* format;
    const char* text;
  };
  const Case kCases[] = {
      {1234.5, 5, "", "1.234,50000"}, {-0.123456, 5, "", "-0,12346"},     {45.678, 2, "", "45,68"},
      {1500, 0, "", "1.500"},         {12.3, 2, "#,##0.00 %", "12,30 %"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    ned.setDecimals(c.decimals);
    ned.setDisplayFormat(c.format);
    ned.SetNumber(c.number);
    EXPECT_EQ(ned.text(), c.text);
    EXPECT_EQ(ned.GetNumber(), c.number);
  }
  ned.setThousands(false);
  ned.setDisplayFormat("");
  ned.SetNumber(1234.5);
  EXPECT_EQ(ned.text(), "1234,50");
  EXPECT_THROW(ned.setDecimals(16), std::invalid_argument);
  EXPECT_THROW(ned.setDecimals(-1), std::invalid_argument);

  Notifications n(form);
  ned.SetNumber(std::numeric_limits<double>::quiet_NaN());
  ned.SetNumber(std::numeric_limits<double>::quiet_NaN());
  ned.SetNumber(0.0);
  ned.SetNumber(-0.0);
  EXPECT_EQ(n.seen.size(), 3u);
}

TEST(PageControlTest, UserSelectionRespectsTabsAndHandlers) {
  Form form("frm");
  auto& pgc = form.create<PageControl>("pgcPadrao");
  EXPECT_EQ(pgc.activePage(), nullptr);
  auto& planejado = form.create<TabSheet>("tshPlanejado", &pgc);
  auto& realizado = form.create<TabSheet>("tshRealizado", &pgc);
  auto& cotacao = form.create<TabSheet>("tshCotDesatu", &pgc);
  EXPECT_EQ(pgc.activePage(), &planejado);
  EXPECT_EQ(cotacao.pageIndex(), 2);
  std::vector<std::string> log;
  bool allow = true;
  pgc.onChanging = [&](bool& ok) {
    log.push_back("changing from " + pgc.activePage()->name());
    ok = allow;
  };
  pgc.onChange = [&] { log.push_back("change to " + pgc.activePage()->name()); };

  cotacao.setEnabled(false);
  EXPECT_FALSE(pgc.selectPage(cotacao));
  realizado.setTabVisible(false);
  EXPECT_FALSE(pgc.selectPage(realizado));
  realizado.setTabVisible(true);
  allow = false;
  EXPECT_FALSE(pgc.selectPage(realizado));
  allow = true;
  EXPECT_TRUE(pgc.selectPage(realizado));
  EXPECT_TRUE(pgc.selectPage(realizado));
  pgc.setActivePageIndex(0);  // by code: no events
  EXPECT_EQ(pgc.activePage(), &planejado);
  const std::vector<std::string> expected = {
      "changing from tshPlanejado", "changing from tshPlanejado", "change to tshRealizado"};
  EXPECT_EQ(log, expected);

  Form other("other");
  auto& foreignPgc = other.create<PageControl>("pgc");
  auto& foreign = other.create<TabSheet>("tsh", &foreignPgc);
  EXPECT_THROW(pgc.setActivePage(&foreign), std::invalid_argument);
  EXPECT_FALSE(pgc.selectPage(foreign));
  EXPECT_THROW(pgc.setActivePageIndex(3), std::out_of_range);
}

TEST(PageControlTest, ActivePageLeavingHandsOverToTheFirst) {
  Form form("frm");
  auto& pgc = form.create<PageControl>("pgc");
  auto& other = form.create<PageControl>("other");
  auto& a = form.create<TabSheet>("a", &pgc);
  auto& b = form.create<TabSheet>("b", &pgc);
  pgc.setActivePage(&b);
  b.setParent(&other);
  EXPECT_EQ(pgc.activePage(), &a);
  EXPECT_EQ(other.activePage(), &b);
  a.setParent(nullptr);
  EXPECT_EQ(pgc.activePage(), nullptr);
  EXPECT_EQ(pgc.pageCount(), 0);
}

TEST(SplitterTest, ResizesByAlignmentAndKeepsTheMinimum) {
  Form form("frm");
  auto& spl = form.create<Splitter>("splMatPrim");
  auto& pan = form.create<Panel>("panCardapio");
  int moved = 0;
  spl.onMoved = [&moved] { ++moved; };
  spl.setAlign(Align::Top);
  spl.move(pan, 110);
  EXPECT_EQ(pan.height(), 110);
  spl.setMinSize(40);
  spl.move(pan, 10);
  EXPECT_EQ(pan.height(), 40);
  spl.setAlign(Align::Left);
  spl.move(pan, 200);
  EXPECT_EQ(pan.width(), 200);
  EXPECT_EQ(moved, 3);
}

TEST(NavigatorTest, PressRunsTheActionThenOnClick) {
  Form form("frm");
  auto& dbn = form.create<DBNavigator>("dbnPadrao");
  dbn.setVisibleButtons(
      {NavigateButton::First, NavigateButton::Prior, NavigateButton::Next, NavigateButton::Last});
  dbn.setHints({"Primeiro prato do dia", "Prato anterior", "Próximo prato", "Último prato do dia"});
  std::vector<std::string> log;
  dbn.action = [&log](NavigateButton b) { log.push_back("action " + std::to_string(int(b))); };
  dbn.onClick = [&log](NavigateButton b) { log.push_back("click " + std::to_string(int(b))); };
  EXPECT_TRUE(dbn.press(NavigateButton::Next));
  EXPECT_FALSE(dbn.press(NavigateButton::Insert));
  dbn.setEnabled(false);
  EXPECT_FALSE(dbn.press(NavigateButton::First));
  EXPECT_EQ(log, (std::vector<std::string>{"action 2", "click 2"}));
  EXPECT_EQ(dbn.buttonHint(NavigateButton::Last), "Último prato do dia");
  EXPECT_EQ(dbn.buttonHint(NavigateButton::Refresh), "");
}

TEST(PopupMenuTest, PopupAndItems) {
  Form form("frm");
  auto& pmn = form.create<PopupMenu>("pmnToolBar");
  auto& sep = form.create<MenuItem>("N1");
  auto& cancelar = form.create<MenuItem>("mnuCancelar");
  sep.setCaption("-");
  pmn.add(sep);
  pmn.add(cancelar);
  EXPECT_THROW(pmn.add(cancelar), std::invalid_argument);
  EXPECT_TRUE(sep.isSeparator());
  int popups = 0;
  pmn.onPopup = [&popups] { ++popups; };
  pmn.popup(120, 340);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(pmn.popupCount(), 1);
  EXPECT_EQ(pmn.popupX(), 120);
  EXPECT_EQ(pmn.popupY(), 340);
  int clicks = 0;
  cancelar.onClick = [&clicks] { ++clicks; };
  cancelar.setEnabled(false);
  EXPECT_FALSE(cancelar.click());
  cancelar.setEnabled(true);
  EXPECT_TRUE(cancelar.click());
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace platform::ui
