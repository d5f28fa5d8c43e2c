#include "desktop/modal_loop.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <memory>

#include "desktop/form_window.h"

namespace desktop {

void QtModalLoop::showModal(platform::ui::Form& form) {
  auto window = std::make_unique<FormWindow>(form);
  window->setWindowModality(Qt::ApplicationModal);
  QEventLoop loop;
  window->onClosed = [&loop] { loop.quit(); };
  form.setVisible(true);
  if (!form.visible()) return;
  window->activateForm();
  if (onShown) {
    auto shown = onShown;
    QPointer<FormWindow> target(window.get());
    QTimer::singleShot(0, &loop, [shown, target] {
      if (target != nullptr && target->form().visible()) shown(*target);
    });
  }
  if (form.visible()) loop.exec();
}

}  // namespace desktop
