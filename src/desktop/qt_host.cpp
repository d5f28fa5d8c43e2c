#include "desktop/qt_host.h"

#include "desktop/form_window.h"
#include "desktop/threaded_transport.h"
#include "remote/http_transport.h"
#include "remote/net_connection.h"

namespace desktop {

QtHost::QtHost(remote::HostShell& shell, remote::QueryExecutor& queries,
               platform::MessageDialogs* dialogsOverride, platform::ErrorDisplay* errorsOverride)
    : busy([](platform::ui::Form* form) -> QWidget* { return FormWindow::of(form); }) {
  remote::HostServices services;
  services.shell = &shell;
  services.busy = &busy;
  services.cursor = &cursor;
  services.modal = &modal;
  services.queries = &queries;
  services.dialogs = dialogsOverride != nullptr ? dialogsOverride : &dialogs;
  services.search = &search;
  services.clipboard = &clipboard;
  services.errors = errorsOverride != nullptr ? errorsOverride : &dialogs;
  installed_.emplace(services);
  remote::TNetConnection::setDefaultTransportFactory(threadedTransportFactory(
      [](const std::string& host, int port, const remote::TransportOptions& options) {
        return remote::makeHttpTransport(host, port, options);
      }));
}

QtHost::~QtHost() {
  remote::TNetConnection::setDefaultTransportFactory({});
}

}  // namespace desktop
