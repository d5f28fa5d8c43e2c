#include "platform/messages.h"

#include <stdexcept>

namespace platform {
namespace {

MessageDialogs*& installedDialogs() {
  static MessageDialogs* dialogs = nullptr;
  return dialogs;
}

std::string fold(std::string_view key) {
  std::string out(key);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

constexpr DialogButton kAllButtons[] = {
    DialogButton::Yes,     DialogButton::No,       DialogButton::OK,     DialogButton::Cancel,
    DialogButton::Abort,   DialogButton::Retry,    DialogButton::Ignore, DialogButton::All,
    DialogButton::NoToAll, DialogButton::YesToAll, DialogButton::Help,
};

}  // namespace

int modalResultOf(DialogButton button) {
  switch (button) {
    case DialogButton::Yes:
      return mrYes;
    case DialogButton::No:
      return mrNo;
    case DialogButton::OK:
      return mrOk;
    case DialogButton::Cancel:
      return mrCancel;
    case DialogButton::Abort:
      return mrAbort;
    case DialogButton::Retry:
      return mrRetry;
    case DialogButton::Ignore:
      return mrIgnore;
    case DialogButton::All:
      return mrAll;
    case DialogButton::NoToAll:
      return mrNoToAll;
    case DialogButton::YesToAll:
      return mrYesToAll;
    case DialogButton::Help:
      return mrNone;
  }
  return mrNone;
}

MessageDialogs* messageDialogs() {
  return installedDialogs();
}

MessageDialogs* setMessageDialogs(MessageDialogs* dialogs) {
  MessageDialogs* previous = installedDialogs();
  installedDialogs() = dialogs;
  return previous;
}

int ScriptedDialogs::show(const MessageRequest& request) {
  shown_.push_back(request);
  if (answers_.empty()) {
    if (request.buttons == mbOK) return mrOk;
    throw std::logic_error("Unscripted dialog: " + request.text);
  }
  const int result = answers_.front();
  answers_.pop_front();
  for (DialogButton b : kAllButtons) {
    if (request.buttons.contains(b) && modalResultOf(b) == result && result != mrNone)
      return result;
  }
  throw std::logic_error("Scripted answer " + std::to_string(result) +
                         " is not a button of the dialog: " + request.text);
}

std::vector<std::string> ScriptedDialogs::texts() const {
  std::vector<std::string> out;
  out.reserve(shown_.size());
  for (const MessageRequest& r : shown_)
    out.push_back(r.text);
  return out;
}

TMessages::TMessages(std::initializer_list<Entry> entries) {
  for (const Entry& e : entries)
    add(e.key, e.text);
}

void TMessages::add(std::string key, std::string text) {
  std::string folded = fold(key);
  if (index_.contains(folded)) {
    throw std::invalid_argument("Message key '" + key + "' is already in the catalogue");
  }
  index_.emplace(std::move(folded), entries_.size());
  entries_.push_back({std::move(key), std::move(text)});
}

const std::string* TMessages::find(std::string_view key) const {
  auto it = index_.find(fold(key));
  return it == index_.end() ? nullptr : &entries_[it->second].text;
}

std::string TMessages::Msg(std::string_view key) const {
  const std::string* text = find(key);
  return text != nullptr ? *text : std::string(key);
}

int TMessages::ShowMsg(std::string_view key, DialogType type, DialogButtons buttons,
                       int helpContext) const {
  MessageDialogs* dialogs = dialogs_ != nullptr ? dialogs_ : installedDialogs();
  if (dialogs == nullptr) {
    throw std::logic_error("No message dialogs installed to show: " + Msg(key));
  }
  return dialogs->show({Msg(key), type, buttons, helpContext});
}

}  // namespace platform
