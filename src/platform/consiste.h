// The host library's date, text and number helpers (Consiste) and its error display.
//
// MensErro shows an error through the ErrorDisplay the host installed (setErrorDisplay) and can
// then end the current user operation silently by throwing platform::Abort. CheckResultServ is
// the common check of an application-server result: a text result is an error message.
#pragma once

#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/variant.h"

namespace platform {

namespace ui {
class DBGrid;
}

class ErrorDisplay {
 public:
  virtual ~ErrorDisplay() = default;
  // Shows the text as an error message and returns when the user has dismissed it.
  virtual void showError(const std::string& text, int helpContext) = 0;
};

// The process-wide error display the host installed, or nullptr. Setting returns the previous.
ErrorDisplay* errorDisplay();
ErrorDisplay* setErrorDisplay(ErrorDisplay* display);

// Installs a display for the lifetime of the object, then puts the previous one back.
class ScopedErrorDisplay {
 public:
  explicit ScopedErrorDisplay(ErrorDisplay* display) : previous_(setErrorDisplay(display)) {}
  ~ScopedErrorDisplay() { setErrorDisplay(previous_); }
  ScopedErrorDisplay(const ScopedErrorDisplay&) = delete;
  ScopedErrorDisplay& operator=(const ScopedErrorDisplay&) = delete;

 private:
  ErrorDisplay* previous_;
};

// A test double that records every error shown.
class RecordingErrorDisplay : public ErrorDisplay {
 public:
  struct Shown {
    std::string text;
    int helpContext = 0;
    bool operator==(const Shown&) const = default;
  };
  void showError(const std::string& text, int helpContext) override {
    shown_.push_back({text, helpContext});
  }
  const std::vector<Shown>& shown() const { return shown_; }
  std::vector<std::string> texts() const;
  void clear() { shown_.clear(); }

 private:
  std::vector<Shown> shown_;
};

}  // namespace platform

namespace Consiste {

// First and last day (whole day numbers) of the month of a date-time. ERRORS: as
// platform::decodeDate (std::out_of_range outside the years 1..9999).
double PriDiaMes(double date);
double UltimoDiaMes(double date);
// The last day of that month as a date. ERRORS: std::invalid_argument for a month outside 1..12
// or a year outside 1..9999.
double UltDiaMes(int month, int year);
// The full weekday name of the date in the current format settings ("sábado").
// ERRORS: as platform::decodeDate.
std::string NomeSemana(double date);
// platform::roundDec: half away from zero on the decimal the double stands for.
double RoundDec(double value, int decimals);

// Blank means control characters and spaces (bytes up to 0x20).
bool EmptyString(std::string_view text);
std::string AllTrim(std::string_view text);

// a when the condition holds, else b. Both are evaluated, as the arguments of any call.
template <class A, class B>
std::common_type_t<const A&, const B&> iif(bool condition, const A& a, const B& b) {
  if (condition) return a;
  return b;
}

// Index of the grid column bound to the field (ASCII case-insensitive), -1 when none.
int IndiceCol(const platform::ui::DBGrid& grid, std::string_view fieldName);

// Shows the text as an error through the installed display; with abort true then throws
// platform::Abort, ending the current operation silently.
// ERRORS: std::logic_error when no error display is installed (nothing would show the text).
void MensErro(const std::string& text, bool abort, int helpContext = 0);

// The common check of an application-server result. A result that is a non-blank text is the
// server's error message: it is shown as MensErro does, then with abort true platform::Abort is
// thrown, with abort false an empty (Null) payload is returned, so the message is never taken
// for data. Any other result, a blank text included (it carries no message), is returned as
// the payload.
platform::Variant CheckResultServ(const platform::Variant& result, bool abort, int helpContext);

}  // namespace Consiste
