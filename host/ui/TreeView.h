// The host's tree view: the rows shown, the expanded nodes and the selection of one tree
// view widget (a boss of kTreeViewWidgetBoss or a plug-in class derived from it). The SDK
// interfaces on the same boss (ITreeViewController 0x66a, ITreeViewMgr 0x66b) are thin
// fronts over this object; the console and the tests use it directly.
//
// Rows: the root node (the adapter's GetRootNode) is hidden and its children are the
// top-level rows (depth 0); a node's children follow it while it is expanded. The adapter
// is asked GetNumChildren for every shown row, collapsed or not. Each new row's widget comes
// from the widget manager's CreateWidgetForNode; the tree view stores the node in the row's
// node-ID data (0x671), shows the row's expander (0x61e) only for nodes with children and
// then calls ApplyNodeIDToWidget (kApplyNew). ChangeRoot makes every row anew; across an
// expand, collapse or reveal rows that stay shown keep their widgets, a row's expander is
// set again only when its node's children or expansion changed, and a row whose node was
// expanded or collapsed since it was last applied is applied again (kApplyExpansion). Row
// widgets are the tree widget's last children, in row order, stacked by GetNodeWidgetHeight;
// an expand or collapse costs in proportion to the rows shown. A tree holds at most kMaxRows
// rows and kMaxDepth levels; an adapter that claims more (or loops) is cut there with a
// diagnostic.
//
// Events: a left click on a row selects only that row; a double click toggles it; clicking
// a row's expander expands or collapses its node. The host's tree-node event handler hands
// the row's events here; a plug-in that wraps that handler sees them first.
//
// Selection: kept in the order nodes were selected (the first stays first); see
// ITreeViewController.h for what can be selected and what is broadcast.
// Re-entrant rebuilds (an adapter or manager that rebuilds the tree from inside a rebuild)
// are refused with a diagnostic. User-interface thread only.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "CPMUnknown.h"
#include "IControlView.h"
#include "IObserver.h"
#include "ISubject.h"
#include "InterfacePtr.h"
#include "NodeID.h"

class IEvent;
class IPanelControlData;
class ITreeViewHierarchyAdapter;
class ITreeViewWidgetMgr;

namespace tshost {

// Marks the host's tree state on a tree view boss.
class ITreeViewHost : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x30700 };
};

class TreeView final : public CPMUnknown<ITreeViewHost> {
public:
    static constexpr int32 kMaxRows = 100000;
    static constexpr int32 kMaxDepth = 256;

    struct Row {
        NodeID node;
        int32 depth = 0;
        int32 children = 0;       // GetNumChildren when the row was built
        bool applied = false;          // ApplyNodeIDToWidget was called for this widget
        bool appliedExpander = false;  // whether the host last showed its expander
        bool appliedExpanded = false;  // the expansion it was last applied with
        InterfacePtr<IControlView> widget;  // null when the manager made none
        InterfacePtr<ISubject> expander;    // watched for clicks; null without an expander
    };

    // What a user sees of a row.
    struct RowLook {
        int32 depth = 0;
        bool expander = false;   // the expander is shown
        bool expanded = false;
        RsrcID icon;             // the first picture in the row
        std::string name;        // the first text in the row, as displayed
        bool selected = false;
    };

    explicit TreeView(IPMUnknown* boss);
    ~TreeView() override;

    // The tree state of a tree view boss (any interface on it), or null.
    static TreeView* Of(const IPMUnknown* treeWidget);
    // Every tree view alive, in creation order.
    static const std::vector<TreeView*>& Live();

    void EnsureBuilt();
    const std::vector<Row>& Rows();
    std::vector<RowLook> Looks();
    // One line per row as the console shows it: two blanks per level, the expander ("+ "
    // collapsed, "- " expanded, blanks without one), the icon "<ID> ", the name, and
    // " [selected]".
    std::vector<std::string> RowLines();
    // The index of the row shown by that widget (any interface on the row's boss), or -1.
    int32 RowOfWidget(const IPMUnknown* rowWidget) const;
    // The first row whose displayed name is `name`, or -1.
    int32 RowNamed(const std::string& name);

    void ClearTree();
    void ChangeRoot();
    bool IsExpanded(const NodeID& node) const { return fExpanded.count(node) != 0; }
    void Expand(const NodeID& node);
    void Collapse(const NodeID& node);
    void Toggle(const NodeID& node);
    void Reveal(const NodeID& node);
    const NodeID& ScrollTarget() const { return fScrollTarget; }

    const std::vector<NodeID>& Selected() const { return fSelected; }
    bool IsSelected(const NodeID& node) const;
    ErrorCode Select(const NodeID& node, bool notify);
    // Selects the node and nothing else, as a click does: one broadcast at most.
    ErrorCode SelectOnly(const NodeID& node, bool notify);
    void Deselect(const NodeID& node, bool notify);
    void DeselectAll(bool notify);
    // Whether the node is a shown or hidden descendant of the root.
    bool IsInTree(const NodeID& node) const;

    // A row's event from the host's tree-node handler; kTrue when the tree view handled it.
    bool16 HandleRowEvent(IControlView* row, IEvent& event);

private:
    // Hears the expanders' presses; not a boss interface, it lives and dies with the tree.
    class ExpanderWatcher final : public IObserver {
    public:
        explicit ExpanderWatcher(TreeView& tree) : fTree(tree) {}
        IPMUnknown* QueryInterface(PMIID) const override { return nullptr; }
        void AddRef() const override {}
        void Release() const override {}
        void Update(const ClassID& change, ISubject* subject, const PMIID& protocol, void*) override;

    private:
        TreeView& fTree;
    };

    class OldRowIndex;

    void Rebuild();
    void Visit(const ITreeViewHierarchyAdapter& adapter, const ITreeViewWidgetMgr* mgr, const NodeID& parent, int32 depth,
               std::vector<Row>& old, OldRowIndex& oldIndex, bool& cut);
    // Makes the rows' widgets the tree widget's last children, in row order, in place of the
    // old rows' widgets (`oldWidgets`, sorted).
    void PlaceRows(IPanelControlData* panel, const std::vector<const IControlView*>& oldWidgets);
    void DropRows(std::vector<Row>& rows);
    void Broadcast();
    void Highlight(const NodeID& node, bool on);
    bool PruneSelection();

    std::vector<Row> fRows;
    std::set<NodeID> fExpanded;
    std::vector<NodeID> fSelected;
    NodeID fScrollTarget;
    ExpanderWatcher fWatcher{*this};
    bool fBuilt = false;
    bool fBuilding = false;
};

}  // namespace tshost
