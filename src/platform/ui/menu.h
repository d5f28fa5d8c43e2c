// Popup menus and their items. Items are components of the form (found by name) that a menu
// lists in order; a menu's shortcuts act while a control that uses the menu has the focus
// (Form::keyDown), whether or not the item is visible, but only while the item is enabled.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/component.h"
#include "platform/ui/keys.h"

namespace platform::ui {

class MenuItem : public Component {
 public:
  MenuItem(CreationToken, Form& owner, std::string name);

  // "-" makes the item a separator.
  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption) { assign(caption_, std::move(caption), Prop::Caption); }
  bool isSeparator() const { return caption_ == "-"; }

  ShortCut shortCut() const { return shortCut_; }
  void setShortCut(ShortCut shortCut) { assign(shortCut_, shortCut, Prop::ShortCut); }

  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled) { assign(enabled_, enabled, Prop::Enabled); }
  bool visible() const { return visible_; }
  void setVisible(bool visible) { assign(visible_, visible, Prop::Visible); }
  bool checked() const { return checked_; }
  void setChecked(bool checked) { assign(checked_, checked, Prop::Checked); }

  std::function<void()> onClick;
  // The user chose the item (or its shortcut): runs onClick when the item is enabled. Returns
  // whether it ran.
  bool click();

 private:
  std::string caption_;
  ShortCut shortCut_;
  bool enabled_ = true;
  bool visible_ = true;
  bool checked_ = false;
};

class PopupMenu : public Component {
 public:
  PopupMenu(CreationToken, Form& owner, std::string name);

  // Appends an item. REQUIRES: an item of the same form not yet in this menu, else
  // std::invalid_argument.
  void add(MenuItem& item);
  const std::vector<MenuItem*>& items() const { return items_; }

  // When false the menu opens only when a handler calls popup(), never by itself on a right
  // click.
  bool autoPopup() const { return autoPopup_; }
  void setAutoPopup(bool autoPopup) { assign(autoPopup_, autoPopup, Prop::Options); }

  // Asks the front end to open the menu at a screen position (a Popup notification); onPopup
  // runs first.
  void popup(int x, int y);
  int popupCount() const { return popupCount_; }
  int popupX() const { return popupX_; }
  int popupY() const { return popupY_; }
  std::function<void()> onPopup;

  // The first item whose shortcut is exactly key + shift: when it is enabled, clicks it and
  // returns true; otherwise returns false and the key goes on to the controls.
  bool dispatchShortCut(Key key, ShiftState shift);

 private:
  std::vector<MenuItem*> items_;
  bool autoPopup_ = true;
  int popupCount_ = 0;
  int popupX_ = 0;
  int popupY_ = 0;
};

}  // namespace platform::ui
