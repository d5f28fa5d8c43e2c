// Data-aware edits, texts and navigators: controls bound to a field (or the cursor) of a data
// source. The model keeps the binding; the front end reads the values through the data source.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/ui/control.h"

namespace platform {
class DataSource;
}

namespace platform::ui {

// A control showing one field of the current record of a data source.
class DBFieldControl : public Control {
 public:
  DataSource* dataSource() const { return dataSource_; }
  void setDataSource(DataSource* source) { assign(dataSource_, source, Prop::DataBinding); }
  const std::string& dataField() const { return dataField_; }
  void setDataField(std::string field) { assign(dataField_, std::move(field), Prop::DataBinding); }

 protected:
  DBFieldControl(Form& owner, std::string name, Color color)
      : Control(owner, std::move(name), color) {}

 private:
  DataSource* dataSource_ = nullptr;
  std::string dataField_;
};

class DBEdit : public DBFieldControl {
 public:
  DBEdit(CreationToken, Form& owner, std::string name);

  bool readOnly() const { return readOnly_; }
  void setReadOnly(bool readOnly) { assign(readOnly_, readOnly, Prop::ReadOnly); }

 private:
  bool readOnly_ = false;
};

// The field's display text as a caption.
class DBText : public DBFieldControl {
 public:
  DBText(CreationToken, Form& owner, std::string name);
};

enum class NavigateButton : uint8_t {
  First,
  Prior,
  Next,
  Last,
  Insert,
  Delete,
  Edit,
  Post,
  Cancel,
  Refresh
};
inline constexpr size_t kNavigateButtonCount = 10;

class NavigateButtons {
 public:
  constexpr NavigateButtons() = default;
  constexpr NavigateButtons(std::initializer_list<NavigateButton> buttons) {
    for (NavigateButton b : buttons)
      bits_ |= static_cast<uint16_t>(1u << static_cast<unsigned>(b));
  }
  constexpr bool contains(NavigateButton b) const {
    return (bits_ >> static_cast<unsigned>(b) & 1u) != 0;
  }
  constexpr bool operator==(const NavigateButtons&) const = default;

 private:
  uint16_t bits_ = 0;
};

// Buttons that move the cursor of a data source (and, when shown, edit it).
class DBNavigator : public Control {
 public:
  DBNavigator(CreationToken, Form& owner, std::string name);

  DataSource* dataSource() const { return dataSource_; }
  void setDataSource(DataSource* source) { assign(dataSource_, source, Prop::DataBinding); }

  // All ten unless set.
  NavigateButtons visibleButtons() const { return visibleButtons_; }
  void setVisibleButtons(NavigateButtons buttons) {
    assign(visibleButtons_, buttons, Prop::Buttons);
  }
  // One hint per button, in the order of NavigateButton; missing ones are empty.
  const std::string& buttonHint(NavigateButton button) const {
    return hints_[static_cast<size_t>(button)];
  }
  void setHints(const std::vector<std::string>& hints);

  // Performs the button's move or edit on the data source; installed by whoever binds the data
  // (the model does not reach into datasets itself).
  std::function<void(NavigateButton)> action;
  // Runs after the action.
  std::function<void(NavigateButton)> onClick;
  // The user pressed a button: refused (false) when the button is not visible or the navigator
  // is not showing and effectively enabled; otherwise the action runs (an exception from it
  // propagates and onClick does not run), then onClick.
  bool press(NavigateButton button);

 private:
  DataSource* dataSource_ = nullptr;
  NavigateButtons visibleButtons_{
      NavigateButton::First,  NavigateButton::Prior,  NavigateButton::Next, NavigateButton::Last,
      NavigateButton::Insert, NavigateButton::Delete, NavigateButton::Edit, NavigateButton::Post,
      NavigateButton::Cancel, NavigateButton::Refresh};
  std::array<std::string, kNavigateButtonCount> hints_;
};

}  // namespace platform::ui
