#include "CObserver.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Observes the project tree's selection.
class TSPanelTVObserver : public CObserver {
public:
    explicit TSPanelTVObserver(IPMUnknown* boss) : CObserver(boss) {}
};

CREATE_PMINTERFACE(TSPanelTVObserver, kTSPanelTVObserverImpl);
