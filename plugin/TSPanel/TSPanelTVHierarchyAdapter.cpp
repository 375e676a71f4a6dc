#include "CPMUnknown.h"
#include "ITreeViewHierarchyAdapter.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Gives the project tree's shape to the tree view.
class TSPanelTVHierarchyAdapter : public CPMUnknown<ITreeViewHierarchyAdapter> {
public:
    explicit TSPanelTVHierarchyAdapter(IPMUnknown* boss) : CPMUnknown<ITreeViewHierarchyAdapter>(boss) {}
};

CREATE_PMINTERFACE(TSPanelTVHierarchyAdapter, kTSPanelTVHierarchyAdapterImpl);
