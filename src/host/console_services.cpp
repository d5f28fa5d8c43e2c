#include "host/console_services.h"

#include <ostream>

#include "platform/ui/form.h"
#include "platform/ui/modal_run.h"

namespace host {
namespace {

const char* kindLabel(platform::DialogType type) {
  switch (type) {
    case platform::DialogType::Warning:
      return "Aviso";
    case platform::DialogType::Error:
      return "Erro";
    case platform::DialogType::Information:
      return "Informação";
    case platform::DialogType::Confirmation:
      return "Confirmação";
    case platform::DialogType::Custom:
      break;
  }
  return "Mensagem";
}

}  // namespace

void ConsoleBusyAnimation::ActiveShowAvi(platform::ui::Form*, int, const std::string& caption) {
  visible_ = true;
  ++shownCount_;
  caption_ = caption;
  if (log_ && !caption.empty()) *log_ << caption << std::endl;
}

int defaultAnswer(platform::DialogButtons buttons) {
  using platform::DialogButton;
  if (buttons.empty() || buttons == platform::mbOK) return platform::mrOk;
  for (DialogButton safe : {DialogButton::Cancel, DialogButton::No, DialogButton::Abort,
                            DialogButton::Ignore, DialogButton::NoToAll})
    if (buttons.contains(safe)) return platform::modalResultOf(safe);
  for (int b = 0; b <= static_cast<int>(DialogButton::Help); ++b) {
    auto button = static_cast<DialogButton>(b);
    if (buttons.contains(button) && platform::modalResultOf(button) != platform::mrNone)
      return platform::modalResultOf(button);
  }
  return platform::mrCancel;
}

int ConsoleDialogs::show(const platform::MessageRequest& request) {
  texts_.push_back(request.text);
  out_ << kindLabel(request.type) << ": " << request.text << std::endl;
  return defaultAnswer(request.buttons);
}

void ConsoleErrorDisplay::showError(const std::string& text, int) {
  texts_.push_back(text);
  out_ << "Erro: " << text << std::endl;
}

void ScriptedModalLoop::showModal(platform::ui::Form& form) {
  ++runs_;
  platform::ui::ModalOptions options;
  options.failures = platform::ui::ModalFailures::Keep;
  if (script_) options.body = [this, &form] { script_(form); };
  const platform::ui::ModalResult result = platform::ui::runModal(form, options);
  aborted_ = result.aborted;
  if (result.failure) std::rethrow_exception(result.failure);
}

ConsoleHost::ConsoleHost(remote::HostShell& shell, remote::QueryExecutor& queries,
                         std::ostream& messages, bool verbose)
    : busy(verbose ? &messages : nullptr),
      dialogs(messages),
      errors(messages),
      search(verbose ? &messages : nullptr) {
  remote::HostServices services;
  services.shell = &shell;
  services.busy = &busy;
  services.cursor = &cursor;
  services.modal = &modal;
  services.queries = &queries;
  services.dialogs = &dialogs;
  services.errors = &errors;
  services.search = &search;
  services.clipboard = &clipboard;
  installed_.emplace(services);
}

}  // namespace host
