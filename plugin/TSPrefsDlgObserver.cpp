#include "AbstractDialogObserver.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Observes the preferences page's widgets.
class TSPrefsDlgObserver : public AbstractDialogObserver {
public:
    explicit TSPrefsDlgObserver(IPMUnknown* boss) : AbstractDialogObserver(boss) {}
};

CREATE_PMINTERFACE(TSPrefsDlgObserver, kTSPrefsDlgObserverImpl);
