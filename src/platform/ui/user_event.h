// One way for every user event — a key, a click, a menu choice, a tab picked — whoever delivers
// it: the desktop's widgets, the console host or a test driver.
//
//   runUserEvent([&] { sbtConfirma.press(); });
//
// The handler runs; platform::Abort ends it silently; any other exception ends it and is shown
// through the host's error display (platform::errorDisplay()). Then, when it was the outermost
// event, the after-event passes run (renderers bring their widgets in line with the model).
// An event started while another runs (a handler pressing a button, a dialog's own loop) is
// nested: its failure is handled the same way, the passes wait for the outermost one.
//
// Not thread-safe: user events run on the one thread that owns the forms.
#pragma once

#include <exception>
#include <functional>
#include <string>

namespace platform::ui {

// How one user event ended.
struct EventOutcome {
  enum class End { Completed, Aborted, Failed };

  End end = End::Completed;
  // Failed: the text of the failure and the exception itself.
  std::string error;
  std::exception_ptr failure;

  bool completed() const { return end == End::Completed; }
  bool aborted() const { return end == End::Aborted; }
  bool failed() const { return end == End::Failed; }
  explicit operator bool() const { return completed(); }
};

// What becomes of a failure other than Abort.
enum class Failures {
  Show,  // shown through the error display
  Keep,  // left to the caller in the outcome (an unattended host rethrows it)
};

// Runs `handler` as one user event.
// GUARANTEES: no exception escapes; platform::Abort is swallowed; any other failure is shown
//   (Failures::Show) or kept in the outcome; a failure without a text is "Erro inesperado.".
//   When the outermost event ends the after-event passes run, also after a failure.
EventOutcome runUserEvent(const std::function<void()>& handler, Failures failures = Failures::Show);

// True while a user event is being handled.
bool inUserEvent();

// Registers a pass run after every outermost user event. Returns the id removeAfterEventPass
// takes. Passes run in registration order; one that fails has its failure shown and the others
// still run. Passes added or removed by a pass take effect from the next event (a removed pass
// that has not yet run this time does not run).
int addAfterEventPass(std::function<void()> pass);
// Unknown ids are ignored.
void removeAfterEventPass(int id);

// Shows the text of a failure the way runUserEvent does: through the installed error display,
// else on the standard error stream. A display that fails is ignored.
void showFailure(const std::string& text);

}  // namespace platform::ui
