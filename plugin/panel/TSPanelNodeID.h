// The identity of one row of the projects panel's tree: an internal node id of the project
// tree model (-1 for the root), never the server's project id. The tree view stores, clones,
// compares and streams these; every reader checks the node type before it reads the id,
// which From does. Ids from before a rebuild of the model may name another node or none.
// User-interface thread only, like the tree.
#pragma once

#include "NodeID.h"
#include "TSID.h"

constexpr NodeType kTSPanelNodeType{kTSPrefix + 0x3};

class TSPanelNodeID : public NodeIDClass {
public:
    explicit TSPanelNodeID(int32 projectID = -1) : fProjectID(projectID) {}

    NodeType GetNodeType() const override { return kTSPanelNodeType; }
    int32 Compare(const NodeIDClass* other) const override;
    NodeIDClass* Clone() const override { return new TSPanelNodeID(fProjectID); }
    void Read(IPMStream* stream) override;
    void Write(IPMStream* stream) const override;

    int32 GetProjectID() const { return fProjectID; }

    // The node inside `node` when it is one of this tree's; null for an empty or foreign node.
    static const TSPanelNodeID* From(const NodeID& node) {
        return node.GetNodeType() == kTSPanelNodeType ? static_cast<const TSPanelNodeID*>(node.Get()) : nullptr;
    }

private:
    int32 fProjectID;
};
