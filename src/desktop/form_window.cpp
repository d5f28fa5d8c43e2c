#include "desktop/form_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <map>

#include "desktop/busy_animation.h"
#include "desktop/column_fit.h"
#include "desktop/form_renderer.h"
#include "desktop/grid_view.h"
#include "desktop/key_map.h"
#include "desktop/qt_text.h"
#include "desktop/widget_actions.h"
#include "platform/ui/user_event.h"

namespace desktop {
namespace {

namespace ui = platform::ui;
using platform::ui::runUserEvent;

std::map<const ui::Form*, FormWindow*>& windows() {
  static std::map<const ui::Form*, FormWindow*> instance;
  return instance;
}

}  // namespace

FormWindow::FormWindow(ui::Form& form, QWidget* parent) : QWidget(parent, Qt::Window), form_(form) {
  windows()[&form_] = this;
  // The screens are laid out for a small, narrow dialog font; keep their pixel layout.
  QFont small = font();
  small.setFamilies({QStringLiteral("DejaVu Sans Condensed"), small.family()});
  small.setPixelSize(11);
  setFont(small);
  setWindowTitle(qs(form_.windowTitle()));
  ++applying_;
  resize(form_.width(), form_.height());
  move(form_.left(), form_.top());
  --applying_;
  renderer_ = std::make_unique<FormRenderer>(form_, *this);
  renderer_->afterSync = [this] { applyMinimumSize(); };
  observer_ = form_.addObserver([this](ui::Component&, ui::Prop what) { formChanged(what); });
  qApp->installEventFilter(this);
  if (QScreen* screen = QGuiApplication::primaryScreen())
    form_.setScreenSize(screen->availableGeometry().width(), screen->availableGeometry().height());
  applyMinimumSize();
  WidgetActions::decorate(*this);
  applyVisibility();
}

FormWindow::~FormWindow() {
  qApp->removeEventFilter(this);
  form_.removeObserver(observer_);
  renderer_.reset();
  windows().erase(&form_);
}

FormWindow* FormWindow::of(const ui::Form* form) {
  const auto found = windows().find(form);
  return found != windows().end() ? found->second : nullptr;
}

void FormWindow::formChanged(ui::Prop what) {
  switch (what) {
    case ui::Prop::Caption:
      setWindowTitle(qs(form_.windowTitle()));
      break;
    case ui::Prop::Bounds:
    case ui::Prop::WindowState:
      applyGeometry();
      break;
    case ui::Prop::Visible:
      applyVisibility();
      break;
    default:
      break;
  }
}

void FormWindow::applyGeometry() {
  ++applying_;
  const bool maximized = form_.windowState() == ui::WindowState::Maximized;
  if (maximized && !isMaximized()) {
    showMaximized();
  } else if (!maximized) {
    if (isMaximized() || isMinimized()) showNormal();
    if (form_.windowState() == ui::WindowState::Minimized) showMinimized();
    if (size() != QSize(form_.width(), form_.height())) resize(form_.width(), form_.height());
    if (pos() != QPoint(form_.left(), form_.top())) move(form_.left(), form_.top());
  }
  --applying_;
}

void FormWindow::applyVisibility() {
  if (form_.visible() == isVisible()) return;
  if (form_.visible()) {
    if (!activated_) fitContent();
    ++applying_;
    if (form_.windowState() == ui::WindowState::Maximized)
      showMaximized();
    else
      show();
    --applying_;
    renderer_->sync();
    return;
  }
  closing_ = true;
  hide();
  closing_ = false;
  if (onClosed) onClosed();
}

void FormWindow::reportGeometry() {
  if (applying_ > 0 || isMaximized() || isMinimized()) return;
  const QRect g = geometry();
  if (g.width() == form_.width() && g.height() == form_.height() && pos().x() == form_.left() &&
      pos().y() == form_.top())
    return;
  runUserEvent([&] { form_.setBounds(pos().x(), pos().y(), g.width(), g.height()); });
}

void FormWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (isMaximized() && applying_ == 0) {
    // The maximised window's size is the form's while it stays maximised.
    const QSize s = size();
    if (s != QSize(form_.width(), form_.height()))
      runUserEvent([&] { form_.setBounds(form_.left(), form_.top(), s.width(), s.height()); });
    return;
  }
  reportGeometry();
}

void FormWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  reportGeometry();
}

void FormWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && applying_ == 0) {
    const ui::WindowState state = isMaximized()   ? ui::WindowState::Maximized
                                  : isMinimized() ? ui::WindowState::Minimized
                                                  : ui::WindowState::Normal;
    if (state != form_.windowState()) runUserEvent([&] { form_.setWindowState(state); });
  } else if (event->type() == QEvent::ActivationChange) {
    if (!isActiveWindow()) {
      // Another window of this application took over (a dialog): coming back is an activation.
      // Switching to another application is not.
      // The busy window does not count: it comes and goes inside the screen's own handling.
      QWidget* now = QApplication::activeWindow();
      deactivatedWithinApp_ =
          now != nullptr && now != this && dynamic_cast<BusyWindow*>(now) == nullptr;
    } else if (deactivatedWithinApp_) {
      deactivatedWithinApp_ = false;
      // An activation that failed showed its error in a dialog; closing that dialog must not
      // start the same failure again.
      if (activationFailed_)
        activationFailed_ = false;
      else
        activateForm();
    }
  }
}

void FormWindow::activateForm() {
  activationFailed_ = !runUserEvent([this] { form_.activate(); });
  // The load has given the grids their rows, whose texts may widen the columns.
  if (!activated_) {
    activated_ = true;
    fitContent();
  }
}

void FormWindow::fitContent() {
  if (form_.windowState() != ui::WindowState::Normal) return;
  int wider = 0;
  for (size_t i = 0; i < form_.componentCount(); ++i) {
    auto* grid = dynamic_cast<ui::DBGrid*>(&form_.componentAt(i));
    if (grid == nullptr || !grid->showing()) continue;
    if (const GridView* view = renderer_->gridView(*grid))
      wider = std::max(wider, wholeWidth(*view) - grid->width());
  }
  const int width = form_.width() + std::max(wider, 0);
  const QScreen* display = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
  const QRect available = display != nullptr ? display->availableGeometry() : QRect();
  const QSize frame = frameGeometry().size() - geometry().size();
  if (available.isValid() && (width + frame.width() > available.width() ||
                              form_.height() + frame.height() > available.height())) {
    runUserEvent([this] { form_.setWindowState(ui::WindowState::Maximized); });
    return;
  }
  if (width == form_.width()) return;
  runUserEvent([this, width] {
    form_.setWidth(width);
    form_.centerOnScreen();
  });
}

void FormWindow::applyMinimumSize() {
  const QSize wanted = renderer_->minimumSize();
  if (wanted == minimumSize()) return;
  ++applying_;
  setMinimumSize(wanted);
  --applying_;
  if (isMaximized() || (form_.width() >= wanted.width() && form_.height() >= wanted.height()))
    return;
  runUserEvent([this, wanted] {
    form_.setBounds(form_.left(), form_.top(), std::max(form_.width(), wanted.width()),
                    std::max(form_.height(), wanted.height()));
  });
}

void FormWindow::closeEvent(QCloseEvent* event) {
  if (closing_ || !form_.visible()) {
    event->accept();
    return;
  }
  bool closed = false;
  runUserEvent([&] { closed = form_.close(); });
  if (!closed && form_.visible()) event->ignore();
}

bool FormWindow::handleKey(const QKeyEvent& event) {
  const ui::Key key = virtualKey(event.key());
  if (key != ui::kNoKey) {
    ui::Key left = key;
    const ui::ShiftState shift = shiftState(event.modifiers());
    // A handler that fails ends the key there, as a refused key would.
    if (!runUserEvent([&] { left = form_.keyDown(key, shift); }) || left == ui::kNoKey) return true;
  }
  const char32_t typed = typedChar(event);
  if (typed == 0) return false;
  char32_t left = typed;
  if (!runUserEvent([&] { left = form_.keyPress(typed); }) || left == 0) return true;
  QWidget* focused = QApplication::focusWidget();
  if (left != typed) {
    // The handler typed another character instead: put that one in the edit.
    if (auto* edit = qobject_cast<QLineEdit*>(focused); edit != nullptr && !edit->isReadOnly())
      edit->insert(QString::fromUcs4(&left, 1));
    return true;
  }
  const ui::Control* control = renderer_->controlAt(focused);
  // Enter moves on from a control, but belongs to a grid (its editor).
  if (left == 13 && (control == nullptr || control->kind() != ui::ControlKind::DBGrid)) {
    focusNextChild();
    return true;
  }
  return false;
}

bool FormWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != this) return false;
  // A key travels up the parents when ignored; handle it once, where it first arrives.
  QWidget* focused = QApplication::focusWidget();
  if (focused != nullptr ? widget != focused : widget != this) return false;
  return handleKey(*static_cast<QKeyEvent*>(event));
}

}  // namespace desktop
