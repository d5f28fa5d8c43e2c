// The base of everything a form owns: a name, the owning form and change observers.
//
// The presentation model is plain C++: the screen's handlers set properties, the front end
// renders them. Every setter that actually changes a value notifies the component's observers
// and then the owner form's component observers exactly once, after the change; setting a
// property to the value it already has notifies nobody. Components are created only through
// their form (Form::create), which owns them for its whole life.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace platform::ui {

class Control;
class Form;

// What changed, so an observer can update only that.
enum class Prop {
  Visible,
  Enabled,
  Hint,
  Color,
  Font,
  Bounds,
  Align,
  TabStop,
  Focus,
  Parent,
  PopupMenu,
  Caption,
  Alignment,
  Number,
  Format,
  ReadOnly,
  DataBinding,
  Down,
  Group,
  Pages,
  ActivePage,
  TabVisible,
  Columns,
  SelectedIndex,
  Options,
  Editor,
  Shape,
  ShortCut,
  Checked,
  Items,
  Buttons,
  WindowState,
  KeyPreview,
  ActiveControl,
  Repaint,
  Popup,  // only a PopupMenu sends it
};

// Only a form can make one, so components cannot be created outside their form.
class CreationToken {
 private:
  friend class Form;
  CreationToken() = default;
};

class Component {
 public:
  using Observer = std::function<void(Component& sender, Prop what)>;

  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;
  virtual ~Component() = default;

  const std::string& name() const { return name_; }
  Form& owner() const { return *owner_; }
  // This component as a control, or null when it is none (menus, items, the form).
  virtual Control* asControl() { return nullptr; }

  // Calls `observer` after every actual change of this component. Returns the id that
  // removeObserver takes. Observers added or removed during a notification take effect from the
  // next one.
  int addObserver(Observer observer);
  // Unknown ids are ignored.
  void removeObserver(int id);

 protected:
  Component(Form& owner, std::string name) : owner_(&owner), name_(std::move(name)) {}

  // Notifies this component's observers, then the owner form's component observers.
  void changed(Prop what);

  // Stores `value` and notifies `what` when it differs from the member. Returns whether it did.
  template <class T>
  bool assign(T& member, T value, Prop what) {
    if (member == value) return false;
    member = std::move(value);
    changed(what);
    return true;
  }

 private:
  Form* owner_;
  std::string name_;
  std::vector<std::pair<int, Observer>> observers_;
  int nextObserverId_ = 1;
};

}  // namespace platform::ui
