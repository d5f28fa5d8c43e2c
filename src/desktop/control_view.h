// The view of one control: its widget, the control's own properties applied to it and the
// user's gestures on it forwarded to the control as user events. One view class per kind of
// control, chosen by the registry; the renderer does what every control shares (geometry,
// visibility, enabling, hint, bold) and docking, and never asks what kind a control is.
#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <stdexcept>

#include "platform/ui/control.h"

namespace platform {
class DataSource;
}

namespace desktop {

class FormRenderer;

class ControlView {
 public:
  virtual ~ControlView() = default;
  ControlView(const ControlView&) = delete;
  ControlView& operator=(const ControlView&) = delete;

  virtual QWidget& widget() = 0;
  virtual platform::ui::Control& control() const = 0;
  // Applies the kind's own properties (caption, colours, values, enabling of parts).
  virtual void refresh() {}
  // Where the children dock, in the control's own coordinates: all of it unless a frame or
  // tabs take room.
  virtual platform::ui::Rect clientArea() const;
  // Grows the control to what its content needs, before docking (a label to its caption).
  virtual void fitContent() {}
  // The widget whose mouse events are the control's own (a grid's viewport, not its frame).
  virtual QWidget& mouseTarget() { return widget(); }
  // The data source whose changes this view shows; the renderer refreshes the view when it
  // tells of one.
  virtual platform::DataSource* shownSource() const { return nullptr; }

 protected:
  explicit ControlView(FormRenderer& renderer) : renderer_(renderer) {}
  FormRenderer& renderer() const { return renderer_; }

 private:
  FormRenderer& renderer_;
};

// A view that is its own widget W, over a control of type C.
template <class W, class C>
class ViewOf : public W, public ControlView {
 public:
  ViewOf(C& control, FormRenderer& renderer, QWidget* parent)
      : W(parent), ControlView(renderer), control_(control) {}
  QWidget& widget() override { return *this; }
  C& control() const override { return control_; }

 private:
  C& control_;
};

// The view class of each kind of control.
class ViewRegistry {
 public:
  // Makes the view; its widget is owned by `parent`.
  using Factory = std::function<ControlView*(platform::ui::Control& control, FormRenderer& renderer,
                                             QWidget* parent)>;

  // Every kind of the platform with the desktop's views.
  static const ViewRegistry& standard();

  void add(platform::ui::ControlKind kind, Factory factory) {
    factories_[kind] = std::move(factory);
  }
  // Registers view V, constructed from the control as a C, for `kind`.
  template <class C, class V>
  void add(platform::ui::ControlKind kind) {
    add(kind, [](platform::ui::Control& control, FormRenderer& renderer, QWidget* parent) {
      return static_cast<ControlView*>(new V(static_cast<C&>(control), renderer, parent));
    });
  }
  bool has(platform::ui::ControlKind kind) const { return factories_.count(kind) != 0; }
  // REQUIRES: a view registered for the control's kind, else std::logic_error.
  ControlView* make(platform::ui::Control& control, FormRenderer& renderer, QWidget* parent) const;

 private:
  std::map<platform::ui::ControlKind, Factory> factories_;
};

}  // namespace desktop
