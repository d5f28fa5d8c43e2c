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
#include <vector>

namespace desktop::testing {

struct SeenDialog {
  QString title;
  QString text;
  QStringList buttons;
};

// Owns the answerers still waiting: one a test left unused must not answer the next test's
// dialogs (qt_test_main drops them after each test).
inline QObject& waitingAnswerers() {
  static QObject* const owner = new QObject;
  return *owner;
}

inline void dropWaitingAnswerers() {
  qDeleteAll(waitingAnswerers().findChildren<QTimer*>(Qt::FindDirectChildrenOnly));
}

// `buttonText` without the '&' markers; empty presses Esc instead.
inline std::shared_ptr<SeenDialog> answerNextDialog(const QString& buttonText) {
  auto seen = std::make_shared<SeenDialog>();
  auto* timer = new QTimer(&waitingAnswerers());
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

// Answers the next dialogs in turn, one button text each; the texts seen are appended to the
// returned list.
inline std::shared_ptr<std::vector<SeenDialog>> answerDialogs(const QStringList& buttonTexts) {
  auto seen = std::make_shared<std::vector<SeenDialog>>();
  auto left = std::make_shared<QStringList>(buttonTexts);
  auto* timer = new QTimer(&waitingAnswerers());
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, seen, left] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible() || box->property("answered").toBool()) return;
    box->setProperty("answered", true);
    SeenDialog dialog{box->windowTitle(), box->text(), {}};
    const QString wanted = left->takeFirst();
    QAbstractButton* target = nullptr;
    for (QAbstractButton* b : box->buttons()) {
      QString text = b->text();
      text.remove('&');
      dialog.buttons << text;
      if (text == wanted) target = b;
    }
    seen->push_back(dialog);
    if (left->isEmpty()) {
      timer->stop();
      timer->deleteLater();
    }
    if (target != nullptr)
      target->click();
    else
      box->done(-1);
  });
  timer->start();
  return seen;
}

}  // namespace desktop::testing
