#include "desktop/qt_host.h"

#include "desktop/form_window.h"
#include "desktop/threaded_transport.h"
#include "remote/http_transport.h"
#include "remote/net_connection.h"

namespace desktop {

QtHost::QtHost(remote::HostShell& shell, remote::QueryExecutor& queries,
               platform::MessageDialogs* dialogsOverride, platform::ErrorDisplay* errorsOverride)
    : busy([](platform::ui::Form* form) -> QWidget* { return FormWindow::of(form); }),
      previous_(remote::hostServices()),
      previousDialogs_(platform::messageDialogs()),
      previousErrors_(platform::errorDisplay()) {
  remote::HostServices services;
  services.shell = &shell;
  services.busy = &busy;
  services.cursor = &cursor;
  services.modal = &modal;
  services.queries = &queries;
  services.dialogs = dialogsOverride != nullptr ? dialogsOverride : &dialogs;
  services.errors = errorsOverride != nullptr ? errorsOverride : &dialogs;
  remote::setHostServices(services);
  platform::setMessageDialogs(services.dialogs);
  platform::setErrorDisplay(services.errors);
  remote::TNetConnection::setDefaultTransportFactory(threadedTransportFactory(
      [](const std::string& host, int port, const remote::TransportOptions& options) {
        return remote::makeHttpTransport(host, port, options);
      }));
}

QtHost::~QtHost() {
  remote::TNetConnection::setDefaultTransportFactory({});
  platform::setErrorDisplay(previousErrors_);
  platform::setMessageDialogs(previousDialogs_);
  remote::setHostServices(previous_);
}

}  // namespace desktop
