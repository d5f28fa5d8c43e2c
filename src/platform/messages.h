// The message catalogue component (TMessages) and the modal message dialogs it shows through.
//
// A screen keeps its user-visible texts in a catalogue of (key, text) entries and looks them up
// by key without regard to ASCII letter case ("PROD_INATIVO" finds "prod_inativo"). The dialogs
// are a host service: the host installs a MessageDialogs implementation (setMessageDialogs);
// tests install a ScriptedDialogs that records what was shown and answers from a queue.
#pragma once

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

enum class DialogType { Warning, Error, Information, Confirmation, Custom };

enum class DialogButton : uint8_t {
  Yes,
  No,
  OK,
  Cancel,
  Abort,
  Retry,
  Ignore,
  All,
  NoToAll,
  YesToAll,
  Help
};

class DialogButtons {
 public:
  constexpr DialogButtons() = default;
  constexpr DialogButtons(std::initializer_list<DialogButton> buttons) {
    for (DialogButton b : buttons)
      bits_ |= static_cast<uint16_t>(1u << static_cast<unsigned>(b));
  }
  constexpr bool contains(DialogButton b) const {
    return (bits_ >> static_cast<unsigned>(b) & 1u) != 0;
  }
  constexpr bool empty() const { return bits_ == 0; }
  constexpr bool operator==(const DialogButtons&) const = default;

 private:
  uint16_t bits_ = 0;
};

inline constexpr DialogButtons mbOK{DialogButton::OK};
inline constexpr DialogButtons mbOKCancel{DialogButton::OK, DialogButton::Cancel};
inline constexpr DialogButtons mbYesNo{DialogButton::Yes, DialogButton::No};
inline constexpr DialogButtons mbYesNoCancel{DialogButton::Yes, DialogButton::No,
                                             DialogButton::Cancel};

// What a dialog answers: the button pressed.
enum ModalResult : int {
  mrNone = 0,
  mrOk = 1,
  mrCancel = 2,
  mrAbort = 3,
  mrRetry = 4,
  mrIgnore = 5,
  mrYes = 6,
  mrNo = 7,
  mrAll = 8,
  mrNoToAll = 9,
  mrYesToAll = 10,
};

// The modal result a button gives (Help gives mrNone: it does not close the dialog).
int modalResultOf(DialogButton button);

struct MessageRequest {
  std::string text;
  DialogType type = DialogType::Information;
  DialogButtons buttons = mbOK;
  int helpContext = 0;
  bool operator==(const MessageRequest&) const = default;
};

class MessageDialogs {
 public:
  virtual ~MessageDialogs() = default;
  // Shows the text modally and returns the modal result of the button pressed, one of the
  // request's buttons (closing the dialog otherwise answers mrCancel, or mrNo when there is no
  // Cancel button, or mrOk when OK is the only button).
  virtual int show(const MessageRequest& request) = 0;
};

// The process-wide dialogs the host installed, or nullptr. Setting returns the previous ones.
MessageDialogs* messageDialogs();
MessageDialogs* setMessageDialogs(MessageDialogs* dialogs);

// Installs dialogs for the lifetime of the object, then puts the previous ones back.
class ScopedMessageDialogs {
 public:
  explicit ScopedMessageDialogs(MessageDialogs* dialogs) : previous_(setMessageDialogs(dialogs)) {}
  ~ScopedMessageDialogs() { setMessageDialogs(previous_); }
  ScopedMessageDialogs(const ScopedMessageDialogs&) = delete;
  ScopedMessageDialogs& operator=(const ScopedMessageDialogs&) = delete;

 private:
  MessageDialogs* previous_;
};

// A test double: records every request and answers from a queue of modal results.
class ScriptedDialogs : public MessageDialogs {
 public:
  // Queues the answer to the next unanswered dialog.
  void answer(int modalResult) { answers_.push_back(modalResult); }
  // Records the request and pops the next answer. With an empty queue a dialog whose only
  // button is OK is answered mrOk; any other throws std::logic_error naming the text. An answer
  // that is not one of the request's buttons throws std::logic_error too.
  int show(const MessageRequest& request) override;

  const std::vector<MessageRequest>& shown() const { return shown_; }
  // The texts shown, in order.
  std::vector<std::string> texts() const;
  size_t pendingAnswers() const { return answers_.size(); }

 private:
  std::deque<int> answers_;
  std::vector<MessageRequest> shown_;
};

class TMessages {
 public:
  struct Entry {
    std::string key;
    std::string text;
  };

  TMessages() = default;
  TMessages(std::initializer_list<Entry> entries);

  // Appends an entry. REQUIRES: no entry whose key equals `key` without regard to ASCII case,
  // else std::invalid_argument.
  void add(std::string key, std::string text);
  size_t size() const { return entries_.size(); }
  // In the order added.
  const std::vector<Entry>& entries() const { return entries_; }

  // The text stored for the key (ASCII case-insensitive), or nullptr. Valid until the next add.
  const std::string* find(std::string_view key) const;
  bool contains(std::string_view key) const { return find(key) != nullptr; }
  // The text stored for the key. For a key the catalogue does not hold, the key itself, so a
  // message that reaches the screen as a key or as a ready text shows either way.
  std::string Msg(std::string_view key) const;

  // Shows Msg(key) in a modal dialog of that type with those buttons and returns the modal
  // result of the button pressed (mrYes = 6, mrNo = 7, mrOk = 1, mrCancel = 2). Goes through
  // the dialogs set on this catalogue, else the installed ones. ERRORS: std::logic_error when
  // there are none; whatever the dialogs raise.
  int ShowMsg(std::string_view key, DialogType type, DialogButtons buttons, int helpContext) const;

  // Dialogs for this catalogue only (nullptr: the installed ones).
  void setDialogs(MessageDialogs* dialogs) { dialogs_ = dialogs; }

 private:
  std::vector<Entry> entries_;
  std::unordered_map<std::string, size_t> index_;  // folded key -> entry
  MessageDialogs* dialogs_ = nullptr;
};

}  // namespace platform
