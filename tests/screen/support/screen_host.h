// Test doubles of the host around the screen: busy animation, cursor, shell, modal loop, and
// connections that count or script the remote calls. They record what the screen asked for, so a
// test can check the order of steps and that every shown animation was hidden again.
#pragma once

#include <optional>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/consiste.h"
#include "platform/messages.h"
#include "platform/variant.h"
#include "remote/host_services.h"
#include "remote/net_connection.h"
#include "screen/ana_cust_rev_rec.h"
#include "screen/support/editing_fakes.h"

namespace screentest {

class RecordingBusy : public remote::BusyAnimation {
 public:
  void ActiveShowAvi(platform::ui::Form* form, int kind, const std::string& caption) override;
  void DeactiveShowAvi() override;
  bool visible() const override { return visible_; }
  using remote::BusyAnimation::ActiveShowAvi;

  // "show <kind> <caption>" and "hide", in order.
  const std::vector<std::string>& events() const { return events_; }
  std::vector<std::string> shows() const;
  void clear() { events_.clear(); }

 private:
  bool visible_ = false;
  std::vector<std::string> events_;
};

class RecordingCursor : public remote::CursorControl {
 public:
  void setCursor(remote::CursorShape shape) override;
  remote::CursorShape cursor() const override { return shape_; }
  const std::vector<remote::CursorShape>& history() const { return history_; }

 private:
  remote::CursorShape shape_ = remote::CursorShape::Default;
  std::vector<remote::CursorShape> history_;
};

// A shell whose answers the test sets.
class FakeShell : public remote::HostShell {
 public:
  std::string url = "127.0.0.1";
  int port = 0;
  std::string operatorCode = "analista";
  bool branchModule = false;
  double processingDate = 0;
  std::string picture = "99.99.999.9999";
  char module = 'C';
  std::vector<platform::Variant> cacheRefreshes;
  std::vector<std::pair<std::string, platform::Variant>> screensOpened;

  std::string WebURL() const override { return url; }
  int WebPort() const override { return port; }
  std::string Operador() const override { return operatorCode; }
  bool ModuFili() const override { return branchModule; }
  double DataProc(const std::string&) override { return processingDate; }
  std::string DBPict(int) const override { return picture; }
  int GetTtNiveis(int) const override { return 4; }
  char ModuloAtiv() const override { return module; }
  void AtualizaLocalCache(const platform::Variant& names) override {
    cacheRefreshes.push_back(names);
  }
  void LoadBPL(const std::string& code, const platform::Variant& params) override {
    screensOpened.emplace_back(code, params);
  }
  bool Autoriza(remote::TNetConnection&, int, const std::string&, const std::string&) override {
    return true;
  }
};

// One remote call as the screen made it.
struct Call {
  std::string server;
  std::string method;
  std::vector<platform::Variant> params;
};

// Every call of every connection of a screen, kept after the screen is gone.
class CallLog {
 public:
  void add(Call call) { calls_.push_back(std::move(call)); }
  const std::vector<Call>& calls() const { return calls_; }
  int count(const std::string& method) const;
  std::map<std::string, int> counts() const;
  // The parameters of the last call of `method`; fails the test when there was none.
  const std::vector<platform::Variant>& last(const std::string& method) const;
  std::vector<std::string> methods() const;
  void clear() { calls_.clear(); }

  std::vector<std::string> connects;     // server names, at each connect
  std::vector<std::string> disconnects;  // server names, at each disconnect of an open one

 private:
  std::vector<Call> calls_;
};

// A real connection that records its calls in a CallLog.
class CountingConnection : public remote::TNetConnection {
 public:
  CountingConnection(std::string serverName, std::shared_ptr<CallLog> log)
      : TNetConnection(std::move(serverName)), log_(std::move(log)) {}

 protected:
  platform::Variant invoke(const std::string& method,
                           const std::vector<platform::Variant>& params) override;
  void connect() override;
  void disconnect() noexcept override;

 private:
  std::shared_ptr<CallLog> log_;
};

// Answers of a scripted server, by method. A handler may throw to stand for a transport failure.
using Script =
    std::map<std::string,
             std::function<platform::Variant(const std::vector<platform::Variant>& params)>>;

// A connection that needs no server: each call is answered by the script (an unknown method
// raises remote::RemoteError as the wire's "method not found" would).
class ScriptedConnection : public remote::TNetConnection {
 public:
  ScriptedConnection(std::string serverName, std::shared_ptr<Script> script,
                     std::shared_ptr<CallLog> log)
      : TNetConnection(std::move(serverName)), script_(std::move(script)), log_(std::move(log)) {}

 protected:
  platform::Variant invoke(const std::string& method,
                           const std::vector<platform::Variant>& params) override;
  void connect() override;
  void disconnect() noexcept override;

 private:
  std::shared_ptr<Script> script_;
  std::shared_ptr<CallLog> log_;
};

// Plays the user: every gesture is one user event on the platform's dispatcher (the path a
// key or click of the desktop takes): a silent abort is swallowed, any other exception is shown
// through the error display and kept for the test. A gesture the control refuses (a disabled
// button, a hidden page) fails with a text naming it, so a test sees it in errors().
class Driver {
 public:
  explicit Driver(screen::TfrmAnaCustRevRec& form) : form_(form) {}
  screen::TfrmAnaCustRevRec& form() const { return form_; }

  // Runs one user event. Returns false when it raised (Abort included).
  bool dispatch(const std::function<void()>& event);
  // The user picks a main page / a planned sub-page / any page.
  bool selectPage(platform::ui::TabSheet* page);
  bool selectSubPage(platform::ui::TabSheet* page);
  bool pickPage(platform::ui::TabSheet& page);
  // The user moves the daily cost table (navigator button).
  bool moveDay(platform::ui::NavigateButton button);
  // The user presses a button of any navigator.
  bool pressNavigator(platform::ui::DBNavigator& navigator, platform::ui::NavigateButton button);
  // The user moves the daily cost table to the day `dayOfMonth` of the loaded month.
  bool gotoDay(double day);
  bool press(platform::ui::Button* button);
  // The user chooses a menu item (or presses its shortcut where it acts).
  bool click(platform::ui::MenuItem& item);

  // The user puts the focus on `control` (a click into it).
  bool focus(platform::ui::Control& control);
  // The user presses a key in `control` (focused first): the form's key path (menu shortcuts,
  // the form's preview, the control's KeyDown and KeyPress handlers), then what the control
  // does with what is left (a grid's cell editor and moves). `typed` is the character the key
  // types, 0 for none.
  bool pressKey(platform::ui::Control& control, platform::ui::Key key,
                platform::ui::ShiftState shift = platform::ui::ssNone, char32_t typed = 0);
  // Types `text` (UTF-8) into `control` character by character, each through pressKey.
  bool type(platform::ui::Control& control, std::string_view text);
  // The user picks a row (0-based) or the cell of `fieldName` of the current row of a grid.
  bool selectRow(platform::ui::DBGrid& grid, int row);
  bool selectCell(platform::ui::DBGrid& grid, const std::string& fieldName);
  // Selects the cell of `fieldName`, types `text` into it and presses Enter.
  bool typeIntoCell(platform::ui::DBGrid& grid, const std::string& fieldName,
                    std::string_view text);
  // The user presses the edit button of the grid's selected cell.
  bool pressEditButton(platform::ui::DBGrid& grid);

  const std::vector<std::string>& errors() const { return errors_; }
  int aborts() const { return aborts_; }

 private:
  screen::TfrmAnaCustRevRec& form_;
  std::vector<std::string> errors_;
  int aborts_ = 0;
};

// Runs the screen modally (platform::ui::runModal, failures shown): activation, then the
// steps, then the user closes the screen. An exception escaping the steps is rethrown once the
// screen is closed.
class ScriptedModal : public remote::ModalLoop {
 public:
  using Steps = std::function<void(screen::TfrmAnaCustRevRec& form, Driver& driver)>;
  void showModal(platform::ui::Form& form) override;

  Steps steps;
  bool closeAtEnd = true;
  // What the last run saw: errors shown by its events (activation and close included).
  std::vector<std::string> errors;
  bool closed = false;
  int runs = 0;
};

// Installs the doubles as the process's host services for the object's lifetime.
class TestHost {
 public:
  explicit TestHost(remote::HostShell& shell, remote::QueryExecutor& queries);
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  RecordingBusy busy;
  RecordingCursor cursor;
  ScriptedModal modal;
  platform::ScriptedDialogs dialogs;
  platform::RecordingErrorDisplay errors;
  ScriptedSearch search;
  TestClipboard clipboard;

 private:
  // Last, so the previous services are back before the members above go.
  std::optional<remote::ScopedHostServices> installed_;
};

// The eight opening values as IniProc takes them.
platform::Variant openingParams(const std::string& costBranch, const std::string& branch,
                                const std::string& service, int costMode, int calcMode,
                                double referenceDate, double fixedCostDate = 0,
                                bool useFixedCostDate = false);

// The values of `field` in every visible record of `dataSet`, read without moving its cursor.
std::vector<platform::Variant> column(platform::ClientDataSet& dataSet, const std::string& field);

}  // namespace screentest
