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

IControlView* TSPanelUtils::GetWidgetOnPanel(WidgetID panelWidgetID, WidgetID widgetID) {
    InterfacePtr<IPanelMgr> panels(UtilsBoss::QueryUtils<IPanelMgr>());
    if (!panels) return nullptr;
    InterfacePtr<IControlView> panel(panels->QueryPanelByWidgetID(panelWidgetID));
    InterfacePtr<IPanelControlData> children(panel.get(), IID_OF<IPanelControlData>());
    // The panel keeps its children alive while it is shown, so the view outlives our references.
    return children ? children->FindWidget(widgetID, 9999) : nullptr;
}

namespace {

// The model's record of the first selected tree node, valid until the model is rebuilt; null
// when none is selected or the panel is closed.
const TSPanelNodeData* FirstSelectedNode() {
    IControlView* tree = TSPanelUtils::GetWidgetOnPanel(kTSPanelWidgetID, kTSProjectTreeWidgetID);
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

bool16 TSPanelUtils::GetNodeData(TSPanelNodeData& node) {
    const TSPanelNodeData* found = FirstSelectedNode();
    if (!found) return kFalse;
    node = *found;
    return kTrue;
}

void TSPanelUtils::UpdateTSPanelBtnStates() {
    IControlView* upload = GetWidgetOnPanel(kTSPanelWidgetID, kTSUploadButtonWidgetID);
    IControlView* link = GetWidgetOnPanel(kTSPanelWidgetID, kTSLinkButtonWidgetID);
    if (!upload || !link) return;

    // Every 10 ms: the flag is read in place, since a copy of a group would copy its children.
    const TSPanelNodeData* node = FirstSelectedNode();
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
