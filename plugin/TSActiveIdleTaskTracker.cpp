#include "CIdleTask.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Tracks the front document's active time.
class TSActiveIdleTaskTracker : public CIdleTask {
public:
    explicit TSActiveIdleTaskTracker(IPMUnknown* boss) : CIdleTask(boss) {}

    uint32 RunTask(uint32, uint32) override { return kEndOfTime; }
    const char* TaskName() override { return "TSActiveIdleTaskTracker"; }
};

CREATE_PMINTERFACE(TSActiveIdleTaskTracker, kTSActiveIdleTaskTrackerImpl);
