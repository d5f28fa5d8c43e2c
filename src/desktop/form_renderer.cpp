#include "desktop/form_renderer.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <functional>

#include "desktop/align_layout.h"
#include "desktop/grid_view.h"
#include "desktop/key_map.h"
#include "desktop/qt_text.h"
#include "platform/data_source.h"

namespace desktop {

namespace ui = platform::ui;
using platform::ui::runUserEvent;

namespace {

ui::MouseButton mouseButton(Qt::MouseButton button) {
  switch (button) {
    case Qt::RightButton:
      return ui::MouseButton::Right;
    case Qt::MiddleButton:
      return ui::MouseButton::Middle;
    default:
      return ui::MouseButton::Left;
  }
}

void setBold(QWidget& widget, bool bold) {
  if (widget.font().bold() == bold) return;
  QFont font = widget.font();
  font.setBold(bold);
  widget.setFont(font);
}

}  // namespace

// Refreshes a control whenever the data source it shows tells of a change.
class FormRenderer::SourceWatch : public platform::DataSourceListener {
 public:
  SourceWatch(platform::DataSource* source, std::function<void()> refresh)
      : source_(source), refresh_(std::move(refresh)) {
    if (source_ != nullptr) source_->addListener(this);
  }
  ~SourceWatch() override {
    if (source_ != nullptr) source_->removeListener(this);
  }
  SourceWatch(const SourceWatch&) = delete;
  SourceWatch& operator=(const SourceWatch&) = delete;
  platform::DataSource* source() const { return source_; }

  void dataChanged(platform::DataSource&, const platform::Field*) override { refresh_(); }
  void stateChanged(platform::DataSource&) override { refresh_(); }
  void layoutChanged(platform::DataSource&) override { refresh_(); }

 private:
  platform::DataSource* source_;
  std::function<void()> refresh_;
};

FormRenderer::FormRenderer(ui::Form& form, QWidget& root, const ViewRegistry& views)
    : form_(form), root_(root), views_(views) {
  formObserver_ = form_.addComponentObserver(
      [this](ui::Component& sender, ui::Prop what) { changed(sender, what); });
  afterEventPass_ = ui::addAfterEventPass([this] { sync(); });
  QObject::connect(qApp, &QApplication::focusChanged, this,
                   [this](QWidget*, QWidget* now) { focusMoved(now); });
  try {
    sync();
  } catch (...) {
    release();
    throw;
  }
}

FormRenderer::~FormRenderer() {
  release();
}

void FormRenderer::release() {
  ui::removeAfterEventPass(afterEventPass_);
  form_.removeComponentObserver(formObserver_);
  watches_.clear();
  // The widgets go with the root; views holding model references must not outlive this.
  for (auto& [control, built] : built_)
    delete built.widget.data();
  built_.clear();
}

QWidget* FormRenderer::widgetOf(const ui::Control& control) const {
  const auto found = built_.find(&control);
  return found != built_.end() ? found->second.widget.data() : nullptr;
}

ControlView* FormRenderer::viewOf(const ui::Control& control) const {
  const auto found = built_.find(&control);
  if (found == built_.end() || found->second.widget == nullptr) return nullptr;
  return found->second.view;
}

GridView* FormRenderer::gridView(const ui::DBGrid& grid) const {
  return dynamic_cast<GridView*>(viewOf(grid));
}

ui::Control* FormRenderer::controlAt(const QWidget* widget) const {
  for (const QWidget* w = widget; w != nullptr && w != &root_; w = w->parentWidget()) {
    const auto found = controls_.find(w);
    if (found != controls_.end()) return found->second;
  }
  return nullptr;
}

ui::Rect FormRenderer::clientArea(const ui::Control& control) const {
  if (const ControlView* view = viewOf(control)) return view->clientArea();
  return {0, 0, control.width(), control.height()};
}

QSize FormRenderer::minimumSize() const {
  constexpr int kFill = 60;
  const MinimumSize size = desktop::minimumSize(
      form_, [this](const ui::Control& c) { return clientArea(c); }, kFill);
  return {size.width, size.height};
}

// ---- Building ---------------------------------------------------------------------------------

void FormRenderer::build(ui::Control& control) {
  if (widgetOf(control) != nullptr) return;
  QWidget* parent = &root_;
  if (control.parent() != nullptr) {
    build(*control.parent());
    parent = widgetOf(*control.parent());
  }
  ControlView* view = views_.make(control, *this, parent);
  QWidget* widget = &view->widget();
  widget->setObjectName(qs(control.name()));
  built_[&control] = {widget, view};
  controls_[widget] = &control;
  QObject::connect(widget, &QObject::destroyed, this, [this, widget] { controls_.erase(widget); });
  view->mouseTarget().installEventFilter(this);
}

// ---- Applying the model -----------------------------------------------------------------------

void FormRenderer::refresh(ui::Control& control) {
  ControlView* view = viewOf(control);
  if (view == nullptr) return;
  QWidget& widget = view->widget();
  const QRect bounds(control.left(), control.top(), control.width(), control.height());
  if (widget.geometry() != bounds) widget.setGeometry(bounds);
  const bool visible = control.shownInParent();
  if (widget.isHidden() == visible) widget.setVisible(visible);
  // Qt disables the children of a disabled widget by itself, as the model's effective enabling
  // does; only the control's own flag is set here.
  if (widget.testAttribute(Qt::WA_ForceDisabled) == control.enabled())
    widget.setEnabled(control.enabled());
  const QString hint = qs(control.hint());
  if (widget.toolTip() != hint) widget.setToolTip(hint);
  setBold(widget, control.fontBold());
  view->refresh();
  watchSource(control, view->shownSource());
}

void FormRenderer::watchSource(ui::Control& control, platform::DataSource* source) {
  auto& watch = watches_[&control];
  if (watch != nullptr && watch->source() == source) return;
  if (source == nullptr) {
    watch.reset();
    return;
  }
  watch = std::make_unique<SourceWatch>(source, [this, &control] { refresh(control); });
}

void FormRenderer::layout() {
  if (layingOut_ > 0) return;
  ++layingOut_;
  for (auto& [control, built] : built_)
    if (built.widget != nullptr) built.view->fitContent();
  alignControls(form_, [this](const ui::Control& c) { return clientArea(c); });
  --layingOut_;
}

void FormRenderer::sync() {
  for (size_t i = 0; i < form_.componentCount(); ++i)
    if (ui::Control* control = form_.componentAt(i).asControl()) build(*control);
  layout();
  for (size_t i = 0; i < form_.componentCount(); ++i)
    if (ui::Control* control = form_.componentAt(i).asControl()) refresh(*control);
  followFocus();
  if (afterSync) afterSync();
}

void FormRenderer::changed(ui::Component& sender, ui::Prop what) {
  if (&sender == &form_) {
    if (what == ui::Prop::Bounds) layout();
    if (what == ui::Prop::ActiveControl) followFocus();
    if (what == ui::Prop::Repaint) root_.update();
    return;
  }
  if (what == ui::Prop::Popup) {
    auto& menu = static_cast<ui::PopupMenu&>(sender);  // only menus pop up
    // A handler of a mouse release pops its menu up where the mouse was, whatever position
    // it passes (handlers tend to pass the control's own coordinates).
    const QPoint at = mouseUpAt_ ? *mouseUpAt_ : QPoint(menu.popupX(), menu.popupY());
    QList<QPointer<QAction>> extras;
    if (rightClicked_ != nullptr) {
      menuRaised_ = true;
      extras = desktopActions(*rightClicked_);
    }
    // After the handler that asked: a menu runs its own event loop.
    QPointer<FormRenderer> self(this);
    QTimer::singleShot(0, this, [self, &menu, at, extras] {
      if (self != nullptr) self->showMenu(&menu, at, extras);
    });
    return;
  }
  ui::Control* control = sender.asControl();
  if (control == nullptr) return;
  if (widgetOf(*control) == nullptr) build(*control);
  switch (what) {
    case ui::Prop::Parent:
      if (QWidget* widget = widgetOf(*control)) {
        QWidget* parent = control->parent() != nullptr ? widgetOf(*control->parent()) : &root_;
        if (parent != nullptr && widget->parentWidget() != parent) {
          widget->setParent(parent);
          widget->show();
        }
      }
      layout();
      refresh(*control);
      break;
    case ui::Prop::Bounds:
    case ui::Prop::Align:
      layout();
      refresh(*control);
      break;
    case ui::Prop::Visible:
    case ui::Prop::Pages:
    case ui::Prop::ActivePage:
    case ui::Prop::TabVisible:
      // What a control shows of its children, and a parent of what its children are (a page's
      // tab), may change with these.
      layout();
      refresh(*control);
      for (ui::Control* child : control->children())
        refresh(*child);
      if (control->parent() != nullptr) refresh(*control->parent());
      break;
    case ui::Prop::Enabled:
    case ui::Prop::Caption:
      refresh(*control);
      if (control->parent() != nullptr) refresh(*control->parent());
      break;
    case ui::Prop::Focus:
      followFocus();
      break;
    default:
      refresh(*control);
      break;
  }
}

// ---- Focus ------------------------------------------------------------------------------------

void FormRenderer::followFocus() {
  ui::Control* active = form_.activeControl();
  if (active == nullptr) return;
  QWidget* widget = widgetOf(*active);
  if (widget == nullptr || !widget->isVisible()) return;
  QWidget* focused = QApplication::focusWidget();
  if (focused != nullptr && controlAt(focused) == active) return;
  if (!root_.isActiveWindow()) return;
  settingFocus_ = true;
  widget->setFocus(Qt::OtherFocusReason);
  settingFocus_ = false;
}

void FormRenderer::focusMoved(QWidget* now) {
  if (settingFocus_ || now == nullptr || now->window() != root_.window()) return;
  ui::Control* control = controlAt(now);
  if (control == nullptr || control == form_.activeControl()) return;
  runUserEvent([this, control] { form_.setActiveControl(control); });
  if (form_.activeControl() != control) followFocus();
}

// ---- Mouse and menus --------------------------------------------------------------------------

bool FormRenderer::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
    return QObject::eventFilter(watched, event);
  auto* widget = qobject_cast<QWidget*>(watched);
  ui::Control* control = controlAt(widget);
  QWidget* controlWidget = control != nullptr ? widgetOf(*control) : nullptr;
  if (control == nullptr || controlWidget == nullptr) return false;
  auto* mouse = static_cast<QMouseEvent*>(event);
  if (type == QEvent::MouseButtonDblClick) {
    runUserEvent([control] { control->dblClick(); });
    return false;
  }
  const QPoint at = widget->mapTo(controlWidget, mouse->position().toPoint());
  const QPoint global = mouse->globalPosition().toPoint();
  const ui::MouseButton button = mouseButton(mouse->button());
  const ui::ShiftState shift = shiftState(mouse->modifiers());
  mouseUpAt_ = global;
  if (button == ui::MouseButton::Right) {
    rightClicked_ = control;
    menuRaised_ = false;
  }
  runUserEvent([control, button, shift, at, global] {
    control->mouseUp(button, shift, at.x(), at.y());
    if (button != ui::MouseButton::Right) return;
    for (ui::Control* c = control; c != nullptr; c = c->parent()) {
      if (c->popupMenu() == nullptr) continue;
      if (c->popupMenu()->autoPopup()) c->popupMenu()->popup(global.x(), global.y());
      break;
    }
  });
  mouseUpAt_.reset();
  if (button == ui::MouseButton::Right) {
    rightClicked_ = nullptr;
    // No menu of the screen's: the desktop's commands alone.
    QList<QPointer<QAction>> extras =
        menuRaised_ ? QList<QPointer<QAction>>() : desktopActions(*control);
    if (!extras.isEmpty()) {
      QPointer<FormRenderer> self(this);
      QTimer::singleShot(0, this, [self, global, extras] {
        if (self != nullptr) self->showMenu(nullptr, global, extras);
      });
    }
  }
  return false;
}

QList<QPointer<QAction>> FormRenderer::desktopActions(const ui::Control& control) const {
  QList<QPointer<QAction>> actions;
  QWidget* widget = widgetOf(control);
  if (widget == nullptr) return actions;
  for (QAction* action : widget->actions())
    actions << action;
  if (actions.isEmpty()) return actions;
  const QList<QAction*> window = root_.window()->actions();
  if (!window.isEmpty()) actions << nullptr;
  for (QAction* action : window)
    actions << action;
  return actions;
}

void FormRenderer::showMenu(ui::PopupMenu* menu, QPoint at,
                            const QList<QPointer<QAction>>& extras) {
  QMenu qmenu(&root_);
  const std::vector<ui::MenuItem*> none;
  for (ui::MenuItem* item : menu != nullptr ? menu->items() : none) {
    if (!item->visible()) continue;
    if (item->isSeparator()) {
      qmenu.addSeparator();
      continue;
    }
    QAction* action = qmenu.addAction(qs(item->caption()));
    action->setEnabled(item->enabled());
    action->setCheckable(item->checked());
    action->setChecked(item->checked());
    if (!item->shortCut().isNone()) {
      // Shown only: the form routes the keys itself.
      action->setText(action->text() + '\t' + qs(item->shortCut().text()));
    }
    QObject::connect(action, &QAction::triggered, this,
                     [item] { runUserEvent([item] { item->click(); }); });
  }
  bool separate = !qmenu.actions().isEmpty();
  for (const QPointer<QAction>& action : extras) {
    if (action == nullptr) {
      separate = true;
      continue;
    }
    if (separate) qmenu.addSeparator();
    separate = false;
    qmenu.addAction(action);
  }
  if (qmenu.actions().isEmpty()) return;
  qmenu.exec(at);
}

}  // namespace desktop
