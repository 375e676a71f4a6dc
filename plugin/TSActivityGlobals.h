// Whether the user is working: the three activity flags shared by the idle trackers and the
// layout view's event handler, the inactivity threshold, and the length of a period on the
// mapper's clock of seconds since midnight.
//
// Threading: the host calls the trackers and the handler on its user-interface thread only,
// between events, so the flags are plain values read and written there alone.
#pragma once

#include "PMTypes.h"

// A user event reached a layout view since the active tracker's last run.
extern bool16 g_ActiveMouseStatus;
// The front document was marked inactive and no user event has come since.
extern bool16 g_IdleMouseStatus;
// The application was marked inactive (in the background) and no user event has come since.
extern bool16 g_IdleAppStatus;

// A front document without a user event for this long becomes inactive.
constexpr int32 kTSInactivitySeconds = 300;
constexpr int32 kTSSecondsPerDay = 24 * 60 * 60;

// Seconds from clock value `start` to clock value `now`, never negative. The clock starts
// again at 0 at midnight, so a period that runs over it comes out as about a day less by
// plain subtraction: it counts as what it lasted. A smaller step back is the local clock
// being put back (the end of summer time): nothing is counted for it, where plain
// subtraction would take time off the totals.
inline int32 TSElapsedSeconds(int32 start, int32 now) {
    int32 elapsed = now - start;
    if (elapsed >= 0) return elapsed;
    return elapsed <= -kTSSecondsPerDay / 2 ? elapsed + kTSSecondsPerDay : 0;
}
