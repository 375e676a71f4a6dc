#include "CPMUnknown.h"
#include "IObserver.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Observes the send dialog's widgets.
class TSDialogObserver : public CPMUnknown<IObserver> {
public:
    explicit TSDialogObserver(IPMUnknown* boss) : CPMUnknown<IObserver>(boss) {}
};

CREATE_PMINTERFACE(TSDialogObserver, kTSDialogObserverImpl);
