// The platform Canvas on a QPainter: the screen's cell-painting handlers draw through it, with
// the system colours taken from the widget's palette.
#pragma once

#include <QColor>
#include <QPalette>
#include <QRect>

#include "platform/ui/canvas.h"
#include "platform/ui/color.h"

class QPainter;

namespace desktop {

// The palette colour that stands for a system colour (clInfoBk: tooltip base, clHighlight:
// highlight...), or the RGB colour itself.
QColor toQColor(platform::ui::Color color, const QPalette& palette);
// The platform's own palette filled from a Qt palette, for code that resolves colours itself.
platform::ui::Palette toUiPalette(const QPalette& palette);

inline QRect toQRect(const platform::ui::Rect& rect) {
  return QRect(rect.left, rect.top, rect.width(), rect.height());
}
inline platform::ui::Rect toUiRect(const QRect& rect) {
  return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

class QPainterCanvas : public platform::ui::Canvas {
 public:
  // REQUIRES: `painter` is active and outlives the canvas. The painter's font is the base font;
  // the canvas only switches bold on and off. Its state is restored when the canvas goes away.
  QPainterCanvas(QPainter& painter, const QPalette& palette);
  ~QPainterCanvas() override;
  QPainterCanvas(const QPainterCanvas&) = delete;
  QPainterCanvas& operator=(const QPainterCanvas&) = delete;

  void fillRect(const platform::ui::Rect& rect) override;
  // The background behind the text (its advance by the font's height) takes the brush colour.
  void textOut(int x, int y, std::string_view text) override;
  void textRect(const platform::ui::Rect& clip, int x, int y, std::string_view text) override;
  int textWidth(std::string_view text) const override;

 private:
  void applyFont() const;
  void drawText(int x, int y, std::string_view text);

  QPainter& painter_;
  QPalette palette_;
};

}  // namespace desktop
