#include "CPMUnknown.h"
#include "IObserver.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Selects the front document's project in the tree.
class TSPanelTVSelectionObserver : public CPMUnknown<IObserver> {
public:
    explicit TSPanelTVSelectionObserver(IPMUnknown* boss) : CPMUnknown<IObserver>(boss) {}
};

CREATE_PMINTERFACE(TSPanelTVSelectionObserver, kTSPanelTVSelectionObserverImpl);
