// Form: the window of a screen. It owns every component of the screen (controls, menus, items),
// created through create<T>() and found by name, keeps the active control and routes the keys
// the front end receives to menus and handlers.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/ui/component.h"
#include "platform/ui/control.h"
#include "platform/ui/keys.h"

namespace platform {
class DataSource;
}

namespace platform::ui {

enum class WindowState { Normal, Minimized, Maximized };
// What closing does with the form; None keeps it open.
enum class CloseAction { None, Hide, Free, Minimize };

class Form : public Component {
 public:
  explicit Form(std::string name);
  // Destroys the components in the reverse order of their creation.
  ~Form() override;

  // Creates a component owned by this form, placed on `parent` when it is a control.
  // REQUIRES: `name` empty or not yet used by a component of this form, else
  // std::invalid_argument; `parent` as Control::setParent requires, and null for components that
  // are not controls.
  template <class T>
  T& create(std::string name, Control* parent = nullptr) {
    static_assert(std::is_base_of_v<Component, T>);
    checkNewName(name);
    if constexpr (!std::is_base_of_v<Control, T>) {
      if (parent != nullptr) {
        throw std::invalid_argument("Component '" + name + "' is not a control");
      }
    }
    auto component = std::make_unique<T>(CreationToken{}, *this, std::move(name));
    T& created = *component;
    adopt(std::move(component));
    if constexpr (std::is_base_of_v<Control, T>) {
      if (parent != nullptr) created.setParent(parent);
    }
    return created;
  }

  // The component with exactly that name, or nullptr.
  Component* findComponent(std::string_view name) const;
  // The component with that name as a T. Throws std::out_of_range when there is none and
  // std::invalid_argument when it is of another kind.
  template <class T>
  T& component(std::string_view name) const {
    Component* found = findComponent(name);
    if (found == nullptr) {
      throw std::out_of_range("Component '" + std::string(name) + "' not found");
    }
    T* typed = dynamic_cast<T*>(found);
    if (typed == nullptr) {
      throw std::invalid_argument("Component '" + std::string(name) + "' is of another kind");
    }
    return *typed;
  }
  // In creation order.
  size_t componentCount() const { return components_.size(); }
  Component& componentAt(size_t index) const { return *components_.at(index); }
  // Controls with no parent, in creation order.
  std::vector<Control*> topLevelControls() const;

  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption) { assign(caption_, std::move(caption), Prop::Caption); }
  // Where the user is (branch, month, ...), shown after the caption in the window's title.
  const std::string& contextText() const { return contextText_; }
  void setContextText(std::string text) { assign(contextText_, std::move(text), Prop::Caption); }
  // The window's title: the caption, then " | " and the context text when there is one.
  std::string windowTitle() const;

  bool visible() const { return visible_; }
  void setVisible(bool visible) { assign(visible_, visible, Prop::Visible); }

  int left() const { return left_; }
  int top() const { return top_; }
  int width() const { return width_; }
  int height() const { return height_; }
  void setWidth(int width) { setBounds(left_, top_, width, height_); }
  void setHeight(int height) { setBounds(left_, top_, width_, height); }
  // One Bounds notification, then onResize when the width or height changed.
  void setBounds(int left, int top, int width, int height);

  WindowState windowState() const { return windowState_; }
  void setWindowState(WindowState state) { assign(windowState_, state, Prop::WindowState); }

  // The size of the display the form is shown on; the front end keeps it current.
  int screenWidth() const { return screenWidth_; }
  int screenHeight() const { return screenHeight_; }
  void setScreenSize(int width, int height);
  // Places the form in the middle of the display (left and top rounded toward zero).
  void centerOnScreen();

  // When true the form's key handlers see every key before the active control does.
  bool keyPreview() const { return keyPreview_; }
  void setKeyPreview(bool preview) { assign(keyPreview_, preview, Prop::KeyPreview); }

  int helpContext() const { return helpContext_; }
  void setHelpContext(int context) { helpContext_ = context; }

  // The control with the input focus, or nullptr.
  Control* activeControl() const { return activeControl_; }
  // Moves the focus: the old control's onExit runs first (an exception from it propagates and
  // the focus stays), then the change is notified (Focus on both controls, ActiveControl on the
  // form), then the new control's onEnter. Null removes the focus. Returns false, changing
  // nothing, for a control of another form or one that cannot take the focus. When onExit
  // moves the focus itself, that move stands and the result tells whether `control` got it.
  bool setActiveControl(Control* control);

  // Asks the front end to repaint the whole form (a Repaint notification).
  void repaint();
  int repaintCount() const { return repaintCount_; }

  // Observers of every change of every component of this form, the form included; called after
  // the component's own observers.
  int addComponentObserver(Observer observer);
  void removeComponentObserver(int id);

  // Events.
  std::function<void()> onActivate;
  std::function<void()> onResize;
  std::function<void(bool& canClose)> onCloseQuery;
  std::function<void(CloseAction& action)> onClose;
  std::function<void(Key& key, ShiftState shift)> onKeyDown;  // with keyPreview only
  std::function<void(char32_t& key)> onKeyPress;              // with keyPreview only

  // ---- Front-end entry points -------------------------------------------------------------
  // The window became the active window.
  void activate();
  // Runs onCloseQuery (which may refuse) and onClose with the action Hide (which may change it);
  // unless the action is None the form becomes invisible. Returns whether it closed.
  bool close();
  // A key went down. In order, until one consumes it: the shortcuts of the popup menus of the
  // active control and its parents (an enabled item with that shortcut runs its click and the
  // key is consumed), the form's onKeyDown when keyPreview is on, the active control's
  // onKeyDown. Returns the key left: kNoKey when consumed, and then the front end skips both
  // keyPress and its own handling of the key.
  Key keyDown(Key key, ShiftState shift);
  // A character was typed: the form's onKeyPress when keyPreview is on, then the active
  // control's onKeyPress. Returns the character left (0 when discarded).
  char32_t keyPress(char32_t key);
  // One whole keystroke of the user, for hosts without widgets of their own: keyDown (unless
  // `key` is kNoKey, a character without a key code), then keyPress with `typed` (unless 0),
  // then what is left goes to the active control's own handling (Control::keyLeft: a grid's
  // cell editor and moves). Stops where the key is consumed. Returns whether anything was left
  // for the control.
  bool pressKey(Key key, ShiftState shift, char32_t typed);

  // Every control of this form bound to `source` writes what the user typed into it and has not
  // written yet (Control::updateRecord); before the record is posted or left.
  void updateRecord(DataSource& source);
  // Every control of this form bound to `source` drops such typing (Control::discardEdits).
  void discardEdits(DataSource& source);

 private:
  friend class Component;

  void checkNewName(const std::string& name) const;
  void adopt(std::unique_ptr<Component> component);
  void notifyComponentObservers(Component& sender, Prop what);

  std::vector<std::unique_ptr<Component>> components_;
  std::map<std::string, Component*, std::less<>> byName_;
  std::vector<std::pair<int, Observer>> componentObservers_;
  int nextComponentObserverId_ = 1;

  std::string caption_;
  std::string contextText_;
  bool visible_ = false;
  int left_ = 0;
  int top_ = 0;
  int width_ = 800;
  int height_ = 600;
  WindowState windowState_ = WindowState::Normal;
  int screenWidth_ = 1366;
  int screenHeight_ = 768;
  bool keyPreview_ = false;
  int helpContext_ = 0;
  Control* activeControl_ = nullptr;
  int repaintCount_ = 0;
};

}  // namespace platform::ui
