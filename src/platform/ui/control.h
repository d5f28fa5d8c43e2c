// Control: a visible component with a place in the parent/child tree, geometry, colours, a hint,
// enabling, focus and the input events the screen handles.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/canvas.h"
#include "platform/ui/color.h"
#include "platform/ui/component.h"
#include "platform/ui/keys.h"

namespace platform {
class DataSource;
}

namespace platform::ui {

class PopupMenu;

// The kinds of control a front end renders, one view each.
enum class ControlKind {
  Panel,
  GroupBox,
  Label,
  Button,
  NumberEdit,
  Shape,
  Splitter,
  DBEdit,
  DBText,
  DBNavigator,
  DBGrid,
  PageControl,
  TabSheet,
};

// How a control docks inside its parent.
enum class Align { None, Top, Bottom, Left, Right, Client };
// Horizontal alignment of a caption, a cell or a title.
enum class Alignment { Left, Right, Center };

class Control : public Component {
 public:
  Control* asControl() override { return this; }
  virtual ControlKind kind() const = 0;

  // Top-level controls have no parent: they sit directly on the form.
  Control* parent() const { return parent_; }
  // Moves the control under `parent` (null: onto the form), last among its children.
  // REQUIRES: parent is null or a control of the same form, neither this control nor one of its
  // descendants, of a kind that takes this control (a page only goes on a page control);
  // else std::invalid_argument and nothing changes.
  void setParent(Control* parent);
  // In the order they were placed.
  const std::vector<Control*>& children() const { return children_; }

  bool visible() const { return visible_; }
  void setVisible(bool visible) { assign(visible_, visible, Prop::Visible); }
  // Visible, and so is every parent; a page counts only while it is the active page of its page
  // control.
  bool showing() const;

  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled) { assign(enabled_, enabled, Prop::Enabled); }
  // Enabled, and so is every parent.
  bool effectiveEnabled() const;
  // Visible, and its parent shows it (a page only while it is the active one); the parent's
  // own showing is not asked.
  bool shownInParent() const;

  const std::string& hint() const { return hint_; }
  void setHint(std::string hint) { assign(hint_, std::move(hint), Prop::Hint); }
  bool showHint() const { return showHint_; }
  void setShowHint(bool show) { assign(showHint_, show, Prop::Hint); }

  // Background colour.
  Color color() const { return color_; }
  void setColor(Color color) { assign(color_, color, Prop::Color); }
  Color fontColor() const { return fontColor_; }
  void setFontColor(Color color) { assign(fontColor_, color, Prop::Font); }
  bool fontBold() const { return fontBold_; }
  void setFontBold(bool bold) { assign(fontBold_, bold, Prop::Font); }

  // Position relative to the parent (or the form), in pixels.
  int left() const { return left_; }
  int top() const { return top_; }
  int width() const { return width_; }
  int height() const { return height_; }
  void setLeft(int left) { setBounds(left, top_, width_, height_); }
  void setTop(int top) { setBounds(left_, top, width_, height_); }
  void setWidth(int width) { setBounds(left_, top_, width, height_); }
  void setHeight(int height) { setBounds(left_, top_, width_, height); }
  // One Bounds notification when any of the four changes. Negative sizes are stored as 0.
  void setBounds(int left, int top, int width, int height);
  Rect boundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }

  Align align() const { return align_; }
  void setAlign(Align align) { assign(align_, align, Prop::Align); }
  // Whether the Tab key stops at this control.
  bool tabStop() const { return tabStop_; }
  void setTabStop(bool tabStop) { assign(tabStop_, tabStop, Prop::TabStop); }

  // The menu whose shortcuts act while this control or one of its children has the focus.
  // REQUIRES: a menu of the same form or null, else std::invalid_argument.
  PopupMenu* popupMenu() const { return popupMenu_; }
  void setPopupMenu(PopupMenu* menu);

  // Whether this is the form's active control.
  bool focused() const;
  // Showing and effectively enabled.
  bool canFocus() const;
  // Makes this the form's active control (Form::setActiveControl). Returns false, changing
  // nothing, when the control cannot take the focus.
  bool setFocus();

  // Events. Key handlers consume a key by setting it to kNoKey (a character to 0).
  std::function<void()> onEnter;  // after the control became the active control
  std::function<void()> onExit;   // before it stops being; throwing keeps the focus here
  std::function<void()> onDblClick;
  std::function<void(Key& key, ShiftState shift)> onKeyDown;
  std::function<void(char32_t& key)> onKeyPress;
  std::function<void(MouseButton button, ShiftState shift, int x, int y)> onMouseUp;

  // Front-end entry points for user input; each runs its handler when one is set.
  void dblClick();
  void mouseUp(MouseButton button, ShiftState shift, int x, int y);

  // What the control does itself with a key its handlers left (Form::keyDown/keyPress), the
  // way its widget would: `key` is kNoKey for a character alone, `typed` 0 for a key that types
  // none. A host without widgets of its own calls it (Form::pressKey); a front end whose widgets
  // act on keys does not. Nothing by default.
  virtual void keyLeft(Key key, ShiftState shift, char32_t typed);
  // Writes what the user typed into this control and has not yet written to `source`'s record
  // (an open cell editor), so that it is not lost when the record is posted or left. Nothing
  // by default. ERRORS: as writing it (a rejected text), with the text kept.
  virtual void updateRecord(DataSource& source);
  // Drops such typing unwritten (the record's edit is being cancelled). Nothing by default.
  virtual void discardEdits(DataSource& source);

 protected:
  Control(Form& owner, std::string name, Color color);

  // Whether `parent` may hold this control (TabSheet narrows it).
  virtual bool acceptsParent(const Control* parent) const;
  // Whether a child of this control is on view while this control is (PageControl narrows it).
  virtual bool showsChild(const Control& child) const;
  // Called after a child joined or left this control.
  virtual void childAdded(Control& child);
  virtual void childRemoved(Control& child);

 private:
  friend class Form;  // notifies focus changes

  Control* parent_ = nullptr;
  std::vector<Control*> children_;
  bool visible_ = true;
  bool enabled_ = true;
  std::string hint_;
  bool showHint_ = false;
  Color color_;
  Color fontColor_ = clWindowText;
  bool fontBold_ = false;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  Align align_ = Align::None;
  bool tabStop_ = false;
  PopupMenu* popupMenu_ = nullptr;
};

}  // namespace platform::ui
