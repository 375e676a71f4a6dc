// The node a tree view row shows (IID 0x671, on every tree-node row widget). The tree view
// sets it when it applies a node to the row (CTreeViewWidgetMgr's base step does too).
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "NodeID.h"

class ITreeNodeIDData : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x671 };

    // kInvalidNodeID before a node was applied.
    virtual const NodeID& Get() const = 0;
    virtual void Set(const NodeID& node) = 0;
};
