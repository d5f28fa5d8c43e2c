// The surface a grid cell is painted on. The screen's draw handlers set the brush and font and
// draw through this interface; the desktop backs it with its painter, tests with RecordingCanvas.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/color.h"

namespace platform::ui {

// Pixel rectangle; right and bottom are exclusive.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  constexpr int width() const { return right - left; }
  constexpr int height() const { return bottom - top; }
  constexpr bool operator==(const Rect&) const = default;
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  // The drawing state; each drawing call uses the state in force when it is made.
  Color brushColor() const { return brushColor_; }
  void setBrushColor(Color color) { brushColor_ = color; }
  Color fontColor() const { return fontColor_; }
  void setFontColor(Color color) { fontColor_ = color; }
  bool fontBold() const { return fontBold_; }
  void setFontBold(bool bold) { fontBold_ = bold; }

  // Fills the rectangle with the brush colour.
  virtual void fillRect(const Rect& rect) = 0;
  // Draws text in the font colour with its top-left corner at (x, y); the background behind the
  // glyphs is filled with the brush colour.
  virtual void textOut(int x, int y, std::string_view text) = 0;
  // As textOut, clipped to `clip`, whose background is filled with the brush colour first.
  virtual void textRect(const Rect& clip, int x, int y, std::string_view text) = 0;
  // Width in pixels the text takes in the current font.
  virtual int textWidth(std::string_view text) const = 0;

 private:
  Color brushColor_ = clWindow;
  Color fontColor_ = clWindowText;
  bool fontBold_ = false;
};

// Records every drawing call with the colours and font in force; measures text at a fixed width
// per character (UTF-8 code point), so alignment arithmetic can be checked exactly.
class RecordingCanvas : public Canvas {
 public:
  enum class Op { FillRect, TextOut, TextRect };
  struct Call {
    Op op = Op::FillRect;
    Rect rect;  // the filled rectangle or the clip of TextRect
    int x = 0;
    int y = 0;
    std::string text;
    Color brush;
    Color font;
    bool bold = false;
    bool operator==(const Call&) const = default;
  };

  explicit RecordingCanvas(int charWidth = 7) : charWidth_(charWidth) {}

  void fillRect(const Rect& rect) override;
  void textOut(int x, int y, std::string_view text) override;
  void textRect(const Rect& clip, int x, int y, std::string_view text) override;
  // Code points times the character width; not recorded.
  int textWidth(std::string_view text) const override;

  const std::vector<Call>& calls() const { return calls_; }
  // The texts drawn (TextOut and TextRect), in order.
  std::vector<std::string> texts() const;
  // The last TextOut or TextRect call, or nullptr when none was made.
  const Call* lastText() const;
  void clear() { calls_.clear(); }

 private:
  int charWidth_;
  std::vector<Call> calls_;
};

}  // namespace platform::ui
