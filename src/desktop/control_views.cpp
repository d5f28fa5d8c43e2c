#include "desktop/control_views.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabBar>
#include <algorithm>

#include "desktop/form_renderer.h"
#include "desktop/grid_view.h"
#include "desktop/painter_canvas.h"
#include "desktop/qt_text.h"
#include "platform/client_dataset.h"
#include "platform/field.h"
#include "platform/ui/user_event.h"

namespace desktop {

namespace ui = platform::ui;
using platform::ui::runUserEvent;

namespace {

Qt::Alignment horizontal(ui::Alignment alignment) {
  switch (alignment) {
    case ui::Alignment::Left:
      return Qt::AlignLeft;
    case ui::Alignment::Right:
      return Qt::AlignRight;
    case ui::Alignment::Center:
      break;
  }
  return Qt::AlignHCenter;
}

void drawBevel(QPainter& painter, const QRect& r, const QPalette& palette) {
  painter.setPen(palette.color(QPalette::Light));
  painter.drawLine(r.topLeft(), r.topRight());
  painter.drawLine(r.topLeft(), r.bottomLeft());
  painter.setPen(palette.color(QPalette::Dark));
  painter.drawLine(r.bottomLeft(), r.bottomRight());
  painter.drawLine(r.topRight(), r.bottomRight());
}

void setPaletteColour(QWidget& widget, QPalette::ColorRole role, const QColor& colour) {
  if (widget.palette().color(role) == colour) return;
  QPalette palette = widget.palette();
  palette.setColor(role, colour);
  widget.setPalette(palette);
}

QColor fontColour(const ui::Control& control, const QWidget& widget) {
  return toQColor(control.fontColor(), widget.palette());
}

// Standard icons for the tool-bar buttons of the suite's screens, which carry no caption.
QIcon buttonIcon(const std::string& name, const QStyle& style) {
  static const std::pair<const char*, QStyle::StandardPixmap> icons[] = {
      {"sbtConfirma", QStyle::SP_DialogApplyButton},
      {"sbtCancela", QStyle::SP_DialogCancelButton},
      {"sbtCalcula", QStyle::SP_BrowserReload},
      {"sbtCustos", QStyle::SP_FileDialogDetailedView},
      {"sbtCustZero", QStyle::SP_FileDialogContentsView},
      {"sbtAjuda", QStyle::SP_DialogHelpButton},
      {"sbtHelp", QStyle::SP_DialogHelpButton},
      {"sbtSair", QStyle::SP_DialogCloseButton},
      {"sbtFechar", QStyle::SP_DialogCloseButton},
      {"sbtGrafCust", QStyle::SP_ArrowUp},
      {"sbtPlanReal", QStyle::SP_ArrowRight},
      {"sbtCustoAcum", QStyle::SP_ArrowDown},
  };
  for (const auto& [known, pixmap] : icons)
    if (name == known) return style.standardIcon(pixmap);
  return {};
}

// The initials of a hint, for a button with neither caption nor icon.
QString initials(const std::string& hint) {
  QString result;
  for (const QString& word : qs(hint).split(' ', Qt::SkipEmptyParts))
    if (word.size() > 2 && result.size() < 3) result += word.front().toUpper();
  return result;
}

const char* glyph(ui::NavigateButton button) {
  switch (button) {
    case ui::NavigateButton::First:
      return "|◀";
    case ui::NavigateButton::Prior:
      return "◀";
    case ui::NavigateButton::Next:
      return "▶";
    case ui::NavigateButton::Last:
      return "▶|";
    case ui::NavigateButton::Insert:
      return "+";
    case ui::NavigateButton::Delete:
      return "−";
    case ui::NavigateButton::Edit:
      return "▲";
    case ui::NavigateButton::Post:
      return "✓";
    case ui::NavigateButton::Cancel:
      return "✗";
    case ui::NavigateButton::Refresh:
      return "↻";
  }
  return "?";
}

}  // namespace

// ---- Registry ---------------------------------------------------------------------------------

platform::ui::Rect ControlView::clientArea() const {
  const ui::Control& c = control();
  return {0, 0, c.width(), c.height()};
}

ControlView* ViewRegistry::make(ui::Control& control, FormRenderer& renderer,
                                QWidget* parent) const {
  const auto found = factories_.find(control.kind());
  if (found == factories_.end()) {
    throw std::logic_error("No view for control '" + control.name() + "'");
  }
  return found->second(control, renderer, parent);
}

const ViewRegistry& ViewRegistry::standard() {
  static const ViewRegistry registry = [] {
    using K = ui::ControlKind;
    ViewRegistry r;
    r.add<ui::Panel, PanelView>(K::Panel);
    r.add<ui::GroupBox, GroupBoxView>(K::GroupBox);
    r.add<ui::Label, LabelView>(K::Label);
    r.add<ui::Button, ButtonView>(K::Button);
    r.add<ui::NumberEdit, NumberEditView>(K::NumberEdit);
    r.add<ui::Shape, ShapeView>(K::Shape);
    r.add<ui::Splitter, SplitterView>(K::Splitter);
    r.add<ui::DBEdit, DBEditView>(K::DBEdit);
    r.add<ui::DBText, DBTextView>(K::DBText);
    r.add<ui::DBNavigator, NavigatorView>(K::DBNavigator);
    r.add<ui::DBGrid, GridView>(K::DBGrid);
    r.add<ui::PageControl, PageControlView>(K::PageControl);
    r.add<ui::TabSheet, TabSheetView>(K::TabSheet);
    return r;
  }();
  return registry;
}

// ---- Panel, group box, label ------------------------------------------------------------------

PanelView::PanelView(ui::Panel& panel, FormRenderer& renderer, QWidget* parent)
    : ViewOf(panel, renderer, parent) {}

void PanelView::refresh() {
  update();
}

void PanelView::paintEvent(QPaintEvent*) {
  const ui::Panel& panel = control();
  QPainter painter(this);
  const QPalette& pal = palette();
  painter.fillRect(rect(), toQColor(panel.color(), pal));
  drawBevel(painter, rect().adjusted(0, 0, -1, -1), pal);
  if (panel.caption().empty()) return;
  QFont font = painter.font();
  font.setBold(panel.fontBold());
  painter.setFont(font);
  painter.setPen(toQColor(panel.fontColor(), pal));
  // A caption longer than the panel goes on as many lines as the panel is high.
  painter.drawText(
      rect().adjusted(4, 1, -4, -1),
      static_cast<int>(horizontal(panel.alignment()) | Qt::AlignVCenter | Qt::TextWordWrap),
      qs(panel.caption()));
}

void GroupBoxView::refresh() {
  const QString caption = qs(control().caption());
  if (title() != caption) setTitle(caption);
  setPaletteColour(*this, QPalette::WindowText, fontColour(control(), *this));
}

ui::Rect GroupBoxView::clientArea() const {
  const ui::Control& c = control();
  const int top = QFontMetrics(font()).height() + 2;
  return {2, top, std::max(c.width() - 2, 2), std::max(c.height() - 2, top)};
}

void LabelView::refresh() {
  const QString caption = qs(control().caption());
  if (text() != caption) setText(caption);
  setAlignment(horizontal(control().alignment()) | Qt::AlignVCenter);
  setPaletteColour(*this, QPalette::WindowText, fontColour(control(), *this));
}

void LabelView::fitContent() {
  ui::Label& label = control();
  if (label.caption().empty()) return;
  // A label docked by its width needs that size before docking.
  const QFontMetrics metrics(font());
  const int width = metrics.horizontalAdvance(qs(label.caption())) + 2;
  const int height = metrics.height();
  if (label.width() < width || label.height() < height)
    label.setBounds(label.left(), label.top(), std::max(label.width(), width),
                    std::max(label.height(), height));
}

// ---- Button, number edit ----------------------------------------------------------------------

ButtonView::ButtonView(ui::Button& button, FormRenderer& renderer, QWidget* parent)
    : ViewOf(button, renderer, parent) {
  setAutoRaise(true);
  setFocusPolicy(Qt::NoFocus);
  setToolButtonStyle(Qt::ToolButtonIconOnly);
  setIconSize(QSize(20, 20));
  QObject::connect(this, &QToolButton::clicked, this, [this] {
    runUserEvent([this] { control().press(); });
    // Back to what the model holds: the press may have been refused.
    this->renderer().refresh(control());
  });
}

void ButtonView::refresh() {
  const ui::Button& button = control();
  const QString caption = qs(button.caption());
  if (icon().isNull()) setIcon(buttonIcon(button.name(), *style()));
  const QString shown =
      !caption.isEmpty() ? caption : (icon().isNull() ? initials(button.hint()) : "");
  if (text() != shown) setText(shown);
  setToolButtonStyle(
      shown.isEmpty() ? Qt::ToolButtonIconOnly
                      : (icon().isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonTextBesideIcon));
  const bool checkable = button.groupIndex() != 0;
  if (isCheckable() != checkable) setCheckable(checkable);
  if (isChecked() != button.down()) setChecked(button.down());
}

NumberEditView::NumberEditView(ui::NumberEdit& edit, FormRenderer& renderer, QWidget* parent)
    : ViewOf(edit, renderer, parent) {
  setReadOnly(true);
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void NumberEditView::refresh() {
  const QString shown = qs(control().text());
  if (text() != shown) setText(shown);
  setPaletteColour(*this, QPalette::Base, toQColor(control().color(), palette()));
  setPaletteColour(*this, QPalette::Text, fontColour(control(), *this));
}

// ---- Data-aware edit and text -----------------------------------------------------------------

DBEditView::DBEditView(ui::DBEdit& edit, FormRenderer& renderer, QWidget* parent)
    : ViewOf(edit, renderer, parent) {
  QObject::connect(this, &QLineEdit::textEdited, this, [this](const QString& now) {
    const std::string typed = utf8(now);
    runUserEvent([this, &typed] { control().changeText(typed); });
    // A refused change (the dataset would not edit) shows the field again.
    this->renderer().refresh(control());
  });
  QObject::connect(this, &QLineEdit::editingFinished, this, [this] {
    if (!isModified() && !control().modified()) return;
    setModified(false);
    const std::string typed = utf8(text());
    runUserEvent([this, &typed] {
      // A text set without typing (cleared, pasted by code) counts as the user's too.
      if (!control().modified() || control().typedText() != typed) control().changeText(typed);
      control().commitText();
    });
    this->renderer().refresh(control());
  });
}

void DBEditView::refresh() {
  const ui::DBEdit& edit = control();
  const platform::Field* field = edit.field();
  const std::string shown = edit.modified() ? edit.typedText()
                            : hasFocus()    ? edit.editText()
                                            : edit.displayText();
  // Text the user changed stays until the edit writes or drops it.
  if (typing_ && !edit.modified()) setModified(false);
  typing_ = edit.modified();
  if (!isModified() && text() != qs(shown)) setText(qs(shown));
  const bool numeric = field != nullptr && (field->fieldType() == platform::FieldType::Float ||
                                            field->fieldType() == platform::FieldType::Integer);
  setAlignment(numeric ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
  const bool readOnly = !edit.canModify();
  if (isReadOnly() != readOnly) setReadOnly(readOnly);
  setPaletteColour(*this, QPalette::Base, toQColor(edit.color(), palette()));
  setPaletteColour(*this, QPalette::Text, fontColour(edit, *this));
}

void DBTextView::refresh() {
  const QString shown = qs(control().displayText());
  if (text() != shown) setText(shown);
  setPaletteColour(*this, QPalette::WindowText, fontColour(control(), *this));
}

// ---- Shape ------------------------------------------------------------------------------------

void ShapeView::paintEvent(QPaintEvent*) {
  using platform::ui::ShapeKind;
  const ui::Shape& shape = control();
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(toQColor(shape.penColor(), palette()));
  painter.setBrush(toQColor(shape.brushColor(), palette()));
  QRect r = rect().adjusted(0, 0, -1, -1);
  const ShapeKind kind = shape.shape();
  if (kind == ShapeKind::Square || kind == ShapeKind::RoundSquare || kind == ShapeKind::Circle) {
    const int side = std::min(r.width(), r.height());
    r = QRect(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
  }
  switch (kind) {
    case ShapeKind::Rectangle:
    case ShapeKind::Square:
      painter.setRenderHint(QPainter::Antialiasing, false);
      painter.drawRect(r);
      break;
    case ShapeKind::RoundRect:
    case ShapeKind::RoundSquare:
      painter.drawRoundedRect(r, 4, 4);
      break;
    case ShapeKind::Ellipse:
    case ShapeKind::Circle:
      painter.drawEllipse(r);
      break;
  }
}

// ---- Splitter ---------------------------------------------------------------------------------

SplitterView::SplitterView(ui::Splitter& splitter, FormRenderer& renderer, QWidget* parent)
    : ViewOf(splitter, renderer, parent) {
  refresh();
}

bool SplitterView::vertical() const {
  const ui::Align align = control().align();
  return align == ui::Align::Left || align == ui::Align::Right;
}

void SplitterView::refresh() {
  setCursor(vertical() ? Qt::SplitHCursor : Qt::SplitVCursor);
}

void SplitterView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette& pal = palette();
  painter.fillRect(rect(), pal.color(QPalette::Button));
  drawBevel(painter, rect().adjusted(0, 0, -1, -1), pal);
  // Three dots across the middle, along the bar.
  const QPoint centre = rect().center();
  painter.setPen(Qt::NoPen);
  painter.setBrush(pal.color(QPalette::Dark));
  for (int i = -1; i <= 1; ++i) {
    const QPoint at = vertical() ? QPoint(centre.x(), centre.y() + i * 6)
                                 : QPoint(centre.x() + i * 6, centre.y());
    painter.drawEllipse(at, 1, 1);
  }
}

void SplitterView::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->globalPosition().toPoint();
  pressedAt_ = vertical() ? p.x() : p.y();
}

void SplitterView::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint p = event->globalPosition().toPoint();
  const int delta = (vertical() ? p.x() : p.y()) - pressedAt_;
  if (delta != 0) runUserEvent([this, delta] { control().drag(delta); });
}

// ---- Navigator --------------------------------------------------------------------------------

NavigatorView::NavigatorView(ui::DBNavigator& navigator, FormRenderer& renderer, QWidget* parent)
    : ViewOf(navigator, renderer, parent) {}

QToolButton* NavigatorView::button(ui::NavigateButton b) const {
  for (const auto& [which, widget] : buttons_)
    if (which == b) return widget;
  return nullptr;
}

void NavigatorView::refresh() {
  ui::DBNavigator& navigator = control();
  const ui::NavigateButtons wanted = navigator.visibleButtons();
  if (!built_ || !(wanted == shown_)) {
    for (auto& entry : buttons_)
      delete entry.second;
    buttons_.clear();
    for (size_t i = 0; i < ui::kNavigateButtonCount; ++i) {
      const auto b = static_cast<ui::NavigateButton>(i);
      if (!wanted.contains(b)) continue;
      auto* tool = new QToolButton(this);
      tool->setText(QString::fromUtf8(glyph(b)));
      tool->setAutoRaise(false);
      tool->setFocusPolicy(Qt::NoFocus);
      QObject::connect(tool, &QToolButton::clicked, this, [this, b] {
        runUserEvent([this, b] { control().press(b); });
        this->renderer().refresh(control());
      });
      tool->show();
      buttons_.emplace_back(b, tool);
    }
    shown_ = wanted;
    built_ = true;
  }
  const int count = static_cast<int>(buttons_.size());
  for (int i = 0; i < count; ++i) {
    auto& [b, tool] = buttons_[static_cast<size_t>(i)];
    // The buttons share the navigator's width, as the classic navigator does.
    const int left = width() * i / count;
    tool->setGeometry(left, 0, width() * (i + 1) / count - left, height());
    const QString hint = qs(navigator.buttonHint(b));
    if (tool->toolTip() != hint) tool->setToolTip(hint);
    tool->setEnabled(navigator.buttonEnabled(b));
  }
}

// ---- Page control and pages -------------------------------------------------------------------

PageControlView::PageControlView(ui::PageControl& pages, FormRenderer& renderer, QWidget* parent)
    : ViewOf(pages, renderer, parent), tabs_(new QTabBar(this)) {
  tabs_->setDrawBase(false);
  tabs_->setExpanding(false);
  tabs_->setFocusPolicy(Qt::TabFocus);
  QObject::connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
    if (!syncing_) picked(index);
  });
  refresh();
}

void PageControlView::picked(int index) {
  ui::PageControl& pages = control();
  if (index >= 0 && index < pages.pageCount())
    runUserEvent([&pages, index] { pages.selectPage(pages.page(index)); });
  // Back to what the model shows: the change may have been refused.
  renderer().refresh(pages);
  for (ui::TabSheet* page : pages.pages())
    renderer().refresh(*page);
}

ui::Rect PageControlView::pageArea() const {
  const int top = tabs_->sizeHint().height();
  return {2, top + 2, std::max(width() - 2, 2), std::max(height() - 2, top + 2)};
}

ui::Rect PageControlView::clientArea() const {
  const ui::Control& c = control();
  const int top = tabs_->sizeHint().height();
  return {2, top + 2, std::max(c.width() - 2, 2), std::max(c.height() - 2, top + 2)};
}

void PageControlView::refresh() {
  syncing_ = true;
  const QSignalBlocker block(tabs_);
  const auto& pages = control().pages();
  while (tabs_->count() > static_cast<int>(pages.size()))
    tabs_->removeTab(tabs_->count() - 1);
  while (tabs_->count() < static_cast<int>(pages.size()))
    tabs_->addTab(QString());
  for (size_t i = 0; i < pages.size(); ++i) {
    const int index = static_cast<int>(i);
    const QString caption = qs(pages[i]->caption());
    if (tabs_->tabText(index) != caption) tabs_->setTabText(index, caption);
    if (tabs_->isTabVisible(index) != pages[i]->tabVisible())
      tabs_->setTabVisible(index, pages[i]->tabVisible());
    if (tabs_->isTabEnabled(index) != pages[i]->enabled())
      tabs_->setTabEnabled(index, pages[i]->enabled());
  }
  const int active = control().activePageIndex();
  if (active >= 0 && tabs_->currentIndex() != active) tabs_->setCurrentIndex(active);
  tabs_->setGeometry(0, 0, width(), tabs_->sizeHint().height());
  syncing_ = false;
  update();
}

void PageControlView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const ui::Rect area = pageArea();
  const QRect frame(area.left - 2, area.top - 2, area.width() + 3, area.height() + 3);
  painter.fillRect(frame, palette().color(QPalette::Window));
  drawBevel(painter, frame, palette());
}

TabSheetView::TabSheetView(ui::TabSheet& page, FormRenderer& renderer, QWidget* parent)
    : ViewOf(page, renderer, parent) {
  setAutoFillBackground(true);
}

void TabSheetView::refresh() {
  setPaletteColour(*this, QPalette::Window, toQColor(control().color(), palette()));
}

}  // namespace desktop
