#include "platform/ui/form.h"

#include <algorithm>

#include "platform/ui/menu.h"

namespace platform::ui {

Form::Form(std::string name) : Component(*this, std::move(name)) {}

Form::~Form() {
  activeControl_ = nullptr;
  componentObservers_.clear();
  while (!components_.empty())
    components_.pop_back();
}

void Form::checkNewName(const std::string& name) const {
  if (!name.empty() && (byName_.contains(name) || name == this->name())) {
    throw std::invalid_argument("A component named '" + name + "' already exists");
  }
}

void Form::adopt(std::unique_ptr<Component> component) {
  if (!component->name().empty()) byName_.emplace(component->name(), component.get());
  components_.push_back(std::move(component));
}

Component* Form::findComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  auto it = byName_.find(name);
  return it == byName_.end() ? nullptr : it->second;
}

std::vector<Control*> Form::topLevelControls() const {
  std::vector<Control*> out;
  for (const auto& component : components_) {
    Control* control = component->asControl();
    if (control != nullptr && control->parent() == nullptr) out.push_back(control);
  }
  return out;
}

void Form::setBounds(int left, int top, int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  const bool resized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  changed(Prop::Bounds);
  if (resized && onResize) onResize();
}

void Form::setScreenSize(int width, int height) {
  screenWidth_ = std::max(width, 0);
  screenHeight_ = std::max(height, 0);
}

std::string Form::windowTitle() const {
  if (contextText_.empty()) return caption_;
  if (caption_.empty()) return contextText_;
  return caption_ + " | " + contextText_;
}

void Form::centerOnScreen() {
  setBounds((screenWidth_ - width_) / 2, (screenHeight_ - height_) / 2, width_, height_);
}

bool Form::setActiveControl(Control* control) {
  if (control == activeControl_) return true;
  if (control != nullptr && (&control->owner() != this || !control->canFocus())) return false;
  Control* old = activeControl_;
  if (old != nullptr && old->onExit) {
    old->onExit();
    if (activeControl_ != old) return activeControl_ == control;
  }
  activeControl_ = control;
  if (old != nullptr) old->changed(Prop::Focus);
  if (control != nullptr) control->changed(Prop::Focus);
  changed(Prop::ActiveControl);
  if (control != nullptr && control->onEnter) control->onEnter();
  return true;
}

void Form::repaint() {
  ++repaintCount_;
  changed(Prop::Repaint);
}

int Form::addComponentObserver(Observer observer) {
  const int id = nextComponentObserverId_++;
  componentObservers_.emplace_back(id, std::move(observer));
  return id;
}

void Form::removeComponentObserver(int id) {
  std::erase_if(componentObservers_, [id](const auto& entry) { return entry.first == id; });
}

void Form::notifyComponentObservers(Component& sender, Prop what) {
  if (componentObservers_.empty()) return;
  const auto observers = componentObservers_;
  for (const auto& entry : observers)
    entry.second(sender, what);
}

void Form::activate() {
  if (onActivate) onActivate();
}

bool Form::close() {
  bool canClose = true;
  if (onCloseQuery) onCloseQuery(canClose);
  if (!canClose) return false;
  CloseAction action = CloseAction::Hide;
  if (onClose) onClose(action);
  if (action == CloseAction::None) return false;
  setVisible(false);
  return true;
}

Key Form::keyDown(Key key, ShiftState shift) {
  if (key == kNoKey) return kNoKey;
  for (Control* c = activeControl_; c != nullptr; c = c->parent()) {
    if (c->popupMenu() != nullptr && c->popupMenu()->dispatchShortCut(key, shift)) return kNoKey;
  }
  if (keyPreview_ && onKeyDown) {
    onKeyDown(key, shift);
    if (key == kNoKey) return kNoKey;
  }
  if (activeControl_ != nullptr && activeControl_->onKeyDown) activeControl_->onKeyDown(key, shift);
  return key;
}

char32_t Form::keyPress(char32_t key) {
  if (key == 0) return 0;
  if (keyPreview_ && onKeyPress) {
    onKeyPress(key);
    if (key == 0) return 0;
  }
  if (activeControl_ != nullptr && activeControl_->onKeyPress) activeControl_->onKeyPress(key);
  return key;
}

bool Form::pressKey(Key key, ShiftState shift, char32_t typed) {
  Key keyLeft = key;
  if (key != kNoKey) {
    keyLeft = keyDown(key, shift);
    if (keyLeft == kNoKey) return false;
  }
  char32_t typedLeft = typed;
  if (typed != 0) {
    typedLeft = keyPress(typed);
    if (typedLeft == 0) return false;
  }
  if (activeControl_ == nullptr) return false;
  activeControl_->keyLeft(keyLeft, shift, typedLeft);
  return true;
}

void Form::updateRecord(DataSource& source) {
  // By index: writing a field may run handlers that create components.
  for (size_t i = 0; i < components_.size(); ++i)
    if (Control* control = components_[i]->asControl()) control->updateRecord(source);
}

void Form::discardEdits(DataSource& source) {
  for (size_t i = 0; i < components_.size(); ++i)
    if (Control* control = components_[i]->asControl()) control->discardEdits(source);
}

}  // namespace platform::ui
