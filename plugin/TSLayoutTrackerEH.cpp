#include "CPMUnknown.h"
#include "IEventHandler.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Wraps the layout view's own handler to note the user's activity.
class TSLayoutTrackerEH : public CPMUnknown<IEventHandler> {
public:
    explicit TSLayoutTrackerEH(IPMUnknown* boss) : CPMUnknown<IEventHandler>(boss) {}
};

CREATE_PMINTERFACE(TSLayoutTrackerEH, kTSLayoutTrackerEHImpl);
