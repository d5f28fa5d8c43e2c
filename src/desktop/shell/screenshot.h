// The screenshot mode: with the window open off screen, shows a page by its caption and the
// cost panel when asked, as the user would with the mouse, and writes the window to a PNG file.
#pragma once

#include <QString>
#include <string>

#include "platform/ui/form.h"
#include "platform/ui/page_control.h"

class QWidget;

namespace desktop {

class FormWindow;

// The page captioned `caption` on any page control of the form, or null.
platform::ui::TabSheet* findPage(const platform::ui::Form& form, const std::string& caption);
// Picks the tabs that put `page` on view, outermost page control first, each as a user event.
// Returns whether the page is showing afterwards (a handler may refuse a change).
bool showPage(platform::ui::TabSheet& page);
// Presses the cost panel's toggle button ("sbtCustos") unless it is down already. Returns
// whether it is down afterwards.
bool showCostPanel(platform::ui::Form& form);
// Renders the window into a PNG file. Returns false when it cannot be written.
bool saveWindowImage(QWidget& window, const QString& path);

// The whole mode on an open window: page, panel, image. Returns an empty text on success, else
// what went wrong.
std::string takeScreenshot(FormWindow& window, const std::string& pageCaption, bool panel,
                           const QString& path);

}  // namespace desktop
