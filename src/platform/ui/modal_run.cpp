#include "platform/ui/modal_run.h"

#include "platform/abort.h"
#include "platform/ui/form.h"

namespace platform::ui {

ModalResult runModal(Form& form, const ModalOptions& options) {
  ModalResult result;
  const bool keep = options.failures == ModalFailures::Keep;
  auto step = [&](const std::function<void()>& handler) {
    EventOutcome outcome = runUserEvent(handler, keep ? Failures::Keep : Failures::Show);
    if (outcome.aborted()) result.aborted = true;
    if (keep && outcome.failed() && !result.failure) result.failure = outcome.failure;
    return outcome;
  };

  form.setVisible(true);
  if (!form.visible()) {
    result.closed = true;
    return result;
  }
  result.activation = step(options.activate ? options.activate : [&form] { form.activate(); });

  if (options.body && (!keep || result.activation.completed())) {
    result.bodyRan = true;
    try {
      options.body();
    } catch (const Abort&) {
      result.aborted = true;
    } catch (...) {
      if (!result.failure) result.failure = std::current_exception();
    }
  }

  // Closing releases what the form holds (its server sessions): it runs whatever came before.
  if (options.closeAtEnd && form.visible()) result.close = step([&form] { form.close(); });
  result.closed = !form.visible();
  if (options.closeAtEnd && form.visible()) form.setVisible(false);
  return result;
}

}  // namespace platform::ui
