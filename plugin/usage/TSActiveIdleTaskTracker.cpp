#include "CIdleTask.h"
#include "ImplementationRecord.h"
#include "TSActiveMapper.h"
#include "TSActivityGlobals.h"
#include "TSID.h"

// Runs about once a second: books the front document's active time while the user works in
// a layout view, and marks the document inactive once nobody has for five minutes
// (TSCheckActivity). The way back to active is the layout view handler's, on the next user
// event.
class TSActiveIdleTaskTracker : public CIdleTask {
public:
    explicit TSActiveIdleTaskTracker(IPMUnknown* boss) : CIdleTask(boss) {}

    uint32 RunTask(uint32 appFlags, uint32 timeCheckMs) override;
    const char* TaskName() override { return "TSActiveIdleTaskTracker"; }

private:
    static constexpr uint32 kIntervalMs = kTSCheckSeconds * 1000;
};

uint32 TSActiveIdleTaskTracker::RunTask(uint32, uint32) {
    // In the background nothing is booked until a user event brings the application back.
    if (g_IdleAppStatus) return kIntervalMs;
    UIDRef doc;
    if (!TSLookUpFrontDocument(doc)) return kIntervalMs;
    TSActiveMapper* mapper = TSActiveMapper::TSActiveMapperFactory();
    TSCheckActivity(mapper, doc, mapper->Time());
    return kIntervalMs;
}

CREATE_PMINTERFACE(TSActiveIdleTaskTracker, kTSActiveIdleTaskTrackerImpl);
