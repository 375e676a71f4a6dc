#include "CDialogObserver.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Observes the send dialog's widgets.
class TSDialogObserver : public CDialogObserver {
public:
    explicit TSDialogObserver(IPMUnknown* boss) : CDialogObserver(boss) {}
};

CREATE_PMINTERFACE(TSDialogObserver, kTSDialogObserverImpl);
