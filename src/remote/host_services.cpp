#include "remote/host_services.h"

#include <stdexcept>

#include "platform/consiste.h"
#include "platform/messages.h"
#include "platform/product_code.h"
#include "remote/net_connection.h"

namespace remote {
namespace {

HostServices& services() {
  static HostServices instance;
  return instance;
}

template <typename T>
T& require(T* service, const char* name) {
  if (service == nullptr)
    throw std::logic_error(std::string("Host service not installed: ") + name);
  return *service;
}

}  // namespace

const HostServices& hostServices() {
  return services();
}
// The dialogs and the error display are also the platform's process-wide ones, which TMessages and
// Consiste::MensErro use.
void setHostServices(const HostServices& s) {
  services() = s;
  platform::setMessageDialogs(s.dialogs);
  platform::setErrorDisplay(s.errors);
}

ScopedHostServices::ScopedHostServices(const HostServices& s)
    : previous_(hostServices()),
      previousDialogs_(platform::messageDialogs()),
      previousErrors_(platform::errorDisplay()) {
  setHostServices(s);
}

ScopedHostServices::~ScopedHostServices() {
  setHostServices(previous_);
  platform::setMessageDialogs(previousDialogs_);
  platform::setErrorDisplay(previousErrors_);
}

HostShell& hostShell() {
  return require(services().shell, "shell");
}
BusyAnimation& busyAnimation() {
  return require(services().busy, "busy animation");
}
CursorControl& cursorControl() {
  return require(services().cursor, "cursor");
}
ModalLoop& modalLoop() {
  return require(services().modal, "modal loop");
}
QueryExecutor& queryExecutor() {
  return require(services().queries, "queries");
}
SearchList& searchList() {
  return require(services().search, "search list");
}
Clipboard& clipboard() {
  return require(services().clipboard, "clipboard");
}

bool ValidEx(int pictureType, std::string& code, ValidExOptions options, const std::string& label,
             bool abort) {
  if (options.contains(ValidExOption::AllowEmpty) && Consiste::EmptyString(code)) return true;
  try {
    code = platform::fitProductCode(code, hostShell().DBPict(pictureType),
                                    options.contains(ValidExOption::Reformat));
    return true;
  } catch (const platform::ProductCodeError& e) {
    if (!abort) return false;
    Consiste::MensErro(
        platform::ProductCodeError(e.code(), e.picture(), label.empty() ? "Código" : label).what(),
        true);
  }
  return false;
}

bool Autoriza(TNetConnection& connection, int kind, const std::string& actionKey,
              const std::string& extra) {
  if (!connection.Connected()) connection.open();
  return hostShell().Autoriza(connection, kind, actionKey, extra);
}

}  // namespace remote
