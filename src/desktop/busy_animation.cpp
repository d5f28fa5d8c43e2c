#include "desktop/busy_animation.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace desktop {
namespace {

constexpr int kSpokes = 12;
constexpr int kFrameMs = 80;

QColor wheelColour(int kind) {
  switch (kind) {
    case 0:  // connecting
      return QColor(40, 90, 170);
    case 1:  // calculating the month
      return QColor(30, 130, 60);
    default:
      return QColor(190, 110, 20);
  }
}

}  // namespace

BusyWheel::BusyWheel(QWidget* parent) : QWidget(parent), timer_(new QTimer(this)) {
  setFixedSize(40, 40);
  timer_->setInterval(kFrameMs);
  QObject::connect(timer_, &QTimer::timeout, this, [this] {
    ++frame_;
    update();
  });
}

void BusyWheel::setKind(int kind) {
  kind_ = kind;
  update();
}

void BusyWheel::start() {
  timer_->start();
}

void BusyWheel::stop() {
  timer_->stop();
}

void BusyWheel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(width() / 2.0, height() / 2.0);
  const QColor base = wheelColour(kind_);
  const int lead = frame_ % kSpokes;
  for (int i = 0; i < kSpokes; ++i) {
    // Spokes fade behind the leading one, which makes the turn visible.
    const int behind = (lead - i + kSpokes) % kSpokes;
    QColor colour = base;
    colour.setAlphaF(1.0 - behind / static_cast<double>(kSpokes));
    painter.save();
    painter.rotate(i * 360.0 / kSpokes);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(-2, -18, 4, 9), 2, 2);
    painter.restore();
  }
}

BusyWindow::BusyWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      caption_(new QLabel(this)),
      wheel_(new BusyWheel(this)) {
  setWindowTitle(QStringLiteral("Aguarde"));
  setWindowModality(Qt::ApplicationModal);
  // Taking the activation would make the screen's window active again when it hides, which the
  // screen takes as a new activation (and shows the animation again).
  setAttribute(Qt::WA_ShowWithoutActivating);
  setWindowFlag(Qt::WindowDoesNotAcceptFocus);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(16, 12, 16, 12);
  layout->setSpacing(12);
  layout->addWidget(wheel_);
  layout->addWidget(caption_, 1);
  caption_->setMinimumWidth(220);
  caption_->setWordWrap(true);
}

void BusyWindow::setCaption(const QString& caption) {
  caption_->setText(caption);
}

QString BusyWindow::caption() const {
  return caption_->text();
}

void BusyWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
}

QtBusyAnimation::QtBusyAnimation(WindowLookup windowOf) : windowOf_(std::move(windowOf)) {}

QtBusyAnimation::~QtBusyAnimation() {
  delete window_.data();
}

void QtBusyAnimation::ActiveShowAvi(platform::ui::Form* form, int kind,
                                    const std::string& caption) {
  QWidget* over = windowOf_ ? windowOf_(form) : nullptr;
  if (window_ == nullptr) window_ = new BusyWindow;
  window_->setCaption(QString::fromStdString(caption));
  window_->wheel()->setKind(kind);
  window_->adjustSize();
  const QRect area = over != nullptr && over->isVisible()
                         ? over->frameGeometry()
                         : (QGuiApplication::primaryScreen() != nullptr
                                ? QGuiApplication::primaryScreen()->availableGeometry()
                                : QRect(0, 0, 800, 600));
  window_->move(area.center() - window_->rect().center());
  window_->wheel()->start();
  shown_ = true;
  if (!window_->isVisible()) window_->show();
  // Paint it now: the handler goes on with its work before the event loop turns again.
  window_->repaint();
}

void QtBusyAnimation::DeactiveShowAvi() {
  shown_ = false;
  if (window_ == nullptr) return;
  window_->wheel()->stop();
  window_->hide();
}

}  // namespace desktop
