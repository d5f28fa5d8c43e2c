// The modal loop of the host: shows a form's window and runs until the form closes.
#pragma once

#include <functional>

#include "remote/host_services.h"

namespace desktop {

class FormWindow;

class QtModalLoop : public remote::ModalLoop {
 public:
  // A modal run (platform::ui::runModal) whose body is the window's event loop.
  // GUARANTEES: the form is made visible in its own window and activated (its first activation
  //   runs now); returns once the form is invisible again. The window is gone on return; the
  //   form is not touched further.
  void showModal(platform::ui::Form& form) override;

  // Runs once, inside the loop, after the window has been shown and activated; the screenshot
  // mode drives the window from here.
  std::function<void(FormWindow& window)> onShown;
};

}  // namespace desktop
