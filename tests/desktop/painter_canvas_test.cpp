#include "desktop/painter_canvas.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

namespace desktop {
namespace {

using namespace platform::ui;

QPalette testPalette() {
  QPalette palette;
  palette.setColor(QPalette::Base, QColor(250, 250, 250));
  palette.setColor(QPalette::Text, QColor(1, 2, 3));
  palette.setColor(QPalette::Highlight, QColor(10, 20, 200));
  palette.setColor(QPalette::HighlightedText, QColor(240, 241, 242));
  palette.setColor(QPalette::Button, QColor(212, 208, 200));
  palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 225));
  palette.setColor(QPalette::ToolTipText, QColor(4, 5, 6));
  return palette;
}

TEST(PainterCanvas, SystemColoursComeFromThePalette) {
  const QPalette palette = testPalette();
  const struct {
    Color color;
    QColor expected;
  } cases[] = {
      {clInfoBk, QColor(255, 255, 225)},
      {clHighlight, QColor(10, 20, 200)},
      {clHighlightText, QColor(240, 241, 242)},
      {clWindowText, QColor(1, 2, 3)},
      {clBtnFace, QColor(212, 208, 200)},
      {clWindow, QColor(250, 250, 250)},
      {clInfoText, QColor(4, 5, 6)},
      {clRed, QColor(255, 0, 0)},
      {Color::rgb(0, 128, 255), QColor(0, 128, 255)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.color.debugString());
    EXPECT_EQ(toQColor(c.color, palette), c.expected);
  }
  const Palette ui = toUiPalette(palette);
  EXPECT_EQ(resolve(clInfoBk, ui), Color::rgb(255, 255, 225));
  EXPECT_EQ(resolve(clHighlight, ui), Color::rgb(10, 20, 200));
}

class CanvasPixels : public ::testing::Test {
 protected:
  CanvasPixels() : image_(120, 40, QImage::Format_RGB32) { image_.fill(Qt::white); }
  QRgb at(int x, int y) const { return image_.pixel(x, y); }
  // Whether any pixel of the rectangle has exactly this colour.
  bool anyPixel(const QRect& rect, QColor colour) const {
    for (int y = rect.top(); y <= rect.bottom(); ++y)
      for (int x = rect.left(); x <= rect.right(); ++x)
        if (QColor(at(x, y)) == colour) return true;
    return false;
  }
  QImage image_;
};

TEST_F(CanvasPixels, FillsWithTheBrushColourInsideTheRectOnly) {
  {
    QPainter painter(&image_);
    QPainterCanvas canvas(painter, testPalette());
    canvas.setBrushColor(clInfoBk);
    canvas.fillRect({10, 5, 30, 15});
    canvas.setBrushColor(clRed);
    canvas.fillRect({40, 5, 60, 15});
  }
  EXPECT_EQ(QColor(at(10, 5)), QColor(255, 255, 225));
  EXPECT_EQ(QColor(at(29, 14)), QColor(255, 255, 225));
  EXPECT_EQ(QColor(at(30, 14)), QColor(Qt::white));  // right edge is exclusive
  EXPECT_EQ(QColor(at(45, 10)), QColor(255, 0, 0));
  EXPECT_EQ(QColor(at(45, 15)), QColor(Qt::white));  // bottom edge is exclusive
}

TEST_F(CanvasPixels, TextTakesTheFontColourOverTheBrush) {
  QRect textBox;
  {
    QPainter painter(&image_);
    QPainterCanvas canvas(painter, testPalette());
    canvas.setBrushColor(clYellow);
    canvas.setFontColor(clRed);
    canvas.textOut(5, 3, "MMM");
    const QFontMetrics metrics(painter.font());
    textBox = QRect(5, 3, canvas.textWidth("MMM"), metrics.height());
  }
  EXPECT_GT(textBox.width(), 0);
  EXPECT_TRUE(anyPixel(textBox, QColor(255, 0, 0)));
  EXPECT_EQ(QColor(at(textBox.left(), textBox.top())), QColor(255, 255, 0));
  EXPECT_FALSE(anyPixel(QRect(0, 0, 4, 40), QColor(255, 0, 0)));
}

TEST_F(CanvasPixels, TextRectClipsToItsRectangle) {
  {
    QPainter painter(&image_);
    QPainterCanvas canvas(painter, testPalette());
    canvas.setBrushColor(clHighlight);
    canvas.setFontColor(clHighlightText);
    canvas.textRect({0, 0, 20, 20}, 2, 2, "WWWWWWWWWW");
  }
  EXPECT_EQ(QColor(at(0, 0)), QColor(10, 20, 200));
  EXPECT_FALSE(anyPixel(QRect(20, 0, 100, 40), QColor(240, 241, 242)));
  EXPECT_FALSE(anyPixel(QRect(20, 0, 100, 40), QColor(10, 20, 200)));
}

TEST_F(CanvasPixels, BoldTextIsWiderAndThePainterIsRestored) {
  QPainter painter(&image_);
  const bool boldBefore = painter.font().bold();
  {
    QPainterCanvas canvas(painter, testPalette());
    const int plain = canvas.textWidth("Custo Total");
    canvas.setFontBold(true);
    EXPECT_GT(canvas.textWidth("Custo Total"), plain);
  }
  EXPECT_EQ(painter.font().bold(), boldBefore);
}

}  // namespace
}  // namespace desktop
