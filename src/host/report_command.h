// `menucost report`: opens the cost analysis screen exactly as a host does (its module loaded by
// code, entered through IniProc with the eight opening values) under a scripted modal loop, and
// prints what its daily cost grid shows, the month totals and the standard cost per diner, and
// optionally the planned-versus-realized grid.
#pragma once

#include <iosfwd>

#include "host/cli_options.h"
#include "host/report_table.h"
#include "host/shell_session.h"

namespace platform::ui {
class Form;
}

namespace host {

// Reads the report off a screen that has been activated: the header, the daily cost grid, the
// month totals (the cost panel is switched on to fill them) and, with planReal, the
// planned-versus-realized grid (its page is selected to build it).
// Errors: std::out_of_range or std::invalid_argument when the form lacks one of the screen's
// components; whatever the screen's handlers raise.
Report readReport(platform::ui::Form& form, const ReportOptions& options);

// Runs the command: opens the shell session (see ShellSession), installs the headless host
// services, enters the screen through `entry` and writes the report to `out`, or to the
// options' output file (always for xlsx; a csv file starts with the UTF-8 byte order mark). The
// window's options it was given are named on `err` as ignored; dialogs, errors and progress (with
// verbose) go to `err` too; the embedded server's call log (with verbose) goes to std::cerr.
// Returns the exit status: 0 when the report was written, 1 when anything failed (the reason is
// written to `err` and nothing to `out`).
int runReport(const ReportOptions& options, std::ostream& out, std::ostream& err,
              ScreenEntry entry = {});

}  // namespace host
