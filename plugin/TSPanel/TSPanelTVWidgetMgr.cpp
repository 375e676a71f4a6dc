#include "CPMUnknown.h"
#include "ITreeViewWidgetMgr.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Creates and fills the project tree's rows.
class TSPanelTVWidgetMgr : public CPMUnknown<ITreeViewWidgetMgr> {
public:
    explicit TSPanelTVWidgetMgr(IPMUnknown* boss) : CPMUnknown<ITreeViewWidgetMgr>(boss) {}
};

CREATE_PMINTERFACE(TSPanelTVWidgetMgr, kTSPanelTVWidgetMgrImpl);
