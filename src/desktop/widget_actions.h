// The desktop's own commands on the screen's widgets, beside the screen's: exporting what a grid
// shows, printing the month. Whoever installs a set of them gets them on every grid view and
// form window built while installed; a grid's right-click menu offers the grid's commands and,
// with them, its window's (FormRenderer).
#pragma once

class QAction;
class QWidget;

namespace desktop {

class FormWindow;
class GridView;

class WidgetActions {
 public:
  virtual ~WidgetActions() = default;
  // Adds the commands on one grid to `view` (QWidget::addAction), shortcuts included.
  virtual void addTo(GridView&) {}
  // Adds the commands on the whole window to `window`.
  virtual void addTo(FormWindow&) {}

  // Runs every installed set's addTo on the view or window, in installation order.
  static void decorate(GridView& view);
  static void decorate(FormWindow& window);
};

// Installs a set for its lifetime. REQUIRES: `actions` outlives this object; scopes end in the
// reverse order of their start.
class ScopedWidgetActions {
 public:
  explicit ScopedWidgetActions(WidgetActions& actions);
  ~ScopedWidgetActions();
  ScopedWidgetActions(const ScopedWidgetActions&) = delete;
  ScopedWidgetActions& operator=(const ScopedWidgetActions&) = delete;

 private:
  WidgetActions& actions_;
};

}  // namespace desktop
