#include "CPanelCreator.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Creates the plug-in's page in the Preferences dialog.
class TSPrefsPanelCreator : public CPanelCreator {
public:
    explicit TSPrefsPanelCreator(IPMUnknown* boss) : CPanelCreator(boss) {}
};

CREATE_PMINTERFACE(TSPrefsPanelCreator, kTSPrefsPanelCreatorImpl);
