#include "screen/support/screen_host.h"

#include <gtest/gtest.h>

#include <exception>

#include "platform/ui/modal_run.h"
#include "platform/ui/user_event.h"
#include "remote/remote_error.h"

namespace screentest {

using platform::Variant;

void RecordingBusy::ActiveShowAvi(platform::ui::Form*, int kind, const std::string& caption) {
  visible_ = true;
  events_.push_back("show " + std::to_string(kind) + (caption.empty() ? "" : " " + caption));
}

void RecordingBusy::DeactiveShowAvi() {
  visible_ = false;
  events_.push_back("hide");
}

std::vector<std::string> RecordingBusy::shows() const {
  std::vector<std::string> out;
  for (const std::string& e : events_)
    if (e.rfind("show", 0) == 0) out.push_back(e);
  return out;
}

void RecordingCursor::setCursor(remote::CursorShape shape) {
  shape_ = shape;
  history_.push_back(shape);
}

int CallLog::count(const std::string& method) const {
  int n = 0;
  for (const Call& c : calls_)
    n += c.method == method ? 1 : 0;
  return n;
}

std::map<std::string, int> CallLog::counts() const {
  std::map<std::string, int> out;
  for (const Call& c : calls_)
    ++out[c.method];
  return out;
}

const std::vector<Variant>& CallLog::last(const std::string& method) const {
  for (auto it = calls_.rbegin(); it != calls_.rend(); ++it)
    if (it->method == method) return it->params;
  ADD_FAILURE() << "no call of " << method;
  static const std::vector<Variant> none;
  return none;
}

std::vector<std::string> CallLog::methods() const {
  std::vector<std::string> out;
  for (const Call& c : calls_)
    out.push_back(c.method);
  return out;
}

Variant CountingConnection::invoke(const std::string& method, const std::vector<Variant>& params) {
  log_->add({ServerName, method, params});
  return TNetConnection::invoke(method, params);
}

void CountingConnection::connect() {
  log_->connects.push_back(ServerName);
  TNetConnection::connect();
}

void CountingConnection::disconnect() noexcept {
  log_->disconnects.push_back(ServerName);
  TNetConnection::disconnect();
}

Variant ScriptedConnection::invoke(const std::string& method, const std::vector<Variant>& params) {
  if (!Connected()) open();
  log_->add({ServerName, method, params});
  auto it = script_->find(method);
  if (it == script_->end()) {
    throw remote::RemoteError(remote::RemoteError::Kind::Protocol, remote::kRpcMethodNotFound,
                              "Método não encontrado: " + method);
  }
  return it->second(params);
}

void ScriptedConnection::connect() {
  log_->connects.push_back(ServerName);
}

void ScriptedConnection::disconnect() noexcept {
  log_->disconnects.push_back(ServerName);
}

bool Driver::dispatch(const std::function<void()>& event) {
  const platform::ui::EventOutcome outcome = platform::ui::runUserEvent(event);
  if (outcome.aborted()) ++aborts_;
  if (outcome.failed()) errors_.push_back(outcome.error);
  return outcome.completed();
}

bool Driver::selectPage(platform::ui::TabSheet* page) {
  return dispatch([&] {
    if (!form_.pgcPadrao->selectPage(*page)) throw std::logic_error("page refused");
  });
}

bool Driver::selectSubPage(platform::ui::TabSheet* page) {
  return dispatch([&] {
    if (!form_.pgcPlanejado->selectPage(*page)) throw std::logic_error("sub-page refused");
  });
}

bool Driver::pickPage(platform::ui::TabSheet& page) {
  return dispatch([&] {
    platform::ui::PageControl* pages = page.pageControl();
    if (pages == nullptr || !pages->selectPage(page))
      throw std::logic_error(page.name() + " refused");
  });
}

bool Driver::moveDay(platform::ui::NavigateButton button) {
  return dispatch([&] {
    if (!form_.cost.dbnCusto->press(button)) throw std::logic_error("navigator refused");
  });
}

bool Driver::pressNavigator(platform::ui::DBNavigator& navigator,
                            platform::ui::NavigateButton button) {
  return dispatch([&] {
    if (!navigator.press(button)) throw std::logic_error(navigator.name() + " refused");
  });
}

bool Driver::gotoDay(double day) {
  return dispatch([&] {
    if (!form_.cost.cdsTrabCusto.locate("DTDATA", Variant::date(day)))
      throw std::logic_error("day not in the table");
  });
}

bool Driver::press(platform::ui::Button* button) {
  return dispatch([&] {
    if (!button->press()) throw std::logic_error(button->name() + " refused");
  });
}

bool Driver::click(platform::ui::MenuItem& item) {
  return dispatch([&] {
    if (!item.visible() || !item.click()) throw std::logic_error(item.name() + " refused");
  });
}

bool Driver::focus(platform::ui::Control& control) {
  if (control.focused()) return true;
  return dispatch([&] {
    if (!form_.setActiveControl(&control)) throw std::logic_error(control.name() + " refused");
  });
}

bool Driver::pressKey(platform::ui::Control& control, platform::ui::Key key,
                      platform::ui::ShiftState shift, char32_t typed) {
  if (!focus(control)) return false;
  return dispatch([&] { form_.pressKey(key, shift, typed); });
}

namespace {

// The next code point of UTF-8 `text` at `at`, which moves past it.
char32_t nextChar(std::string_view text, size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at++]);
  const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
  for (int i = 0; i < extra && at < text.size(); ++i)
    c = (c << 6) | (static_cast<unsigned char>(text[at++]) & 0x3F);
  return c;
}

}  // namespace

bool Driver::type(platform::ui::Control& control, std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const char32_t c = nextChar(text, at);
    const char ascii = c < 0x80 ? static_cast<char>(c) : '\0';
    const platform::ui::Key key = platform::ui::keyOf(ascii);
    const bool upper = ascii >= 'A' && ascii <= 'Z';
    if (!pressKey(control, key, upper ? platform::ui::ssShift : platform::ui::ssNone, c))
      return false;
  }
  return true;
}

bool Driver::selectRow(platform::ui::DBGrid& grid, int row) {
  if (!focus(grid)) return false;
  return dispatch([&] {
    if (!grid.selectRow(row)) throw std::logic_error(grid.name() + " refused the row");
  });
}

bool Driver::selectCell(platform::ui::DBGrid& grid, const std::string& fieldName) {
  if (!focus(grid)) return false;
  return dispatch([&] {
    const int index = grid.columnIndexOf(fieldName);
    if (index < 0 || !grid.selectColumn(index))
      throw std::logic_error(grid.name() + " refused the column " + fieldName);
  });
}

bool Driver::typeIntoCell(platform::ui::DBGrid& grid, const std::string& fieldName,
                          std::string_view text) {
  return selectCell(grid, fieldName) && type(grid, text) &&
         pressKey(grid, platform::ui::VK_RETURN, platform::ui::ssNone, 13);
}

bool Driver::pressEditButton(platform::ui::DBGrid& grid) {
  if (!focus(grid)) return false;
  return dispatch([&] {
    if (!grid.pressEditButton()) throw std::logic_error(grid.name() + " has no edit button");
  });
}

void ScriptedModal::showModal(platform::ui::Form& form) {
  ++runs;
  closed = false;
  auto& screenForm = dynamic_cast<screen::TfrmAnaCustRevRec&>(form);
  Driver driver(screenForm);
  platform::ui::ModalOptions options;
  options.closeAtEnd = closeAtEnd;
  if (steps) options.body = [&] { steps(screenForm, driver); };
  const platform::ui::ModalResult result = platform::ui::runModal(form, options);
  closed = result.closed;
  errors.clear();
  if (result.activation.failed()) errors.push_back(result.activation.error);
  errors.insert(errors.end(), driver.errors().begin(), driver.errors().end());
  if (result.close.failed()) errors.push_back(result.close.error);
  if (result.failure) std::rethrow_exception(result.failure);
}

TestHost::TestHost(remote::HostShell& shell, remote::QueryExecutor& queries) {
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

Variant openingParams(const std::string& costBranch, const std::string& branch,
                      const std::string& service, int costMode, int calcMode, double referenceDate,
                      double fixedCostDate, bool useFixedCostDate) {
  return Variant::array({Variant(costBranch), Variant(branch), Variant(service),
                         Variant(static_cast<int32_t>(costMode)),
                         Variant(static_cast<int32_t>(calcMode)), Variant::date(referenceDate),
                         Variant::date(fixedCostDate), Variant(useFixedCostDate)});
}

std::vector<Variant> column(platform::ClientDataSet& dataSet, const std::string& field) {
  std::vector<Variant> values;
  for (int row = 1; row <= dataSet.recordCount(); ++row)
    dataSet.withDisplayRow(row, [&] { values.push_back(dataSet.fieldByName(field).value()); });
  return values;
}

}  // namespace screentest
