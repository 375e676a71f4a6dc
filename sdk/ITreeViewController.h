// The selection of a tree view (IID 0x66a, on the tree view's boss; also the protocol its
// changes go out on). GetSelectedItems lists the selected nodes in the order they were
// selected, so the first entry stays the first while others are added. Every change of the
// selection, by the user or by program, broadcasts kListSelectionChangedMessage (0x76b) on
// protocol 0x66a through the tree view's ISubject; a call that changes nothing broadcasts
// nothing, and `notify` kFalse keeps a change quiet. Hidden nodes (below a collapsed row)
// can be selected; the root, empty and foreign nodes cannot.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "NodeID.h"

class ITreeViewController : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x66a };

    virtual void GetSelectedItems(NodeIDList& selected) const = 0;
    virtual bool16 IsSelected(const NodeID& node) const = 0;
    // Adds the node to the selection. kSuccess (0) when the node is selected afterwards;
    // kInvalidParameterError for the root, an empty node or one outside the tree.
    virtual ErrorCode Select(const NodeID& node, bool16 invalidate = kTrue, bool16 notify = kTrue) = 0;
    virtual void Deselect(const NodeID& node, bool16 invalidate = kTrue, bool16 notify = kTrue) = 0;
    virtual void DeselectAll(bool16 invalidate = kTrue, bool16 notify = kTrue) = 0;
};
