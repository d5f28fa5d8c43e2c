// The desktop dispatches user events through the platform's dispatcher
// (platform/ui/user_event.h); these are its names in the desktop's namespace, for the shell.
#pragma once

#include <string>

#include "platform/ui/user_event.h"

namespace desktop {

using platform::ui::addAfterEventPass;
using platform::ui::inUserEvent;
using platform::ui::removeAfterEventPass;
using platform::ui::runUserEvent;

// Shows the text of a failure through the installed error display, else in a plain error box
// (a failure before the host's services are installed).
void showFailure(const std::string& text);

}  // namespace desktop
