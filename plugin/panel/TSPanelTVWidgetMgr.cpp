#include "CTreeViewWidgetMgr.h"
#include "CreateObject.h"
#include "IControlView.h"
#include "IDataBase.h"
#include "IPanelControlData.h"
#include "ITSPanelDataModel.h"
#include "ITextControlData.h"
#include "ITreeViewController.h"
#include "ITreeViewHierarchyAdapter.h"
#include "ITreeViewMgr.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "RsrcSpec.h"
#include "TSID.h"
#include "TSPanelNodeData.h"
#include "TSPanelNodeID.h"
#include "WidgetIDs.h"

// Creates the project tree's rows from the plug-in's row view and fills each from its
// node's record: expander, icon, name and indent. A row whose widgets are incomplete is
// filled as far as it can be.
class TSPanelTVWidgetMgr : public CTreeViewWidgetMgr {
public:
    explicit TSPanelTVWidgetMgr(IPMUnknown* boss) : CTreeViewWidgetMgr(boss) {}

    IControlView* CreateWidgetForNode(const NodeID&) const override {
        RsrcSpec spec(MLocaleSetting::GetLocale(), kTSPluginID, kViewRsrcType, kTSTreeNodeRsrcID);
        return static_cast<IControlView*>(CreateObject(::GetDataBase(this), spec, IID_OF<IControlView>()));
    }

    WidgetID GetWidgetTypeForNode(const NodeID&) const override { return kTSTreeNodeWidgetID; }

    PMReal GetIndentForNode(const NodeID&) const override { return 10.0; }

    bool16 ApplyNodeIDToWidget(const NodeID& node, IControlView* widget, int32 = kApplyNew) const override {
        CTreeViewWidgetMgr::ApplyNodeIDToWidget(node, widget, kApplyNew);
        InterfacePtr<IPanelControlData> row(widget, IID_OF<IPanelControlData>());
        if (!row) return kTrue;

        IControlView* expander = row->FindWidget(kTreeNodeExpanderWidgetID, 9999);
        InterfacePtr<ITreeViewHierarchyAdapter> adapter(this, IID_OF<ITreeViewHierarchyAdapter>());
        if (!expander || !adapter) return kTrue;
        // Asking loads the node's children, so a group shows an expander only when it has some.
        if (adapter->GetNumChildren(node) < 1)
            expander->Hide();
        else
            expander->Show(kTrue);

        const TSPanelNodeID* ours = TSPanelNodeID::From(node);
        if (!ours) return kTrue;
        InterfacePtr<ITSPanelDataModel> model(this, kTSPanelDataModelInterfaceID);
        TSPanelNodeData* record = model ? model->GetNode(ours->GetProjectID()) : nullptr;
        if (!record) return kTrue;
        PMString name = record->GetNodeName();
        bool isProject = record->IsProject();

        IControlView* icon = row->FindWidget(kTSNodeIconWidgetID, 9999);
        if (!icon) return kTrue;
        SetIconForContent(icon, isProject, expander, node);

        IControlView* nameWidget = row->FindWidget(kTSNodeNameWidgetID, 9999);
        InterfacePtr<ITextControlData> text(nameWidget, IID_OF<ITextControlData>());
        if (!text) return kTrue;
        if (name.IsEmpty()) name.SetString("Empty?");
        // Project names come from the server: one that looks like a string key is still a name.
        name.SetTranslatable(kFalse);
        text->SetString(name, kTrue, kTrue, kTrue);

        Indent(node, widget, nameWidget);
        return kTrue;
    }

private:
    void SetIconForContent(IControlView* icon, const bool& isProject, IControlView* expander, NodeID node) const {
        icon->SetRsrcPluginID(kTSPluginID);
        InterfacePtr<ITreeViewController> selection(this, IID_OF<ITreeViewController>());
        InterfacePtr<ITreeViewMgr> tree(this, IID_OF<ITreeViewMgr>());
        if (!selection || !tree) return;
        RsrcID picture;
        if (!expander->IsVisible(kFalse) && isProject)
            picture = kTSProjectIconRsrcID;
        else if (tree->IsNodeExpanded(node))
            picture = kTSGroupOpenIconRsrcID;
        else
            picture = kTSGroupClosedIconRsrcID;
        icon->SetRsrcID(picture);
    }

    void Indent(const NodeID& node, IControlView* widget, IControlView* nameWidget) const {
        if (!widget || !nameWidget) return;
        InterfacePtr<IPanelControlData> row(widget, IID_OF<IPanelControlData>());
        if (!row) return;
        IControlView* indentWidget = row->FindWidget(kTSNodeIndentWidgetID, 9999);
        if (!indentWidget) return;
        PMRect frame = indentWidget->GetFrame();
        frame.Left(GetIndent(node));
        indentWidget->SetFrame(frame, kTrue);
        nameWidget->WindowChanged();
        PMRect nameFrame = nameWidget->GetFrame();
        nameFrame.Right(frame.Right());
        nameWidget->SetFrame(nameFrame, kTrue);
    }
};

CREATE_PMINTERFACE(TSPanelTVWidgetMgr, kTSPanelTVWidgetMgrImpl);
