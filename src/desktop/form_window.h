// The top-level window of a form: renders its controls (FormRenderer), follows its caption,
// bounds, window state and visibility, and hands the user's keys, resizes, activation and close
// requests to the form as user events.
//
// Keys go to Form::keyDown and then Form::keyPress, the way the form routes them (menus'
// shortcuts, the form's own handlers with keyPreview, the active control's); what they leave is
// handled as usual, except that Enter moves to the next control outside grids.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "platform/ui/form.h"

class QKeyEvent;

namespace desktop {

class FormRenderer;

class FormWindow : public QWidget {
 public:
  // REQUIRES: `form` outlives the window. The window starts hidden; it shows when the form is
  // made visible.
  explicit FormWindow(platform::ui::Form& form, QWidget* parent = nullptr);
  ~FormWindow() override;

  platform::ui::Form& form() const { return form_; }
  FormRenderer& renderer() const { return *renderer_; }
  // The window of a form, or null when none is open.
  static FormWindow* of(const platform::ui::Form* form);

  // The user pressed a key in this window. Returns true when the form consumed it.
  bool handleKey(const QKeyEvent& event);
  // The window became the form's active window: runs the form's activation. The first one
  // (the screen's load) is followed by fitContent().
  void activateForm();
  // Widens the form so that every grid on view shows all its columns, centred on the display,
  // or maximises it when the display is too small for that. Only ever widens; a maximised form
  // is left alone.
  void fitContent();

  // Runs once the form has become invisible (closed).
  std::function<void()> onClosed;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void formChanged(platform::ui::Prop what);
  void applyGeometry();
  void applyVisibility();
  void reportGeometry();
  // The window cannot be made smaller than what its controls need (FormRenderer::minimumSize);
  // a smaller form grows to it.
  void applyMinimumSize();

  platform::ui::Form& form_;
  std::unique_ptr<FormRenderer> renderer_;
  int observer_ = 0;
  int applying_ = 0;
  bool closing_ = false;
  bool deactivatedWithinApp_ = false;
  bool activationFailed_ = false;
  bool activated_ = false;
};

}  // namespace desktop
