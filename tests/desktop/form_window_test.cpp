#include "desktop/form_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <stdexcept>

#include "desktop/busy_animation.h"
#include "desktop/control_views.h"
#include "desktop/dialog_driver.h"
#include "desktop/form_renderer.h"
#include "desktop/grid_view.h"
#include "desktop/message_dialogs.h"
#include "desktop/modal_loop.h"
#include "platform/abort.h"
#include "platform/client_dataset.h"
#include "platform/consiste.h"
#include "platform/data_source.h"
#include "platform/ui/ui.h"

namespace desktop {
namespace {

using namespace platform;
using namespace platform::ui;

// A small screen built by hand: a tool bar, two pages, a grid over a dataset, a panel of number
// edits docked at the bottom and an edit.
class TestScreen : public Form {
 public:
  TestScreen()
      : Form("frmTest"),
        bar(create<Panel>("panBotoes")),
        confirm(create<Button>("sbtConfirma", &bar)),
        toggle(create<Button>("sbtCustos", &bar)),
        pages(create<PageControl>("pgcPadrao")),
        first(create<TabSheet>("tshPlanejado", &pages)),
        second(create<TabSheet>("tshRealizado", &pages)),
        grid(create<DBGrid>("dbgTrabCusto", &first)),
        costs(create<Panel>("panCusto")),
        number(create<NumberEdit>("nedCustoPadrao", &costs)),
        title(create<Label>("lblTitulo", &costs)),
        edit(create<DBEdit>("dbeNome", &costs)),
        group(create<GroupBox>("grbCustoDia", &costs)),
        source(&days) {
    setBounds(10, 20, 700, 500);
    setCaption("Análise de Custos");
    bar.setAlign(Align::Left);
    bar.setWidth(40);
    confirm.setBounds(4, 4, 30, 30);
    confirm.setHint("Confirmar");
    toggle.setBounds(4, 40, 30, 30);
    toggle.setHint("Visualizar Acompanhamento de Custos");
    toggle.setGroupIndex(1);
    toggle.setAllowAllUp(true);
    pages.setAlign(Align::Client);
    first.setCaption("Planejado");
    second.setCaption("Realizado");
    grid.setAlign(Align::Client);
    grid.setColor(clInfoBk);
    costs.setAlign(Align::Bottom);
    costs.setHeight(120);
    number.setBounds(10, 10, 100, 21);
    number.setDecimals(5);
    title.setBounds(10, 40, 200, 13);
    title.setCaption("Custo Per Capita Dia");
    edit.setBounds(10, 60, 200, 21);
    group.setBounds(300, 5, 200, 100);
    group.setCaption("Dia 02/03/2026");

    days.addField("DTDATA", FieldType::Text, 10);
    days.addField("VRTOTPERC", FieldType::Float).setDisplayFormat("#,##0.00000");
    days.createDataSet();
    for (int d = 1; d <= 5; ++d) {
      days.append();
      days.fieldByName("DTDATA").setAsString("0" + std::to_string(d) + "/03/2026");
      days.fieldByName("VRTOTPERC").setAsFloat(d * 1.5);
      days.post();
    }
    days.first();
    grid.setDataSource(&source);
    grid.addColumn("DTDATA", "Data", 110);
    grid.addColumn("VRTOTPERC", "Custo Total Per Capita", 120, Alignment::Right);
    edit.setDataSource(&source);
    edit.setDataField("DTDATA");
  }

  Panel& bar;
  Button& confirm;
  Button& toggle;
  PageControl& pages;
  TabSheet& first;
  TabSheet& second;
  DBGrid& grid;
  Panel& costs;
  NumberEdit& number;
  Label& title;
  DBEdit& edit;
  GroupBox& group;
  ClientDataSet days{"cdsTrabCusto"};
  DataSource source;
};

class FormWindowTest : public ::testing::Test {
 protected:
  FormWindowTest() : errors_(&recorded_) {
    window_ = std::make_unique<FormWindow>(screen_);
    screen_.setVisible(true);
    window_->activateWindow();
    QApplication::processEvents();
  }

  template <class W>
  W* widget(const Control& control) const {
    return dynamic_cast<W*>(window_->renderer().widgetOf(control));
  }
  GridView* gridView() const { return widget<GridView>(screen_.grid); }
  // A point just inside a grid cell's left edge, in window coordinates.
  QPoint cellPoint(int row, int column) const {
    GridView* view = gridView();
    const QRect cell = view->visualRect(view->model()->index(row, column));
    return view->viewport()->mapTo(window_.get(), QPoint(cell.left() + 1, cell.center().y()));
  }
  QColor pixel(const QImage& image, QPoint p) const { return QColor(image.pixel(p)); }
  void pressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
  }

  RecordingErrorDisplay recorded_;
  ScopedErrorDisplay errors_;
  TestScreen screen_;
  std::unique_ptr<FormWindow> window_;
};

TEST_F(FormWindowTest, BuildsAWidgetPerControlWhereTheModelPutsIt) {
  EXPECT_EQ(window_->windowTitle(), QString::fromUtf8("Análise de Custos"));
  EXPECT_EQ(window_->size(), QSize(700, 500));
  EXPECT_NE(widget<PanelView>(screen_.bar), nullptr);
  EXPECT_NE(widget<QToolButton>(screen_.confirm), nullptr);
  EXPECT_NE(widget<PageControlView>(screen_.pages), nullptr);
  EXPECT_NE(widget<QLineEdit>(screen_.number), nullptr);
  EXPECT_NE(widget<QLabel>(screen_.title), nullptr);
  EXPECT_NE(widget<QGroupBox>(screen_.group), nullptr);
  EXPECT_NE(gridView(), nullptr);

  // Docked: the cost panel across the bottom, the bar on the left above it, the pages in
  // between, and the sizes written back to the model.
  EXPECT_EQ(screen_.bar.boundsRect(), (Rect{0, 0, 40, 380}));
  EXPECT_EQ(screen_.costs.boundsRect(), (Rect{0, 380, 700, 500}));
  EXPECT_EQ(screen_.pages.boundsRect(), (Rect{40, 0, 700, 380}));
  EXPECT_EQ(widget<QWidget>(screen_.costs)->geometry(), QRect(0, 380, 700, 120));
  EXPECT_EQ(widget<QWidget>(screen_.number)->geometry(), QRect(10, 10, 100, 21));

  EXPECT_EQ(widget<QToolButton>(screen_.confirm)->toolTip(), "Confirmar");
  EXPECT_EQ(widget<QGroupBox>(screen_.group)->title(), "Dia 02/03/2026");
  EXPECT_EQ(widget<QLineEdit>(screen_.edit)->text(), "01/03/2026");
  const QTabBar* tabs = widget<PageControlView>(screen_.pages)->tabBar();
  EXPECT_EQ(tabs->count(), 2);
  EXPECT_EQ(tabs->tabText(0), "Planejado");
}

TEST_F(FormWindowTest, ModelChangesReachTheWidgetsAtOnce) {
  screen_.number.SetNumber(1234.5);
  EXPECT_EQ(widget<QLineEdit>(screen_.number)->text(), "1.234,50000");
  screen_.title.setFontColor(clRed);
  EXPECT_EQ(widget<QLabel>(screen_.title)->palette().color(QPalette::WindowText),
            QColor(255, 0, 0));
  screen_.number.setColor(clRed);
  EXPECT_EQ(widget<QLineEdit>(screen_.number)->palette().color(QPalette::Base), QColor(255, 0, 0));
  screen_.confirm.setEnabled(false);
  EXPECT_FALSE(widget<QToolButton>(screen_.confirm)->isEnabled());
  screen_.group.setCaption("Dia 03/03/2026");
  EXPECT_EQ(widget<QGroupBox>(screen_.group)->title(), "Dia 03/03/2026");

  // Hiding the docked panel gives its room to the pages.
  screen_.costs.setVisible(false);
  EXPECT_TRUE(widget<QWidget>(screen_.costs)->isHidden());
  EXPECT_EQ(screen_.pages.height(), 500);

  screen_.pages.setActivePage(&screen_.second);
  EXPECT_EQ(widget<PageControlView>(screen_.pages)->tabBar()->currentIndex(), 1);
  EXPECT_TRUE(widget<QWidget>(screen_.first)->isHidden());
  EXPECT_FALSE(widget<QWidget>(screen_.second)->isHidden());

  screen_.days.next();
  EXPECT_EQ(widget<QLineEdit>(screen_.edit)->text(), "02/03/2026");
  EXPECT_EQ(gridView()->currentIndex().row(), 1);
}

TEST_F(FormWindowTest, ButtonsAndTabsRunTheirHandlersAsUserEvents) {
  int clicks = 0;
  screen_.toggle.onClick = [&] { ++clicks; };
  QToolButton* toggle = widget<QToolButton>(screen_.toggle);
  toggle->click();
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(screen_.toggle.down());
  EXPECT_TRUE(toggle->isChecked());
  toggle->click();
  EXPECT_FALSE(screen_.toggle.down());
  EXPECT_FALSE(toggle->isChecked());

  int changes = 0;
  screen_.pages.onChange = [&] { ++changes; };
  QTabBar* tabs = widget<PageControlView>(screen_.pages)->tabBar();
  tabs->setCurrentIndex(1);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(screen_.pages.activePage(), &screen_.second);

  // A refused change puts the tab back.
  screen_.pages.onChanging = [](bool& allow) { allow = false; };
  tabs->setCurrentIndex(0);
  EXPECT_EQ(screen_.pages.activePage(), &screen_.second);
  EXPECT_EQ(tabs->currentIndex(), 1);
}

TEST_F(FormWindowTest, HandlerFailuresAreShownAndAbortIsSilent) {
  screen_.confirm.onClick = [] { throw Abort(); };
  widget<QToolButton>(screen_.confirm)->click();
  EXPECT_TRUE(recorded_.shown().empty());

  screen_.confirm.onClick = [] { throw std::runtime_error("Servidor indisponível"); };
  widget<QToolButton>(screen_.confirm)->click();
  EXPECT_EQ(recorded_.texts(), std::vector<std::string>{"Servidor indisponível"});
}

TEST_F(FormWindowTest, CellsArePaintedByTheScreensHandler) {
  screen_.grid.onDrawColumnCell = [&](Canvas& canvas, const Rect& rect, int, Column& column,
                                      GridDrawState state) {
    if (state.contains(DrawFlag::Selected)) return;
    // Days costing more than 6 per diner are red.
    if (column.fieldName() == "VRTOTPERC" && screen_.days.fieldByName("VRTOTPERC").asFloat() > 6) {
      canvas.setBrushColor(clRed);
      canvas.fillRect(rect);
    }
  };
  screen_.grid.setOptions(screen_.grid.options().without(GridOption::Editing));
  window_->renderer().sync();
  const QImage image = window_->grab().toImage();
  const QColor infoBk = gridView()->palette().color(QPalette::ToolTipBase);
  const struct {
    int row;
    int column;
    QColor expected;
  } cases[] = {
      {4, 1, QColor(255, 0, 0)},  // 7,50000
      {3, 1, infoBk},             // 6,00000 is not above 6
      {2, 1, infoBk},             // 4,50000
      {4, 0, infoBk},             // another column of the red day
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.column));
    // Sampled at the cell's left edge, clear of the text.
    EXPECT_EQ(pixel(image, cellPoint(c.row, c.column)), c.expected);
  }
}

TEST_F(FormWindowTest, TheGridsCurrentRowFollowsTheUserAndRefusals) {
  GridView* view = gridView();
  view->setCurrentIndex(view->model()->index(3, 1));
  EXPECT_EQ(screen_.days.recNo(), 4);
  EXPECT_EQ(screen_.grid.selectedIndex(), 1);

  screen_.days.beforeScroll = [](ClientDataSet&) { throw Abort(); };
  view->setCurrentIndex(view->model()->index(0, 1));
  EXPECT_EQ(screen_.days.recNo(), 4);
  EXPECT_EQ(view->currentIndex().row(), 3);
}

TEST_F(FormWindowTest, TheGridsEditorOpensWhereTheGridAllowsAndFollowsIt) {
  GridView* view = gridView();
  QAbstractItemModel* model = view->model();
  const QModelIndex cost = model->index(0, 1);
  view->setCurrentIndex(cost);
  auto openEditor = [&](const QModelIndex& at) -> QLineEdit* {
    view->edit(at);
    return view->delegate().openEditor();
  };

  // A read-only column opens no editor.
  screen_.grid.column(0).setReadOnly(true);
  view->setCurrentIndex(model->index(0, 0));
  EXPECT_EQ(openEditor(model->index(0, 0)), nullptr);
  EXPECT_FALSE(screen_.grid.editorMode());

  // A refused edit puts the editor's text back and leaves the record alone.
  view->setCurrentIndex(cost);
  QLineEdit* editor = openEditor(cost);
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(screen_.grid.editorMode());
  const QString before = editor->text();
  EXPECT_EQ(before, "1,50000");
  screen_.days.beforeEdit = [](ClientDataSet&) { throw Abort(); };
  editor->setText("9");
  EXPECT_EQ(editor->text(), before);
  EXPECT_EQ(screen_.days.state(), DataSetState::Browse);
  screen_.days.beforeEdit = nullptr;
  editor->setText("9");
  EXPECT_EQ(screen_.days.state(), DataSetState::Edit);
  EXPECT_EQ(screen_.grid.editorText(), "9");

  // The grid closing its editor closes the widget; the text was not written.
  screen_.grid.hideEditor();
  QApplication::processEvents();
  EXPECT_EQ(view->delegate().openEditor(), nullptr);
  EXPECT_EQ(screen_.days.fieldByName("VRTOTPERC").asFloat(), 1.5);
  // And code opening it shows it, with the text code gave it.
  screen_.grid.setEditorText("7,25");
  screen_.grid.setEditorMode(true);
  ASSERT_NE(view->delegate().openEditor(), nullptr);
  EXPECT_EQ(view->delegate().openEditor()->text(), "7,25");
  screen_.grid.hideEditor();

  // An edit button, where the cell has one.
  int searches = 0;
  screen_.grid.onEditButtonClick = [&] { ++searches; };
  screen_.grid.column(1).setButtonStyle(ColumnButtonStyle::Ellipsis);
  editor = openEditor(cost);
  ASSERT_NE(editor, nullptr);
  auto* button = editor->findChild<QAction*>("editButton");
  ASSERT_NE(button, nullptr);
  button->trigger();
  EXPECT_EQ(searches, 1);
}

TEST_F(FormWindowTest, TheNavigatorMovesTheDatasetAndWritesTypingFirst) {
  auto& navigator = screen_.create<DBNavigator>("dbnCusto", &screen_.costs);
  navigator.setBounds(220, 60, 200, 22);
  navigator.setDataSource(&screen_.source);
  navigator.setVisibleButtons(
      {NavigateButton::First, NavigateButton::Prior, NavigateButton::Next, NavigateButton::Last});
  window_->renderer().sync();
  auto* view = widget<NavigatorView>(navigator);
  ASSERT_NE(view, nullptr);
  EXPECT_FALSE(view->button(NavigateButton::Prior)->isEnabled());
  EXPECT_TRUE(view->button(NavigateButton::Next)->isEnabled());
  EXPECT_EQ(view->button(NavigateButton::Insert), nullptr);

  // Typed into the edit, not yet finished: the navigator writes it to its own record first.
  auto* line = widget<QLineEdit>(screen_.edit);
  line->setFocus();
  QApplication::processEvents();
  line->selectAll();
  QTest::keyClicks(line, "Dia 1");
  view->button(NavigateButton::Next)->click();
  EXPECT_EQ(screen_.days.recNo(), 2);
  EXPECT_EQ(screen_.days.state(), DataSetState::Browse);
  EXPECT_EQ(line->text(), "02/03/2026");
  screen_.days.first();
  EXPECT_EQ(screen_.days.fieldByName("DTDATA").asString(), "Dia 1");
  screen_.days.next();
  EXPECT_EQ(screen_.days.fieldByName("DTDATA").asString(), "02/03/2026");
  EXPECT_TRUE(view->button(NavigateButton::Prior)->isEnabled());
  view->button(NavigateButton::Last)->click();
  EXPECT_EQ(screen_.days.recNo(), 5);
  EXPECT_FALSE(view->button(NavigateButton::Next)->isEnabled());
}

TEST_F(FormWindowTest, KeysGoThroughTheFormFirst) {
  std::vector<char32_t> pressed;
  screen_.setKeyPreview(true);
  screen_.onKeyPress = [&](char32_t& key) {
    pressed.push_back(key);
    if (key == U'x') key = 0;  // discarded
  };
  auto* line = widget<QLineEdit>(screen_.edit);
  line->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(screen_.activeControl(), &screen_.edit);

  line->clear();
  pressKey(line, Qt::Key_A, Qt::NoModifier, "a");
  pressKey(line, Qt::Key_X, Qt::NoModifier, "x");
  EXPECT_EQ(line->text(), "a");
  pressKey(line, Qt::Key_Escape);
  EXPECT_EQ(pressed, (std::vector<char32_t>{U'a', U'x', 27}));

  // A menu shortcut of the active control's menu consumes the key before the handlers.
  auto& menu = screen_.create<PopupMenu>("pmnPrato");
  auto& post = screen_.create<MenuItem>("mnuPost");
  post.setShortCut(ShortCut(VK_RETURN, ssCtrl));
  int posts = 0;
  post.onClick = [&] { ++posts; };
  menu.add(post);
  screen_.edit.setPopupMenu(&menu);
  pressKey(line, Qt::Key_Return, Qt::ControlModifier, "\r");
  EXPECT_EQ(posts, 1);
  EXPECT_EQ(pressed.size(), 3u);
}

TEST_F(FormWindowTest, ARightClickRunsMouseUpAndItsHandlersMenuOpensAtTheMouse) {
  auto& menu = screen_.create<PopupMenu>("pmnGrade");
  menu.setAutoPopup(false);
  auto& add = screen_.create<MenuItem>("mnuIncluir");
  add.setCaption("Incluir");
  add.setShortCut(ShortCut(VK_INSERT));
  auto& remove = screen_.create<MenuItem>("mnuExcluir");
  remove.setCaption("Excluir");
  remove.setEnabled(false);
  auto& hidden = screen_.create<MenuItem>("mnuTrocarIn");
  hidden.setCaption("Trocar");
  hidden.setVisible(false);
  for (MenuItem* item : {&add, &remove, &hidden})
    menu.add(*item);
  screen_.grid.setPopupMenu(&menu);
  std::vector<std::pair<int, int>> mouseUps;
  screen_.grid.onMouseUp = [&](MouseButton button, ShiftState, int x, int y) {
    mouseUps.emplace_back(x, y);
    if (button == MouseButton::Right) menu.popup(x, y);  // control coordinates, as screens do
  };
  int added = 0;
  add.onClick = [&] { ++added; };

  QStringList shown;
  QPoint menuAt;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (popup == nullptr) return;
    poll.stop();
    menuAt = popup->pos();
    for (QAction* action : popup->actions())
      shown << action->text().section('\t', 0, 0) + (action->isEnabled() ? "" : " (off)");
    popup->actions().front()->trigger();
    popup->close();
  });
  poll.start(10);

  QWidget* viewport = gridView()->viewport();
  QTest::mouseClick(viewport, Qt::RightButton, Qt::NoModifier, QPoint(30, 12));
  for (int i = 0; i < 50 && added == 0; ++i)
    QTest::qWait(10);

  ASSERT_EQ(mouseUps.size(), 1u);
  const QPoint inGrid = viewport->mapTo(gridView(), QPoint(30, 12));
  EXPECT_EQ(mouseUps[0], std::make_pair(inGrid.x(), inGrid.y()));
  EXPECT_EQ(shown, (QStringList{"Incluir", "Excluir (off)"}));
  EXPECT_EQ(menuAt, viewport->mapToGlobal(QPoint(30, 12)));
  EXPECT_EQ(added, 1);
}

TEST_F(FormWindowTest, EnterMovesToTheNextControl) {
  auto* line = widget<QLineEdit>(screen_.edit);
  line->setFocus();
  QApplication::processEvents();
  pressKey(line, Qt::Key_Return, Qt::NoModifier, "\r");
  QApplication::processEvents();
  EXPECT_NE(QApplication::focusWidget(), line);
}

TEST_F(FormWindowTest, ResizingTheWindowResizesTheFormAndRunsItsHandler) {
  int resizes = 0;
  screen_.onResize = [&] { ++resizes; };
  window_->resize(788, 520);
  QApplication::processEvents();
  EXPECT_EQ(screen_.width(), 788);
  EXPECT_EQ(screen_.height(), 520);
  EXPECT_GE(resizes, 1);
  EXPECT_EQ(screen_.costs.width(), 788);  // docked panels follow before the handler runs

  // And the other way: the screen narrows its window.
  screen_.setWidth(600);
  EXPECT_EQ(window_->width(), 600);
}

TEST_F(FormWindowTest, ClosingAsksTheForm) {
  bool allow = false;
  screen_.onCloseQuery = [&](bool& canClose) { canClose = allow; };
  window_->close();
  EXPECT_TRUE(screen_.visible());
  EXPECT_TRUE(window_->isVisible());
  allow = true;
  bool closed = false;
  window_->onClosed = [&] { closed = true; };
  window_->close();
  EXPECT_FALSE(screen_.visible());
  EXPECT_FALSE(window_->isVisible());
  EXPECT_TRUE(closed);
}

// The window manager's activations are played by hand: the offscreen platform makes none.
TEST_F(FormWindowTest, ComingBackFromADialogActivatesButTheBusyWindowDoesNot) {
  int activations = 0;
  screen_.onActivate = [&] { ++activations; };
  QApplication::setActiveWindow(window_.get());

  QtBusyAnimation busy([this](Form*) -> QWidget* { return window_.get(); });
  busy.ActiveShowAvi(&screen_, 6, "Calculando...");
  EXPECT_TRUE(busy.window()->testAttribute(Qt::WA_ShowWithoutActivating));
  QApplication::setActiveWindow(busy.window());
  busy.DeactiveShowAvi();
  QApplication::setActiveWindow(window_.get());
  EXPECT_EQ(activations, 0);

  QWidget dialog(nullptr, Qt::Dialog);
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  dialog.hide();
  QApplication::setActiveWindow(window_.get());
  EXPECT_EQ(activations, 1);

  // Another application in between is no activation of the screen.
  QApplication::setActiveWindow(nullptr);
  QApplication::setActiveWindow(window_.get());
  EXPECT_EQ(activations, 1);
}

TEST_F(FormWindowTest, AFailedActivationIsNotRepeatedWhenItsErrorIsDismissed) {
  int activations = 0;
  screen_.onActivate = [&] {
    ++activations;
    throw std::runtime_error("Tabela SINASAFRA inacessível");
  };
  QApplication::setActiveWindow(window_.get());
  window_->activateForm();  // fails; its error is shown in a dialog
  QWidget dialog(nullptr, Qt::Dialog);
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  dialog.hide();
  QApplication::setActiveWindow(window_.get());
  EXPECT_EQ(activations, 1);
  EXPECT_EQ(recorded_.texts(), std::vector<std::string>{"Tabela SINASAFRA inacessível"});
}

TEST(ModalLoop, RunsUntilTheFormClosesAndActivatesItFirst) {
  TestScreen screen;
  int activations = 0;
  screen.onActivate = [&] { ++activations; };
  QtModalLoop loop;
  bool shownVisible = false;
  loop.onShown = [&](FormWindow& window) {
    shownVisible = window.isVisible();
    screen.close();
  };
  loop.showModal(screen);
  EXPECT_TRUE(shownVisible);
  EXPECT_EQ(activations, 1);
  EXPECT_FALSE(screen.visible());
  EXPECT_EQ(FormWindow::of(&screen), nullptr);
}

}  // namespace
}  // namespace desktop
