#include "AbstractDialogObserver.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Observes the projects panel's buttons and refreshes the project list.
class TSPanelObserver : public AbstractDialogObserver {
public:
    explicit TSPanelObserver(IPMUnknown* boss) : AbstractDialogObserver(boss) {}
};

CREATE_PMINTERFACE(TSPanelObserver, kTSPanelObserverImpl);
