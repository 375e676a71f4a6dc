#include <limits>

#include "CPMUnknown.h"
#include "ITSPanelDataModel.h"
#include "ITreeViewHierarchyAdapter.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "TSID.h"
#include "TSPanelNodeID.h"

// Gives the project tree's shape to the tree view by asking the model on the same boss.
// Ids the model does not know get the model's answer for them.
class TSPanelTVHierarchyAdapter : public CPMUnknown<ITreeViewHierarchyAdapter> {
public:
    explicit TSPanelTVHierarchyAdapter(IPMUnknown* boss) : CPMUnknown<ITreeViewHierarchyAdapter>(boss) {}

    NodeID GetRootNode() const override {
        InterfacePtr<ITSPanelDataModel> model(Model());
        if (!model) return kInvalidNodeID;
        return NodeID(new TSPanelNodeID(model->GetRootID()));
    }

    NodeID GetParentNode(const NodeID& node) const override {
        const TSPanelNodeID* ours = TSPanelNodeID::From(node);
        InterfacePtr<ITSPanelDataModel> model(Model());
        if (!ours || !model) return kInvalidNodeID;
        int32 id = ours->GetProjectID();
        if (id == model->GetRootID()) return kInvalidNodeID;
        return NodeID(new TSPanelNodeID(model->GetParentID(id)));
    }

    int32 GetNumChildren(const NodeID& node) const override {
        const TSPanelNodeID* ours = TSPanelNodeID::From(node);
        InterfacePtr<ITSPanelDataModel> model(Model());
        if (!ours || !model) return 0;
        return model->GetChildCount(ours->GetProjectID());
    }

    NodeID GetNthChild(const NodeID& parent, const int32& n) const override {
        const TSPanelNodeID* ours = TSPanelNodeID::From(parent);
        InterfacePtr<ITSPanelDataModel> model(Model());
        if (!ours || !model) return kInvalidNodeID;
        return NodeID(new TSPanelNodeID(model->GetNthChildID(ours->GetProjectID(), n)));
    }

    int32 GetChildIndex(const NodeID& parent, const NodeID& child) const override {
        const TSPanelNodeID* parentID = TSPanelNodeID::From(parent);
        const TSPanelNodeID* childID = TSPanelNodeID::From(child);
        InterfacePtr<ITSPanelDataModel> model(Model());
        if (!parentID || !childID || !model) return -1;
        return model->GetChildIndexFor(parentID->GetProjectID(), childID->GetProjectID());
    }

    // No node carries this id, so a blank node that is never read names nothing.
    NodeID GetGenericNodeID() const override {
        return NodeID(new TSPanelNodeID(std::numeric_limits<int32>::min()));
    }

private:
    ITSPanelDataModel* Model() const {
        return static_cast<ITSPanelDataModel*>(QueryInterface(kTSPanelDataModelInterfaceID));
    }
};

CREATE_PMINTERFACE(TSPanelTVHierarchyAdapter, kTSPanelTVHierarchyAdapterImpl);
