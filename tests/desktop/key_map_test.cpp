#include "desktop/key_map.h"

#include <gtest/gtest.h>

#include <QKeyEvent>

namespace desktop {
namespace {

namespace ui = platform::ui;

TEST(KeyMap, QtKeysBecomeVirtualKeys) {
  const struct {
    int qt;
    ui::Key vk;
  } cases[] = {
      {Qt::Key_T, ui::keyOf('t')},       {Qt::Key_7, ui::keyOf('7')},
      {Qt::Key_F3, ui::VK_F3},           {Qt::Key_F12, ui::VK_F12},
      {Qt::Key_Return, ui::VK_RETURN},   {Qt::Key_Enter, ui::VK_RETURN},
      {Qt::Key_Escape, ui::VK_ESCAPE},   {Qt::Key_Insert, ui::VK_INSERT},
      {Qt::Key_Delete, ui::VK_DELETE},   {Qt::Key_Backtab, ui::VK_TAB},
      {Qt::Key_PageDown, ui::VK_NEXT},   {Qt::Key_Down, ui::VK_DOWN},
      {Qt::Key_Control, ui::VK_CONTROL}, {Qt::Key_Comma, ui::kNoKey},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.qt);
    EXPECT_EQ(virtualKey(c.qt), c.vk);
  }
}

TEST(KeyMap, ModifiersBecomeShiftStates) {
  EXPECT_EQ(shiftState(Qt::NoModifier), ui::ssNone);
  EXPECT_EQ(shiftState(Qt::ControlModifier), ui::ssCtrl);
  EXPECT_EQ(shiftState(Qt::ControlModifier | Qt::ShiftModifier), ui::ssCtrl | ui::ssShift);
  EXPECT_EQ(shiftState(Qt::AltModifier | Qt::KeypadModifier), ui::ssAlt);
}

TEST(KeyMap, TypedCharacters) {
  const struct {
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    char32_t typed;
  } cases[] = {
      {Qt::Key_Escape, Qt::NoModifier, "\x1b", 27},
      {Qt::Key_Return, Qt::NoModifier, "\r", 13},
      {Qt::Key_Backspace, Qt::NoModifier, "\b", 8},
      {Qt::Key_A, Qt::NoModifier, "a", U'a'},
      {Qt::Key_C, Qt::ShiftModifier, QString::fromUtf8("Ç"), U'Ç'},
      {Qt::Key_T, Qt::ControlModifier, "\x14", 20},
      {Qt::Key_Delete, Qt::NoModifier, "\x7f", 0},
      {Qt::Key_Tab, Qt::NoModifier, "\t", 0},
      {Qt::Key_F3, Qt::NoModifier, "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    const QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers, c.text);
    EXPECT_EQ(typedChar(event), c.typed);
  }
}

}  // namespace
}  // namespace desktop
