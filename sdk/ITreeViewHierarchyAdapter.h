// Tells a tree view the shape of the tree: its root, each node's parent and children. A
// plug-in implements it on its tree view's boss (IID 0x673). The host calls GetNthChild only
// with 0 <= n < GetNumChildren(node), and asks GetNumChildren for every row it shows, so an
// adapter that loads children on demand loads them for collapsed rows too. Nodes the adapter
// does not know (foreign nodes) get kInvalidNodeID as parent and child, and 0 children.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "NodeID.h"

class ITreeViewHierarchyAdapter : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x673 };

    // kInvalidNodeID when there is no tree.
    virtual NodeID GetRootNode() const = 0;
    // kInvalidNodeID for the root and for unknown nodes.
    virtual NodeID GetParentNode(const NodeID& node) const = 0;
    virtual int32 GetNumChildren(const NodeID& node) const = 0;
    virtual NodeID GetNthChild(const NodeID& node, const int32& nth) const = 0;
    // The child's index under `parent`, or -1.
    virtual int32 GetChildIndex(const NodeID& parent, const NodeID& child) const = 0;
    // A blank node of the adapter's type, for the host to Read a stored node into.
    virtual NodeID GetGenericNodeID() const = 0;
};
