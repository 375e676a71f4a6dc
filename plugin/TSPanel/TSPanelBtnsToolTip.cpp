#include "CPMUnknown.h"
#include "ITip.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Tooltips of the panel's buttons.
class TSPanelBtnsToolTip : public CPMUnknown<ITip> {
public:
    explicit TSPanelBtnsToolTip(IPMUnknown* boss) : CPMUnknown<ITip>(boss) {}
    PMString GetTipText(const PMPoint&, TipWindowPlacementAdvice*) override { return PMString(); }
};

CREATE_PMINTERFACE(TSPanelBtnsToolTip, kTSPanelBtnsToolTipImpl);
