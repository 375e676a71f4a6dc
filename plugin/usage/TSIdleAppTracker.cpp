#include "CIdleTask.h"
#include "ImplementationRecord.h"
#include "TSActiveMapper.h"
#include "TSActivityGlobals.h"
#include "TSID.h"

// Runs every 10 ms: when the application goes to the background it books the front document's
// time up to then, unless the document was idle already, and logs the application as inactive
// in every open document; while the application stays there it keeps moving the front
// document's timer to the present, so background time is never booked. Coming back is the
// layout view handler's.
class TSIdleAppTracker : public CIdleTask {
public:
    explicit TSIdleAppTracker(IPMUnknown* boss) : CIdleTask(boss) {}

    uint32 RunTask(uint32 appFlags, uint32 timeCheckMs) override;
    const char* TaskName() override { return "TSIdleAppTracker"; }

private:
    static constexpr uint32 kIntervalMs = 10;
};

uint32 TSIdleAppTracker::RunTask(uint32 appFlags, uint32) {
    if ((appFlags & IIdleTask::kApplicationInBackground) == 0) return kIntervalMs;
    UIDRef doc;
    if (!TSLookUpFrontDocument(doc)) return kIntervalMs;

    TSActiveMapper* mapper = TSActiveMapper::TSActiveMapperFactory();
    int32 t = mapper->Time();

    if (!g_IdleAppStatus) {
        // Checks held up until now (a modal dialog, the machine's sleep) must not let the
        // booking below count quiet time past its end.
        TSCheckActivity(mapper, doc, t);
        g_IdleAppStatus = kTrue;
        // An idle document's timer holds the moment it went idle: the time since is not work.
        if (!g_IdleMouseStatus) mapper->ModifyActiveTime(doc, t);
        mapper->UpdateInactiveAppEntry(t);
    }
    mapper->UpdateActiveTimer(doc, t);
    return kIntervalMs;
}

CREATE_PMINTERFACE(TSIdleAppTracker, kTSIdleAppTrackerImpl);
