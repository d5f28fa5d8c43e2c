#include "platform/consiste.h"

#include <stdexcept>

#include "platform/abort.h"
#include "platform/date.h"
#include "platform/format.h"
#include "platform/ui/db_grid.h"

namespace platform {
namespace {

ErrorDisplay*& installedDisplay() {
  static ErrorDisplay* display = nullptr;
  return display;
}

}  // namespace

ErrorDisplay* errorDisplay() {
  return installedDisplay();
}

ErrorDisplay* setErrorDisplay(ErrorDisplay* display) {
  ErrorDisplay* previous = installedDisplay();
  installedDisplay() = display;
  return previous;
}

std::vector<std::string> RecordingErrorDisplay::texts() const {
  std::vector<std::string> out;
  out.reserve(shown_.size());
  for (const Shown& s : shown_)
    out.push_back(s.text);
  return out;
}

}  // namespace platform

namespace Consiste {
namespace {

bool isBlank(char c) {
  return static_cast<unsigned char>(c) <= 0x20;
}

}  // namespace

double PriDiaMes(double date) {
  const platform::Ymd ymd = platform::decodeDate(date);
  return platform::encodeDate(ymd.year, ymd.month, 1);
}

double UltimoDiaMes(double date) {
  const platform::Ymd ymd = platform::decodeDate(date);
  return UltDiaMes(ymd.month, ymd.year);
}

double UltDiaMes(int month, int year) {
  return platform::encodeDate(year, month, platform::daysInMonth(year, month));
}

std::string NomeSemana(double date) {
  const int day = platform::dayOfWeek(date);
  return platform::formatSettings().longDayNames[static_cast<size_t>(day - 1)];
}

double RoundDec(double value, int decimals) {
  return platform::roundDec(value, decimals);
}

bool EmptyString(std::string_view text) {
  for (char c : text) {
    if (!isBlank(c)) return false;
  }
  return true;
}

std::string AllTrim(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && isBlank(text[begin]))
    ++begin;
  while (end > begin && isBlank(text[end - 1]))
    --end;
  return std::string(text.substr(begin, end - begin));
}

int IndiceCol(const platform::ui::DBGrid& grid, std::string_view fieldName) {
  return grid.columnIndexOf(fieldName);
}

void MensErro(const std::string& text, bool abort, int helpContext) {
  platform::ErrorDisplay* display = platform::errorDisplay();
  if (display == nullptr) throw std::logic_error("No error display installed to show: " + text);
  display->showError(text, helpContext);
  if (abort) throw platform::Abort();
}

platform::Variant CheckResultServ(const platform::Variant& result, bool abort, int helpContext) {
  if (!result.isText()) return result;
  const std::string text = result.toString();
  if (EmptyString(text)) return result;
  MensErro(text, abort, helpContext);
  return platform::Variant::null();
}

}  // namespace Consiste
