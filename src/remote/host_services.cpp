#include "remote/host_services.h"

#include <stdexcept>

#include "platform/consiste.h"
#include "platform/messages.h"

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

}  // namespace remote
