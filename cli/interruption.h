// Interruptions of a run: SIGINT, SIGTERM and SIGHUP (Ctrl-C, Ctrl-Break and
// the console's closing on Windows). A handler only records the signal; the
// run in progress sees it at its next block (StopOnInterruption), removes its
// temporary output and the command ends with InterruptedStatus(). A run
// blocked in a read or a write that does not come back within a grace time
// is ended by the handler itself, which removes the temporary being written.
#pragma once

#include <string>

#include "cipher/progress.h"

namespace qor::cli {

// Installs the handlers for the rest of the process; a signal that was
// ignored when the process started stays ignored.
void CatchInterruptions();

bool Interrupted();

// 128 + the signal: 130 for SIGINT, 143 for SIGTERM, 129 for SIGHUP. On
// Windows: 130 for Ctrl-C, 149 for Ctrl-Break (its SIGBREAK, 21), 129 for
// the console's closing.
int InterruptedStatus();

// The output now being written, as printed, for the line that a handler
// ending a blocked run writes ("" when none).
void SetOutputInProgress(const std::string& printedName);

// `inner`, which stops the run once an interruption came.
Progress StopOnInterruption(Progress inner);

// "qor: interrupted (SIGINT); WHAT" on standard error.
void ReportInterruption(const std::string& what);

}  // namespace qor::cli
