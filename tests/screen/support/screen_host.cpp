#include "screen/support/screen_host.h"

#include <gtest/gtest.h>

#include <exception>

#include "platform/abort.h"
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
  try {
    event();
    return true;
  } catch (const platform::Abort&) {
    ++aborts_;
  } catch (const std::exception& e) {
    errors_.push_back(e.what());
    if (platform::errorDisplay() != nullptr) platform::errorDisplay()->showError(e.what(), 0);
  }
  return false;
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

bool Driver::moveDay(platform::ui::NavigateButton button) {
  return dispatch([&] {
    if (!form_.cost.dbnCusto->press(button)) throw std::logic_error("navigator refused");
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

void ScriptedModal::showModal(platform::ui::Form& form) {
  ++runs;
  closed = false;
  auto& screenForm = dynamic_cast<screen::TfrmAnaCustRevRec&>(form);
  Driver driver(screenForm);
  form.setVisible(true);
  driver.dispatch([&] { form.activate(); });
  if (steps) steps(screenForm, driver);
  if (closeAtEnd && form.visible()) driver.dispatch([&] { form.close(); });
  closed = !form.visible();
  errors = driver.errors();
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
