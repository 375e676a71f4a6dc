#include "CPMUnknown.h"
#include "IEventHandler.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Wraps a tree row's own handler for the right-click menu.
class TSPanelTVNodeEH : public CPMUnknown<IEventHandler> {
public:
    explicit TSPanelTVNodeEH(IPMUnknown* boss) : CPMUnknown<IEventHandler>(boss) {}
};

CREATE_PMINTERFACE(TSPanelTVNodeEH, kTSPanelTVNodeEHImpl);
