// Docking of the controls of a form by their Align property, on the model alone: the front end
// computes where aligned controls go and writes their bounds back, so that handlers reading a
// panel's width (to centre what it holds) see the size on view.
//
// Inside each parent, visible children docked Top take the top of the free area in placement
// order, then Bottom ones the bottom (the first placed lowest), Left ones the left, Right ones
// the right (the first placed rightmost), and Client ones whatever is left. Pages of a page
// control always fill its page area. Invisible children take no room and keep their bounds.
#pragma once

#include <functional>

#include "platform/ui/form.h"

namespace desktop {

// The area inside a container that its children dock in, in the container's own coordinates.
using ClientArea = std::function<platform::ui::Rect(const platform::ui::Control& container)>;

// The whole container (panels, pages, plain controls).
platform::ui::Rect wholeArea(const platform::ui::Control& control);

// Lays out every aligned control of `form`, its own client area being (0, 0, width, height).
// GUARANTEES: only bounds that differ are set (one Bounds notification each); a second run
//   with nothing changed sets nothing.
void alignControls(platform::ui::Form& form, const ClientArea& clientArea);

struct MinimumSize {
  int width = 0;
  int height = 0;
  bool operator==(const MinimumSize&) const = default;
};

// The smallest client size of `form` at which docking takes nothing from any visible control:
// controls docked Top or Bottom keep their height, Left or Right their width, controls placed by
// their bounds stay inside their container, and every control filling the rest (Client, a page
// control's pages: all of them, whichever is active) keeps at least `fill` pixels each way.
// Containers add what their frame or tabs take (the client area's margins).
MinimumSize minimumSize(const platform::ui::Form& form, const ClientArea& clientArea, int fill);

}  // namespace desktop
