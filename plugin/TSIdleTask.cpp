#include "CIdleTask.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Shows the upload's progress in the panel and reports a failed upload.
class TSIdleTask : public CIdleTask {
public:
    explicit TSIdleTask(IPMUnknown* boss) : CIdleTask(boss) {}

    uint32 RunTask(uint32, uint32) override { return kEndOfTime; }
    const char* TaskName() override { return "0x61000kTSIdleTaskKey"; }
};

CREATE_PMINTERFACE(TSIdleTask, kTSIdleTaskImpl);
