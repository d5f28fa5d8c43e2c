#include "desktop/control_views.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QTabBar>
#include <QToolButton>
#include <algorithm>

#include "desktop/painter_canvas.h"
#include "desktop/qt_text.h"

namespace desktop {
namespace {

using platform::ui::Alignment;
using platform::ui::NavigateButton;

Qt::Alignment horizontal(Alignment alignment) {
  switch (alignment) {
    case Alignment::Left:
      return Qt::AlignLeft;
    case Alignment::Right:
      return Qt::AlignRight;
    case Alignment::Center:
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

const char* glyph(NavigateButton button) {
  switch (button) {
    case NavigateButton::First:
      return "|◀";
    case NavigateButton::Prior:
      return "◀";
    case NavigateButton::Next:
      return "▶";
    case NavigateButton::Last:
      return "▶|";
    case NavigateButton::Insert:
      return "+";
    case NavigateButton::Delete:
      return "−";
    case NavigateButton::Edit:
      return "▲";
    case NavigateButton::Post:
      return "✓";
    case NavigateButton::Cancel:
      return "✗";
    case NavigateButton::Refresh:
      return "↻";
  }
  return "?";
}

}  // namespace

// ---- Panel ------------------------------------------------------------------------------------

PanelView::PanelView(platform::ui::Panel& panel, QWidget* parent)
    : QWidget(parent), panel_(panel) {}

void PanelView::refresh() {
  update();
}

void PanelView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette& pal = palette();
  painter.fillRect(rect(), toQColor(panel_.color(), pal));
  drawBevel(painter, rect().adjusted(0, 0, -1, -1), pal);
  if (panel_.caption().empty()) return;
  QFont font = painter.font();
  font.setBold(panel_.fontBold());
  painter.setFont(font);
  painter.setPen(toQColor(panel_.fontColor(), pal));
  painter.drawText(rect().adjusted(4, 1, -4, -1),
                   static_cast<int>(horizontal(panel_.alignment()) | Qt::AlignVCenter),
                   qs(panel_.caption()));
}

// ---- Shape ------------------------------------------------------------------------------------

ShapeView::ShapeView(platform::ui::Shape& shape, QWidget* parent)
    : QWidget(parent), shape_(shape) {}

void ShapeView::paintEvent(QPaintEvent*) {
  using platform::ui::ShapeKind;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(toQColor(shape_.penColor(), palette()));
  painter.setBrush(toQColor(shape_.brushColor(), palette()));
  QRect r = rect().adjusted(0, 0, -1, -1);
  const ShapeKind kind = shape_.shape();
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

SplitterView::SplitterView(platform::ui::Splitter& splitter, QWidget* parent)
    : QWidget(parent), splitter_(splitter) {
  refresh();
}

void SplitterView::refresh() {
  const auto align = splitter_.align();
  const bool vertical = align == platform::ui::Align::Left || align == platform::ui::Align::Right;
  setCursor(vertical ? Qt::SplitHCursor : Qt::SplitVCursor);
}

void SplitterView::mousePressEvent(QMouseEvent* event) {
  const auto align = splitter_.align();
  const bool vertical = align == platform::ui::Align::Left || align == platform::ui::Align::Right;
  const QPoint p = event->globalPosition().toPoint();
  pressedAt_ = vertical ? p.x() : p.y();
}

void SplitterView::mouseReleaseEvent(QMouseEvent* event) {
  const auto align = splitter_.align();
  const bool vertical = align == platform::ui::Align::Left || align == platform::ui::Align::Right;
  const QPoint p = event->globalPosition().toPoint();
  const int delta = (vertical ? p.x() : p.y()) - pressedAt_;
  if (delta != 0 && onDragged) onDragged(delta);
}

// ---- Navigator --------------------------------------------------------------------------------

NavigatorView::NavigatorView(platform::ui::DBNavigator& navigator, QWidget* parent)
    : QWidget(parent), navigator_(navigator) {}

QToolButton* NavigatorView::button(NavigateButton b) const {
  for (const auto& [which, widget] : buttons_)
    if (which == b) return widget;
  return nullptr;
}

void NavigatorView::refresh(const std::function<bool(NavigateButton)>& canPress) {
  const platform::ui::NavigateButtons wanted = navigator_.visibleButtons();
  if (!built_ || !(wanted == shown_)) {
    for (auto& entry : buttons_)
      delete entry.second;
    buttons_.clear();
    for (size_t i = 0; i < platform::ui::kNavigateButtonCount; ++i) {
      const auto b = static_cast<NavigateButton>(i);
      if (!wanted.contains(b)) continue;
      auto* tool = new QToolButton(this);
      tool->setText(QString::fromUtf8(glyph(b)));
      tool->setAutoRaise(false);
      tool->setFocusPolicy(Qt::NoFocus);
      QObject::connect(tool, &QToolButton::clicked, this, [this, b] {
        if (onPressed) onPressed(b);
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
    const QString hint = qs(navigator_.buttonHint(b));
    if (tool->toolTip() != hint) tool->setToolTip(hint);
    tool->setEnabled(canPress(b));
  }
}

// ---- Page control -----------------------------------------------------------------------------

PageControlView::PageControlView(platform::ui::PageControl& pages, QWidget* parent)
    : QWidget(parent), pages_(pages), tabs_(new QTabBar(this)) {
  tabs_->setDrawBase(false);
  tabs_->setExpanding(false);
  tabs_->setFocusPolicy(Qt::TabFocus);
  QObject::connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
    if (!syncing_ && onTabPicked) onTabPicked(index);
  });
}

platform::ui::Rect PageControlView::pageArea() const {
  const int top = tabs_->sizeHint().height();
  return {2, top + 2, std::max(width() - 2, 2), std::max(height() - 2, top + 2)};
}

void PageControlView::refresh() {
  syncing_ = true;
  const QSignalBlocker block(tabs_);
  const auto& pages = pages_.pages();
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
  if (pages_.activePageIndex() >= 0 && tabs_->currentIndex() != pages_.activePageIndex())
    tabs_->setCurrentIndex(pages_.activePageIndex());
  tabs_->setGeometry(0, 0, width(), tabs_->sizeHint().height());
  syncing_ = false;
  update();
}

void PageControlView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const platform::ui::Rect area = pageArea();
  const QRect frame(area.left - 2, area.top - 2, area.width() + 3, area.height() + 3);
  painter.fillRect(frame, palette().color(QPalette::Window));
  drawBevel(painter, frame, palette());
}

}  // namespace desktop
