#include "screen/padr_param.h"

#include <vector>

#include "platform/ui/db_grid.h"

namespace screen {

using namespace platform::ui;

namespace {

void collectTabStops(Control& control, std::vector<Control*>& out) {
  if (control.tabStop()) out.push_back(&control);
  for (Control* child : control.children())
    collectTabStops(*child, out);
}

}  // namespace

TfrmPadrParam::TfrmPadrParam(std::string name, std::string screenCode) : Form(std::move(name)) {
  panCabecalho = &create<Panel>("panCabecalho");
  panCabecalho->setAlign(Align::Top);
  panCabecalho->setHeight(22);
  lblCodTela = &create<Label>("lblCodTela", panCabecalho);
  lblCodTela->setCaption(std::move(screenCode));
  lblCodTela->setAlign(Align::Right);

  panBotoes = &create<Panel>("panBotoes");
  panBotoes->setAlign(Align::Left);
  panBotoes->setWidth(32);
  sbtAjuda = &create<Button>("sbtAjuda", panBotoes);
  sbtAjuda->setHint("Ajuda");
  sbtAjuda->setShowHint(true);
  sbtAjuda->setBounds(2, 2, 28, 28);
  sbtSair = &create<Button>("sbtSair", panBotoes);
  sbtSair->setHint("Sair");
  sbtSair->setShowHint(true);
  sbtSair->setBounds(2, 32, 28, 28);
  sbtSair->onClick = [this] { close(); };

  pgcPadrao = &create<PageControl>("pgcPadrao");
  pgcPadrao->setAlign(Align::Client);

  onClose = [this](CloseAction& action) {
    FormClose(action);
    lastCloseAction_ = action;
  };
  onKeyPress = [this](char32_t& key) { FormKeyPress(key); };
}

TfrmPadrParam::~TfrmPadrParam() = default;

void TfrmPadrParam::FormCreate() {
  setKeyPreview(true);
  // Without a help page there is nothing for the help button to open.
  sbtAjuda->setEnabled(helpContext() != 0);
}

void TfrmPadrParam::FormClose(CloseAction& action) {
  if (action != CloseAction::None) action = CloseAction::Free;
}

void TfrmPadrParam::FormKeyPress(char32_t& key) {
  if (key == 27) {
    key = 0;
    close();
  } else if (key == 13) {
    // A grid keeps Enter for its own cell editor.
    if (dynamic_cast<DBGrid*>(activeControl()) != nullptr) return;
    key = 0;
    selectNext();
  }
}

bool TfrmPadrParam::selectNext() {
  std::vector<Control*> stops;
  for (Control* top : topLevelControls())
    collectTabStops(*top, stops);
  if (stops.empty()) return false;
  size_t start = stops.size() - 1;
  for (size_t i = 0; i < stops.size(); ++i) {
    if (stops[i] == activeControl()) start = i;
  }
  for (size_t step = 1; step <= stops.size(); ++step) {
    Control* candidate = stops[(start + step) % stops.size()];
    if (candidate != activeControl() && candidate->canFocus() && candidate->setFocus()) return true;
  }
  return false;
}

}  // namespace screen
