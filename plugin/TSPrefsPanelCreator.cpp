#include "CPMUnknown.h"
#include "IPanelCreator.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Creates the plug-in's page in the Preferences dialog.
class TSPrefsPanelCreator : public CPMUnknown<IPanelCreator> {
public:
    explicit TSPrefsPanelCreator(IPMUnknown* boss) : CPMUnknown<IPanelCreator>(boss) {}
};

CREATE_PMINTERFACE(TSPrefsPanelCreator, kTSPrefsPanelCreatorImpl);
