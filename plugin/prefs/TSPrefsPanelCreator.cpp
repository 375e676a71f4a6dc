#include "CPanelCreator.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Names the plug-in's page of the host's Preferences dialog; the host builds the page from
// this view and finds it again by the page's widget ID.
class TSPrefsPanelCreator : public CPanelCreator {
public:
    explicit TSPrefsPanelCreator(IPMUnknown* boss) : CPanelCreator(boss) {}

    RsrcID GetPanelRsrcID() const override { return kTSPrefsPanelRsrcID; }
};

CREATE_PMINTERFACE(TSPrefsPanelCreator, kTSPrefsPanelCreatorImpl);
