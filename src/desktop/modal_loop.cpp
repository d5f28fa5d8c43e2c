#include "desktop/modal_loop.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <exception>
#include <memory>

#include "desktop/form_window.h"
#include "platform/ui/modal_run.h"

namespace desktop {

void QtModalLoop::showModal(platform::ui::Form& form) {
  auto window = std::make_unique<FormWindow>(form);
  window->setWindowModality(Qt::ApplicationModal);
  QEventLoop loop;
  window->onClosed = [&loop] { loop.quit(); };

  platform::ui::ModalOptions options;
  // The window keeps track of its activations (a failed one is not repeated).
  options.activate = [&window] { window->activateForm(); };
  options.body = [&] {
    if (onShown) {
      auto shown = onShown;
      QPointer<FormWindow> target(window.get());
      QTimer::singleShot(0, &loop, [shown, target] {
        if (target != nullptr && target->form().visible()) shown(*target);
      });
    }
    if (form.visible()) loop.exec();
  };
  const platform::ui::ModalResult result = platform::ui::runModal(form, options);
  if (result.failure) std::rethrow_exception(result.failure);
}

}  // namespace desktop
