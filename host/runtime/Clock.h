// The host's clock, read by IDTime and the idle scheduler. It has two readings: the wall
// clock (the date and time the user sees, which the user may set) and a steady clock that
// counts real elapsed time, a sleep of the machine included, and never steps; durations and
// the idle tasks' delays are measured on the steady one. Both run in real time until the
// clock is made virtual (scripts and tests). A virtual clock stands still: setting it steps
// the wall clock only, idle time advances both, and a sleep of the machine is both advancing
// with nothing run in between. The steady reading carries on across every switch. Times are
// milliseconds, the wall clock's since the epoch, the steady clock's from an arbitrary zero;
// dates and times of day are local. Reading is safe on any thread (the state is atomic);
// changing it is for the user-interface thread.
#pragma once

#include <optional>
#include <string>

#include "PMTypes.h"

namespace tshost {

class Clock {
public:
    static int64 NowMs();
    static int64 SteadyMs();
    static bool IsVirtual();

    // Makes the clock virtual with the wall clock at `ms`; the steady clock does not move.
    static void SetVirtual(int64 ms);
    // Makes the clock virtual at the current real time, when it is not virtual yet.
    static void MakeVirtual();
    static void UseRealTime();
    // Moves a virtual clock forward, both readings; does nothing to a real one.
    static void Advance(int64 ms);

    // Local "YYYY-MM-DD HH:MM:SS" to milliseconds; empty for text in any other form or an
    // invalid date.
    static std::optional<int64> ParseLocal(const std::string& text);
    static std::string FormatLocal(int64 ms);
};

}  // namespace tshost
