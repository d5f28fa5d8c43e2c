// Page controls and their pages (tab sheets). A page is a control placed on a page control; the
// pages are the page control's TabSheet children in placement order. Only the active page and
// its controls are showing.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/control.h"

namespace platform::ui {

class PageControl;

class TabSheet : public Control {
 public:
  TabSheet(CreationToken, Form& owner, std::string name);
  ControlKind kind() const override { return ControlKind::TabSheet; }

  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption) { assign(caption_, std::move(caption), Prop::Caption); }
  // Whether the page's tab is shown; a page with a hidden tab can still be made active by code.
  bool tabVisible() const { return tabVisible_; }
  void setTabVisible(bool visible) { assign(tabVisible_, visible, Prop::TabVisible); }

  // The page control holding this page, or nullptr.
  PageControl* pageControl() const;
  // Position among its page control's pages, -1 when it has none.
  int pageIndex() const;

 protected:
  // Only a page control (or nothing) may hold a page.
  bool acceptsParent(const Control* parent) const override;

 private:
  std::string caption_;
  bool tabVisible_ = true;
};

class PageControl : public Control {
 public:
  PageControl(CreationToken, Form& owner, std::string name);
  ControlKind kind() const override { return ControlKind::PageControl; }

  int pageCount() const { return static_cast<int>(pages_.size()); }
  // REQUIRES: 0 <= index < pageCount(), else std::out_of_range.
  TabSheet& page(int index) const;
  const std::vector<TabSheet*>& pages() const { return pages_; }

  // The page on view; the first page placed becomes active, and when the active page leaves,
  // the first remaining page (or none) takes its place.
  TabSheet* activePage() const { return activePage_; }
  int activePageIndex() const { return activePage_ != nullptr ? activePage_->pageIndex() : -1; }
  // Selection by code: raises no onChanging/onChange. REQUIRES: a page of this control or null
  // (index -1), else std::invalid_argument / std::out_of_range.
  void setActivePage(TabSheet* page);
  void setActivePageIndex(int index);

  // The user picked a tab. A page that is not this control's, whose tab is hidden, or that is
  // disabled is refused, and so is any page while this control is not effectively enabled; so is
  // the change when onChanging says no. Otherwise the page becomes active and onChange runs.
  // Returns whether the page is now active (picking the active page changes nothing and runs no
  // event).
  bool selectPage(TabSheet& page);

  std::function<void(bool& allowChange)> onChanging;
  std::function<void()> onChange;

 protected:
  bool showsChild(const Control& child) const override;
  void childAdded(Control& child) override;
  void childRemoved(Control& child) override;

 private:
  std::vector<TabSheet*> pages_;
  TabSheet* activePage_ = nullptr;
};

}  // namespace platform::ui
