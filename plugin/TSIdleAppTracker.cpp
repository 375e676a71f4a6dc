#include "CIdleTask.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Notes when the application goes to the background and comes back.
class TSIdleAppTracker : public CIdleTask {
public:
    explicit TSIdleAppTracker(IPMUnknown* boss) : CIdleTask(boss) {}

    uint32 RunTask(uint32, uint32) override { return kEndOfTime; }
    const char* TaskName() override { return "TSIdleAppTracker"; }
};

CREATE_PMINTERFACE(TSIdleAppTracker, kTSIdleAppTrackerImpl);
