#include "CEventHandler.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Wraps the layout view's own handler to note the user's activity.
class TSLayoutTrackerEH : public CEventHandler {
public:
    explicit TSLayoutTrackerEH(IPMUnknown* boss) : CEventHandler(boss) {}
};

CREATE_PMINTERFACE(TSLayoutTrackerEH, kTSLayoutTrackerEHImpl);
