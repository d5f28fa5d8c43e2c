// Renders a form's presentation model as Qt widgets: one view per control, of the class the
// view registry gives its kind (control_view.h), placed by the control's bounds inside its
// parent's widget, docked controls laid out first (align_layout.h). Each change notification
// updates the widget concerned at once, and after every user event a full, cheap pass brings
// every widget in line with its control. The user's gestures go back to the model as user
// events (platform/ui/user_event.h); the widgets decide nothing themselves.
#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

#include "desktop/control_view.h"
#include "platform/ui/ui.h"

class QAction;
class QWidget;

namespace desktop {

class GridView;

class FormRenderer : public QObject {
 public:
  // Builds the widgets of every control of `form` under `root`, whose area is the form's client
  // area, with the views of `views`. REQUIRES: `form`, its components and the data sources they
  // are bound to outlive the renderer; `views` has a view for every kind the form holds.
  FormRenderer(platform::ui::Form& form, QWidget& root,
               const ViewRegistry& views = ViewRegistry::standard());
  ~FormRenderer() override;
  FormRenderer(const FormRenderer&) = delete;
  FormRenderer& operator=(const FormRenderer&) = delete;

  platform::ui::Form& form() const { return form_; }
  QWidget& root() const { return root_; }
  // The widget of a control; null before it is built.
  QWidget* widgetOf(const platform::ui::Control& control) const;
  // The view of a control; null before it is built.
  ControlView* viewOf(const platform::ui::Control& control) const;
  GridView* gridView(const platform::ui::DBGrid& grid) const;
  // The control whose widget is `widget` or holds it; null outside this form.
  platform::ui::Control* controlAt(const QWidget* widget) const;

  // The full pass: builds widgets for controls created since, docks the aligned controls and
  // applies every control's properties. Runs after every user event.
  void sync();
  // Applies one control's properties to its widget now.
  void refresh(platform::ui::Control& control);
  // Where the children of `control` dock, in its own coordinates.
  platform::ui::Rect clientArea(const platform::ui::Control& control) const;
  // The smallest root size at which no visible control loses room (align_layout.h), a filling
  // control keeping room for a grid's titles and a few rows.
  QSize minimumSize() const;

  // Runs at the end of every full pass (sync).
  std::function<void()> afterSync;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class SourceWatch;
  struct Built {
    QPointer<QWidget> widget;
    ControlView* view = nullptr;  // lives as long as `widget`
  };

  // Unhooks from the form and deletes the widgets.
  void release();
  void build(platform::ui::Control& control);
  void layout();
  void changed(platform::ui::Component& sender, platform::ui::Prop what);
  void followFocus();
  void focusMoved(QWidget* now);
  // `extras` (desktopActions) follow the menu's items; a null entry is a separator.
  void showMenu(platform::ui::PopupMenu* menu, QPoint at, const QList<QPointer<QAction>>& extras);
  // The desktop's commands a right click on `control` offers after the screen's menu: those
  // its widget carries (a grid's "Exportar…") and, when it carries some, its window's.
  QList<QPointer<QAction>> desktopActions(const platform::ui::Control& control) const;
  void watchSource(platform::ui::Control& control, platform::DataSource* source);

  platform::ui::Form& form_;
  QWidget& root_;
  const ViewRegistry& views_;
  std::unordered_map<const platform::ui::Control*, Built> built_;
  std::unordered_map<const QWidget*, platform::ui::Control*> controls_;
  std::unordered_map<const platform::ui::Control*, std::unique_ptr<SourceWatch>> watches_;
  int formObserver_ = 0;
  int afterEventPass_ = 0;
  int layingOut_ = 0;
  bool settingFocus_ = false;
  // The mouse's screen position while a mouse release is being handled.
  std::optional<QPoint> mouseUpAt_;
  // While a right click is being handled: the control clicked, and whether a menu popped up.
  const platform::ui::Control* rightClicked_ = nullptr;
  bool menuRaised_ = false;
};

}  // namespace desktop
