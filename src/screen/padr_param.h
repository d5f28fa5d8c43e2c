// TfrmPadrParam: the suite's base parameter screen. It brings the screen-code label, the button
// bar with the help and exit buttons, the main page control `pgcPadrao` and the message
// catalogue `msgPadrao`, and the common key handling: Escape closes the screen, Enter moves to
// the next control.
//
// A descendant's FormCreate, FormClose and FormKeyPress call the base versions first.
#pragma once

#include <string>

#include "platform/messages.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/page_control.h"

namespace screen {

class TfrmPadrParam : public platform::ui::Form {
 public:
  // `screenCode` is shown in the code label ("RCX00500").
  TfrmPadrParam(std::string name, std::string screenCode);
  ~TfrmPadrParam() override;

  platform::ui::Panel* panCabecalho = nullptr;  // top strip holding the code label
  platform::ui::Label* lblCodTela = nullptr;
  platform::ui::Panel* panBotoes = nullptr;  // button bar
  platform::ui::Button* sbtAjuda = nullptr;
  platform::ui::Button* sbtSair = nullptr;
  platform::ui::PageControl* pgcPadrao = nullptr;
  platform::TMessages msgPadrao;

  // Guarantees: the key preview is on, so FormKeyPress sees every character first.
  virtual void FormCreate();
  // Guarantees: the closed screen is released (action Free) unless the handler chose None.
  virtual void FormClose(platform::ui::CloseAction& action);
  // Escape (27) closes the screen; Enter (13) outside a grid moves the focus to the next control
  // that takes it. Either key is then consumed.
  virtual void FormKeyPress(char32_t& key);

  // The action of the last completed close; None while the screen has not closed.
  platform::ui::CloseAction lastCloseAction() const { return lastCloseAction_; }

  // Moves the focus to the next tab stop after the active control (wrapping); false when no
  // control can take it.
  bool selectNext();

 private:
  platform::ui::CloseAction lastCloseAction_ = platform::ui::CloseAction::None;
};

}  // namespace screen
