// Colours of the presentation model: plain RGB values and the system colours the front end
// resolves through its palette (the tooltip background of the grids, the selection highlight...).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform::ui {

enum class SystemColor : uint8_t {
  Window,
  WindowText,
  Highlight,
  HighlightText,
  BtnFace,
  BtnText,
  BtnShadow,
  GrayText,
  InfoBk,
  InfoText,
  Menu,
  MenuText,
};
inline constexpr size_t kSystemColorCount = 12;

class Color {
 public:
  constexpr Color() = default;  // black
  static constexpr Color rgb(uint8_t red, uint8_t green, uint8_t blue) {
    return Color(static_cast<uint32_t>(red) | static_cast<uint32_t>(green) << 8 |
                 static_cast<uint32_t>(blue) << 16);
  }
  static constexpr Color system(SystemColor color) {
    return Color(kSystemFlag | static_cast<uint32_t>(color));
  }
  // A colour number as the database stores it: red in the lowest byte, then green, then blue.
  // A number with the system flag (0x80000000) and a known index is that system colour; any
  // other bits above the blue byte are ignored. Negative numbers are read as 32-bit values.
  static Color fromNumber(int64_t number);

  constexpr bool isSystem() const { return (value_ & kSystemFlag) != 0; }
  // REQUIRES: isSystem().
  constexpr SystemColor systemColor() const { return static_cast<SystemColor>(value_ & 0xFF); }
  // REQUIRES: !isSystem() (a system colour must be resolved first).
  constexpr uint8_t red() const { return static_cast<uint8_t>(value_ & 0xFF); }
  constexpr uint8_t green() const { return static_cast<uint8_t>(value_ >> 8 & 0xFF); }
  constexpr uint8_t blue() const { return static_cast<uint8_t>(value_ >> 16 & 0xFF); }
  // The inverse of fromNumber.
  constexpr int64_t toNumber() const { return value_; }

  constexpr bool operator==(const Color&) const = default;
  // "rgb(255,0,0)" or the system colour's name ("clHighlight"), for messages and test output.
  std::string debugString() const;

 private:
  static constexpr uint32_t kSystemFlag = 0x80000000u;
  constexpr explicit Color(uint32_t value) : value_(value) {}
  uint32_t value_ = 0;
};

inline constexpr Color clBlack = Color::rgb(0, 0, 0);
inline constexpr Color clMaroon = Color::rgb(128, 0, 0);
inline constexpr Color clGreen = Color::rgb(0, 128, 0);
inline constexpr Color clOlive = Color::rgb(128, 128, 0);
inline constexpr Color clNavy = Color::rgb(0, 0, 128);
inline constexpr Color clPurple = Color::rgb(128, 0, 128);
inline constexpr Color clTeal = Color::rgb(0, 128, 128);
inline constexpr Color clGray = Color::rgb(128, 128, 128);
inline constexpr Color clSilver = Color::rgb(192, 192, 192);
inline constexpr Color clRed = Color::rgb(255, 0, 0);
inline constexpr Color clLime = Color::rgb(0, 255, 0);
inline constexpr Color clYellow = Color::rgb(255, 255, 0);
inline constexpr Color clBlue = Color::rgb(0, 0, 255);
inline constexpr Color clFuchsia = Color::rgb(255, 0, 255);
inline constexpr Color clAqua = Color::rgb(0, 255, 255);
inline constexpr Color clWhite = Color::rgb(255, 255, 255);

inline constexpr Color clWindow = Color::system(SystemColor::Window);
inline constexpr Color clWindowText = Color::system(SystemColor::WindowText);
inline constexpr Color clHighlight = Color::system(SystemColor::Highlight);
inline constexpr Color clHighlightText = Color::system(SystemColor::HighlightText);
inline constexpr Color clBtnFace = Color::system(SystemColor::BtnFace);
inline constexpr Color clBtnText = Color::system(SystemColor::BtnText);
inline constexpr Color clBtnShadow = Color::system(SystemColor::BtnShadow);
inline constexpr Color clGrayText = Color::system(SystemColor::GrayText);
inline constexpr Color clInfoBk = Color::system(SystemColor::InfoBk);
inline constexpr Color clInfoText = Color::system(SystemColor::InfoText);
inline constexpr Color clMenu = Color::system(SystemColor::Menu);
inline constexpr Color clMenuText = Color::system(SystemColor::MenuText);

// The RGB value of every system colour.
class Palette {
 public:
  // REQUIRES: rgb is not a system colour, else std::invalid_argument.
  void set(SystemColor color, Color rgb);
  Color operator[](SystemColor color) const { return colors_[static_cast<size_t>(color)]; }

 private:
  std::array<Color, kSystemColorCount> colors_{};
};

// A light desktop palette: white windows, black text, blue selection, pale yellow tooltips.
const Palette& defaultPalette();

// The RGB value of a colour: system colours through the palette, others as they are.
Color resolve(Color color, const Palette& palette = defaultPalette());

}  // namespace platform::ui
