// The SDK fronts of the tree view (the selection controller 0x66a, the tree-view manager
// 0x66b, the rows' node-ID data 0x671), the host side of CTreeViewWidgetMgr, and the module
// that defines kTreeViewWidgetBoss, adds the node-ID data to the host's tree-node rows and
// hands the rows' events to their tree view.
#include "CTreeViewWidgetMgr.h"
#include "HostEventHandlers.h"
#include "HostModule.h"
#include "IPanelControlData.h"
#include "ITextControlData.h"
#include "ITreeNodeIDData.h"
#include "ITreeViewController.h"
#include "ITreeViewHierarchyAdapter.h"
#include "ITreeViewMgr.h"
#include "Render.h"
#include "TreeIDs.h"
#include "TreeView.h"
#include "UiIDs.h"
#include "ViewResources.h"
#include "WidgetIDs.h"
#include "Widgets.h"

namespace tshost {

namespace {

// A front of the tree view on the same widget. The view is looked up once: the plug-in asks
// for the selection every 10 ms, and an implementation lives as long as its boss.
template <class Interface>
class TreeViewPart : public CPMUnknown<Interface> {
public:
    using CPMUnknown<Interface>::CPMUnknown;

protected:
    TreeView* Tree() const {
        if (!fTree) fTree = TreeView::Of(this);
        return fTree;
    }

private:
    mutable TreeView* fTree = nullptr;
};

class TreeViewController final : public TreeViewPart<ITreeViewController> {
public:
    using TreeViewPart::TreeViewPart;

    void GetSelectedItems(NodeIDList& selected) const override {
        selected.clear();
        if (TreeView* tree = Tree()) selected = tree->Selected();
    }
    bool16 IsSelected(const NodeID& node) const override {
        TreeView* tree = Tree();
        return tree && tree->IsSelected(node) ? kTrue : kFalse;
    }
    ErrorCode Select(const NodeID& node, bool16, bool16 notify) override {
        TreeView* tree = Tree();
        return tree ? tree->Select(node, notify != kFalse) : kFailure;
    }
    void Deselect(const NodeID& node, bool16, bool16 notify) override {
        if (TreeView* tree = Tree()) tree->Deselect(node, notify != kFalse);
    }
    void DeselectAll(bool16, bool16 notify) override {
        if (TreeView* tree = Tree()) tree->DeselectAll(notify != kFalse);
    }
};

class TreeViewMgr final : public TreeViewPart<ITreeViewMgr> {
public:
    using TreeViewPart::TreeViewPart;

    void ClearTree(bool16) override {
        if (TreeView* tree = Tree()) tree->ClearTree();
    }
    void ChangeRoot(bool16) override {
        if (TreeView* tree = Tree()) tree->ChangeRoot();
    }
    bool16 IsNodeExpanded(const NodeID& node) const override {
        TreeView* tree = Tree();
        return tree && tree->IsExpanded(node) ? kTrue : kFalse;
    }
    void ExpandNode(const NodeID& node) override {
        if (TreeView* tree = Tree()) tree->Expand(node);
    }
    void CollapseNode(const NodeID& node) override {
        if (TreeView* tree = Tree()) tree->Collapse(node);
    }
    void RevealNode(const NodeID& node, int32) override {
        if (TreeView* tree = Tree()) tree->Reveal(node);
    }
    int32 GetNumRows() const override {
        TreeView* tree = Tree();
        return tree ? static_cast<int32>(tree->Rows().size()) : 0;
    }
    NodeID GetNthRowNode(int32 row) const override {
        TreeView* tree = Tree();
        if (!tree || row < 0 || row >= static_cast<int32>(tree->Rows().size())) return kInvalidNodeID;
        return tree->Rows()[static_cast<std::size_t>(row)].node;
    }
    IControlView* GetWidgetFromNode(const NodeID& node) const override {
        TreeView* tree = Tree();
        if (!tree) return nullptr;
        for (const TreeView::Row& row : tree->Rows())
            if (row.node == node) return row.widget.get();
        return nullptr;
    }
};

class TreeNodeIDData final : public CPMUnknown<ITreeNodeIDData> {
public:
    explicit TreeNodeIDData(IPMUnknown* boss) : CPMUnknown<ITreeNodeIDData>(boss) {}
    const NodeID& Get() const override { return fNode; }
    void Set(const NodeID& node) override { fNode = node; }

private:
    NodeID fNode;
};

std::string RenderTree(IPMUnknown* widget, std::vector<std::string>& lines) {
    TreeView* tree = TreeView::Of(widget);
    if (!tree) return {};
    lines = tree->RowLines();
    std::size_t selected = tree->Selected().size();
    return std::to_string(lines.size()) + (lines.size() == 1 ? " row" : " rows") +
           (selected ? ", " + std::to_string(selected) + " selected" : "");
}

bool16 RowEvent(IControlView* row, IEvent& event) {
    TreeView* tree = TreeView::Of(ParentOf(row));
    return tree ? tree->HandleRowEvent(row, event) : kFalse;
}

HostModule gModule("ui tree view", 30, [] {
    RegisterHostImplementation(HostImplementation<TreeView>(kTreeViewImpl));
    RegisterHostImplementation(HostImplementation<TreeViewController>(kTreeViewControllerImpl));
    RegisterHostImplementation(HostImplementation<TreeViewMgr>(kTreeViewMgrImpl));
    RegisterHostImplementation(HostImplementation<TreeNodeIDData>(kTreeNodeIDDataImpl));
    DefineHostClass(kTreeViewWidgetBoss, "kTreeViewWidgetBoss", kGroupPanelWidgetBoss,
                    {{IID_OF<ITreeViewHost>(), kTreeViewImpl},
                     {IID_OF<ITreeViewController>(), kTreeViewControllerImpl},
                     {IID_OF<ITreeViewMgr>(), kTreeViewMgrImpl}});
    BossClasses::Get().AddIn(kTreeNodeWidgetBoss, IID_OF<ITreeNodeIDData>(), kTreeNodeIDDataImpl);
    RegisterWidgetKind("tree-view", kTreeViewWidgetBoss);
    SetTreeNodeEventHook(RowEvent);
    RegisterWidgetRenderer("tree-view", RenderTree);
});

// The tree view whose parts a widget manager on its boss works with.
InterfacePtr<ITreeViewHierarchyAdapter> AdapterOf(const IPMUnknown* mgr) {
    return InterfacePtr<ITreeViewHierarchyAdapter>(mgr, IID_OF<ITreeViewHierarchyAdapter>());
}

IControlView* FindIn(IPanelControlData* rowWidgets, const WidgetID& id) {
    return rowWidgets && id.IsValid() ? rowWidgets->FindWidget(id, 9999) : nullptr;
}

}  // namespace

}  // namespace tshost

bool16 CTreeViewWidgetMgr::ApplyNodeIDToWidget(const NodeID& node, IControlView* widget, int32) const {
    if (!widget) return kFalse;
    InterfacePtr<ITreeNodeIDData> data(widget, IID_OF<ITreeNodeIDData>());
    if (data) data->Set(node);
    HideExpanderIfNotExpandable(node, widget);
    return data ? kTrue : kFalse;
}

PMReal CTreeViewWidgetMgr::GetIndent(const NodeID& node) const {
    InterfacePtr<ITreeViewHierarchyAdapter> adapter = tshost::AdapterOf(this);
    int32 depth = 0;
    if (adapter && node.IsValid()) {
        NodeID root = adapter->GetRootNode();
        NodeID at = adapter->GetParentNode(node);
        while (at.IsValid() && at != root && depth < tshost::TreeView::kMaxDepth) {
            ++depth;
            at = adapter->GetParentNode(at);
        }
    }
    return depth * GetIndentForNode(node) + GetBaseIndentOffset();
}

PMReal CTreeViewWidgetMgr::GetTreeViewWidth() const {
    InterfacePtr<IControlView> view(this, IID_OF<IControlView>());
    return view ? view->GetFrame().Width() : 0.0;
}

void CTreeViewWidgetMgr::HideExpanderIfNotExpandable(const NodeID& node, IControlView* widget) const {
    InterfacePtr<IPanelControlData> row(widget, IID_OF<IPanelControlData>());
    IControlView* expander = tshost::FindIn(row.get(), kTreeNodeExpanderWidgetID);
    if (!expander) return;
    InterfacePtr<ITreeViewHierarchyAdapter> adapter = tshost::AdapterOf(this);
    if (adapter && adapter->GetNumChildren(node) > 0) expander->Show(kTrue);
    else expander->Hide();
}

void CTreeViewWidgetMgr::SetNodeName(IPanelControlData* rowWidgets, const PMString& name, const WidgetID& textWidget) const {
    InterfacePtr<ITextControlData> text(tshost::FindIn(rowWidgets, textWidget), IID_OF<ITextControlData>());
    if (text) text->SetString(name, kTrue, kTrue, kTrue);
}

void CTreeViewWidgetMgr::SetNodeIcon(IPanelControlData* rowWidgets, const PluginID& plugin, const RsrcID& icon,
                                     const WidgetID& iconWidget) const {
    IControlView* view = tshost::FindIn(rowWidgets, iconWidget);
    if (!view) return;
    view->SetRsrcPluginID(plugin);
    view->SetRsrcID(icon);
}
