// The services the host shell lends to the screens it opens: its settings, the operator and the
// module, rights, the busy animation, the mouse cursor, the modal loop, the direct read-only
// queries, the search list, the clipboard, the product-code check and the loading of sibling
// screens. The screen reaches them only through these interfaces; the host shell (desktop,
// headless report, tests) installs the implementations with setHostServices() before it opens a
// screen.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "platform/data_packet.h"
#include "platform/variant.h"

namespace platform {
class DataSource;
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

// The modal search list (the host library's Pesquisa::Pesquisar).
//
// The list shows the visible fields of the data source's visible rows, titled by the part of
// `caption` before '|' (platform::splitSearchCaption). Typing filters the rows by code
// (CDARVPROD) or name (NMPRODUTO), ignoring case and accents (platform::searchMatches); Enter or
// a double click chooses the highlighted row, Esc cancels; a list without rows shows the part of
// the caption after '|' instead. `editable` false keeps the rows read-only; `filterAsTyped` true
// filters on every key, false only when the user asks for it.
class SearchList {
 public:
  virtual ~SearchList() = default;
  // Returns true when the user chose a row; the data source's dataset is then on that row.
  // Returns false, the cursor back where it was, when the user cancelled or had nothing to
  // choose. Errors: whatever moving the dataset raises.
  virtual bool Pesquisar(platform::DataSource& source, const std::string& caption, bool editable,
                         bool filterAsTyped) = 0;
};

// The system clipboard's text.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Empty when the clipboard holds no text.
  virtual std::string text() const = 0;
  virtual void setText(const std::string& text) = 0;
};

struct HostServices {
  HostShell* shell = nullptr;
  BusyAnimation* busy = nullptr;
  CursorControl* cursor = nullptr;
  ModalLoop* modal = nullptr;
  QueryExecutor* queries = nullptr;
  platform::MessageDialogs* dialogs = nullptr;
  platform::ErrorDisplay* errors = nullptr;
  SearchList* search = nullptr;
  Clipboard* clipboard = nullptr;
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
SearchList& searchList();
Clipboard& clipboard();

// Options of ValidEx, by ordinal: the screen passes the set holding only Reformat.
enum class ValidExOption : uint8_t {
  AllowEmpty = 0,  // an empty or blank code passes unchanged
  Reformat = 1,    // the code is given back in the picture's form
};
class ValidExOptions {
 public:
  constexpr ValidExOptions() = default;
  constexpr ValidExOptions(std::initializer_list<ValidExOption> options) {
    for (ValidExOption o : options)
      bits_ |= static_cast<uint8_t>(1u << static_cast<unsigned>(o));
  }
  constexpr bool contains(ValidExOption o) const {
    return (bits_ >> static_cast<unsigned>(o) & 1u) != 0;
  }

 private:
  uint8_t bits_ = 0;
};

// The host library's Tabvalid::ValidEx: checks `code` against the shell's picture of
// `pictureType` (HostShell::DBPict) and, with Reformat, leaves it in the picture's form (see
// platform::fitProductCode: with or without separators). `label` names the value in the message
// (empty: "Código"). Returns true when the code fits. A code that does not fit is refused: with
// `abort` the text is shown through Consiste::MensErro and the operation ends (platform::Abort);
// without it ValidEx returns false and shows nothing. `code` is changed only when it fits.
bool ValidEx(int pictureType, std::string& code, ValidExOptions options, const std::string& label,
             bool abort);

// The host library's Lib02200::Autoriza: the shell's answer (HostShell::Autoriza), asked after
// `connection` is connected when it is not.
bool Autoriza(TNetConnection& connection, int kind, const std::string& actionKey,
              const std::string& extra);

}  // namespace remote
