#include "platform/ui/controls.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "platform/format.h"
#include "platform/ui/form.h"

namespace platform::ui {

Panel::Panel(CreationToken, Form& owner, std::string name)
    : Control(owner, std::move(name), clBtnFace) {}

GroupBox::GroupBox(CreationToken, Form& owner, std::string name)
    : Control(owner, std::move(name), clBtnFace) {}

Label::Label(CreationToken, Form& owner, std::string name)
    : Control(owner, std::move(name), clBtnFace) {}

// ---- Button ---------------------------------------------------------------------------------

Button::Button(CreationToken, Form& owner, std::string name)
    : Control(owner, std::move(name), clBtnFace) {}

void Button::setDown(bool down) {
  if (groupIndex_ == 0) down = false;
  if (down == down_) return;
  if (!down && !allowAllUp_) return;
  down_ = down;
  changed(Prop::Down);
  if (down_) setGroupDown();
}

// Puts the other buttons of this button's group up.
void Button::setGroupDown() {
  const auto siblings = parent() != nullptr ? parent()->children() : owner().topLevelControls();
  for (Control* sibling : siblings) {
    auto* other = dynamic_cast<Button*>(sibling);
    if (other != nullptr && other != this && other->groupIndex_ == groupIndex_ && other->down_) {
      other->down_ = false;
      other->changed(Prop::Down);
    }
  }
}

void Button::setGroupIndex(int index) {
  if (!assign(groupIndex_, index, Prop::Group)) return;
  if (groupIndex_ == 0 && down_) {
    down_ = false;
    changed(Prop::Down);
  } else if (down_) {
    setGroupDown();
  }
}

void Button::setAllowAllUp(bool allow) {
  assign(allowAllUp_, allow, Prop::Group);
}

void Button::click() {
  if (onClick) onClick();
}

bool Button::press() {
  if (!canFocus()) return false;
  if (groupIndex_ != 0) {
    if (!down_) {
      setDown(true);
    } else if (allowAllUp_) {
      setDown(false);
    }
  }
  click();
  return true;
}

// ---- NumberEdit -----------------------------------------------------------------------------

NumberEdit::NumberEdit(CreationToken, Form& owner, std::string name)
    : Control(owner, std::move(name), clWindow) {
  setTabStop(true);
}

void NumberEdit::SetNumber(double number) {
  const bool same = (number == number_ && std::signbit(number) == std::signbit(number_)) ||
                    (std::isnan(number) && std::isnan(number_));
  if (same) return;
  number_ = number;
  changed(Prop::Number);
}

void NumberEdit::setDecimals(int decimals) {
  if (decimals < 0 || decimals > 15) {
    throw std::invalid_argument("Decimals of '" + name() + "' must be 0..15");
  }
  assign(decimals_, decimals, Prop::Format);
}

std::string NumberEdit::text() const {
  if (!displayFormat_.empty()) return formatFloat(displayFormat_, number_);
  std::string pattern = thousands_ ? "#,##0" : "0";
  if (decimals_ > 0) pattern += "." + std::string(static_cast<size_t>(decimals_), '0');
  return formatFloat(pattern, number_);
}

// ---- Shape, Splitter ------------------------------------------------------------------------

Shape::Shape(CreationToken, Form& owner, std::string name)
    : Control(owner, std::move(name), clBtnFace) {}

Splitter::Splitter(CreationToken, Form& owner, std::string name)
    : Control(owner, std::move(name), clBtnFace) {}

void Splitter::setMinSize(int size) {
  minSize_ = std::max(size, 0);
}

void Splitter::move(Control& resized, int newSize) {
  newSize = std::max(newSize, minSize_);
  if (align() == Align::Left || align() == Align::Right) {
    resized.setWidth(newSize);
  } else {
    resized.setHeight(newSize);
  }
  if (onMoved) onMoved();
}

Control* Splitter::resizedControl() const {
  if (align() == Align::None || align() == Align::Client) return nullptr;
  const std::vector<Control*> siblings =
      parent() != nullptr ? parent()->children() : owner().topLevelControls();
  Control* resized = nullptr;
  for (Control* c : siblings) {
    if (c == this) break;
    if (c->visible() && c->align() == align()) resized = c;
  }
  return resized;
}

bool Splitter::drag(int delta) {
  Control* resized = resizedControl();
  if (resized == nullptr) return false;
  switch (align()) {
    case Align::Top:
      move(*resized, resized->height() + delta);
      break;
    case Align::Bottom:
      move(*resized, resized->height() - delta);
      break;
    case Align::Left:
      move(*resized, resized->width() + delta);
      break;
    case Align::Right:
      move(*resized, resized->width() - delta);
      break;
    case Align::None:
    case Align::Client:
      return false;
  }
  return true;
}

}  // namespace platform::ui
