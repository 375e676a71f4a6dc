#include "ActiveSelectionObserver.h"
#include "IControlView.h"
#include "IDocument.h"
#include "ILayoutUtils.h"
#include "ITSDocData.h"
#include "ITSPanelDataModel.h"
#include "ITreeViewController.h"
#include "ITreeViewMgr.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "TSID.h"
#include "TSPanelNodeData.h"
#include "TSPanelNodeID.h"
#include "UtilsBoss.h"

// Keeps the project tree's selection on the project the front document was last sent to.
// The tree-view observer attaches and detaches it with the tree. A selection that already
// shows that project alone is left as it is, so the user's own choice of the same project
// is not disturbed.
class TSPanelTVSelectionObserver : public ActiveSelectionObserver {
public:
    explicit TSPanelTVSelectionObserver(IPMUnknown* boss)
        : ActiveSelectionObserver(boss, kTSTreeSelectionObserverInterfaceID) {}

    void HandleSelectionChanged(const ISelectionMessage*) override {
        InterfacePtr<ILayoutUtils> layout(UtilsBoss::QueryUtils<ILayoutUtils>());
        IDocument* front = layout ? layout->GetFrontDocument() : nullptr;
        if (front) UpdateTVSelection(front);
    }

    void HandleSelectionAttributeChanged(const ISelectionMessage*) override {}

    void UpdateTVSelection(IDocument* document) {
        if (!document) return;
        InterfacePtr<ITSDocData> docData(document, kTSDocDataInterfaceID);
        if (!docData) return;
        int32 projectXMLID = docData->GetProjectXMLID();
        if (projectXMLID == -1) return;

        InterfacePtr<IControlView> treeView(this, IID_OF<IControlView>());
        InterfacePtr<ITreeViewController> selection(treeView.get(), IID_OF<ITreeViewController>());
        InterfacePtr<ITreeViewMgr> tree(treeView.get(), IID_OF<ITreeViewMgr>());
        InterfacePtr<ITSPanelDataModel> model(treeView.get(), kTSPanelDataModelInterfaceID);
        if (!selection || !tree || !model) return;

        NodeIDList selected;
        selection->GetSelectedItems(selected);
        if (selected.size() == 1) {
            if (const TSPanelNodeID* only = TSPanelNodeID::From(selected.front())) {
                const TSPanelNodeData* shown = model->GetNode(only->GetProjectID());
                // An id from before a refresh: the tree is about to be rebuilt, leave it alone.
                if (!shown) return;
                if (shown->GetProjectXMLID() == projectXMLID) return;
            }
        }

        if (!model->IsValidProjectID(projectXMLID)) return;
        const TSPanelNodeData* project = model->GetNodeByXMLID(projectXMLID);
        if (!project) return;
        NodeID node(new TSPanelNodeID(project->GetProjectID()));
        selection->DeselectAll(kTrue, kTrue);
        if (selection->Select(node, kTrue, kTrue) == kSuccess) tree->RevealNode(node, 2);
    }
};

CREATE_PMINTERFACE(TSPanelTVSelectionObserver, kTSPanelTVSelectionObserverImpl);
