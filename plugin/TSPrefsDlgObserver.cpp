#include "CPMUnknown.h"
#include "IObserver.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Observes the preferences page's widgets.
class TSPrefsDlgObserver : public CPMUnknown<IObserver> {
public:
    explicit TSPrefsDlgObserver(IPMUnknown* boss) : CPMUnknown<IObserver>(boss) {}
};

CREATE_PMINTERFACE(TSPrefsDlgObserver, kTSPrefsDlgObserverImpl);
