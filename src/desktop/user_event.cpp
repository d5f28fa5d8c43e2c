#include "desktop/user_event.h"

#include "desktop/message_dialogs.h"
#include "platform/consiste.h"

namespace desktop {

void showFailure(const std::string& text) {
  if (platform::errorDisplay() != nullptr) {
    platform::ui::showFailure(text);
    return;
  }
  QtMessageDialogs().showError(text, 0);
}

}  // namespace desktop
