#include "desktop/cursor_control.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>

namespace desktop {
namespace {

using remote::CursorShape;

int overrideDepth() {
  // Counts the stacked override cursors by taking them off, then puts them back.
  int depth = 0;
  while (QGuiApplication::overrideCursor() != nullptr) {
    QGuiApplication::restoreOverrideCursor();
    ++depth;
  }
  for (int i = 0; i < depth; ++i)
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  return depth;
}

TEST(CursorControl, TheHourglassIsOneOverrideCursorHoweverOftenAskedFor) {
  {
    QtCursorControl cursor;
    EXPECT_EQ(cursor.cursor(), CursorShape::Default);
    cursor.setCursor(CursorShape::HourGlass);
    cursor.setCursor(CursorShape::HourGlass);
    EXPECT_EQ(cursor.cursor(), CursorShape::HourGlass);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_EQ(overrideDepth(), 1);
    cursor.setCursor(CursorShape::Default);
    EXPECT_EQ(overrideDepth(), 0);
    cursor.setCursor(CursorShape::Default);  // nothing to take off
    EXPECT_EQ(overrideDepth(), 0);
    cursor.setCursor(CursorShape::HourGlass);
  }
  // Going away with the hourglass on takes it off.
  EXPECT_EQ(overrideDepth(), 0);
}

}  // namespace
}  // namespace desktop
