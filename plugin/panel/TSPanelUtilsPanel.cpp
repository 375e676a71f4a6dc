#include <atomic>

#include "IApplication.h"
#include "IControlView.h"
#include "IDocumentList.h"
#include "IPanelControlData.h"
#include "IPanelMgr.h"
#include "ISession.h"
#include "ITSPanelDataModel.h"
#include "ITreeViewController.h"
#include "InterfacePtr.h"
#include "TSID.h"
#include "TSPanelNodeData.h"
#include "TSPanelNodeID.h"
#include "TSPanelUtils.h"
#include "TSUploadGlobals.h"
#include "UtilsBoss.h"

namespace {

// The children of the open panel with that ID; null while it is closed.
InterfacePtr<IPanelControlData> QueryPanelChildren(WidgetID panelWidgetID) {
    InterfacePtr<IPanelMgr> panels(UtilsBoss::QueryUtils<IPanelMgr>());
    if (!panels) return {};
    InterfacePtr<IControlView> panel(panels->QueryPanelByWidgetID(panelWidgetID));
    return InterfacePtr<IPanelControlData>(panel.get(), IID_OF<IPanelControlData>());
}

// The panel keeps its children alive while it is shown, so a view found outlives our references.
IControlView* FindOn(const InterfacePtr<IPanelControlData>& children, WidgetID widgetID) {
    return children ? children->FindWidget(widgetID, 9999) : nullptr;
}

// The model's record of the first selected node of that tree, valid until the model is
// rebuilt; null when none is selected or there is no tree.
const TSPanelNodeData* FirstSelectedNode(IControlView* tree) {
    if (!tree) return nullptr;
    InterfacePtr<ITreeViewController> selection(tree, IID_OF<ITreeViewController>());
    InterfacePtr<ITSPanelDataModel> model(tree, kTSPanelDataModelInterfaceID);
    if (!selection || !model) return nullptr;
    NodeIDList selected;
    selection->GetSelectedItems(selected);
    if (selected.empty()) return nullptr;
    const TSPanelNodeID* first = TSPanelNodeID::From(selected.front());
    return first ? model->GetNode(first->GetProjectID()) : nullptr;
}

}  // namespace

IControlView* TSPanelUtils::GetWidgetOnPanel(WidgetID panelWidgetID, WidgetID widgetID) {
    return FindOn(QueryPanelChildren(panelWidgetID), widgetID);
}

bool16 TSPanelUtils::GetNodeData(TSPanelNodeData& node) {
    const TSPanelNodeData* found = FirstSelectedNode(GetWidgetOnPanel(kTSPanelWidgetID, kTSProjectTreeWidgetID));
    if (!found) return kFalse;
    node = *found;
    return kTrue;
}

void TSPanelUtils::UpdateTSPanelBtnStates() {
    // Runs every 10 ms: the panel is looked up once for the three widgets, and the node's flag
    // is read in place, since a copy of a group would copy all its children.
    InterfacePtr<IPanelControlData> panel = QueryPanelChildren(kTSPanelWidgetID);
    IControlView* upload = FindOn(panel, kTSUploadButtonWidgetID);
    IControlView* link = FindOn(panel, kTSLinkButtonWidgetID);
    if (!upload || !link) return;

    const TSPanelNodeData* node = FirstSelectedNode(FindOn(panel, kTSProjectTreeWidgetID));
    if (node && node->IsProject()) {
        if (!link->IsEnabled()) link->Enable(kTrue, kTrue);
        InterfacePtr<IApplication> application(gSession ? gSession->QueryApplication() : nullptr);
        InterfacePtr<IDocumentList> documents(application ? application->QueryDocumentList() : nullptr);
        if (documents && documents->GetDocCount() > 0 && g_sendToAllowed.load(std::memory_order_acquire))
            upload->Enable(kTrue, kTrue);
        else
            upload->Disable(kTrue);
        return;
    }
    if (link->IsEnabled()) link->Disable(kTrue);
    if (upload->IsEnabled()) upload->Disable(kTrue);
}
