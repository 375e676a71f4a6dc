#include "TreeTestPlugin.h"

#include <algorithm>

#include "CActionComponent.h"
#include "CEventHandler.h"
#include "CObserver.h"
#include "CTreeViewWidgetMgr.h"
#include "CreateObject.h"
#include "HexText.h"
#include "IActionManager.h"
#include "IActionStateList.h"
#include "IApplication.h"
#include "IControlView.h"
#include "IDynamicMenu.h"
#include "IEvent.h"
#include "IMenuManager.h"
#include "IPMStream.h"
#include "IPanelControlData.h"
#include "ISubject.h"
#include "ITreeNodeIDData.h"
#include "ITreeViewController.h"
#include "ITreeViewHierarchyAdapter.h"
#include "ITreeViewMgr.h"
#include "IWidgetParent.h"
#include "Transcript.h"
#include "WidgetIDs.h"

namespace treetest {

namespace {

constexpr NodeType kNodeType{0x7f701};
constexpr ImplementationID kAdapterImpl{0x7f701}, kWidgetMgrImpl{0x7f702}, kRowHandlerImpl{0x7f703}, kTreeObserverImpl{0x7f704},
    kActionComponentImpl{0x7f705}, kDynamicMenuImpl{0x7f706};
constexpr PMIID kOriginalRowHandlerIID{0x7f706}, kSelectionProtocol{0x66a};
constexpr WidgetID kIconWidget{0x7f704}, kNameWidget{0x7f705};
constexpr ActionID kSeparatorAction{0x7f733}, kFirstDocumentAction{0x7f734};

using tshost::Hex;

struct TestNode : NodeIDClass {
    explicit TestNode(int32 node) : id(node) {}
    NodeType GetNodeType() const override { return kNodeType; }
    int32 Compare(const NodeIDClass* other) const override {
        int32 theirs = static_cast<const TestNode*>(other)->id;
        return id < theirs ? -1 : id > theirs ? 1 : 0;
    }
    NodeIDClass* Clone() const override { return new TestNode(id); }
    void Read(IPMStream* stream) override { stream->XferInt32(id); }
    void Write(IPMStream* stream) const override { stream->XferInt32(id); }
    mutable int32 id;  // a writing stream only reads it
};

int32 IDOf(const NodeID& node) { return node.GetNodeType() == kNodeType ? static_cast<const TestNode*>(node.Get())->id : -1; }
std::string NameOf(const NodeID& node) { return M().names.count(IDOf(node)) ? M().names[IDOf(node)] : "?"; }
const std::vector<int32>* KidsOf(const NodeID& node) {
    auto found = M().children.find(IDOf(node));
    return found == M().children.end() ? nullptr : &found->second;
}

class Adapter : public CPMUnknown<ITreeViewHierarchyAdapter> {
public:
    explicit Adapter(IPMUnknown* boss) : CPMUnknown<ITreeViewHierarchyAdapter>(boss) {}
    NodeID GetRootNode() const override { return M().present ? NodeID(new TestNode(0)) : kInvalidNodeID; }
    NodeID GetParentNode(const NodeID& node) const override {
        for (const auto& [parent, kids] : M().children)
            if (std::count(kids.begin(), kids.end(), IDOf(node))) return NodeID(new TestNode(parent));
        return kInvalidNodeID;
    }
    int32 GetNumChildren(const NodeID& node) const override {
        InterfacePtr<ITreeViewMgr> mgr(this, IID_OF<ITreeViewMgr>());
        if (M().rebuildInAdapter && mgr) mgr->ChangeRoot(kTrue);
        if (M().names.count(IDOf(node))) M().Add("count " + NameOf(node));
        return KidsOf(node) ? static_cast<int32>(KidsOf(node)->size()) : 0;
    }
    NodeID GetNthChild(const NodeID& node, const int32& nth) const override {
        const std::vector<int32>* kids = KidsOf(node);
        if (kids && nth >= 0 && nth < static_cast<int32>(kids->size()))
            return NodeID(new TestNode(kids->at(static_cast<std::size_t>(nth))));
        M().Add("bad child index");
        return kInvalidNodeID;
    }
    int32 GetChildIndex(const NodeID& parent, const NodeID& child) const override {
        const std::vector<int32>* kids = KidsOf(parent);
        if (!kids) return -1;
        auto at = std::find(kids->begin(), kids->end(), IDOf(child));
        return at == kids->end() ? -1 : static_cast<int32>(at - kids->begin());
    }
    NodeID GetGenericNodeID() const override { return NodeID(new TestNode(-1)); }
};

class WidgetMgr : public CTreeViewWidgetMgr {
public:
    explicit WidgetMgr(IPMUnknown* boss) : CTreeViewWidgetMgr(boss) {}
    IControlView* CreateWidgetForNode(const NodeID& node) const override {
        M().Add("create " + NameOf(node));
        RsrcSpec spec(MLocaleSetting::GetLocale(), kPluginID, kViewRsrcType, RsrcID(1000));
        return static_cast<IControlView*>(CreateObject(::GetDataBase(this), spec, IID_OF<IControlView>()));
    }
    WidgetID GetWidgetTypeForNode(const NodeID&) const override { return WidgetID(0x7f722); }
    bool16 ApplyNodeIDToWidget(const NodeID& node, IControlView* widget, int32 message) const override {
        CTreeViewWidgetMgr::ApplyNodeIDToWidget(node, widget, message);
        InterfacePtr<IPanelControlData> row(widget, IID_OF<IPanelControlData>());
        SetNodeName(row.get(), PMString(NameOf(node), PMString::kNoTranslate), kNameWidget);
        InterfacePtr<ITreeViewMgr> tree(this, IID_OF<ITreeViewMgr>());
        RsrcID icon(!KidsOf(node) ? 1001 : tree && tree->IsNodeExpanded(node) ? 1003 : 1002);
        SetNodeIcon(row.get(), kPluginID, icon, kIconWidget);
        M().Add("apply " + NameOf(node) + (message == kApplyNew ? " new" : " expansion"));
        return kTrue;
    }
};

// Wraps the host's row handler as the product's does: a right click on a project selects it
// and pops up the documents menu; the clicks the tree answers go to the host's handler.
class RowHandler : public CEventHandler {
public:
    explicit RowHandler(IPMUnknown* boss) : CEventHandler(boss) {}
    bool16 LButtonDn(IEvent* e) override { return Original()->LButtonDn(e); }
    bool16 RButtonDn(IEvent* e) override {
        InterfacePtr<ITreeNodeIDData> data(this, IID_OF<ITreeNodeIDData>());
        NodeID node = data ? data->Get() : kInvalidNodeID;
        M().Add("right click " + NameOf(node));
        if (!node.IsValid() || KidsOf(node)) return Original()->RButtonDn(e);
        InterfacePtr<IWidgetParent> parent(this, IID_OF<IWidgetParent>());
        InterfacePtr<ITreeViewController> selection(
            parent ? static_cast<ITreeViewController*>(parent->QueryParentFor(IID_OF<ITreeViewController>())) : nullptr);
        if (selection) {
            selection->DeselectAll(kTrue, kTrue);
            selection->Select(node, kTrue, kTrue);
        }
        InterfacePtr<IApplication> application(gSession->QueryApplication());
        InterfacePtr<IMenuManager> menus(application.get(), IID_OF<IMenuManager>());
        SysPoint where = e->GlobalWhere();
        ActionID chosen = menus->HandlePopupMenu(PMString(kPopupPath, PMString::kNoTranslate), where, where, kTrue, this);
        M().Add("pop-up returned " + Hex(chosen.Get()));
        return kTrue;
    }
    void SetView(IControlView* view) override {
        CEventHandler::SetView(view);
        Original()->SetView(view);
    }

private:
    InterfacePtr<IEventHandler> Original() { return InterfacePtr<IEventHandler>(this, kOriginalRowHandlerIID); }
};

class TreeObserver : public CObserver {
public:
    explicit TreeObserver(IPMUnknown* boss) : CObserver(boss) {}
    void AutoAttach() override { Subject()->AttachObserver(this, kSelectionProtocol, IID_OF<IObserver>()); }
    void AutoDetach() override { Subject()->DetachObserver(this, kSelectionProtocol, IID_OF<IObserver>()); }
    void Update(const ClassID& change, ISubject*, const PMIID& protocol, void*) override {
        if (change != kListSelectionChangedMessage || protocol != kSelectionProtocol) return;
        InterfacePtr<ITreeViewController> selection(this, IID_OF<ITreeViewController>());
        NodeIDList selected;
        selection->GetSelectedItems(selected);
        std::string names;
        for (const NodeID& node : selected) names += (names.empty() ? "" : ",") + NameOf(node);
        M().Add("selection [" + names + "]");
    }

private:
    InterfacePtr<ISubject> Subject() { return InterfacePtr<ISubject>(this, IID_OF<ISubject>()); }
};

class ActionComponent : public CActionComponent {
public:
    explicit ActionComponent(IPMUnknown* boss) : CActionComponent(boss) {}
    void DoAction(IActiveContext*, ActionID action, SysPoint, IPMUnknown* widget) override {
        M().Add("do " + Hex(action.Get()) + (widget ? " from a widget" : ""));
    }
    void UpdateActionStates(IActiveContext*, IActionStateList* states, SysPoint, IPMUnknown*) override {
        std::string asked;
        for (int32 i = 0; i < states->Length(); ++i) {
            ActionID id = states->GetNthAction(i);
            asked += (asked.empty() ? "" : ",") + Hex(id.Get());
            bool disabled = M().disabled.count(id.Get()) != 0;
            states->SetNthActionState(i, disabled ? IActionStateList::kDisabled : IActionStateList::kEnabledAction);
        }
        M().Add("states " + asked);
    }
};

ActionID DocumentAction(int32 nth) { return ActionID(kFirstDocumentAction.Get() + static_cast<uint32>(nth)); }

// Replaces the documents it added last time with the model's, after a separator.
class DynamicMenu : public CPMUnknown<IDynamicMenu> {
public:
    explicit DynamicMenu(IPMUnknown* boss) : CPMUnknown<IDynamicMenu>(boss) {}
    void RebuildMenu(ActionID, IPMUnknown* widget) override {
        M().Add(std::string("rebuild") + (widget ? " from a widget" : ""));
        InterfacePtr<IApplication> application(gSession->QueryApplication());
        InterfacePtr<IActionManager> actions(application.get(), IID_OF<IActionManager>());
        InterfacePtr<IMenuManager> menus(actions->QueryMenuManager());
        InterfacePtr<IActionComponent> component(this, IID_OF<IActionComponent>());
        const PMString path(kPopupPath), separator(std::string(kPopupPath) + ":-");
        for (int32 i = 0; i < fAdded; ++i) actions->RemoveAction(DocumentAction(i), kTrue, kInvalidClass);
        if (fAdded > 0) menus->RemoveMenuItem(separator, kSeparatorAction);
        fAdded = static_cast<int32>(M().documents.size());
        if (fAdded > 0) menus->AddMenuItem(kSeparatorAction, separator, 10.0, 0, 0);
        for (int32 i = 0; i < fAdded; ++i) {
            PMString name(M().documents[static_cast<std::size_t>(i)], PMString::kNoTranslate);
            actions->AddAction(component.get(), DocumentAction(i), name, PMString("DUVAR Other"), 0, 1, kInvalidInterfaceID, 0);
            menus->AddMenuItem(DocumentAction(i), path, 11.0 + i, 0, 0);
        }
    }

private:
    int32 fAdded = 0;
};

CREATE_PMINTERFACE(Adapter, kAdapterImpl);
CREATE_PMINTERFACE(WidgetMgr, kWidgetMgrImpl);
CREATE_PMINTERFACE(RowHandler, kRowHandlerImpl);
CREATE_PMINTERFACE(TreeObserver, kTreeObserverImpl);
CREATE_PMINTERFACE(ActionComponent, kActionComponentImpl);
CREATE_PMINTERFACE(DynamicMenu, kDynamicMenuImpl);

PlugIn gPlugIn(kPluginID);

}  // namespace

Model& Model::Sample() {
    *this = Model();
    children = {{0, {1, 2, 3}}, {1, {11, 12}}, {2, {21}}};
    names = {{1, "Group A"}, {2, "Group B"}, {3, "Project 3"}, {11, "Project 11"}, {12, "Project 12"}, {21, "Project 21"}};
    documents = {"Flyer.indd", "Poster.indd"};
    return *this;
}

void Model::Add(std::string event) {
#ifdef TREETEST_ECHO
    // The console shows what a user would notice, not every question the tree view asks.
    if (event.rfind("count ", 0) != 0 && event.rfind("create ", 0) != 0 && event.rfind("apply ", 0) != 0)
        tshost::Show("plug-in: " + event);
#endif
    events.push_back(std::move(event));
}

Model& M() {
    static Model model = [] { return Model().Sample(); }();
    return model;
}

PlugIn* TreeTestGetPlugIn() { return &gPlugIn; }

}  // namespace treetest

extern "C" __attribute__((visibility("default"))) PlugIn* GetPlugIn() { return treetest::TreeTestGetPlugIn(); }
