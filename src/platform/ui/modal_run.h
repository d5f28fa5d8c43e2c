// The run of a modal form, as every host shows one: the form becomes visible, its activation
// runs (the window came to the front), then the host's loop or a script, then the form closes.
// The desktop's modal loop, the console host's scripted loop and the tests' scripted modal all
// run a form through here; they differ only in the body and in who sees the failures.
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/user_event.h"

namespace platform::ui {

class Form;

enum class ModalFailures {
  // A user watches: activation and close are user events whose failures are shown, and the
  // body runs even after a failed activation, as the window stays open.
  Show,
  // Nobody watches: failures are kept, not shown; a failed or aborted activation skips the
  // body; the first failure is left in the result.
  Keep,
};

struct ModalOptions {
  ModalFailures failures = ModalFailures::Show;
  // Runs while the form is shown: the host's event loop or a script. Empty: none.
  std::function<void()> body;
  // Closes the form (onCloseQuery, onClose) after the body when it is still visible.
  bool closeAtEnd = true;
  // Runs instead of form.activate() (a window that keeps track of its own activations).
  std::function<void()> activate;
};

struct ModalResult {
  EventOutcome activation;
  EventOutcome close;  // Completed when no close was needed
  bool bodyRan = false;
  // Any step ended in platform::Abort.
  bool aborted = false;
  // The form closed itself (it was invisible after the body or accepted the close).
  bool closed = false;
  // The first failure that was not shown (Keep), or an exception that escaped the body;
  // the host rethrows it.
  std::exception_ptr failure;
};

// Runs `form` modally.
// GUARANTEES: the form is visible while the activation and the body run; the close runs
//   whatever the activation or the body did; with closeAtEnd a form still visible afterwards
//   (it refused to close) is hidden anyway, since its window is gone. An Abort escaping the
//   body is swallowed (aborted); any other exception escaping it is kept in `failure`.
//   A form that does not stay visible when shown runs nothing.
ModalResult runModal(Form& form, const ModalOptions& options);

}  // namespace platform::ui
