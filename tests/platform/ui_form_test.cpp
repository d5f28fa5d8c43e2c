#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ui/ui.h"

namespace platform::ui {
namespace {

TEST(FormTest, OwnsComponentsAndFindsThemByName) {
  Form form("frmAnaCustRevRec");
  auto& pan = form.create<Panel>("panControle");
  auto& sbt = form.create<Button>("sbtConfirma", &pan);
  form.create<Label>("");
  form.create<Label>("");  // unnamed components may repeat
  EXPECT_EQ(&form.component<Button>("sbtConfirma"), &sbt);
  EXPECT_EQ(form.findComponent("sbtconfirma"), nullptr);
  EXPECT_THROW(form.component<Button>("sbtCancela"), std::out_of_range);
  EXPECT_THROW(form.component<Label>("sbtConfirma"), std::invalid_argument);
  EXPECT_THROW(form.create<Button>("sbtConfirma"), std::invalid_argument);
  EXPECT_THROW(form.create<Button>("frmAnaCustRevRec"), std::invalid_argument);
  EXPECT_THROW(form.create<MenuItem>("mnuX", &pan), std::invalid_argument);
  ASSERT_EQ(form.componentCount(), 4u);
  EXPECT_EQ(&form.componentAt(1), &sbt);
  EXPECT_EQ(sbt.parent(), &pan);
  EXPECT_EQ(pan.children(), std::vector<Control*>{&sbt});
  EXPECT_EQ(form.topLevelControls().size(), 3u);
}

TEST(FormTest, ParentsMustFormATreeOfOneForm) {
  Form form("frm");
  Form other("other");
  auto& outer = form.create<Panel>("outer");
  auto& inner = form.create<Panel>("inner", &outer);
  auto& foreign = other.create<Panel>("foreign");
  auto& pgc = form.create<PageControl>("pgc");
  auto& tsh = form.create<TabSheet>("tsh", &pgc);
  EXPECT_THROW(outer.setParent(&inner), std::invalid_argument);
  EXPECT_THROW(outer.setParent(&outer), std::invalid_argument);
  EXPECT_THROW(inner.setParent(&foreign), std::invalid_argument);
  EXPECT_THROW(tsh.setParent(&outer), std::invalid_argument);
  EXPECT_EQ(tsh.parent(), &pgc);
  inner.setParent(nullptr);
  EXPECT_TRUE(outer.children().empty());
  inner.setParent(&tsh);
  EXPECT_EQ(tsh.children(), std::vector<Control*>{&inner});
}

TEST(FormTest, ShowingFollowsParentsAndActivePages) {
  Form form("frm");
  auto& pgc = form.create<PageControl>("pgcPadrao");
  auto& planejado = form.create<TabSheet>("tshPlanejado", &pgc);
  auto& realizado = form.create<TabSheet>("tshRealizado", &pgc);
  auto& pan = form.create<Panel>("panSafra", &planejado);
  auto& ned = form.create<NumberEdit>("nedPeSafraCard", &pan);
  auto& grid = form.create<DBGrid>("dbgRealizado", &realizado);
  EXPECT_TRUE(ned.showing());
  EXPECT_FALSE(grid.showing());
  pan.setVisible(false);
  EXPECT_FALSE(ned.showing());
  EXPECT_TRUE(ned.visible());
  pgc.setActivePage(&realizado);
  EXPECT_TRUE(grid.showing());
  pgc.setEnabled(false);
  EXPECT_FALSE(grid.effectiveEnabled());
  EXPECT_TRUE(grid.enabled());
}

struct FocusLog {
  std::vector<std::string> events;
};

TEST(FormTest, FocusMovesWithExitThenEnter) {
  Form form("frm");
  auto& dbgCardapio = form.create<DBGrid>("dbgCardapio");
  auto& dbgPrato = form.create<DBGrid>("dbgPrato");
  auto& hidden = form.create<DBGrid>("hidden");
  hidden.setVisible(false);
  FocusLog log;
  form.addComponentObserver([&log](Component& c, Prop p) {
    if (p == Prop::Focus || p == Prop::ActiveControl) log.events.push_back("changed " + c.name());
  });
  dbgCardapio.onEnter = [&log] { log.events.push_back("enter dbgCardapio"); };
  dbgCardapio.onExit = [&log] { log.events.push_back("exit dbgCardapio"); };
  dbgPrato.onEnter = [&log] { log.events.push_back("enter dbgPrato"); };

  EXPECT_TRUE(dbgCardapio.setFocus());
  EXPECT_TRUE(dbgPrato.setFocus());
  EXPECT_TRUE(dbgPrato.setFocus());  // already focused: nothing happens
  EXPECT_FALSE(hidden.setFocus());
  EXPECT_TRUE(dbgPrato.focused());
  EXPECT_FALSE(dbgCardapio.focused());
  const std::vector<std::string> expected = {
      "changed dbgCardapio", "changed frm",      "enter dbgCardapio", "exit dbgCardapio",
      "changed dbgCardapio", "changed dbgPrato", "changed frm",       "enter dbgPrato"};
  EXPECT_EQ(log.events, expected);
}

TEST(FormTest, ExitHandlerThatThrowsKeepsTheFocus) {
  Form form("frm");
  auto& a = form.create<DBGrid>("a");
  auto& b = form.create<DBGrid>("b");
  a.setFocus();
  a.onExit = [] { throw std::runtime_error("invalid cell"); };
  EXPECT_THROW(b.setFocus(), std::runtime_error);
  EXPECT_EQ(form.activeControl(), &a);
  b.setEnabled(false);
  a.onExit = nullptr;
  EXPECT_FALSE(b.setFocus());
  EXPECT_EQ(form.activeControl(), &a);
}

class KeyRouting : public testing::Test {
 protected:
  KeyRouting() {
    menu.add(incluir);
    menu.add(post);
    incluir.setShortCut(ShortCut(VK_INSERT));
    incluir.setVisible(false);  // hidden items keep their shortcut
    incluir.onClick = [this] { log.push_back("mnuIncluir"); };
    post.setShortCut(ShortCut(VK_RETURN, ssCtrl));
    post.setEnabled(false);
    post.onClick = [this] { log.push_back("mnuPost"); };
    pan.setPopupMenu(&menu);
    grid.onKeyDown = [this](Key& key, ShiftState) {
      log.push_back("grid " + keyName(key));
      if (key == VK_DELETE) key = kNoKey;
    };
    grid.setFocus();
  }
  Form form{"frm"};
  PopupMenu& menu = form.create<PopupMenu>("pmnToolBar");
  MenuItem& incluir = form.create<MenuItem>("mnuIncluir");
  MenuItem& post = form.create<MenuItem>("mnuPost");
  Panel& pan = form.create<Panel>("pan");
  DBGrid& grid = form.create<DBGrid>("dbgPrato", &pan);
  std::vector<std::string> log;
};

TEST_F(KeyRouting, ShortcutsOfTheParentsMenuComeFirst) {
  EXPECT_EQ(form.keyDown(VK_INSERT, ssNone), kNoKey);
  EXPECT_EQ(log, std::vector<std::string>{"mnuIncluir"});
}

TEST_F(KeyRouting, DisabledItemsLeaveTheKeyToTheControl) {
  EXPECT_EQ(form.keyDown(VK_RETURN, ssCtrl), VK_RETURN);
  post.setEnabled(true);
  EXPECT_EQ(form.keyDown(VK_RETURN, ssCtrl), kNoKey);
  EXPECT_EQ(log, (std::vector<std::string>{"grid Enter", "mnuPost"}));
}

TEST_F(KeyRouting, PreviewSeesKeysBeforeTheControl) {
  form.onKeyDown = [this](Key& key, ShiftState) {
    log.push_back("form " + keyName(key));
    if (key == VK_ESCAPE) key = kNoKey;
  };
  EXPECT_EQ(form.keyDown(VK_ESCAPE, ssNone), VK_ESCAPE);  // preview is off
  form.setKeyPreview(true);
  EXPECT_EQ(form.keyDown(VK_ESCAPE, ssNone), kNoKey);
  EXPECT_EQ(form.keyDown(VK_DELETE, ssNone), kNoKey);
  EXPECT_EQ(form.keyDown(VK_F3, ssNone), VK_F3);
  const std::vector<std::string> expected = {"grid Esc", "form Esc", "form Del",
                                             "grid Del", "form F3",  "grid F3"};
  EXPECT_EQ(log, expected);
}

TEST_F(KeyRouting, TypedCharactersGoThroughPreviewThenControl) {
  form.setKeyPreview(true);
  form.onKeyPress = [](char32_t& c) {
    if (c == 27) c = 0;
  };
  grid.onKeyPress = [](char32_t& c) {
    if (c != U'ç') c = 0;
  };
  EXPECT_EQ(form.keyPress(27), 0u);
  EXPECT_EQ(form.keyPress(U'a'), 0u);
  EXPECT_EQ(form.keyPress(U'ç'), U'ç');
}

TEST(FormTest, CloseAsksThenHides) {
  Form form("frm");
  form.setVisible(true);
  bool allow = false;
  CloseAction action = CloseAction::None;
  form.onCloseQuery = [&allow](bool& canClose) { canClose = allow; };
  form.onClose = [&action](CloseAction& a) {
    EXPECT_EQ(a, CloseAction::Hide);
    a = action;
  };
  EXPECT_FALSE(form.close());
  allow = true;
  EXPECT_FALSE(form.close());
  EXPECT_TRUE(form.visible());
  action = CloseAction::Free;
  EXPECT_TRUE(form.close());
  EXPECT_FALSE(form.visible());
}

TEST(FormTest, ResizeRunsOnlyForSizeChangesAndCentres) {
  Form form("frm");
  int resizes = 0;
  form.onResize = [&resizes] { ++resizes; };
  form.setScreenSize(1280, 1024);
  form.setBounds(10, 10, 1000, 700);
  form.setBounds(20, 30, 1000, 700);
  form.setWidth(788);
  form.setWidth(788);
  EXPECT_EQ(resizes, 2);
  form.centerOnScreen();
  EXPECT_EQ(form.left(), 246);
  EXPECT_EQ(form.top(), 162);
  form.setScreenSize(1025, 768);
  form.centerOnScreen();
  EXPECT_EQ(form.left(), 118);  // (1025 - 788) / 2 rounded toward zero
  form.repaint();
  form.repaint();
  EXPECT_EQ(form.repaintCount(), 2);
}

}  // namespace
}  // namespace platform::ui
