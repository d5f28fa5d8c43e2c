// Dispatching one user event to the screen's handlers the way the host does: a silent abort
// ends it quietly, any other exception is shown in the error display, and afterwards every
// rendered form is brought in line with its model.
#pragma once

#include <functional>
#include <string>

namespace desktop {

// Runs `handler`. Returns true when it ran to the end.
// GUARANTEES: platform::Abort is swallowed; any other exception is shown through the installed
//   error display (platform::errorDisplay(), else a plain error box) and swallowed; when the
//   outermost event ends, the after-event passes run (also after a failure).
bool runUserEvent(const std::function<void()>& handler);

// True while a user event is being handled.
bool inUserEvent();

// Registers a pass run after every outermost user event (the renderers' sync). Returns the id
// that removeAfterEventPass takes.
int addAfterEventPass(std::function<void()> pass);
void removeAfterEventPass(int id);

// Shows the text of a failure the way runUserEvent does.
void showFailure(const std::string& text);

}  // namespace desktop
