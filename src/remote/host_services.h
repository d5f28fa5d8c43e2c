// The services the host shell lends to the screens it opens: its settings, the operator and the
// module, rights, the busy animation, the mouse cursor, the modal loop, the direct read-only
// queries and the loading of sibling screens. The screen reaches them only through these
// interfaces; the host shell (desktop, headless report, tests) installs the implementations with
// setHostServices() before it opens a screen.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/data_packet.h"
#include "platform/variant.h"

namespace platform {
class MessageDialogs;
class ErrorDisplay;
namespace ui {
class Form;
}
}  // namespace platform

namespace remote {

class TNetConnection;

// The host shell's settings and services.
class HostShell {
 public:
  virtual ~HostShell() = default;
  // Address and port of the application-server host; every connection takes them before it
  // connects.
  virtual std::string WebURL() const = 0;
  virtual int WebPort() const = 0;
  // Code of the logged-in operator.
  virtual std::string Operador() const = 0;
  // True when the shell runs the branch module, where standard recipes may not be changed.
  virtual bool ModuFili() const = 0;
  // The branch's current processing date (day number). Throws std::runtime_error for an unknown
  // branch.
  virtual double DataProc(const std::string& branchCode) = 0;
  // The edit mask of product codes for a picture type (0 = product tree), e.g. "99.99.999.9999".
  virtual std::string DBPict(int pictureType) const = 0;
  // Number of levels of the product-code tree of a picture type; the last level holds the stock
  // products.
  virtual int GetTtNiveis(int pictureType) const = 0;
  // The active module of the shell, as a character: the screen compares its code with 27, 43 and
  // 'Q' (81).
  virtual char ModuloAtiv() const = 0;
  // Refreshes the shell's local copy of the named tables (an array of texts).
  virtual void AtualizaLocalCache(const platform::Variant& tableNames) = 0;
  // Opens a sibling screen by its code ("RCX00514") with a variant array of parameters. Throws
  // std::runtime_error with a clear text for a code the shell does not know.
  virtual void LoadBPL(const std::string& screenCode, const platform::Variant& params) = 0;
  // Asks the authorisation server, through `connection` (connected first when it is not),
  // whether the operator may perform `actionKey` of the given kind.
  virtual bool Autoriza(TNetConnection& connection, int kind, const std::string& actionKey,
                        const std::string& extra) = 0;
};

// The modeless busy animation shown while the screen waits for the server.
class BusyAnimation {
 public:
  virtual ~BusyAnimation() = default;
  // Shows the animation of `kind` (0, 1 or 6) with an optional caption, over `form` or the
  // application when null. Showing it again replaces the caption.
  virtual void ActiveShowAvi(platform::ui::Form* form, int kind, const std::string& caption) = 0;
  void ActiveShowAvi(platform::ui::Form* form, int kind) { ActiveShowAvi(form, kind, ""); }
  // Hides it; hiding an animation that is not shown does nothing.
  virtual void DeactiveShowAvi() = 0;
  virtual bool visible() const = 0;
};

enum class CursorShape { Default, HourGlass };

class CursorControl {
 public:
  virtual ~CursorControl() = default;
  virtual void setCursor(CursorShape shape) = 0;
  virtual CursorShape cursor() const = 0;
};

// Runs a form modally: returns when the form closes.
class ModalLoop {
 public:
  virtual ~ModalLoop() = default;
  virtual void showModal(platform::ui::Form& form) = 0;
};

// Database dialects a direct query may be written for.
enum class SqlDialect { Default, Oracle, MsSql, InterBase };

// Runs the host's direct read-only queries on its database connection.
class QueryExecutor {
 public:
  virtual ~QueryExecutor() = default;
  virtual SqlDialect dialect() const = 0;
  // Runs `sql` with `:NAME` parameters bound from `params` (name without the colon) and answers
  // the rows with one field per result column. Throws std::runtime_error with the database's
  // message on failure; a statement that would write is refused.
  virtual platform::DataPacket execute(
      const std::string& sql,
      const std::vector<std::pair<std::string, platform::Variant>>& params) = 0;
};

struct HostServices {
  HostShell* shell = nullptr;
  BusyAnimation* busy = nullptr;
  CursorControl* cursor = nullptr;
  ModalLoop* modal = nullptr;
  QueryExecutor* queries = nullptr;
  platform::MessageDialogs* dialogs = nullptr;
  platform::ErrorDisplay* errors = nullptr;
};

// The services in force. REQUIRES for each use: the host installed that service (a missing one
// raises std::logic_error naming it).
const HostServices& hostServices();
// Also makes `dialogs` and `errors` the platform's message dialogs and error display.
void setHostServices(const HostServices& services);

// Installs services for its lifetime, then puts back the ones in force before, together with the
// platform's dialogs and error display as they were.
class ScopedHostServices {
 public:
  explicit ScopedHostServices(const HostServices& services);
  ~ScopedHostServices();
  ScopedHostServices(const ScopedHostServices&) = delete;
  ScopedHostServices& operator=(const ScopedHostServices&) = delete;

 private:
  HostServices previous_;
  platform::MessageDialogs* previousDialogs_;
  platform::ErrorDisplay* previousErrors_;
};

HostShell& hostShell();
BusyAnimation& busyAnimation();
CursorControl& cursorControl();
ModalLoop& modalLoop();
QueryExecutor& queryExecutor();

}  // namespace remote
