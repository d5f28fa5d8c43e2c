#include "desktop/shell/screenshot.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <vector>

#include "desktop/form_window.h"
#include "desktop/user_event.h"
#include "platform/ui/controls.h"

namespace desktop {

namespace ui = platform::ui;

ui::TabSheet* findPage(const ui::Form& form, const std::string& caption) {
  for (size_t i = 0; i < form.componentCount(); ++i) {
    auto* page = dynamic_cast<ui::TabSheet*>(&form.componentAt(i));
    if (page != nullptr && page->caption() == caption) return page;
  }
  return nullptr;
}

bool showPage(ui::TabSheet& page) {
  std::vector<ui::TabSheet*> chain;
  for (ui::Control* c = &page; c != nullptr; c = c->parent())
    if (auto* sheet = dynamic_cast<ui::TabSheet*>(c)) chain.push_back(sheet);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    ui::TabSheet* sheet = *it;
    ui::PageControl* pages = sheet->pageControl();
    if (pages == nullptr || pages->activePage() == sheet) continue;
    runUserEvent([pages, sheet] { pages->selectPage(*sheet); });
  }
  return page.showing();
}

bool showCostPanel(ui::Form& form) {
  auto* toggle = dynamic_cast<ui::Button*>(form.findComponent("sbtCustos"));
  if (toggle == nullptr) return false;
  if (!toggle->down()) runUserEvent([toggle] { toggle->press(); });
  return toggle->down();
}

bool saveWindowImage(QWidget& window, const QString& path) {
  QApplication::processEvents();
  return window.grab().toImage().save(path, "PNG");
}

std::string takeScreenshot(FormWindow& window, const std::string& pageCaption, bool panel,
                           const QString& path) {
  ui::Form& form = window.form();
  ui::TabSheet* page = findPage(form, pageCaption);
  if (page == nullptr) return "no page is captioned \"" + pageCaption + "\"";
  if (!showPage(*page)) return "the page \"" + pageCaption + "\" cannot be shown";
  if (panel && !showCostPanel(form)) return "the cost panel cannot be shown";
  if (!saveWindowImage(window, path)) return "cannot write " + path.toStdString();
  return {};
}

}  // namespace desktop
