#include "TreeTestPlugin.h"

#include <cstdio>

#include "CActionComponent.h"
#include "CEventHandler.h"
#include "CObserver.h"
#include "CTreeViewWidgetMgr.h"
#include "CreateObject.h"
#include "IActionManager.h"
#include "IActionStateList.h"
#include "IApplication.h"
#include "IControlView.h"
#include "IDataBase.h"
#include "IDynamicMenu.h"
#include "IEvent.h"
#include "IMenuManager.h"
#include "IPMStream.h"
#include "IPanelControlData.h"
#include "ISession.h"
#include "ISubject.h"
#include "ITreeNodeIDData.h"
#include "ITreeViewController.h"
#include "ITreeViewHierarchyAdapter.h"
#include "ITreeViewMgr.h"
#include "IWidgetParent.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "RsrcSpec.h"
#include "Transcript.h"
#include "WidgetIDs.h"

namespace treetest {

namespace {

constexpr NodeType kNodeType{0x7f701};
constexpr ImplementationID kAdapterImpl{0x7f701};
constexpr ImplementationID kWidgetMgrImpl{0x7f702};
constexpr ImplementationID kRowHandlerImpl{0x7f703};
constexpr ImplementationID kTreeObserverImpl{0x7f704};
constexpr ImplementationID kActionComponentImpl{0x7f705};
constexpr ImplementationID kDynamicMenuImpl{0x7f706};
constexpr PMIID kOriginalRowHandlerIID{0x7f706};

std::string Hex(uint32 value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
}

class TestNode : public NodeIDClass {
public:
    explicit TestNode(int32 id) : fID(id) {}
    NodeType GetNodeType() const override { return kNodeType; }
    int32 Compare(const NodeIDClass* other) const override {
        int32 theirs = static_cast<const TestNode*>(other)->fID;
        return fID < theirs ? -1 : fID > theirs ? 1 : 0;
    }
    NodeIDClass* Clone() const override { return new TestNode(fID); }
    void Read(IPMStream* stream) override { stream->XferInt32(fID); }
    void Write(IPMStream* stream) const override {
        int32 id = fID;
        stream->XferInt32(id);
    }
    int32 ID() const { return fID; }

private:
    int32 fID;
};

int32 IDOf(const NodeID& node) { return node.GetNodeType() == kNodeType ? static_cast<const TestNode*>(node.Get())->ID() : -1; }
std::string NameOf(const NodeID& node) {
    auto found = M().names.find(IDOf(node));
    return found == M().names.end() ? "?" : found->second;
}
bool Known(int32 id) { return id == 0 || M().names.count(id) != 0; }

class Adapter : public CPMUnknown<ITreeViewHierarchyAdapter> {
public:
    explicit Adapter(IPMUnknown* boss) : CPMUnknown<ITreeViewHierarchyAdapter>(boss) {}
    NodeID GetRootNode() const override { return M().present ? NodeID(new TestNode(0)) : kInvalidNodeID; }
    NodeID GetParentNode(const NodeID& node) const override {
        int32 id = IDOf(node);
        for (const auto& [parent, kids] : M().children)
            for (int32 kid : kids)
                if (kid == id) return NodeID(new TestNode(parent));
        return kInvalidNodeID;
    }
    int32 GetNumChildren(const NodeID& node) const override {
        if (M().rebuildInAdapter) {
            InterfacePtr<ITreeViewMgr> mgr(this, IID_OF<ITreeViewMgr>());
            if (mgr) mgr->ChangeRoot(kTrue);
        }
        auto found = M().children.find(IDOf(node));
        if (IDOf(node) != 0 && Known(IDOf(node))) M().Add("count " + NameOf(node));
        return found == M().children.end() ? 0 : static_cast<int32>(found->second.size());
    }
    NodeID GetNthChild(const NodeID& node, const int32& nth) const override {
        auto found = M().children.find(IDOf(node));
        if (found == M().children.end() || nth < 0 || nth >= static_cast<int32>(found->second.size())) {
            M().Add("bad child index");
            return kInvalidNodeID;
        }
        return NodeID(new TestNode(found->second[static_cast<std::size_t>(nth)]));
    }
    int32 GetChildIndex(const NodeID& parent, const NodeID& child) const override {
        auto found = M().children.find(IDOf(parent));
        if (found == M().children.end()) return -1;
        for (std::size_t i = 0; i < found->second.size(); ++i)
            if (found->second[i] == IDOf(child)) return static_cast<int32>(i);
        return -1;
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
        bool group = M().children.count(IDOf(node)) != 0;
        RsrcID icon(!group ? 1001 : tree && tree->IsNodeExpanded(node) ? 1003 : 1002);
        SetNodeIcon(row.get(), kPluginID, icon, kIconWidget);
        if (IControlView* indent = row ? row->FindWidget(kIndentWidget) : nullptr) {
            PMRect frame = indent->GetFrame();
            frame.Left(GetIndent(node));
            indent->SetFrame(frame, kTrue);
        }
        M().Add("apply " + NameOf(node) + (message == kApplyNew ? " new" : " expansion"));
        return kTrue;
    }
};

// Wraps the host's row handler as the product's does: a right click on a project selects it
// and pops up the documents menu; everything else goes to the host's handler.
class RowHandler : public CEventHandler {
public:
    explicit RowHandler(IPMUnknown* boss) : CEventHandler(boss) {}
    bool16 LButtonDn(IEvent* e) override { return Forward(&IEventHandler::LButtonDn, e); }
    bool16 LButtonUp(IEvent* e) override { return Forward(&IEventHandler::LButtonUp, e); }
    bool16 ButtonDblClk(IEvent* e) override { return Forward(&IEventHandler::ButtonDblClk, e); }
    bool16 RButtonUp(IEvent* e) override { return Forward(&IEventHandler::RButtonUp, e); }
    bool16 RButtonDn(IEvent* e) override {
        InterfacePtr<ITreeNodeIDData> data(this, IID_OF<ITreeNodeIDData>());
        NodeID node = data ? data->Get() : kInvalidNodeID;
        M().Add("right click " + NameOf(node));
        if (!node.IsValid() || M().children.count(IDOf(node))) return Forward(&IEventHandler::RButtonDn, e);
        InterfacePtr<IWidgetParent> parent(this, IID_OF<IWidgetParent>());
        InterfacePtr<ITreeViewController> selection(
            parent ? static_cast<ITreeViewController*>(parent->QueryParentFor(IID_OF<ITreeViewController>())) : nullptr);
        if (selection) {
            selection->DeselectAll(kTrue, kTrue);
            selection->Select(node, kTrue, kTrue);
        }
        InterfacePtr<IApplication> application(gSession->QueryApplication());
        InterfacePtr<IMenuManager> menus(application.get(), IID_OF<IMenuManager>());
        if (menus) {
            ActionID chosen = menus->HandlePopupMenu(PMString(kPopupPath, PMString::kNoTranslate), e->GlobalWhere(),
                                                     e->GlobalWhere(), kTrue, this);
            M().Add("pop-up returned " + Hex(chosen.Get()));
        }
        return kTrue;
    }
    void SetView(IControlView* view) override {
        CEventHandler::SetView(view);
        InterfacePtr<IEventHandler> original(this, kOriginalRowHandlerIID);
        if (original) original->SetView(view);
    }

private:
    bool16 Forward(bool16 (IEventHandler::*op)(IEvent*), IEvent* e) {
        InterfacePtr<IEventHandler> original(this, kOriginalRowHandlerIID);
        return original ? ((*original).*op)(e) : kFalse;
    }
};

class TreeObserver : public CObserver {
public:
    explicit TreeObserver(IPMUnknown* boss) : CObserver(boss) {}
    void AutoAttach() override {
        InterfacePtr<ISubject> subject(this, IID_OF<ISubject>());
        if (subject) subject->AttachObserver(this, PMIID(0x66a), IID_OF<IObserver>());
    }
    void AutoDetach() override {
        InterfacePtr<ISubject> subject(this, IID_OF<ISubject>());
        if (subject) subject->DetachObserver(this, PMIID(0x66a), IID_OF<IObserver>());
    }
    void Update(const ClassID& change, ISubject*, const PMIID& protocol, void*) override {
        if (change != kListSelectionChangedMessage || protocol != PMIID(0x66a)) return;
        InterfacePtr<ITreeViewController> selection(this, IID_OF<ITreeViewController>());
        NodeIDList selected;
        if (selection) selection->GetSelectedItems(selected);
        std::string names;
        for (const NodeID& node : selected) names += (names.empty() ? "" : ",") + NameOf(node);
        M().Add("selection [" + names + "]");
    }
};

class ActionComponent : public CActionComponent {
public:
    explicit ActionComponent(IPMUnknown* boss) : CActionComponent(boss) {}
    void DoAction(IActiveContext*, ActionID action, SysPoint where, IPMUnknown* widget) override {
        M().Add("do " + Hex(action.Get()) + (widget ? " from a widget" : ""));
    }
    void UpdateActionStates(IActiveContext*, IActionStateList* states, SysPoint, IPMUnknown*) override {
        std::string asked;
        for (int32 i = 0; i < states->Length(); ++i) {
            ActionID id = states->GetNthAction(i);
            asked += (asked.empty() ? "" : ",") + Hex(id.Get());
            states->SetNthActionState(i, M().disabled.count(id.Get()) ? IActionStateList::kDisabled : IActionStateList::kEnabledAction);
        }
        M().Add("states " + asked);
    }
};

class DynamicMenu : public CPMUnknown<IDynamicMenu> {
public:
    explicit DynamicMenu(IPMUnknown* boss) : CPMUnknown<IDynamicMenu>(boss) {}
    void RebuildMenu(ActionID, IPMUnknown* widget) override {
        M().Add(std::string("rebuild") + (widget ? " from a widget" : ""));
        InterfacePtr<IApplication> application(gSession->QueryApplication());
        InterfacePtr<IActionManager> actions(application.get(), IID_OF<IActionManager>());
        InterfacePtr<IMenuManager> menus(actions ? actions->QueryMenuManager() : nullptr);
        InterfacePtr<IActionComponent> component(this, IID_OF<IActionComponent>());
        if (!actions || !menus || !component) return;
        const PMString path(kPopupPath), separator(std::string(kPopupPath) + ":-");
        for (int32 i = 0; i < fAdded; ++i) {
            ActionID id(kFirstDocumentAction.Get() + static_cast<uint32>(i));
            menus->RemoveMenuItem(path, id);
            actions->RemoveAction(id, kFalse, kInvalidClass);
        }
        if (fAdded > 0) menus->RemoveMenuItem(separator, kSeparatorAction);
        fAdded = static_cast<int32>(M().documents.size());
        if (fAdded > 0) menus->AddMenuItem(kSeparatorAction, separator, 10.0, 0, 0);
        for (int32 i = 0; i < fAdded; ++i) {
            ActionID id(kFirstDocumentAction.Get() + static_cast<uint32>(i));
            actions->AddAction(component.get(), id, PMString(M().documents[static_cast<std::size_t>(i)], PMString::kNoTranslate),
                               PMString("DUVAR Other"), 0, 1, kInvalidInterfaceID, 0);
            menus->AddMenuItem(id, path, 11.0 + i, 0, 0);
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

void Model::Sample() {
    *this = Model();
    children = {{0, {1, 2, 3}}, {1, {11, 12}}, {2, {21}}};
    names = {{1, "Group A"}, {2, "Group B"}, {3, "Project 3"}, {11, "Project 11"}, {12, "Project 12"}, {21, "Project 21"}};
}

std::string Model::Take() {
    std::string joined;
    for (const std::string& e : events) joined += (joined.empty() ? "" : "; ") + e;
    events.clear();
    return joined;
}

void Model::Add(std::string event) {
#ifdef TREETEST_ECHO
    tshost::Show("plug-in: " + event);
#endif
    events.push_back(std::move(event));
}

Model& M() {
    static Model model = [] {
        Model m;
        m.Sample();
        m.documents = {"Flyer.indd", "Poster.indd"};
        return m;
    }();
    return model;
}

PlugIn* TreeTestGetPlugIn() { return &gPlugIn; }

}  // namespace treetest

extern "C" __attribute__((visibility("default"))) PlugIn* GetPlugIn() { return treetest::TreeTestGetPlugIn(); }
