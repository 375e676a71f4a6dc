#include "CIdleTask.h"
#include "ImplementationRecord.h"
#include "TSActiveMapper.h"
#include "TSActivityGlobals.h"
#include "TSID.h"

// Runs about once a second: books the front document's active time while the user works in
// a layout view, and marks the document inactive once nobody has for five minutes. The way
// back to active is the layout view handler's, on the next user event.
class TSActiveIdleTaskTracker : public CIdleTask {
public:
    explicit TSActiveIdleTaskTracker(IPMUnknown* boss) : CIdleTask(boss) {}

    uint32 RunTask(uint32 appFlags, uint32 timeCheckMs) override;
    const char* TaskName() override { return "TSActiveIdleTaskTracker"; }

private:
    static constexpr uint32 kIntervalMs = 1000;
};

uint32 TSActiveIdleTaskTracker::RunTask(uint32, uint32) {
    // In the background nothing is booked until a user event brings the application back.
    if (g_IdleAppStatus) return kIntervalMs;
    UIDRef doc;
    if (!TSLookUpFrontDocument(doc)) return kIntervalMs;

    TSActiveMapper* mapper = TSActiveMapper::TSActiveMapperFactory();
    int32 t = mapper->Time();

    if (g_ActiveMouseStatus) {
        g_ActiveMouseStatus = kFalse;
        mapper->ModifyActiveTime(doc, t);
        mapper->UpdateActiveTimer(doc, t);
        return kIntervalMs;
    }
    const int32 start = mapper->LookUpActiveTime(doc);
    if (t < start) {
        // The host's clock was put back: the quiet time counts from now, or the document
        // would stay active until the clock came round to the start again.
        mapper->UpdateActiveTimer(doc, t);
        return kIntervalMs;
    }
    if (TSElapsedSeconds(start, t) < kTSInactivitySeconds) return kIntervalMs;
    if (g_IdleMouseStatus) return kIntervalMs;

    // The quiet minutes are booked as active: the user may have been reading the page.
    g_IdleMouseStatus = kTrue;
    mapper->ModifyActiveTime(doc, t);
    mapper->UpdateActiveTimer(doc, t);
    mapper->UpdateInactiveEntry(doc, t);
    return kIntervalMs;
}

CREATE_PMINTERFACE(TSActiveIdleTaskTracker, kTSActiveIdleTaskTrackerImpl);
