#include "platform/ui/color.h"

#include <stdexcept>

namespace platform::ui {
namespace {

constexpr const char* kSystemNames[kSystemColorCount] = {
    "clWindow",    "clWindowText", "clHighlight", "clHighlightText", "clBtnFace", "clBtnText",
    "clBtnShadow", "clGrayText",   "clInfoBk",    "clInfoText",      "clMenu",    "clMenuText",
};

Palette makeDefaultPalette() {
  Palette p;
  p.set(SystemColor::Window, clWhite);
  p.set(SystemColor::WindowText, clBlack);
  p.set(SystemColor::Highlight, Color::rgb(0, 120, 215));
  p.set(SystemColor::HighlightText, clWhite);
  p.set(SystemColor::BtnFace, Color::rgb(240, 240, 240));
  p.set(SystemColor::BtnText, clBlack);
  p.set(SystemColor::BtnShadow, Color::rgb(160, 160, 160));
  p.set(SystemColor::GrayText, Color::rgb(109, 109, 109));
  p.set(SystemColor::InfoBk, Color::rgb(255, 255, 225));
  p.set(SystemColor::InfoText, clBlack);
  p.set(SystemColor::Menu, Color::rgb(240, 240, 240));
  p.set(SystemColor::MenuText, clBlack);
  return p;
}

}  // namespace

Color Color::fromNumber(int64_t number) {
  const auto bits = static_cast<uint32_t>(number);
  if ((bits & 0xFF000000u) == kSystemFlag && (bits & 0x00FFFFFFu) < kSystemColorCount) {
    return Color(bits);
  }
  return Color(bits & 0x00FFFFFFu);
}

std::string Color::debugString() const {
  if (isSystem()) return kSystemNames[static_cast<size_t>(systemColor())];
  return "rgb(" + std::to_string(red()) + "," + std::to_string(green()) + "," +
         std::to_string(blue()) + ")";
}

void Palette::set(SystemColor color, Color rgb) {
  if (rgb.isSystem()) throw std::invalid_argument("A palette holds RGB colours only");
  colors_[static_cast<size_t>(color)] = rgb;
}

const Palette& defaultPalette() {
  static const Palette palette = makeDefaultPalette();
  return palette;
}

Color resolve(Color color, const Palette& palette) {
  return color.isSystem() ? palette[color.systemColor()] : color;
}

}  // namespace platform::ui
