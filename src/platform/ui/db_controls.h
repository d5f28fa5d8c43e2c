// Data-aware edits, texts and navigators: controls bound to a field (or the cursor) of a data
// source. They own what the user may do through them (write a field, move the cursor); the front
// end shows what they answer and forwards the user's gestures.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/control.h"

namespace platform {
class ClientDataSet;
class DataSource;
class Field;
}  // namespace platform

namespace platform::ui {

// A control showing one field of the current record of a data source.
class DBFieldControl : public Control {
 public:
  DataSource* dataSource() const { return dataSource_; }
  void setDataSource(DataSource* source) { assign(dataSource_, source, Prop::DataBinding); }
  const std::string& dataField() const { return dataField_; }
  void setDataField(std::string field) { assign(dataField_, std::move(field), Prop::DataBinding); }

  // The data source's dataset while the source is active, else null.
  ClientDataSet* dataSet() const;
  // The bound field of that dataset, null when there is none.
  Field* field() const;
  // The field's display text for the current record; "" without a field or when reading it
  // fails (a control must show something whatever the data says).
  std::string displayText() const;

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
  ControlKind kind() const override { return ControlKind::DBEdit; }

  bool readOnly() const { return readOnly_; }
  void setReadOnly(bool readOnly) { assign(readOnly_, readOnly, Prop::ReadOnly); }

  // Whether the user may change the field here: the edit is not read-only, and its field exists
  // and is neither read-only nor calculated.
  bool canModify() const;
  // The field's edit text for the current record ("" as displayText when there is none).
  std::string editText() const;
  // The user's text for the field: refused (false) unless canModify(); a browsing dataset is
  // put into Edit state through the dataset (its beforeEdit may refuse by throwing), then the
  // field's own text setter converts the text.
  // ERRORS: the dataset's handlers' and the conversion's; the field keeps its value.
  bool writeText(std::string_view text);

  // What the user typed and has not written yet: the first change while the dataset browses
  // puts it into Edit state through the dataset (a refusal propagates and nothing changes).
  // Refused (false) unless canModify().
  bool changeText(std::string text);
  bool modified() const { return modified_; }
  const std::string& typedText() const { return typed_; }
  // Writes the typed text (writeText) when there is one. A rejected text propagates and stays
  // typed. Returns false when the field refused it (the typing is dropped).
  bool commitText();
  // Drops the typed text unwritten.
  void dropText();

  // For hosts without widgets: a typed character adds to the typed text (starting from the
  // field's edit text), Backspace removes the last character, Enter writes it, Esc drops it.
  void keyLeft(Key key, ShiftState shift, char32_t typed) override;
  void updateRecord(DataSource& source) override;
  void discardEdits(DataSource& source) override;

 private:
  bool readOnly_ = false;
  bool modified_ = false;
  std::string typed_;
};

// The field's display text as a caption.
class DBText : public DBFieldControl {
 public:
  DBText(CreationToken, Form& owner, std::string name);
  ControlKind kind() const override { return ControlKind::DBText; }
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

// Buttons that move the cursor of a data source's dataset (and, when shown, edit it).
class DBNavigator : public Control {
 public:
  DBNavigator(CreationToken, Form& owner, std::string name);
  ControlKind kind() const override { return ControlKind::DBNavigator; }

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

  // Whether the button can be pressed now, by the position and state of the data source's
  // dataset: the navigator is effectively enabled and the dataset open, and
  //   First, Prior: the current record is not the first;
  //   Next, Last:   there is a record after the current one;
  //   Insert, Refresh: browsing;  Delete, Edit: browsing a dataset with records;
  //   Post, Cancel: editing or inserting.
  bool buttonEnabled(NavigateButton button) const;

  // Replaces the navigator's own move or edit of the dataset when set.
  std::function<void(NavigateButton)> action;
  // Runs after the move.
  std::function<void(NavigateButton)> onClick;
  // The user pressed a button: refused (false) when the button is not visible, the navigator
  // is not showing and effectively enabled, or it is bound to a data source and the button is
  // not enabled (buttonEnabled). Otherwise what the user typed into the controls of this form
  // bound to the same data source is written first (Cancel drops it instead), then `action`
  // runs, or without one the navigator's own move on the dataset (First, Prior, Next, Last,
  // Insert, Delete, Edit, Post, Cancel, Refresh; the moves post a pending edit first), then
  // onClick. An exception from any step propagates and the later steps do not run.
  bool press(NavigateButton button);

 private:
  DataSource* dataSource_ = nullptr;
  NavigateButtons visibleButtons_{
      NavigateButton::First,  NavigateButton::Prior,  NavigateButton::Next, NavigateButton::Last,
      NavigateButton::Insert, NavigateButton::Delete, NavigateButton::Edit, NavigateButton::Post,
      NavigateButton::Cancel, NavigateButton::Refresh};
  std::array<std::string, kNavigateButtonCount> hints_;

  ClientDataSet* activeDataSet() const;
  void perform(ClientDataSet& dataSet, NavigateButton button);
};

}  // namespace platform::ui
