#include "platform/ui/page_control.h"

#include <algorithm>
#include <stdexcept>

namespace platform::ui {

TabSheet::TabSheet(CreationToken, Form& owner, std::string name)
    : Control(owner, std::move(name), clBtnFace) {}

PageControl* TabSheet::pageControl() const {
  return dynamic_cast<PageControl*>(parent());
}

int TabSheet::pageIndex() const {
  const PageControl* control = pageControl();
  if (control == nullptr) return -1;
  const auto& pages = control->pages();
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

bool TabSheet::acceptsParent(const Control* parent) const {
  return parent == nullptr || dynamic_cast<const PageControl*>(parent) != nullptr;
}

PageControl::PageControl(CreationToken, Form& owner, std::string name)
    : Control(owner, std::move(name), clBtnFace) {
  setTabStop(true);
}

TabSheet& PageControl::page(int index) const {
  if (index < 0 || index >= pageCount()) {
    throw std::out_of_range("Page " + std::to_string(index) + " of '" + name() + "'");
  }
  return *pages_[static_cast<size_t>(index)];
}

void PageControl::setActivePage(TabSheet* page) {
  if (page != nullptr && page->pageControl() != this) {
    throw std::invalid_argument("'" + page->name() + "' is not a page of '" + name() + "'");
  }
  assign(activePage_, page, Prop::ActivePage);
}

void PageControl::setActivePageIndex(int index) {
  setActivePage(index == -1 ? nullptr : &page(index));
}

bool PageControl::selectPage(TabSheet& page) {
  if (page.pageControl() != this || !page.tabVisible() || !page.enabled() || !effectiveEnabled()) {
    return false;
  }
  if (&page == activePage_) return true;
  bool allow = true;
  if (onChanging) onChanging(allow);
  if (!allow) return false;
  setActivePage(&page);
  if (onChange) onChange();
  return true;
}

bool PageControl::showsChild(const Control& child) const {
  const auto* page = dynamic_cast<const TabSheet*>(&child);
  return page == nullptr || page == activePage_;
}

void PageControl::childAdded(Control& child) {
  auto* page = dynamic_cast<TabSheet*>(&child);
  if (page == nullptr) return;
  pages_.push_back(page);
  changed(Prop::Pages);
  if (activePage_ == nullptr) setActivePage(page);
}

void PageControl::childRemoved(Control& child) {
  auto* page = dynamic_cast<TabSheet*>(&child);
  if (page == nullptr) return;
  std::erase(pages_, page);
  changed(Prop::Pages);
  if (activePage_ == page) setActivePage(pages_.empty() ? nullptr : pages_.front());
}

}  // namespace platform::ui
