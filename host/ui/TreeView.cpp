#include "TreeView.h"

#include <algorithm>
#include <exception>

#include "IEvent.h"
#include "IPanelControlData.h"
#include "ITextControlData.h"
#include "ITreeNodeIDData.h"
#include "ITreeViewHierarchyAdapter.h"
#include "ITreeViewWidgetMgr.h"
#include "ITriStateControlData.h"
#include "Transcript.h"
#include "WidgetImpls.h"
#include "WidgetIDs.h"
#include "Widgets.h"

namespace tshost {

namespace {

constexpr PMIID kSelectionProtocol{0x66a};

std::vector<TreeView*>& LiveTrees() {
    static std::vector<TreeView*> trees;
    return trees;
}

// The first text and the first picture below a row widget, depth-first in child order.
void LookInside(const IPMUnknown* widget, TreeView::RowLook& look, bool& haveName, int depth) {
    if (!widget || depth > 64) return;
    for (IControlView* child : ChildrenOf(widget)) {
        if (!look.icon.IsValid() && child->GetRsrcID().IsValid()) look.icon = child->GetRsrcID();
        if (!haveName) {
            InterfacePtr<ITextControlData> text(child, IID_OF<ITextControlData>());
            if (text) {
                look.name = DisplayText(text->GetString());
                haveName = true;
            }
        }
        LookInside(child, look, haveName, depth + 1);
    }
}

IControlView* ExpanderOf(IControlView* row) {
    InterfacePtr<IPanelControlData> panel(row, IID_OF<IPanelControlData>());
    return panel ? panel->FindWidget(kTreeNodeExpanderWidgetID, 9999) : nullptr;
}

void ShowExpander(IControlView* row, bool shown, bool expanded) {
    IControlView* expander = ExpanderOf(row);
    if (!expander) return;
    if (shown) expander->Show(kTrue);
    else expander->Hide();
    InterfacePtr<ITriStateControlData> state(expander, IID_OF<ITriStateControlData>());
    if (state)
        state->SetState(expanded ? ITriStateControlData::kSelected : ITriStateControlData::kUnselected, kFalse, kFalse);
}

}  // namespace

TreeView::TreeView(IPMUnknown* boss) : CPMUnknown<ITreeViewHost>(boss) { LiveTrees().push_back(this); }

TreeView::~TreeView() {
    std::erase(LiveTrees(), this);
    // Only the watcher's attachments go: the rows' widgets are released with fRows.
    for (Row& row : fRows)
        if (row.expander) row.expander->DetachObserver(&fWatcher, IID_ITRISTATECONTROLDATA, IID_OF<IObserver>());
}

TreeView* TreeView::Of(const IPMUnknown* treeWidget) {
    if (!treeWidget) return nullptr;
    InterfacePtr<ITreeViewHost> host(treeWidget, IID_OF<ITreeViewHost>());
    return dynamic_cast<TreeView*>(host.get());  // the boss keeps it alive
}

const std::vector<TreeView*>& TreeView::Live() { return LiveTrees(); }

void TreeView::EnsureBuilt() {
    if (fBuilt) return;
    fBuilt = true;
    Rebuild();
}

const std::vector<TreeView::Row>& TreeView::Rows() {
    EnsureBuilt();
    return fRows;
}

std::vector<TreeView::RowLook> TreeView::Looks() {
    EnsureBuilt();
    std::vector<RowLook> looks;
    for (const Row& row : fRows) {
        RowLook look;
        look.depth = row.depth;
        look.expanded = IsExpanded(row.node);
        look.selected = IsSelected(row.node);
        if (row.widget) {
            IControlView* expander = ExpanderOf(row.widget.get());
            look.expander = expander && expander->IsVisible(kFalse);
            bool haveName = false;
            LookInside(row.widget.get(), look, haveName, 0);
        }
        looks.push_back(std::move(look));
    }
    return looks;
}

std::vector<std::string> TreeView::RowLines() {
    std::vector<std::string> lines;
    for (const RowLook& look : Looks()) {
        std::string line(2 * static_cast<std::size_t>(look.depth), ' ');
        line += !look.expander ? "  " : look.expanded ? "- " : "+ ";
        if (look.icon.IsValid()) line += "<" + std::to_string(look.icon.Get()) + "> ";
        line += look.name;
        if (look.selected) line += " [selected]";
        lines.push_back(std::move(line));
    }
    return lines;
}

int32 TreeView::RowOfWidget(const IPMUnknown* rowWidget) const {
    IControlView* view = ViewOf(rowWidget);
    for (std::size_t i = 0; view && i < fRows.size(); ++i)
        if (fRows[i].widget.get() == view) return static_cast<int32>(i);
    return -1;
}

int32 TreeView::RowNamed(const std::string& name) {
    std::vector<RowLook> looks = Looks();
    for (std::size_t i = 0; i < looks.size(); ++i)
        if (looks[i].name == name) return static_cast<int32>(i);
    return -1;
}

void TreeView::ClearTree() {
    fBuilt = true;
    std::vector<Row> old = std::move(fRows);
    fRows.clear();
    DropRows(old);
    fExpanded.clear();
    fScrollTarget = NodeID();
    bool had = !fSelected.empty();
    fSelected.clear();
    if (had) Broadcast();
}

void TreeView::ChangeRoot() {
    fBuilt = true;
    // Nothing is reused: the nodes may stand for other things now.
    if (!fBuilding) DropRows(fRows);
    Rebuild();
    if (PruneSelection()) Broadcast();
}

void TreeView::Expand(const NodeID& node) {
    EnsureBuilt();
    if (!node.IsValid() || !fExpanded.insert(node).second) return;
    Rebuild();
}

void TreeView::Collapse(const NodeID& node) {
    EnsureBuilt();
    if (fExpanded.erase(node) == 0) return;
    Rebuild();
}

void TreeView::Toggle(const NodeID& node) {
    if (IsExpanded(node)) Collapse(node);
    else Expand(node);
}

void TreeView::Reveal(const NodeID& node) {
    EnsureBuilt();
    InterfacePtr<ITreeViewHierarchyAdapter> adapter(this, IID_OF<ITreeViewHierarchyAdapter>());
    if (!adapter || !IsInTree(node)) return;
    NodeID root = adapter->GetRootNode();
    bool changed = false;
    NodeID at = adapter->GetParentNode(node);
    for (int32 depth = 0; at.IsValid() && at != root && depth < kMaxDepth; ++depth) {
        changed |= fExpanded.insert(at).second;
        at = adapter->GetParentNode(at);
    }
    fScrollTarget = node;
    if (changed) Rebuild();
}

bool TreeView::IsSelected(const NodeID& node) const {
    return std::find(fSelected.begin(), fSelected.end(), node) != fSelected.end();
}

bool TreeView::IsInTree(const NodeID& node) const {
    if (!node.IsValid()) return false;
    InterfacePtr<ITreeViewHierarchyAdapter> adapter(this, IID_OF<ITreeViewHierarchyAdapter>());
    if (!adapter) return false;
    NodeID root = adapter->GetRootNode();
    if (!root.IsValid() || node == root) return false;
    NodeID at = adapter->GetParentNode(node);
    for (int32 depth = 0; at.IsValid() && depth <= kMaxDepth; ++depth) {
        if (at == root) return true;
        at = adapter->GetParentNode(at);
    }
    return false;
}

ErrorCode TreeView::Select(const NodeID& node, bool notify) {
    if (!IsInTree(node)) return kInvalidParameterError;
    if (IsSelected(node)) return kSuccess;
    fSelected.push_back(node);
    Highlight(node, true);
    if (notify) Broadcast();
    return kSuccess;
}

ErrorCode TreeView::SelectOnly(const NodeID& node, bool notify) {
    if (!IsInTree(node)) return kInvalidParameterError;
    if (fSelected.size() == 1 && fSelected.front() == node) return kSuccess;
    std::vector<NodeID> before = std::move(fSelected);
    fSelected.assign(1, node);
    for (const NodeID& old : before)
        if (old != node) Highlight(old, false);
    Highlight(node, true);
    if (notify) Broadcast();
    return kSuccess;
}

void TreeView::Deselect(const NodeID& node, bool notify) {
    auto found = std::find(fSelected.begin(), fSelected.end(), node);
    if (found == fSelected.end()) return;
    fSelected.erase(found);
    Highlight(node, false);
    if (notify) Broadcast();
}

void TreeView::DeselectAll(bool notify) {
    if (fSelected.empty()) return;
    std::vector<NodeID> before = std::move(fSelected);
    fSelected.clear();
    for (const NodeID& old : before) Highlight(old, false);
    if (notify) Broadcast();
}

bool TreeView::PruneSelection() {
    std::size_t before = fSelected.size();
    std::erase_if(fSelected, [this](const NodeID& node) { return !IsInTree(node); });
    return fSelected.size() != before;
}

void TreeView::Broadcast() {
    InterfacePtr<ISubject> subject(this, IID_OF<ISubject>());
    if (subject) subject->Change(kListSelectionChangedMessage, kSelectionProtocol, nullptr);
}

void TreeView::Highlight(const NodeID& node, bool on) {
    InterfacePtr<ITreeViewWidgetMgr> mgr(this, IID_OF<ITreeViewWidgetMgr>());
    if (!mgr) return;
    for (const Row& row : fRows)
        if (row.widget && row.node == node) mgr->ApplyHighlightToWidget(node, row.widget.get(), on ? kTrue : kFalse);
}

bool16 TreeView::HandleRowEvent(IControlView* rowView, IEvent& event) {
    int32 index = RowOfWidget(rowView);
    if (index < 0) return kFalse;
    NodeID node = fRows[static_cast<std::size_t>(index)].node;
    switch (event.GetType()) {
    case IEvent::kLButtonDn:
        SelectOnly(node, true);
        return kTrue;
    case IEvent::kLButtonUp:
        return kTrue;
    case IEvent::kButtonDblClk:
        if (fRows[static_cast<std::size_t>(index)].children > 0) Toggle(node);
        return kTrue;
    default:
        return kFalse;
    }
}

void TreeView::ExpanderWatcher::Update(const ClassID& change, ISubject* subject, const PMIID& protocol, void*) {
    if (change != kTrueStateMessage || protocol != IID_ITRISTATECONTROLDATA) return;
    for (const Row& row : fTree.fRows)
        if (row.expander.get() == subject) {
            NodeID node = row.node;  // the row may go while the tree changes
            fTree.Toggle(node);
            return;
        }
}

void TreeView::DropRows(std::vector<Row>& rows) {
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    // Last row first: each then leaves from the end of the tree's children, at no cost to the others.
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (row->expander) row->expander->DetachObserver(&fWatcher, IID_ITRISTATECONTROLDATA, IID_OF<IObserver>());
        row->expander.reset();
        if (panel && row->widget) panel->RemoveWidget(row->widget.get());
    }
    rows.clear();
}

// The old rows that still hold a widget, ordered by node, so that each new row finds the row
// it may reuse without copying a node.
class TreeView::OldRowIndex {
public:
    explicit OldRowIndex(const std::vector<TreeView::Row>& rows) : fRows(rows) {}

    // The old row showing `node`, or -1. Rows are mostly asked for in their old order, so the
    // one after the last found is tried first.
    std::ptrdiff_t Find(const NodeID& node) {
        if (fNext < fRows.size() && fRows[fNext].widget && fRows[fNext].node == node) return static_cast<std::ptrdiff_t>(fNext++);
        if (!fSorted) Sort();
        auto found = std::lower_bound(fOrder.begin(), fOrder.end(), node,
                                      [this](std::size_t i, const NodeID& n) { return fRows[i].node < n; });
        if (found == fOrder.end() || fRows[*found].node != node) return -1;
        fNext = *found + 1;
        return static_cast<std::ptrdiff_t>(*found);
    }

private:
    void Sort() {
        fSorted = true;
        for (std::size_t i = 0; i < fRows.size(); ++i)
            if (fRows[i].widget) fOrder.push_back(i);
        std::stable_sort(fOrder.begin(), fOrder.end(), [this](std::size_t a, std::size_t b) { return fRows[a].node < fRows[b].node; });
    }

    const std::vector<TreeView::Row>& fRows;
    std::vector<std::size_t> fOrder;
    std::size_t fNext = 0;
    bool fSorted = false;
};

void TreeView::Rebuild() {
    if (fBuilding) {
        Diagnose("tree view " + WidgetName(this) + ": rebuilt from inside its own rebuild; the inner rebuild was skipped");
        return;
    }
    fBuilding = true;
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    // The old rows keep their widgets alive until the new rows have taken the ones they reuse.
    std::vector<Row> old = std::move(fRows);
    fRows.clear();
    fRows.reserve(old.size());
    std::vector<const IControlView*> oldWidgets;
    oldWidgets.reserve(old.size());
    for (const Row& row : old)
        if (row.widget) oldWidgets.push_back(row.widget.get());
    std::sort(oldWidgets.begin(), oldWidgets.end());
    InterfacePtr<ITreeViewHierarchyAdapter> adapter(this, IID_OF<ITreeViewHierarchyAdapter>());
    InterfacePtr<ITreeViewWidgetMgr> mgr(this, IID_OF<ITreeViewWidgetMgr>());
    std::vector<std::size_t> fresh, changed;
    bool placed = false;
    try {
        bool cut = false;
        OldRowIndex oldIndex(old);
        if (adapter) {
            NodeID root = adapter->GetRootNode();
            if (root.IsValid()) Visit(*adapter, mgr.get(), root, 0, old, oldIndex, cut);
        }
        if (cut)
            Diagnose("tree view " + WidgetName(this) + ": the tree has more than " + std::to_string(kMaxRows) + " rows or " +
                     std::to_string(kMaxDepth) + " levels; the rest is not shown");
        PMReal top = 0;
        for (std::size_t i = 0; i < fRows.size(); ++i) {
            Row& row = fRows[i];
            if (!row.widget) continue;
            PMRect frame = row.widget->GetFrame();
            PMReal height = mgr ? mgr->GetNodeWidgetHeight(row.node) : frame.Height();
            if (frame.Top() != top || frame.Bottom() != top + height)
                row.widget->SetFrame(PMRect(frame.Left(), top, frame.Right(), top + height), kFalse);
            top += height;
            bool expanded = IsExpanded(row.node);
            bool expander = row.children > 0;
            if (!row.applied) {
                // A new row: the host's part first, so the manager can change it.
                InterfacePtr<ITreeNodeIDData> data(row.widget.get(), IID_OF<ITreeNodeIDData>());
                if (data) data->Set(row.node);
                ShowExpander(row.widget.get(), expander, expanded);
                if (IControlView* view = ExpanderOf(row.widget.get())) {
                    row.expander.reset(static_cast<ISubject*>(view->QueryInterface(IID_OF<ISubject>())));
                    if (row.expander) row.expander->AttachObserver(&fWatcher, IID_ITRISTATECONTROLDATA, IID_OF<IObserver>());
                }
                fresh.push_back(i);
                row.applied = true;
            } else if (row.appliedExpander != expander || row.appliedExpanded != expanded) {
                // Rows whose children and expansion are as last applied are left as they are.
                ShowExpander(row.widget.get(), expander, expanded);
                if (row.appliedExpanded != expanded) changed.push_back(i);
            }
            row.appliedExpander = expander;
            row.appliedExpanded = expanded;
        }
        placed = true;
        PlaceRows(panel.get(), oldWidgets);
        for (std::size_t i : fresh)
            if (mgr && i < fRows.size()) mgr->ApplyNodeIDToWidget(NodeID(fRows[i].node), fRows[i].widget.get(), ITreeViewWidgetMgr::kApplyNew);
        for (std::size_t i : changed)
            if (mgr && i < fRows.size())
                mgr->ApplyNodeIDToWidget(NodeID(fRows[i].node), fRows[i].widget.get(), ITreeViewWidgetMgr::kApplyExpansion);
        for (const NodeID& node : fSelected) Highlight(node, true);
    } catch (const std::exception& e) {
        Diagnose("tree view " + WidgetName(this) + ": building the rows failed: " + e.what());
    } catch (...) {
        Diagnose("tree view " + WidgetName(this) + ": building the rows failed");
    }
    // The tree's children are its rows' widgets, however far the rows were built.
    if (!placed) PlaceRows(panel.get(), oldWidgets);
    for (Row& row : old)
        if (row.expander) row.expander->DetachObserver(&fWatcher, IID_ITRISTATECONTROLDATA, IID_OF<IObserver>());
    old.clear();
    fBuilding = false;
}

void TreeView::PlaceRows(IPanelControlData* panel, const std::vector<const IControlView*>& oldWidgets) {
    if (!panel) return;
    auto wasRow = [&](const IControlView* child) { return std::binary_search(oldWidgets.begin(), oldWidgets.end(), child); };
    if (auto* children = dynamic_cast<PanelControlData*>(panel)) {
        // One pass: widgets that stay are not touched, whatever moved around them.
        std::vector<IControlView*> next;
        next.reserve(static_cast<std::size_t>(children->Length()) + fRows.size());
        for (int32 i = 0; i < children->Length(); ++i)
            if (IControlView* child = children->GetWidget(i); !wasRow(child)) next.push_back(child);
        for (const Row& row : fRows)
            if (row.widget) next.push_back(row.widget.get());
        children->SetChildren(next);
        return;
    }
    // Last first: each then leaves from the end of the children, at no cost to the others.
    for (int32 i = panel->Length() - 1; i >= 0; --i)
        if (IControlView* child = panel->GetWidget(i); wasRow(child)) panel->RemoveWidget(child);
    for (const Row& row : fRows)
        if (row.widget) panel->AddWidget(row.widget.get());
}

void TreeView::Visit(const ITreeViewHierarchyAdapter& adapter, const ITreeViewWidgetMgr* mgr, const NodeID& parent,
                     int32 depth, std::vector<Row>& old, OldRowIndex& oldIndex, bool& cut) {
    int32 count = adapter.GetNumChildren(parent);
    for (int32 n = 0; n < count; ++n) {
        if (static_cast<int32>(fRows.size()) >= kMaxRows) {
            cut = true;
            return;
        }
        NodeID child = adapter.GetNthChild(parent, n);
        if (!child.IsValid()) continue;
        Row row;
        row.depth = depth;
        row.children = std::max<int32>(0, adapter.GetNumChildren(child));
        std::ptrdiff_t found = oldIndex.Find(child);
        Row* reuse = found >= 0 ? &old[static_cast<std::size_t>(found)] : nullptr;
        if (reuse && reuse->widget && reuse->depth == depth) {
            row.widget = std::move(reuse->widget);
            row.expander = std::move(reuse->expander);
            row.applied = reuse->applied;
            row.appliedExpander = reuse->appliedExpander;
            row.appliedExpanded = reuse->appliedExpanded;
        } else if (mgr) {
            row.widget.reset(mgr->CreateWidgetForNode(child));
            if (!row.widget) Diagnose("tree view " + WidgetName(this) + ": no row widget for " + DisplayText(child->GetDescription()));
        }
        bool expanded = row.children > 0 && IsExpanded(child);
        row.node = std::move(child);
        fRows.push_back(std::move(row));
        if (!expanded) continue;
        if (depth + 1 >= kMaxDepth) {
            cut = true;
            continue;
        }
        // A copy: the rows below may move the vector.
        const NodeID expandedNode = fRows.back().node;
        Visit(adapter, mgr, expandedNode, depth + 1, old, oldIndex, cut);
    }
}

}  // namespace tshost
