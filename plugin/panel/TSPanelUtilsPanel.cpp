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

// The model's record of the first selected node, valid until the model is rebuilt; null when
// none is selected.
const TSPanelNodeData* FirstSelectedNode(ITreeViewController* selection, const ITSPanelDataModel* model) {
    if (!selection || !model) return nullptr;
    NodeIDList selected;
    selection->GetSelectedItems(selected);
    if (selected.empty()) return nullptr;
    const TSPanelNodeID* first = TSPanelNodeID::From(selected.front());
    return first ? model->GetNode(first->GetProjectID()) : nullptr;
}

const TSPanelNodeData* FirstSelectedNode(IControlView* tree) {
    InterfacePtr<ITreeViewController> selection(tree, IID_OF<ITreeViewController>());
    InterfacePtr<ITSPanelDataModel> model(tree, kTSPanelDataModelInterfaceID);
    return FirstSelectedNode(selection.get(), model.get());
}

// What the button update works on, found when the panel was shown. The panel's widgets, and
// their bosses' interfaces, live as long as the panel is shown.
struct ShownPanel {
    IControlView* upload = nullptr;
    IControlView* link = nullptr;
    ITreeViewController* selection = nullptr;
    ITSPanelDataModel* model = nullptr;
};
ShownPanel gShownPanel;

bool AnyDocumentOpen() {
    InterfacePtr<IApplication> application(gSession ? gSession->QueryApplication() : nullptr);
    InterfacePtr<IDocumentList> documents(application ? application->QueryDocumentList() : nullptr);
    return documents && documents->GetDocCount() > 0;
}

void SetEnabled(IControlView* button, bool enabled) {
    if (enabled == (button->IsEnabled() != kFalse)) return;
    if (enabled)
        button->Enable(kTrue, kTrue);
    else
        button->Disable(kTrue);
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

void TSPanelUtils::SetShownPanel(IPanelControlData* panel) {
    gShownPanel = {};
    if (!panel) return;
    gShownPanel.upload = panel->FindWidget(kTSUploadButtonWidgetID, 9999);
    gShownPanel.link = panel->FindWidget(kTSLinkButtonWidgetID, 9999);
    IControlView* tree = panel->FindWidget(kTSProjectTreeWidgetID, 9999);
    InterfacePtr<ITreeViewController> selection(tree, IID_OF<ITreeViewController>());
    InterfacePtr<ITSPanelDataModel> model(tree, kTSPanelDataModelInterfaceID);
    gShownPanel.selection = selection.get();
    gShownPanel.model = model.get();
}

void TSPanelUtils::UpdateTSPanelBtnStates() {
    // Runs every 10 ms: nothing is searched for, the node's flag is read in place (a copy of a
    // group would copy all its children), and a button already showing the right state is
    // left alone.
    const ShownPanel& shown = gShownPanel;
    if (!shown.upload || !shown.link) return;
    const TSPanelNodeData* node = FirstSelectedNode(shown.selection, shown.model);
    const bool project = node && node->IsProject();
    SetEnabled(shown.link, project);
    SetEnabled(shown.upload, project && AnyDocumentOpen() && g_sendToAllowed.load(std::memory_order_acquire));
}
