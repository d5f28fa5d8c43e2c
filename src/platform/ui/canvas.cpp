#include "platform/ui/canvas.h"

namespace platform::ui {

void RecordingCanvas::fillRect(const Rect& rect) {
  calls_.push_back({Op::FillRect, rect, 0, 0, {}, brushColor(), fontColor(), fontBold()});
}

void RecordingCanvas::textOut(int x, int y, std::string_view text) {
  calls_.push_back(
      {Op::TextOut, {}, x, y, std::string(text), brushColor(), fontColor(), fontBold()});
}

void RecordingCanvas::textRect(const Rect& clip, int x, int y, std::string_view text) {
  calls_.push_back(
      {Op::TextRect, clip, x, y, std::string(text), brushColor(), fontColor(), fontBold()});
}

int RecordingCanvas::textWidth(std::string_view text) const {
  int codePoints = 0;
  for (char c : text) {
    // Continuation bytes (10xxxxxx) belong to the code point before them.
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++codePoints;
  }
  return codePoints * charWidth_;
}

std::vector<std::string> RecordingCanvas::texts() const {
  std::vector<std::string> out;
  for (const Call& call : calls_) {
    if (call.op != Op::FillRect) out.push_back(call.text);
  }
  return out;
}

const RecordingCanvas::Call* RecordingCanvas::lastText() const {
  for (auto it = calls_.rbegin(); it != calls_.rend(); ++it) {
    if (it->op != Op::FillRect) return &*it;
  }
  return nullptr;
}

}  // namespace platform::ui
