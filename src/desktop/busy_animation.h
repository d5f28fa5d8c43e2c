// The busy animation as a small application-modal window: a turning wheel and the caption the
// screen gives. It keeps turning while a remote call runs, because the call's worker thread
// leaves the UI thread's event loop running (off_thread_call.h).
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>

#include "remote/host_services.h"

class QLabel;
class QTimer;

namespace desktop {

class BusyWheel : public QWidget {
 public:
  explicit BusyWheel(QWidget* parent = nullptr);
  // Frames turned since the wheel was created; tests read it to see the wheel move.
  int frame() const { return frame_; }
  void setKind(int kind);
  void start();
  void stop();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QTimer* timer_;
  int frame_ = 0;
  int kind_ = 0;
};

class BusyWindow : public QWidget {
 public:
  explicit BusyWindow(QWidget* parent = nullptr);
  void setCaption(const QString& caption);
  QString caption() const;
  BusyWheel* wheel() const { return wheel_; }

 protected:
  // Only the code that showed the animation hides it.
  void closeEvent(QCloseEvent* event) override;

 private:
  QLabel* caption_;
  BusyWheel* wheel_;
};

class QtBusyAnimation : public remote::BusyAnimation {
 public:
  // `windowOf` finds the window that shows a form, so that the animation centres over it; it may
  // answer null (the animation then centres on the screen).
  using WindowLookup = std::function<QWidget*(platform::ui::Form*)>;
  explicit QtBusyAnimation(WindowLookup windowOf = {});
  ~QtBusyAnimation() override;

  // GUARANTEES: the window is shown, modal for the application, with `caption` (kind 0, 1, 6:
  //   the wheel's colour); showing again replaces the caption and keeps the window up.
  void ActiveShowAvi(platform::ui::Form* form, int kind, const std::string& caption) override;
  using remote::BusyAnimation::ActiveShowAvi;
  // GUARANTEES: the window is hidden; harmless when it is not shown.
  void DeactiveShowAvi() override;
  bool visible() const override { return shown_; }

  // The window while it exists (created on first show); for tests and screenshots.
  BusyWindow* window() const { return window_; }

 private:
  WindowLookup windowOf_;
  QPointer<BusyWindow> window_;
  bool shown_ = false;
};

}  // namespace desktop
