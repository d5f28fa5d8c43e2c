#include "desktop/message_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <utility>
#include <vector>

namespace desktop {
namespace {

using platform::DialogButton;
using platform::DialogType;

// The order the buttons appear in, left to right.
constexpr DialogButton kButtonOrder[] = {
    DialogButton::Yes,     DialogButton::No,       DialogButton::OK,     DialogButton::Cancel,
    DialogButton::Abort,   DialogButton::Retry,    DialogButton::Ignore, DialogButton::All,
    DialogButton::NoToAll, DialogButton::YesToAll, DialogButton::Help};

QMessageBox::ButtonRole roleOf(DialogButton button) {
  switch (button) {
    case DialogButton::Yes:
    case DialogButton::YesToAll:
    case DialogButton::All:
      return QMessageBox::YesRole;
    case DialogButton::No:
    case DialogButton::NoToAll:
      return QMessageBox::NoRole;
    case DialogButton::OK:
      return QMessageBox::AcceptRole;
    case DialogButton::Cancel:
    case DialogButton::Abort:
      return QMessageBox::RejectRole;
    case DialogButton::Help:
      return QMessageBox::HelpRole;
    case DialogButton::Retry:
    case DialogButton::Ignore:
      return QMessageBox::ActionRole;
  }
  return QMessageBox::ActionRole;
}

QMessageBox::Icon iconOf(DialogType type) {
  switch (type) {
    case DialogType::Warning:
      return QMessageBox::Warning;
    case DialogType::Error:
      return QMessageBox::Critical;
    case DialogType::Information:
      return QMessageBox::Information;
    case DialogType::Confirmation:
      return QMessageBox::Question;
    case DialogType::Custom:
      return QMessageBox::NoIcon;
  }
  return QMessageBox::NoIcon;
}

QString fromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString dialogTitle(DialogType type) {
  switch (type) {
    case DialogType::Warning:
      return QStringLiteral("Aviso");
    case DialogType::Error:
      return QStringLiteral("Erro");
    case DialogType::Information:
      return QString::fromUtf8("Informação");
    case DialogType::Confirmation:
      return QString::fromUtf8("Confirmação");
    case DialogType::Custom:
      break;
  }
  return QApplication::applicationDisplayName();
}

QString buttonText(DialogButton button) {
  switch (button) {
    case DialogButton::Yes:
      return QStringLiteral("&Sim");
    case DialogButton::No:
      return QString::fromUtf8("&Não");
    case DialogButton::OK:
      return QStringLiteral("OK");
    case DialogButton::Cancel:
      return QStringLiteral("Cancelar");
    case DialogButton::Abort:
      return QStringLiteral("&Abortar");
    case DialogButton::Retry:
      return QStringLiteral("&Repetir");
    case DialogButton::Ignore:
      return QStringLiteral("&Ignorar");
    case DialogButton::All:
      return QStringLiteral("&Todos");
    case DialogButton::NoToAll:
      return QString::fromUtf8("N&ão para todos");
    case DialogButton::YesToAll:
      return QStringLiteral("Sim para t&odos");
    case DialogButton::Help:
      return QStringLiteral("Aj&uda");
  }
  return {};
}

int closedResult(platform::DialogButtons buttons) {
  if (buttons.contains(DialogButton::Cancel)) return platform::mrCancel;
  if (buttons.contains(DialogButton::No)) return platform::mrNo;
  if (buttons.contains(DialogButton::OK)) return platform::mrOk;
  return platform::mrCancel;
}

int QtMessageDialogs::show(const platform::MessageRequest& request) {
  const platform::DialogButtons buttons =
      request.buttons.empty() ? platform::mbOK : request.buttons;
  QMessageBox box(iconOf(request.type), dialogTitle(request.type), fromUtf8(request.text),
                  QMessageBox::NoButton, QApplication::activeWindow());
  std::vector<std::pair<QAbstractButton*, int>> results;
  QPushButton* escape = nullptr;
  const int escapeResult = closedResult(buttons);
  for (DialogButton b : kButtonOrder) {
    // Help would answer nothing: it never closes a message box here.
    if (!buttons.contains(b) || b == DialogButton::Help) continue;
    QPushButton* button = box.addButton(buttonText(b), roleOf(b));
    results.emplace_back(button, platform::modalResultOf(b));
    if (results.size() == 1) box.setDefaultButton(button);
    if (platform::modalResultOf(b) == escapeResult) escape = button;
  }
  if (escape != nullptr) box.setEscapeButton(escape);
  box.exec();
  for (const auto& [button, result] : results)
    if (box.clickedButton() == button) return result;
  return escapeResult;
}

void QtMessageDialogs::showError(const std::string& text, int) {
  QMessageBox box(QMessageBox::Critical, dialogTitle(DialogType::Error), fromUtf8(text),
                  QMessageBox::NoButton, QApplication::activeWindow());
  QPushButton* ok = box.addButton(buttonText(DialogButton::OK), QMessageBox::AcceptRole);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  box.exec();
}

}  // namespace desktop
