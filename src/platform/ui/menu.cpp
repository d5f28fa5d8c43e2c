#include "platform/ui/menu.h"

#include <algorithm>
#include <stdexcept>

#include "platform/ui/form.h"

namespace platform::ui {

MenuItem::MenuItem(CreationToken, Form& owner, std::string name)
    : Component(owner, std::move(name)) {}

bool MenuItem::click() {
  if (!enabled_) return false;
  if (onClick) onClick();
  return true;
}

PopupMenu::PopupMenu(CreationToken, Form& owner, std::string name)
    : Component(owner, std::move(name)) {}

void PopupMenu::add(MenuItem& item) {
  if (&item.owner() != &owner()) {
    throw std::invalid_argument("Menu item '" + item.name() + "' belongs to another form");
  }
  if (std::find(items_.begin(), items_.end(), &item) != items_.end()) {
    throw std::invalid_argument("Menu item '" + item.name() + "' is already in the menu");
  }
  items_.push_back(&item);
  changed(Prop::Items);
}

void PopupMenu::popup(int x, int y) {
  if (onPopup) onPopup();
  ++popupCount_;
  popupX_ = x;
  popupY_ = y;
  changed(Prop::Popup);
}

bool PopupMenu::dispatchShortCut(Key key, ShiftState shift) {
  for (MenuItem* item : items_) {
    if (item->shortCut().matches(key, shift)) {
      if (!item->enabled()) return false;
      return item->click();
    }
  }
  return false;
}

}  // namespace platform::ui
