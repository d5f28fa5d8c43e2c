#include "platform/ui/db_controls.h"

namespace platform::ui {

DBEdit::DBEdit(CreationToken, Form& owner, std::string name)
    : DBFieldControl(owner, std::move(name), clWindow) {
  setTabStop(true);
}

DBText::DBText(CreationToken, Form& owner, std::string name)
    : DBFieldControl(owner, std::move(name), clBtnFace) {}

DBNavigator::DBNavigator(CreationToken, Form& owner, std::string name)
    : Control(owner, std::move(name), clBtnFace) {}

void DBNavigator::setHints(const std::vector<std::string>& hints) {
  std::array<std::string, kNavigateButtonCount> next;
  for (size_t i = 0; i < next.size() && i < hints.size(); ++i)
    next[i] = hints[i];
  assign(hints_, std::move(next), Prop::Hint);
}

bool DBNavigator::press(NavigateButton button) {
  if (!visibleButtons_.contains(button) || !canFocus()) return false;
  if (action) action(button);
  if (onClick) onClick(button);
  return true;
}

}  // namespace platform::ui
