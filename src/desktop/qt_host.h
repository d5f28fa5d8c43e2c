// The desktop's host services together: the busy animation window, the wait cursor, the modal
// loop, the message dialogs and the error display, the search list and the clipboard, installed as
// the process's host services (with the given shell and direct queries) for the object's lifetime,
// and every server connection's transport moved onto a worker thread. The previous services are put
// back after.
#pragma once

#include <optional>

#include "desktop/busy_animation.h"
#include "desktop/cursor_control.h"
#include "desktop/message_dialogs.h"
#include "desktop/modal_loop.h"
#include "desktop/search_dialog.h"
#include "remote/host_services.h"

namespace desktop {

class QtHost {
 public:
  // REQUIRES: a QApplication exists; `shell` and `queries` outlive this object.
  // `dialogs` and `errors` replace the Qt ones when given (the screenshot mode answers without
  // asking).
  QtHost(remote::HostShell& shell, remote::QueryExecutor& queries,
         platform::MessageDialogs* dialogs = nullptr, platform::ErrorDisplay* errors = nullptr);
  ~QtHost();
  QtHost(const QtHost&) = delete;
  QtHost& operator=(const QtHost&) = delete;

  QtBusyAnimation busy;
  QtCursorControl cursor;
  QtModalLoop modal;
  QtMessageDialogs dialogs;
  QtSearchList search;
  QtClipboard clipboard;

 private:
  // Last, so the previous services are back before the members above go.
  std::optional<remote::ScopedHostServices> installed_;
};

}  // namespace desktop
