#include "CTreeViewWidgetMgr.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Creates and fills the project tree's rows.
class TSPanelTVWidgetMgr : public CTreeViewWidgetMgr {
public:
    explicit TSPanelTVWidgetMgr(IPMUnknown* boss) : CTreeViewWidgetMgr(boss) {}
};

CREATE_PMINTERFACE(TSPanelTVWidgetMgr, kTSPanelTVWidgetMgrImpl);
