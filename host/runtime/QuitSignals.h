// SIGTERM and SIGINT ask the host to quit, as the quit command does: the console stops its
// script before the next line, idle time ends, a PDF export stops between pages and removes
// what it was writing, and the host then quits as always (documents closed, shut-down services run,
// workspace saved) and ends by the signal, so whoever started it learns what ended it. A
// second such signal ends the process at once.
//
// tessaron-host catches the signals; the host library alone (in tests) never does, and
// QuitSignal then stays 0. The handler only stores the signal's number, so QuitSignal may be
// asked from any thread.
#pragma once

namespace tshost {

// Catches SIGTERM and SIGINT from now on. Blocking reads are not restarted after the signal,
// so a script read from a terminal or a pipe ends there too.
void CatchQuitSignals();

// The signal that asked the host to quit; 0 while none has.
int QuitSignal();

// Once the host has quit for a signal: flushes the transcript and ends the process by that
// signal's default action. Returns only when no signal asked to quit.
void EndByQuitSignal();

}  // namespace tshost
