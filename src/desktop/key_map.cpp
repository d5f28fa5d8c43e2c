#include "desktop/key_map.h"

#include <QKeyEvent>

namespace desktop {

namespace ui = platform::ui;

ui::Key virtualKey(int qtKey) {
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
    return static_cast<ui::Key>(qtKey);
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
    return static_cast<ui::Key>(ui::VK_F1 + (qtKey - Qt::Key_F1));
  switch (qtKey) {
    case Qt::Key_Backspace:
      return ui::VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return ui::VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return ui::VK_RETURN;
    case Qt::Key_Shift:
      return ui::VK_SHIFT;
    case Qt::Key_Control:
      return ui::VK_CONTROL;
    case Qt::Key_Alt:
      return ui::VK_MENU;
    case Qt::Key_Escape:
      return ui::VK_ESCAPE;
    case Qt::Key_Space:
      return ui::VK_SPACE;
    case Qt::Key_PageUp:
      return ui::VK_PRIOR;
    case Qt::Key_PageDown:
      return ui::VK_NEXT;
    case Qt::Key_End:
      return ui::VK_END;
    case Qt::Key_Home:
      return ui::VK_HOME;
    case Qt::Key_Left:
      return ui::VK_LEFT;
    case Qt::Key_Up:
      return ui::VK_UP;
    case Qt::Key_Right:
      return ui::VK_RIGHT;
    case Qt::Key_Down:
      return ui::VK_DOWN;
    case Qt::Key_Insert:
      return ui::VK_INSERT;
    case Qt::Key_Delete:
      return ui::VK_DELETE;
    default:
      return ui::kNoKey;
  }
}

ui::ShiftState shiftState(Qt::KeyboardModifiers modifiers) {
  ui::ShiftState state;
  if (modifiers & Qt::ShiftModifier) state = state | ui::ssShift;
  if (modifiers & Qt::ControlModifier) state = state | ui::ssCtrl;
  if (modifiers & Qt::AltModifier) state = state | ui::ssAlt;
  return state;
}

char32_t typedChar(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
      return 0;
    default:
      break;
  }
  const bool ctrl = (event.modifiers() & Qt::ControlModifier) != 0;
  const bool alt = (event.modifiers() & Qt::AltModifier) != 0;
  if (ctrl && !alt && event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z)
    return static_cast<char32_t>(event.key() - Qt::Key_A + 1);
  const QString text = event.text();
  if (text.isEmpty()) return 0;
  const char32_t c = text.toUcs4().value(0);
  return c >= 32 && c != 127 ? c : 0;
}

}  // namespace desktop
