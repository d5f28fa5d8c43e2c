#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/ui/canvas.h"
#include "platform/ui/color.h"
#include "platform/ui/keys.h"

namespace platform::ui {
namespace {

const ShiftState kCtrlShift = ssCtrl | ssShift;
const ShiftState kAll = ssCtrl | ssAlt | ssShift;

TEST(ShortCutTest, TextOfTheMenuShortcuts) {
  struct Case {
    ShortCut shortCut;
    const char* text;
  };
  const Case kCases[] = {
      {ShortCut(VK_INSERT), "Ins"},
      {ShortCut(VK_DELETE, ssCtrl), "Ctrl+Del"},
      {ShortCut(keyOf('t'), ssCtrl), "Ctrl+T"},
      {ShortCut(VK_F3), "F3"},
      {ShortCut(VK_RETURN, ssCtrl), "Ctrl+Enter"},
      {ShortCut(VK_ESCAPE), "Esc"},
      {ShortCut(VK_PRIOR, ssAlt), "Alt+PgUp"},
      {ShortCut(VK_F12, kCtrlShift), "Ctrl+Shift+F12"},
      {ShortCut(keyOf('a'), kAll), "Ctrl+Alt+Shift+A"},
      {ShortCut(keyOf('7')), "7"},
      {ShortCut(VK_BACK), "Backspace"},
      {ShortCut(200), "Key 200"},
      {ShortCut(), ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.shortCut.text(), c.text);
    if (c.shortCut.key() != 200) {
      EXPECT_EQ(ShortCut::parse(c.text), c.shortCut);
    }
  }
}

TEST(ShortCutTest, ParsesLongNamesAndAnyCase) {
  struct Case {
    const char* text;
    ShortCut expected;
  };
  const Case kCases[] = {
      {"Insert", ShortCut(VK_INSERT)},
      {"ctrl+delete", ShortCut(VK_DELETE, ssCtrl)},
      {"CTRL+ENTER", ShortCut(VK_RETURN, ssCtrl)},
      {"Ctrl+Return", ShortCut(VK_RETURN, ssCtrl)},
      {"escape", ShortCut(VK_ESCAPE)},
      {"Shift+Ctrl+t", ShortCut(keyOf('T'), kCtrlShift)},
      {"Alt+PageDown", ShortCut(VK_NEXT, ssAlt)},
      {"f1", ShortCut(VK_F1)},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ShortCut::parse(c.text), c.expected);
  }
  for (const char* bad : {"Ctrl+", "Foo", "F13", "F0", "Hyper+A", "Ctrl+F1x", "+T"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(ShortCut::parse(bad), std::nullopt);
  }
}

TEST(ShortCutTest, MatchesExactModifiersOnly) {
  const ShortCut ctrlDel(VK_DELETE, ssCtrl);
  EXPECT_TRUE(ctrlDel.matches(VK_DELETE, ssCtrl));
  EXPECT_FALSE(ctrlDel.matches(VK_DELETE, kCtrlShift));
  EXPECT_FALSE(ctrlDel.matches(VK_DELETE, ssNone));
  EXPECT_FALSE(ctrlDel.matches(VK_INSERT, ssCtrl));
  EXPECT_FALSE(ShortCut().matches(kNoKey, ssNone));
}

TEST(ColorTest, NumbersFromTheDatabase) {
  struct Case {
    int64_t number;
    Color color;
  };
  const Case kCases[] = {
      {0, clBlack},
      {255, clRed},
      {0x00FF00, clLime},
      {0xFF0000, clBlue},
      {0x00FFFF, clYellow},
      {0x808080, clGray},
      {0xFFFFFF, clWhite},
      {0x01000000 | 255, clRed},     // bits above the blue byte are ignored
      {-1, clWhite},                 // read as a 32-bit value
      {0x80000000LL | 8, clInfoBk},  // a system colour keeps its meaning
      {0x80000000LL | 99, Color::rgb(99, 0, 0)},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.number);
    EXPECT_EQ(Color::fromNumber(c.number), c.color);
  }
  EXPECT_EQ(Color::fromNumber(clHighlight.toNumber()), clHighlight);
  EXPECT_EQ(Color::fromNumber(Color::rgb(1, 2, 3).toNumber()), Color::rgb(1, 2, 3));
  EXPECT_EQ(clRed.debugString(), "rgb(255,0,0)");
  EXPECT_EQ(clInfoBk.debugString(), "clInfoBk");
}

TEST(ColorTest, SystemColoursResolveThroughThePalette) {
  EXPECT_EQ(resolve(clRed), clRed);
  EXPECT_EQ(resolve(clWindowText), clBlack);
  EXPECT_FALSE(resolve(clInfoBk).isSystem());
  Palette dark = defaultPalette();
  dark.set(SystemColor::InfoBk, Color::rgb(30, 30, 30));
  EXPECT_EQ(resolve(clInfoBk, dark), Color::rgb(30, 30, 30));
  EXPECT_EQ(resolve(clHighlight, dark), resolve(clHighlight));
  EXPECT_THROW(dark.set(SystemColor::Window, clBtnFace), std::invalid_argument);
}

TEST(RecordingCanvasTest, RecordsCallsWithTheStateInForce) {
  RecordingCanvas canvas(7);
  canvas.setBrushColor(clInfoBk);
  canvas.fillRect({0, 0, 50, 18});
  canvas.setFontColor(clRed);
  canvas.setFontBold(true);
  canvas.textOut(3, 3, "sáb");
  canvas.setBrushColor(clHighlight);
  canvas.textRect({0, 0, 50, 18}, 10, 3, "07/03/2026");
  using Call = RecordingCanvas::Call;
  using Op = RecordingCanvas::Op;
  const std::vector<Call> expected = {
      {Op::FillRect, {0, 0, 50, 18}, 0, 0, "", clInfoBk, clWindowText, false},
      {Op::TextOut, {}, 3, 3, "sáb", clInfoBk, clRed, true},
      {Op::TextRect, {0, 0, 50, 18}, 10, 3, "07/03/2026", clHighlight, clRed, true},
  };
  EXPECT_EQ(canvas.calls(), expected);
  EXPECT_EQ(canvas.texts(), (std::vector<std::string>{"sáb", "07/03/2026"}));
  EXPECT_EQ(canvas.lastText()->text, "07/03/2026");
  canvas.clear();
  EXPECT_EQ(canvas.lastText(), nullptr);
}

TEST(RecordingCanvasTest, MeasuresCodePoints) {
  const RecordingCanvas canvas(7);
  EXPECT_EQ(canvas.textWidth(""), 0);
  EXPECT_EQ(canvas.textWidth("sáb"), 21);
  EXPECT_EQ(canvas.textWidth("1.234,50000"), 77);
  EXPECT_EQ(RecordingCanvas(5).textWidth("ção"), 15);
}

}  // namespace
}  // namespace platform::ui
