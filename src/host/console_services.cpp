#include "host/console_services.h"

#include <ostream>

#include "platform/abort.h"
#include "platform/ui/form.h"

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
  aborted_ = false;
  std::exception_ptr failure;
  auto guarded = [&](const std::function<void()>& step) {
    if (failure) return;
    try {
      step();
    } catch (const platform::Abort&) {
      aborted_ = true;
    } catch (...) {
      failure = std::current_exception();
    }
  };
  form.setVisible(true);
  guarded([&] { form.activate(); });
  if (script_ && !aborted_) guarded([&] { script_(form); });
  // Closing releases what the screen holds on the server; it runs whatever happened before.
  std::exception_ptr before = failure;
  failure = nullptr;
  guarded([&] { form.close(); });
  if (before) failure = before;
  form.setVisible(false);
  if (failure) std::rethrow_exception(failure);
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
