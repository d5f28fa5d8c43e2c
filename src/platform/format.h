// Number and date display, pt-BR by default.
//
// Number patterns: "#,##0.00000", "#,###,##0", "###,##0.00", "#,##0.###", "#,##0.00 %", "0".
//   - a comma anywhere in the integer part turns on thousands grouping;
//   - '0' after the point is a required decimal, '#' after it an optional one (trailing zeros
//     dropped); the value is rounded half away from zero to the number of decimal places;
//   - '0' before the point forces that many integer digits, '#' is an optional digit;
//   - every other character, '%' included, and text in quotes are literal: percentages are
//     stored already multiplied by 100 ("Safra (%)" 60 shows "60,00 %"), so nothing scales;
//   - a section separator ';' gives the pattern for negatives (without sign) and for zero;
//     a value that rounds to zero never shows a sign;
//   - an empty pattern gives the general form: up to 15 significant digits, no grouping,
//     "1,5E20" / "1E-6" outside 1e-5 .. 1e15; NaN and infinities show "NAN", "INF", "-INF".
//   Digits a double carries beyond the 15th significant one are treated as noise (as roundDec).
//   formatFloat("#,##0.00000", 0.125) == "0,12500"; formatFloat("#,###,##0", 1234567) ==
//   "1.234.567"; formatFloat("#,##0.###", 2.5) == "2,5".
// Date patterns: "dd/mm/yyyy", "ddddd" (short date), "dddd" (full weekday), "ddd" (abbreviated
// weekday: dom seg ter qua qui sex sáb), "dd", "d", "mm", "m", "mmm", "mmmm", "yy", "yyyy",
// "hh", "nn", "ss", "zzz"; "m"/"mm" right after an hour are minutes; "/" is the settings' date
// separator; quoted text is literal; letters are matched in any case. An empty pattern gives the
// short date followed by the time when there is one. ERRORS: std::out_of_range for a date-time
// outside the years 1..9999 (NaN and infinities included).
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace platform {

struct FormatSettings {
  char decimalSeparator = ',';
  char thousandSeparator = '.';
  char dateSeparator = '/';
  std::string shortDateFormat = "dd/mm/yyyy";
  std::array<std::string, 7> shortDayNames{"dom", "seg", "ter", "qua", "qui", "sex", "sáb"};
  std::array<std::string, 7> longDayNames{"domingo",      "segunda-feira", "terça-feira",
                                          "quarta-feira", "quinta-feira",  "sexta-feira",
                                          "sábado"};
  std::array<std::string, 12> shortMonthNames{"jan", "fev", "mar", "abr", "mai", "jun",
                                              "jul", "ago", "set", "out", "nov", "dez"};
  std::array<std::string, 12> longMonthNames{"janeiro",  "fevereiro", "março",    "abril",
                                             "maio",     "junho",     "julho",    "agosto",
                                             "setembro", "outubro",   "novembro", "dezembro"};
};

// The process-wide settings (pt-BR unless replaced). Not thread-safe to replace while in use.
const FormatSettings& formatSettings();
void setFormatSettings(const FormatSettings& settings);

std::string formatFloat(std::string_view pattern, double value,
                        const FormatSettings& settings = formatSettings());
std::string formatDateTime(std::string_view pattern, double dateTime,
                           const FormatSettings& settings = formatSettings());
// "dd/mm/yyyy" in the settings' separator.
std::string shortDate(double dateTime, const FormatSettings& settings = formatSettings());

// Round half away from zero on the decimal value the double stands for: RoundDec(0.125, 2) ==
// 0.13, RoundDec(0.1234567, 5) == 0.12346, RoundDec(0.999999, 5) == 1. Values computed from
// decimals (1.005 as 1.00499999999999989...) round as their decimal form does: below 1e15 the
// value is read at 15 significant digits first. The result is the double nearest to the rounded
// decimal (never -0); negative `decimals` round to tens, hundreds...; NaN and infinities come
// back unchanged.
double roundDec(double value, int decimals);

}  // namespace platform
