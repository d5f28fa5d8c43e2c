// The views of the plain and data-aware controls (the grid's is in grid_view.h). Each paints or
// shows what its control holds and hands the user's gestures to the control as user events;
// what a gesture does is the control's business.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QWidget>
#include <vector>

#include "desktop/control_view.h"
#include "platform/ui/controls.h"
#include "platform/ui/db_controls.h"
#include "platform/ui/page_control.h"

class QTabBar;

namespace desktop {

// A panel: its colour, a raised bevel and its caption by its alignment.
class PanelView : public ViewOf<QWidget, platform::ui::Panel> {
 public:
  PanelView(platform::ui::Panel& panel, FormRenderer& renderer, QWidget* parent);
  void refresh() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

class GroupBoxView : public ViewOf<QGroupBox, platform::ui::GroupBox> {
 public:
  using ViewOf::ViewOf;
  void refresh() override;
  platform::ui::Rect clientArea() const override;
};

// Sizes itself to its caption, as the classic auto-sized label does.
class LabelView : public ViewOf<QLabel, platform::ui::Label> {
 public:
  using ViewOf::ViewOf;
  void refresh() override;
  void fitContent() override;
};

// A tool-bar button: a standard icon for the suite's known buttons, its caption, or the initials
// of its hint; checkable while it belongs to a group.
class ButtonView : public ViewOf<QToolButton, platform::ui::Button> {
 public:
  ButtonView(platform::ui::Button& button, FormRenderer& renderer, QWidget* parent);
  void refresh() override;
};

// A read-only number, right-aligned.
class NumberEditView : public ViewOf<QLineEdit, platform::ui::NumberEdit> {
 public:
  NumberEditView(platform::ui::NumberEdit& edit, FormRenderer& renderer, QWidget* parent);
  void refresh() override;
};

// The field's display text, its edit text while focused, the user's text while typed; typing
// goes to the edit (DBEdit::changeText) and a finished change is written (commitText).
class DBEditView : public ViewOf<QLineEdit, platform::ui::DBEdit> {
 public:
  DBEditView(platform::ui::DBEdit& edit, FormRenderer& renderer, QWidget* parent);
  void refresh() override;
  platform::DataSource* shownSource() const override { return control().dataSource(); }

 private:
  bool typing_ = false;  // the edit held typed text at the last refresh
};

class DBTextView : public ViewOf<QLabel, platform::ui::DBText> {
 public:
  using ViewOf::ViewOf;
  void refresh() override;
  platform::DataSource* shownSource() const override { return control().dataSource(); }
};

class ShapeView : public ViewOf<QWidget, platform::ui::Shape> {
 public:
  using ViewOf::ViewOf;
  void refresh() override { update(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A bar the user drags (Splitter::drag).
class SplitterView : public ViewOf<QWidget, platform::ui::Splitter> {
 public:
  SplitterView(platform::ui::Splitter& splitter, FormRenderer& renderer, QWidget* parent);
  void refresh() override;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  // A raised bar with a grip in its middle, so the user sees there is something to drag.
  void paintEvent(QPaintEvent* event) override;

 private:
  bool vertical() const;
  int pressedAt_ = 0;
};

// The navigator's visible buttons in a row, with their hints, each enabled as the navigator
// says (DBNavigator::buttonEnabled); a click presses the navigator's button.
class NavigatorView : public ViewOf<QWidget, platform::ui::DBNavigator> {
 public:
  NavigatorView(platform::ui::DBNavigator& navigator, FormRenderer& renderer, QWidget* parent);
  // Rebuilds the buttons when the visible set changed and updates hints and enabling.
  void refresh() override;
  platform::DataSource* shownSource() const override { return control().dataSource(); }
  // The button widget of `button`, or null when it is not shown.
  QToolButton* button(platform::ui::NavigateButton button) const;

 private:
  platform::ui::NavigateButtons shown_;
  bool built_ = false;
  std::vector<std::pair<platform::ui::NavigateButton, QToolButton*>> buttons_;
};

// Tabs over a framed page area; the pages' widgets are children of this widget, placed by their
// own bounds over the area. Picking a tab selects the page (PageControl::selectPage).
class PageControlView : public ViewOf<QWidget, platform::ui::PageControl> {
 public:
  PageControlView(platform::ui::PageControl& pages, FormRenderer& renderer, QWidget* parent);
  // Tabs follow the pages: captions, hidden tabs, disabled pages, the active page.
  void refresh() override;
  platform::ui::Rect clientArea() const override;
  // The area the pages fill, in this widget's coordinates.
  platform::ui::Rect pageArea() const;
  QTabBar* tabBar() const { return tabs_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void picked(int index);

  QTabBar* tabs_;
  bool syncing_ = false;
};

// A page: its colour over the page control's area.
class TabSheetView : public ViewOf<QWidget, platform::ui::TabSheet> {
 public:
  TabSheetView(platform::ui::TabSheet& page, FormRenderer& renderer, QWidget* parent);
  void refresh() override;
};

}  // namespace desktop
