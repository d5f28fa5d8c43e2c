#include "desktop/cursor_control.h"

#include <QCursor>
#include <QGuiApplication>

namespace desktop {

QtCursorControl::~QtCursorControl() {
  if (shape_ == remote::CursorShape::HourGlass && QGuiApplication::instance() != nullptr)
    QGuiApplication::restoreOverrideCursor();
}

void QtCursorControl::setCursor(remote::CursorShape shape) {
  if (shape == shape_) return;
  // Override cursors stack; keep at most one of ours on the stack.
  if (shape == remote::CursorShape::HourGlass)
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QGuiApplication::restoreOverrideCursor();
  shape_ = shape;
}

}  // namespace desktop
