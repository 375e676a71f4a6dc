// Whether the user is working: the activity flags and moments shared by the idle trackers,
// the layout view's event handler and the document responder, the inactivity threshold, the
// length of a period on the mapper's clock, the front document they all book time for, and
// the check that books the front document's work and ends it after the quiet seconds.
//
// Threading: the host calls the trackers, the handler and the responder on its
// user-interface thread only, between events, so the flags are plain values read and written
// there alone.
#pragma once

#include <cstdint>

#include "PMTypes.h"
#include "UIDRef.h"

class TSActiveMapper;

// A user event reached a layout view since the last check.
extern bool16 g_ActiveMouseStatus;
// The clock value of the last user event in a layout view, while g_ActiveMouseStatus is set.
// At load, when the plug-in counts as if the user had just worked, it is later than any
// clock value, so the first check takes its own moment for that work.
extern int32 g_ActivityTime;
// The front document was marked inactive and no user event has come since.
extern bool16 g_IdleMouseStatus;
// The application was marked inactive (in the background) and no user event has come since.
extern bool16 g_IdleAppStatus;
// The clock value of the last check.
extern int32 g_CheckedTime;

// The front document's reference. False, leaving `doc` alone, when no document is open.
bool TSLookUpFrontDocument(UIDRef& doc);

// A front document without a user event for this long becomes inactive.
constexpr int32 kTSInactivitySeconds = 300;
// The active tracker checks this often.
constexpr int32 kTSCheckSeconds = 1;

// Seconds from clock value `start` to clock value `now`, never negative.
inline int32 TSElapsedSeconds(int32 start, int32 now) {
    const int64 elapsed = static_cast<int64>(now) - start;
    return elapsed <= 0 ? 0 : elapsed >= INT32_MAX ? INT32_MAX : static_cast<int32>(elapsed);
}

// Brings the usage of `doc`, the front document until `t`, up to clock value `t` as checks
// every kTSCheckSeconds would have: work since the last check is booked up to the moment
// such a check would have noticed it, which restarts the quiet time; kTSInactivitySeconds
// of quiet make the document inactive, booked up to their end and its inactive line stamped
// with that moment. So a late check (a modal dialog or the machine's sleep held the checks
// up) books no more than a check in time. Nothing while the application or the document is
// marked inactive, nor for a document that is not tracked.
void TSCheckActivity(TSActiveMapper* mapper, const UIDRef& doc, int32 t);
