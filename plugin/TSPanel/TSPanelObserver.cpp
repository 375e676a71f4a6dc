#include "CPMUnknown.h"
#include "IObserver.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Observes the projects panel's buttons and refreshes the project list.
class TSPanelObserver : public CPMUnknown<IObserver> {
public:
    explicit TSPanelObserver(IPMUnknown* boss) : CPMUnknown<IObserver>(boss) {}
};

CREATE_PMINTERFACE(TSPanelObserver, kTSPanelObserverImpl);
