// Whether the user is working: the three activity flags shared by the idle trackers and the
// layout view's event handler, the inactivity threshold, the length of a period on the
// mapper's clock, and the front document they all book time for.
//
// Threading: the host calls the trackers and the handler on its user-interface thread only,
// between events, so the flags are plain values read and written there alone.
#pragma once

#include <cstdint>

#include "PMTypes.h"
#include "UIDRef.h"

// A user event reached a layout view since the active tracker's last run.
extern bool16 g_ActiveMouseStatus;
// The front document was marked inactive and no user event has come since.
extern bool16 g_IdleMouseStatus;
// The application was marked inactive (in the background) and no user event has come since.
extern bool16 g_IdleAppStatus;

// The front document's reference. False, leaving `doc` alone, when no document is open.
bool TSLookUpFrontDocument(UIDRef& doc);

// A front document without a user event for this long becomes inactive.
constexpr int32 kTSInactivitySeconds = 300;

// Seconds from clock value `start` to clock value `now`, never negative. The mapper's clock
// counts elapsed time, so midnight and the changes to and from summer time are no jumps; a
// step back is the host's clock being put back, and nothing is counted for it, where plain
// subtraction would take time off the totals.
inline int32 TSElapsedSeconds(int32 start, int32 now) {
    const int64 elapsed = static_cast<int64>(now) - start;
    return elapsed <= 0 ? 0 : elapsed >= INT32_MAX ? INT32_MAX : static_cast<int32>(elapsed);
}
