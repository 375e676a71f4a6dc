#include "CEventHandler.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Wraps a tree row's own handler for the right-click menu.
class TSPanelTVNodeEH : public CEventHandler {
public:
    explicit TSPanelTVNodeEH(IPMUnknown* boss) : CEventHandler(boss) {}
};

CREATE_PMINTERFACE(TSPanelTVNodeEH, kTSPanelTVNodeEHImpl);
