// The host's modal message dialogs and error display in Brazilian Portuguese (Sim, Não, OK,
// Cancelar ...), answering the modal results the screen compares with (Yes = 6, No = 7, OK = 1,
// Cancel = 2).
#pragma once

#include <QString>
#include <string>

#include "platform/consiste.h"
#include "platform/messages.h"

class QWidget;

namespace desktop {

// The caption of a dialog of that type ("Confirmação", "Aviso", "Erro", "Informação").
QString dialogTitle(platform::DialogType type);
// The text of a button ("Sim", "Não", "OK", "Cancelar" ...).
QString buttonText(platform::DialogButton button);
// What closing the dialog without a button (Esc, the window's close box) answers: Cancel when
// it has one, else No when it has one, else OK when it has one, else Cancel.
int closedResult(platform::DialogButtons buttons);

class QtMessageDialogs : public platform::MessageDialogs, public platform::ErrorDisplay {
 public:
  // GUARANTEES: a modal box over the active window with the request's buttons in the usual order
  //   (Sim, Não, OK, Cancelar, ...), the first one the default; returns the modal result of the
  //   button pressed, or closedResult() when closed otherwise. A request without buttons gets OK.
  int show(const platform::MessageRequest& request) override;
  // GUARANTEES: a modal error box with OK; returns once dismissed.
  void showError(const std::string& text, int helpContext) override;
};

}  // namespace desktop
