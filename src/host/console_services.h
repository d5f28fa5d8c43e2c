// The host services of the headless host (the `report` command and tests that drive a screen
// without a window): a busy animation and a cursor that only keep their state (and log when
// verbose), dialogs that answer without asking and print to a stream, an error display that
// prints and counts, and a modal loop that runs a script instead of waiting for a user.
#pragma once

#include <optional>

#include <exception>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "host/console_search.h"
#include "platform/consiste.h"
#include "platform/messages.h"
#include "remote/host_services.h"

namespace host {

class ConsoleBusyAnimation : public remote::BusyAnimation {
 public:
  // `log` null: silent. Otherwise each shown caption is written there, one line each.
  explicit ConsoleBusyAnimation(std::ostream* log = nullptr) : log_(log) {}
  void ActiveShowAvi(platform::ui::Form* form, int kind, const std::string& caption) override;
  void DeactiveShowAvi() override { visible_ = false; }
  bool visible() const override { return visible_; }
  using remote::BusyAnimation::ActiveShowAvi;

  // Times it was shown, and the last caption.
  int shownCount() const { return shownCount_; }
  const std::string& caption() const { return caption_; }

 private:
  std::ostream* log_;
  bool visible_ = false;
  int shownCount_ = 0;
  std::string caption_;
};

class ConsoleCursor : public remote::CursorControl {
 public:
  void setCursor(remote::CursorShape shape) override { shape_ = shape; }
  remote::CursorShape cursor() const override { return shape_; }

 private:
  remote::CursorShape shape_ = remote::CursorShape::Default;
};

// Answers every dialog at once with the choice that changes nothing: OK when OK is the only
// button, else Cancel, else No, else the first button offered. Every text is written to `out`
// with its kind ("Aviso:", "Erro:", "Informação:", "Confirmação:").
class ConsoleDialogs : public platform::MessageDialogs {
 public:
  explicit ConsoleDialogs(std::ostream& out) : out_(out) {}
  int show(const platform::MessageRequest& request) override;
  // The texts shown, in order.
  const std::vector<std::string>& texts() const { return texts_; }

 private:
  std::ostream& out_;
  std::vector<std::string> texts_;
};

// The answer ConsoleDialogs gives to a dialog with these buttons.
int defaultAnswer(platform::DialogButtons buttons);

// Writes "Erro: <text>" to `out` and counts the errors shown.
class ConsoleErrorDisplay : public platform::ErrorDisplay {
 public:
  explicit ConsoleErrorDisplay(std::ostream& out) : out_(out) {}
  void showError(const std::string& text, int helpContext) override;
  int errorCount() const { return static_cast<int>(texts_.size()); }
  const std::vector<std::string>& texts() const { return texts_; }

 private:
  std::ostream& out_;
  std::vector<std::string> texts_;
};

// Runs a form "modally" without a user: shows it, activates it (the window came to the front),
// runs the script on it and closes it.
class ScriptedModalLoop : public remote::ModalLoop {
 public:
  using Script = std::function<void(platform::ui::Form& form)>;
  explicit ScriptedModalLoop(Script script = {}) : script_(std::move(script)) {}

  // A modal run with nobody watching (platform::ui::runModal, ModalFailures::Keep).
  // Guarantees: the form is closed (its close handling runs) whatever the activation or the
  // script did; a form that refuses to close is hidden anyway. A failed or aborted activation
  // skips the script. A silent abort (platform::Abort) is swallowed, as the event dispatcher of
  // a window does, and remembered (aborted()). Errors: the first other exception of the
  // activation, the script or the close, rethrown once the form is closed.
  void showModal(platform::ui::Form& form) override;

  void setScript(Script script) { script_ = std::move(script); }
  int runs() const { return runs_; }
  bool aborted() const { return aborted_; }

 private:
  Script script_;
  int runs_ = 0;
  bool aborted_ = false;
};

// The console services together, installed as the process's host services (together with the
// given shell and queries) for the object's lifetime; the previous ones are put back after.
class ConsoleHost {
 public:
  ConsoleHost(remote::HostShell& shell, remote::QueryExecutor& queries, std::ostream& messages,
              bool verbose);
  ConsoleHost(const ConsoleHost&) = delete;
  ConsoleHost& operator=(const ConsoleHost&) = delete;

  ConsoleBusyAnimation busy;
  ConsoleCursor cursor;
  ConsoleDialogs dialogs;
  ConsoleErrorDisplay errors;
  ScriptedModalLoop modal;
  ConsoleSearchList search;
  MemoryClipboard clipboard;

 private:
  // Last, so the previous services are back before the members above go.
  std::optional<remote::ScopedHostServices> installed_;
};

}  // namespace host
