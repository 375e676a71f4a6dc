#include "CPMUnknown.h"
#include "ITreeViewHierarchyAdapter.h"
#include "ImplementationRecord.h"
#include "TSID.h"

// Gives the project tree's shape to the tree view.
class TSPanelTVHierarchyAdapter : public CPMUnknown<ITreeViewHierarchyAdapter> {
public:
    explicit TSPanelTVHierarchyAdapter(IPMUnknown* boss) : CPMUnknown<ITreeViewHierarchyAdapter>(boss) {}
    NodeID GetRootNode() const override { return kInvalidNodeID; }
    NodeID GetParentNode(const NodeID&) const override { return kInvalidNodeID; }
    int32 GetNumChildren(const NodeID&) const override { return 0; }
    NodeID GetNthChild(const NodeID&, const int32&) const override { return kInvalidNodeID; }
    int32 GetChildIndex(const NodeID&, const NodeID&) const override { return -1; }
    NodeID GetGenericNodeID() const override { return kInvalidNodeID; }
};

CREATE_PMINTERFACE(TSPanelTVHierarchyAdapter, kTSPanelTVHierarchyAdapterImpl);
