#include "platform/ui/control.h"

#include <algorithm>
#include <stdexcept>

#include "platform/ui/form.h"
#include "platform/ui/menu.h"

namespace platform::ui {

Control::Control(Form& owner, std::string name, Color color)
    : Component(owner, std::move(name)), color_(color) {}

void Control::setParent(Control* parent) {
  if (parent == parent_) return;
  if (parent != nullptr) {
    if (&parent->owner() != &owner()) {
      throw std::invalid_argument("Control '" + name() + "' cannot be placed on a control of " +
                                  "another form");
    }
    for (const Control* p = parent; p != nullptr; p = p->parent_) {
      if (p == this) {
        throw std::invalid_argument("Control '" + name() + "' cannot be placed inside itself");
      }
    }
  }
  if (!acceptsParent(parent)) {
    throw std::invalid_argument("Control '" + name() + "' cannot be placed on '" +
                                (parent != nullptr ? parent->name() : owner().name()) + "'");
  }
  Control* old = parent_;
  if (old != nullptr) std::erase(old->children_, this);
  parent_ = parent;
  if (parent != nullptr) parent->children_.push_back(this);
  if (old != nullptr) old->childRemoved(*this);
  if (parent != nullptr) parent->childAdded(*this);
  changed(Prop::Parent);
}

bool Control::showing() const {
  if (!visible_) return false;
  return parent_ == nullptr || (parent_->showing() && parent_->showsChild(*this));
}

bool Control::shownInParent() const {
  return visible_ && (parent_ == nullptr || parent_->showsChild(*this));
}

bool Control::effectiveEnabled() const {
  for (const Control* c = this; c != nullptr; c = c->parent_) {
    if (!c->enabled_) return false;
  }
  return true;
}

void Control::setBounds(int left, int top, int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  changed(Prop::Bounds);
}

void Control::setPopupMenu(PopupMenu* menu) {
  if (menu != nullptr && &menu->owner() != &owner()) {
    throw std::invalid_argument("Popup menu '" + menu->name() + "' belongs to another form");
  }
  assign(popupMenu_, menu, Prop::PopupMenu);
}

bool Control::focused() const {
  return owner().activeControl() == this;
}

bool Control::canFocus() const {
  return showing() && effectiveEnabled();
}

bool Control::setFocus() {
  return owner().setActiveControl(this);
}

void Control::dblClick() {
  if (onDblClick) onDblClick();
}

void Control::mouseUp(MouseButton button, ShiftState shift, int x, int y) {
  if (onMouseUp) onMouseUp(button, shift, x, y);
}

void Control::keyLeft(Key, ShiftState, char32_t) {}

void Control::updateRecord(DataSource&) {}

void Control::discardEdits(DataSource&) {}

bool Control::acceptsParent(const Control*) const {
  return true;
}

bool Control::showsChild(const Control&) const {
  return true;
}

void Control::childAdded(Control&) {}

void Control::childRemoved(Control&) {}

}  // namespace platform::ui
