#include "desktop/widget_actions.h"

#include <algorithm>
#include <vector>

namespace desktop {
namespace {

std::vector<WidgetActions*>& installed() {
  static std::vector<WidgetActions*> sets;
  return sets;
}

}  // namespace

void WidgetActions::decorate(GridView& view) {
  for (WidgetActions* set : installed())
    set->addTo(view);
}

void WidgetActions::decorate(FormWindow& window) {
  for (WidgetActions* set : installed())
    set->addTo(window);
}

ScopedWidgetActions::ScopedWidgetActions(WidgetActions& actions) : actions_(actions) {
  installed().push_back(&actions_);
}

ScopedWidgetActions::~ScopedWidgetActions() {
  auto& sets = installed();
  sets.erase(std::remove(sets.begin(), sets.end(), &actions_), sets.end());
}

}  // namespace desktop
