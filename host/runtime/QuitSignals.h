// SIGTERM, SIGINT and SIGHUP (a closed terminal) ask the host to quit, as the quit command
// does: the console stops its script before the next line, idle time ends, a PDF export stops
// between pages and removes what it was writing, and the host then quits as always (documents
// closed, shut-down services run, workspace saved) and ends by the signal, so whoever started it
// learns what ended it.
//
// While a wait the user may cancel is open (a RangeProgressBar that offers Cancel, as the wait
// for an upload at close or quit does), the first such signal cancels that wait, and asks the
// host to quit unless a signal already has. Any further signal ends the process at once, after
// removing the temporary files still kept (TemporaryFiles.h).
//
// tessaron-host catches the signals; the host library alone (in tests) never does, and
// QuitSignal then stays 0. The handler only uses lock-free atomics, unlink and rmdir, so the
// functions here may be called from any thread.
#pragma once

namespace tshost {

// Catches SIGTERM, SIGINT and SIGHUP from now on. Blocking reads are not restarted after the
// signal, so a script read from a terminal or a pipe ends there too.
void CatchQuitSignals();

// The signal that asked the host to quit; 0 while none has.
int QuitSignal();

// Once the host has quit for a signal: flushes the transcript and ends the process by that
// signal's default action. Returns only when no signal asked to quit.
void EndByQuitSignal();

// A cancellable wait opens and closes (RangeProgressBar); waits may nest. Opening the first
// clears an earlier cancel.
void OpenCancellableWait();
void CloseCancellableWait();
// Cancels the open waits as the user's Cancel does; false when none is open or they were
// cancelled already.
bool CancelWait();
// True once the open waits were cancelled.
bool WaitCancelled();

}  // namespace tshost
