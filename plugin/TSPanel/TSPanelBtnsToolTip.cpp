#include "CPMUnknown.h"
#include "ITip.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Tooltips of the panel's buttons.
class TSPanelBtnsToolTip : public CPMUnknown<ITip> {
public:
    explicit TSPanelBtnsToolTip(IPMUnknown* boss) : CPMUnknown<ITip>(boss) {}
};

CREATE_PMINTERFACE(TSPanelBtnsToolTip, kTSPanelBtnsToolTipImpl);
