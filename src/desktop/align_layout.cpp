#include "desktop/align_layout.h"

#include <algorithm>
#include <vector>

#include "platform/ui/page_control.h"

namespace desktop {
namespace {

using platform::ui::Align;
using platform::ui::Control;
using platform::ui::Rect;

void place(Control& control, const Rect& rect) {
  control.setBounds(rect.left, rect.top, std::max(rect.width(), 0), std::max(rect.height(), 0));
}

void alignChildren(const std::vector<Control*>& children, Rect area, const ClientArea& clientArea,
                   bool pagesFill) {
  auto docked = [&](Align align) {
    std::vector<Control*> result;
    for (Control* c : children) {
      const bool isPage = dynamic_cast<platform::ui::TabSheet*>(c) != nullptr;
      if (pagesFill && isPage) continue;
      if (c->visible() && c->align() == align) result.push_back(c);
    }
    return result;
  };
  if (pagesFill) {
    for (Control* c : children)
      if (dynamic_cast<platform::ui::TabSheet*>(c) != nullptr) place(*c, area);
  }
  for (Control* c : docked(Align::Top)) {
    const int h = c->height();
    place(*c, {area.left, area.top, area.right, area.top + h});
    area.top += h;
  }
  for (Control* c : docked(Align::Bottom)) {
    const int h = c->height();
    place(*c, {area.left, area.bottom - h, area.right, area.bottom});
    area.bottom -= h;
  }
  for (Control* c : docked(Align::Left)) {
    const int w = c->width();
    place(*c, {area.left, area.top, area.left + w, area.bottom});
    area.left += w;
  }
  for (Control* c : docked(Align::Right)) {
    const int w = c->width();
    place(*c, {area.right - w, area.top, area.right, area.bottom});
    area.right -= w;
  }
  for (Control* c : docked(Align::Client))
    place(*c, area);

  for (Control* c : children) {
    if (c->children().empty()) continue;
    alignChildren(c->children(), clientArea(*c), clientArea,
                  dynamic_cast<platform::ui::PageControl*>(c) != nullptr);
  }
}

}  // namespace

Rect wholeArea(const Control& control) {
  return {0, 0, control.width(), control.height()};
}

void alignControls(platform::ui::Form& form, const ClientArea& clientArea) {
  alignChildren(form.topLevelControls(), {0, 0, form.width(), form.height()}, clientArea, false);
}

}  // namespace desktop
