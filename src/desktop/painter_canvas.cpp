#include "desktop/painter_canvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>

namespace desktop {
namespace {

using platform::ui::SystemColor;

QColor systemColour(SystemColor color, const QPalette& palette) {
  switch (color) {
    case SystemColor::Window:
      return palette.color(QPalette::Active, QPalette::Base);
    case SystemColor::WindowText:
      return palette.color(QPalette::Active, QPalette::Text);
    case SystemColor::Highlight:
      return palette.color(QPalette::Active, QPalette::Highlight);
    case SystemColor::HighlightText:
      return palette.color(QPalette::Active, QPalette::HighlightedText);
    case SystemColor::BtnFace:
      return palette.color(QPalette::Active, QPalette::Button);
    case SystemColor::BtnText:
      return palette.color(QPalette::Active, QPalette::ButtonText);
    case SystemColor::BtnShadow:
      return palette.color(QPalette::Active, QPalette::Mid);
    case SystemColor::GrayText:
      return palette.color(QPalette::Disabled, QPalette::Text);
    case SystemColor::InfoBk:
      return palette.color(QPalette::Active, QPalette::ToolTipBase);
    case SystemColor::InfoText:
      return palette.color(QPalette::Active, QPalette::ToolTipText);
    case SystemColor::Menu:
      return palette.color(QPalette::Active, QPalette::Window);
    case SystemColor::MenuText:
      return palette.color(QPalette::Active, QPalette::WindowText);
  }
  return Qt::black;
}

QString toQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QColor toQColor(platform::ui::Color color, const QPalette& palette) {
  if (color.isSystem()) return systemColour(color.systemColor(), palette);
  return QColor(color.red(), color.green(), color.blue());
}

platform::ui::Palette toUiPalette(const QPalette& palette) {
  platform::ui::Palette result;
  for (size_t i = 0; i < platform::ui::kSystemColorCount; ++i) {
    const auto system = static_cast<SystemColor>(i);
    const QColor c = systemColour(system, palette);
    result.set(system, platform::ui::Color::rgb(static_cast<uint8_t>(c.red()),
                                                static_cast<uint8_t>(c.green()),
                                                static_cast<uint8_t>(c.blue())));
  }
  return result;
}

QPainterCanvas::QPainterCanvas(QPainter& painter, const QPalette& palette)
    : painter_(painter), palette_(palette) {
  painter_.save();
}

QPainterCanvas::~QPainterCanvas() {
  painter_.restore();
}

void QPainterCanvas::applyFont() const {
  if (painter_.font().bold() == fontBold()) return;
  QFont font = painter_.font();
  font.setBold(fontBold());
  painter_.setFont(font);
}

void QPainterCanvas::fillRect(const platform::ui::Rect& rect) {
  painter_.fillRect(toQRect(rect), toQColor(brushColor(), palette_));
}

void QPainterCanvas::drawText(int x, int y, std::string_view text) {
  applyFont();
  const QString qtext = toQString(text);
  const QFontMetrics metrics(painter_.font());
  const QRect box(x, y, metrics.horizontalAdvance(qtext), metrics.height());
  painter_.fillRect(box, toQColor(brushColor(), palette_));
  painter_.setPen(toQColor(fontColor(), palette_));
  painter_.drawText(QPoint(x, y + metrics.ascent()), qtext);
}

void QPainterCanvas::textOut(int x, int y, std::string_view text) {
  drawText(x, y, text);
}

void QPainterCanvas::textRect(const platform::ui::Rect& clip, int x, int y, std::string_view text) {
  painter_.save();
  const QRect qclip = toQRect(clip);
  painter_.fillRect(qclip, toQColor(brushColor(), palette_));
  painter_.setClipRect(qclip, Qt::IntersectClip);
  drawText(x, y, text);
  painter_.restore();
}

int QPainterCanvas::textWidth(std::string_view text) const {
  applyFont();
  return QFontMetrics(painter_.font()).horizontalAdvance(toQString(text));
}

}  // namespace desktop
