// The plain controls of a screen: panels, group boxes, labels, buttons, number edits, shapes and
// splitters.
#pragma once

#include <functional>
#include <string>

#include "platform/ui/control.h"

namespace platform::ui {

class Panel : public Control {
 public:
  Panel(CreationToken, Form& owner, std::string name);
  ControlKind kind() const override { return ControlKind::Panel; }

  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption) { assign(caption_, std::move(caption), Prop::Caption); }
  // Of the caption; centred unless set.
  Alignment alignment() const { return alignment_; }
  void setAlignment(Alignment alignment) { assign(alignment_, alignment, Prop::Alignment); }

 private:
  std::string caption_;
  Alignment alignment_ = Alignment::Center;
};

class GroupBox : public Control {
 public:
  GroupBox(CreationToken, Form& owner, std::string name);
  ControlKind kind() const override { return ControlKind::GroupBox; }

  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption) { assign(caption_, std::move(caption), Prop::Caption); }

 private:
  std::string caption_;
};

class Label : public Control {
 public:
  Label(CreationToken, Form& owner, std::string name);
  ControlKind kind() const override { return ControlKind::Label; }

  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption) { assign(caption_, std::move(caption), Prop::Caption); }
  Alignment alignment() const { return alignment_; }
  void setAlignment(Alignment alignment) { assign(alignment_, alignment, Prop::Alignment); }

 private:
  std::string caption_;
  Alignment alignment_ = Alignment::Left;
};

// A tool-bar button. With a group index other than 0 it stays down when pressed: pressing a
// button of a group puts the other buttons of the group (same parent, same index) up, and with
// allowAllUp a down button comes up when pressed again.
class Button : public Control {
 public:
  Button(CreationToken, Form& owner, std::string name);
  ControlKind kind() const override { return ControlKind::Button; }

  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption) { assign(caption_, std::move(caption), Prop::Caption); }

  bool down() const { return down_; }
  // Down is kept only with a group index other than 0; putting a button down puts the rest of
  // its group up; a down button of a group without allowAllUp cannot be put up (the call is
  // ignored).
  void setDown(bool down);
  int groupIndex() const { return groupIndex_; }
  void setGroupIndex(int index);
  bool allowAllUp() const { return allowAllUp_; }
  void setAllowAllUp(bool allow);

  std::function<void()> onClick;
  // Runs onClick, as code clicking the button does; the down state does not change.
  void click();
  // The user pressed the button: refused (false) unless it is showing and effectively enabled;
  // otherwise the down state toggles by the group rules, then onClick runs.
  bool press();

 private:
  void setGroupDown();

  std::string caption_;
  bool down_ = false;
  int groupIndex_ = 0;
  bool allowAllUp_ = false;
};

// A read-only numeric display with a fixed number of decimals.
class NumberEdit : public Control {
 public:
  NumberEdit(CreationToken, Form& owner, std::string name);
  ControlKind kind() const override { return ControlKind::NumberEdit; }

  // The number exactly as set; the display rounds it, the number is not.
  double GetNumber() const { return number_; }
  void SetNumber(double number);

  int decimals() const { return decimals_; }
  // REQUIRES: 0 <= decimals <= 15, else std::invalid_argument.
  void setDecimals(int decimals);
  // Thousands grouping of the display (on unless set).
  bool thousands() const { return thousands_; }
  void setThousands(bool thousands) { assign(thousands_, thousands, Prop::Format); }
  // A number pattern (see platform/format.h) that replaces decimals and thousands when set.
  const std::string& displayFormat() const { return displayFormat_; }
  void setDisplayFormat(std::string format) {
    assign(displayFormat_, std::move(format), Prop::Format);
  }
  bool readOnly() const { return readOnly_; }
  void setReadOnly(bool readOnly) { assign(readOnly_, readOnly, Prop::ReadOnly); }

  // The number as shown: "1.234,50000" for 1234.5 with 5 decimals.
  std::string text() const;

 private:
  double number_ = 0;
  int decimals_ = 2;
  bool thousands_ = true;
  std::string displayFormat_;
  bool readOnly_ = false;
};

enum class ShapeKind { Rectangle, Square, RoundRect, RoundSquare, Ellipse, Circle };

class Shape : public Control {
 public:
  Shape(CreationToken, Form& owner, std::string name);
  ControlKind kind() const override { return ControlKind::Shape; }

  Color brushColor() const { return brushColor_; }
  void setBrushColor(Color color) { assign(brushColor_, color, Prop::Color); }
  Color penColor() const { return penColor_; }
  void setPenColor(Color color) { assign(penColor_, color, Prop::Color); }
  ShapeKind shape() const { return shape_; }
  void setShape(ShapeKind shape) { assign(shape_, shape, Prop::Shape); }

 private:
  Color brushColor_ = clWhite;
  Color penColor_ = clBlack;
  ShapeKind shape_ = ShapeKind::Rectangle;
};

// A bar the user drags to resize the control next to it (aligned Top or Bottom: its height;
// Left or Right: its width).
class Splitter : public Control {
 public:
  Splitter(CreationToken, Form& owner, std::string name);
  ControlKind kind() const override { return ControlKind::Splitter; }

  // The smallest size the resized control may be given.
  int minSize() const { return minSize_; }
  void setMinSize(int size);

  std::function<void()> onMoved;
  // `resized` gets `newSize` (at least minSize) as its height or width by this splitter's
  // alignment, then onMoved runs.
  void move(Control& resized, int newSize);
  // The control the bar resizes: the nearest visible sibling placed before it and docked the
  // same way; null when there is none or the splitter is not docked to a side.
  Control* resizedControl() const;
  // The user dragged the bar `delta` pixels (right or down positive): the resized control grows
  // toward the bar (move()). Returns false, doing nothing, when there is no resized control.
  bool drag(int delta);

 private:
  int minSize_ = 30;
};

}  // namespace platform::ui
