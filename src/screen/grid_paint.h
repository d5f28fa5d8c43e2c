// What the screen's painted grids share: the colours a cell starts from and the text placement.
#pragma once

#include <string>

#include "platform/ui/canvas.h"
#include "platform/ui/db_grid.h"

namespace screen {

inline const platform::ui::Color kWarningRed = platform::ui::Color::rgb(255, 0, 0);

// Fills the cell and sets highlight colours when it is selected, tooltip background and window
// text otherwise. Answers whether the cell is selected (selected cells never show warnings).
inline bool startCell(platform::ui::Canvas& canvas, const platform::ui::Rect& rect,
                      platform::ui::GridDrawState state) {
  using namespace platform::ui;
  canvas.fillRect(rect);
  const bool selected = state.contains(DrawFlag::Selected);
  canvas.setBrushColor(selected ? clHighlight : clInfoBk);
  canvas.setFontColor(selected ? clHighlightText : clWindowText);
  return selected;
}

// Draws a cell's text 3 pixels below the top: left-aligned 3 pixels in, or right-aligned ending
// 2 pixels before the right edge.
inline void drawCellText(platform::ui::Canvas& canvas, const platform::ui::Rect& rect,
                         const std::string& text, bool leftAligned) {
  const int x = leftAligned ? rect.left + 3 : rect.right - canvas.textWidth(text) - 2;
  canvas.textRect(rect, x, rect.top + 3, text);
}

}  // namespace screen
