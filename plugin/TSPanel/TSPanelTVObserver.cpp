#include "CPMUnknown.h"
#include "IObserver.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Observes the project tree's selection.
class TSPanelTVObserver : public CPMUnknown<IObserver> {
public:
    explicit TSPanelTVObserver(IPMUnknown* boss) : CPMUnknown<IObserver>(boss) {}
};

CREATE_PMINTERFACE(TSPanelTVObserver, kTSPanelTVObserverImpl);
