// The rows of a tree view (IID 0x66b, on the tree view's boss). The tree view builds its
// rows through the hierarchy adapter (0x673) and the widget manager of its boss: the root
// node is not shown, its children are the top-level rows, and a node's children are shown
// while it is expanded. The rows are built the first time anyone needs them, and again on
// ChangeRoot; ClearTree leaves the tree empty until ChangeRoot.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "NodeID.h"

class IControlView;

class ITreeViewMgr : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x66b };
    // RevealNode's options: the host expands the ancestors and scrolls in every case.
    enum : int32 { kRevealExpandAncestors = 1, kRevealScroll = 2 };

    // Drops every row, forgets the expanded nodes and clears the selection (a change, when
    // something was selected). `invalidate` only asks for a redraw.
    virtual void ClearTree(bool16 invalidate = kTrue) = 0;
    // Rebuilds the rows from the adapter's root. Expanded and selected nodes still in the
    // tree stay so; selected nodes that left it are deselected.
    virtual void ChangeRoot(bool16 invalidate = kTrue) = 0;
    virtual bool16 IsNodeExpanded(const NodeID& node) const = 0;
    virtual void ExpandNode(const NodeID& node) = 0;
    virtual void CollapseNode(const NodeID& node) = 0;
    // Expands the node's ancestors and scrolls its row into view.
    virtual void RevealNode(const NodeID& node, int32 options = kRevealScroll) = 0;
    // The number of rows shown.
    virtual int32 GetNumRows() const = 0;
    // A shown row's node, or kInvalidNodeID.
    virtual NodeID GetNthRowNode(int32 row) const = 0;
    // The row widget that shows the node (not counted), or null when the node is not shown.
    virtual IControlView* GetWidgetFromNode(const NodeID& node) const = 0;
};
