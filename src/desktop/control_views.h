// The Qt widgets that show the plain controls of the presentation model: panels, shapes,
// splitters, navigators and page controls. Each only paints what its control holds and reports
// the user's gestures back through callbacks; the renderer applies the model to them.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/db_controls.h"
#include "platform/ui/page_control.h"

class QTabBar;
class QToolButton;

namespace desktop {

// A panel: its colour, a raised bevel and its caption by its alignment.
class PanelView : public QWidget {
 public:
  PanelView(platform::ui::Panel& panel, QWidget* parent);
  void refresh();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  platform::ui::Panel& panel_;
};

class ShapeView : public QWidget {
 public:
  ShapeView(platform::ui::Shape& shape, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  platform::ui::Shape& shape_;
};

// A bar the user drags; `onDragged` gets the distance moved along the splitter's axis.
class SplitterView : public QWidget {
 public:
  SplitterView(platform::ui::Splitter& splitter, QWidget* parent);
  void refresh();
  std::function<void(int delta)> onDragged;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  platform::ui::Splitter& splitter_;
  int pressedAt_ = 0;
};

// The navigator's visible buttons in a row, with their hints; a button is enabled while the
// move makes sense for the cursor (`canPress`).
class NavigatorView : public QWidget {
 public:
  NavigatorView(platform::ui::DBNavigator& navigator, QWidget* parent);
  // Rebuilds the buttons when the visible set changed and updates hints and enabling.
  void refresh(const std::function<bool(platform::ui::NavigateButton)>& canPress);
  std::function<void(platform::ui::NavigateButton)> onPressed;
  // The button widget of `button`, or null when it is not shown.
  QToolButton* button(platform::ui::NavigateButton button) const;

 private:
  platform::ui::DBNavigator& navigator_;
  platform::ui::NavigateButtons shown_;
  bool built_ = false;
  std::vector<std::pair<platform::ui::NavigateButton, QToolButton*>> buttons_;
};

// Tabs over a framed page area; the pages' widgets are children of this widget, placed by their
// own bounds over the area.
class PageControlView : public QWidget {
 public:
  PageControlView(platform::ui::PageControl& pages, QWidget* parent);
  // Tabs follow the pages: captions, hidden tabs, disabled pages, the active page.
  void refresh();
  // The area the pages fill, in this widget's coordinates.
  platform::ui::Rect pageArea() const;
  QTabBar* tabBar() const { return tabs_; }
  // The user picked the tab of page `index`.
  std::function<void(int index)> onTabPicked;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  platform::ui::PageControl& pages_;
  QTabBar* tabs_;
  bool syncing_ = false;
};

}  // namespace desktop
