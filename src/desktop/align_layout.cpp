#include "desktop/align_layout.h"

#include <algorithm>
#include <cstdlib>
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

MinimumSize minimumOf(const Control& control, const ClientArea& clientArea, int fill);

// The width a control placed by its bounds takes from its container: up to its right edge, or
// only its own width when it is kept centred (it moves with the container's width).
int placedWidth(const Control& c) {
  const Control* parent = c.parent();
  const int parentWidth = parent != nullptr ? parent->width() : c.owner().width();
  const bool centred = std::abs(c.left() - (parentWidth - c.width()) / 2) <= 1;
  return centred ? c.width() : c.left() + c.width();
}

MinimumSize minimumInside(const std::vector<Control*>& children, const ClientArea& clientArea,
                          int fill, bool pagesFill) {
  MinimumSize placed;  // controls placed by their bounds
  MinimumSize docked;  // the docked ones, from the filling control outwards
  std::vector<const Control*> tops, sides;
  for (const Control* c : children) {
    const bool isPage = dynamic_cast<const platform::ui::TabSheet*>(c) != nullptr;
    if (pagesFill && isPage) {
      const MinimumSize page = minimumOf(*c, clientArea, fill);
      docked.width = std::max(docked.width, page.width);
      docked.height = std::max(docked.height, page.height);
      continue;
    }
    if (!c->visible()) continue;
    switch (c->align()) {
      case Align::None:
        placed.width = std::max(placed.width, placedWidth(*c));
        placed.height = std::max(placed.height, c->top() + c->height());
        break;
      case Align::Client: {
        const MinimumSize inner = minimumOf(*c, clientArea, fill);
        docked.width = std::max({docked.width, inner.width, fill});
        docked.height = std::max({docked.height, inner.height, fill});
        break;
      }
      case Align::Top:
      case Align::Bottom:
        tops.push_back(c);
        break;
      case Align::Left:
      case Align::Right:
        sides.push_back(c);
        break;
    }
  }
  // Sides dock inside the strips above and below them, so they add up first.
  for (const Control* c : sides) {
    docked.width += c->width();
    docked.height = std::max(docked.height, minimumOf(*c, clientArea, fill).height);
  }
  for (const Control* c : tops) {
    docked.height += c->height();
    docked.width = std::max(docked.width, minimumOf(*c, clientArea, fill).width);
  }
  return {std::max(placed.width, docked.width), std::max(placed.height, docked.height)};
}

MinimumSize minimumOf(const Control& control, const ClientArea& clientArea, int fill) {
  if (control.children().empty()) return {};
  const Rect area = clientArea(control);
  const MinimumSize inner =
      minimumInside(control.children(), clientArea, fill,
                    dynamic_cast<const platform::ui::PageControl*>(&control) != nullptr);
  if (inner.width == 0 && inner.height == 0) return {};
  return {inner.width + control.width() - area.width(),
          inner.height + control.height() - area.height()};
}

}  // namespace

MinimumSize minimumSize(const platform::ui::Form& form, const ClientArea& clientArea, int fill) {
  return minimumInside(form.topLevelControls(), clientArea, fill, false);
}

Rect wholeArea(const Control& control) {
  return {0, 0, control.width(), control.height()};
}

void alignControls(platform::ui::Form& form, const ClientArea& clientArea) {
  alignChildren(form.topLevelControls(), {0, 0, form.width(), form.height()}, clientArea, false);
}

}  // namespace desktop
