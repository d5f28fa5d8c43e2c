// Drives modal dialogs from tests: a timer waits for the next modal window and clicks one of its
// buttons by text, or presses Esc on it, recording the texts it saw.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <memory>

namespace desktop::testing {

struct SeenDialog {
  QString title;
  QString text;
  QStringList buttons;
};

// `buttonText` without the '&' markers; empty presses Esc instead.
inline std::shared_ptr<SeenDialog> answerNextDialog(const QString& buttonText) {
  auto seen = std::make_shared<SeenDialog>();
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, seen, buttonText] {
    QWidget* modal = QApplication::activeModalWidget();
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box == nullptr || !box->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    seen->title = box->windowTitle();
    seen->text = box->text();
    QPushButton* target = nullptr;
    for (QAbstractButton* b : box->buttons()) {
      QString text = b->text();
      text.remove('&');
      seen->buttons << text;
      if (text == buttonText) target = qobject_cast<QPushButton*>(b);
    }
    if (buttonText.isEmpty()) {
      QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QApplication::sendEvent(box, &esc);
    } else if (target != nullptr) {
      target->click();
    } else {
      box->done(-1);  // the button is missing: end the dialog, the test reports it
    }
  });
  timer->start();
  return seen;
}

}  // namespace desktop::testing
