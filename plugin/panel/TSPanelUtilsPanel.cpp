#include <atomic>
#include <optional>

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

// The model's id of the first selected node; none when nothing, or a node of another kind, is
// selected.
std::optional<int32> FirstSelectedID(ITreeViewController* selection) {
    if (!selection) return std::nullopt;
    NodeIDList selected;
    selection->GetSelectedItems(selected);
    if (selected.empty()) return std::nullopt;
    const TSPanelNodeID* first = TSPanelNodeID::From(selected.front());
    return first ? std::optional<int32>(first->GetProjectID()) : std::nullopt;
}

// The model's record of the first selected node of that tree, valid until the model is
// rebuilt; null when none is selected or there is no tree.
const TSPanelNodeData* FirstSelectedNode(IControlView* tree) {
    InterfacePtr<ITreeViewController> selection(tree, IID_OF<ITreeViewController>());
    InterfacePtr<ITSPanelDataModel> model(tree, kTSPanelDataModelInterfaceID);
    const std::optional<int32> id = model ? FirstSelectedID(selection.get()) : std::nullopt;
    return id ? model->GetNode(*id) : nullptr;
}

// What the button update works on, found when the panel was shown. The panel's widgets, and
// their bosses' interfaces, live as long as the panel is shown, and the application's list of
// open documents as long as the application, which shows the panel.
struct ShownPanel {
    IControlView* upload = nullptr;
    IControlView* link = nullptr;
    ITreeViewController* selection = nullptr;
    ITSPanelDataModel* model = nullptr;
    IDocumentList* documents = nullptr;
    // The first selected node as last read: when the panel was shown, or by the update that
    // followed the tree's last announcement of a change.
    std::optional<int32> selectedID;
};
ShownPanel gShownPanel;

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
    InterfacePtr<IApplication> application(gSession ? gSession->QueryApplication() : nullptr);
    InterfacePtr<IDocumentList> documents(application ? application->QueryDocumentList() : nullptr);
    gShownPanel.documents = documents.get();
    gShownPanel.selectedID = FirstSelectedID(gShownPanel.selection);
}

void TSPanelUtils::UpdateTSPanelBtnStates(bool readSelection) {
    // The idle task's runs, every 10 ms, search for nothing and copy nothing: the node's flag
    // is read in place (a copy of a group would copy all its children), and a button already
    // showing the right state is left alone.
    ShownPanel& shown = gShownPanel;
    if (!shown.upload || !shown.link) return;
    if (readSelection) shown.selectedID = FirstSelectedID(shown.selection);
    // The record is looked up each time: a rebuild of the model replaces the records.
    const TSPanelNodeData* node = shown.selectedID && shown.model ? shown.model->GetNode(*shown.selectedID) : nullptr;
    const bool project = node && node->IsProject();
    SetEnabled(shown.link, project);
    SetEnabled(shown.upload, project && shown.documents && shown.documents->GetDocCount() > 0 &&
                                 g_sendToAllowed.load(std::memory_order_acquire));
}
