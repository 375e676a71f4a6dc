#include <string>

#include "AbstractDialogObserver.h"
#include "CAlert.h"
#include "IApplication.h"
#include "IControlView.h"
#include "IDialog.h"
#include "IDialogMgr.h"
#include "IPanelControlData.h"
#include "ISession.h"
#include "ISubject.h"
#include "ITSPanelDataModel.h"
#include "ITSPrefsData.h"
#include "ITreeViewController.h"
#include "ITreeViewMgr.h"
#include "IWorkspace.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "RsrcSpec.h"
#include "TSConnection.h"
#include "TSID.h"
#include "TSPanelDataModel.h"
#include "TSPanelNodeData.h"
#include "TSPanelNodeID.h"
#include "TSPanelUtils.h"
#include "WidgetIDs.h"
#include "platform/Browser.h"

// Observes the projects panel's Link, Upload and Refresh buttons. Every showing of the panel
// downloads the project list first, so the tree starts from the server's current list.
class TSPanelObserver : public AbstractDialogObserver {
public:
    explicit TSPanelObserver(IPMUnknown* boss) : AbstractDialogObserver(boss) {}
    // A panel destroyed while shown leaves the button update nothing to reach.
    ~TSPanelObserver() override {
        if (fToldShown) TSPanelUtils::SetShownPanel(nullptr);
    }

    void AutoAttach() override {
        InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
        TSPanelUtils::SetShownPanel(panel.get());
        fToldShown = panel != nullptr;
        Refresh();
        CObserver::AutoAttach();
        if (!panel) return;
        for (WidgetID button : kButtons) AttachToWidget(button, IID_ITRISTATECONTROLDATA, panel.get());
    }

    void AutoDetach() override {
        if (fToldShown) TSPanelUtils::SetShownPanel(nullptr);
        fToldShown = false;
        CObserver::AutoDetach();
        InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
        if (!panel) return;
        for (WidgetID button : kButtons) DetachFromWidget(button, IID_ITRISTATECONTROLDATA, panel.get());
    }

    void Update(const ClassID& change, ISubject* subject, const PMIID& protocol, void*) override {
        InterfacePtr<IControlView> view(subject, IID_OF<IControlView>());
        if (!view) return;
        WidgetID widget = view->GetWidgetID();
        if (protocol != IID_ITRISTATECONTROLDATA || change != kTrueStateMessage) return;
        if (widget == kTSLinkButtonWidgetID)
            OpenProject();
        else if (widget == kTSUploadButtonWidgetID)
            Upload();
        else if (widget == kTSRefreshButtonWidgetID)
            Refresh();
    }

    // The send dialog, as the Send menu item opens it; the button is enabled only when a send
    // may start.
    void Upload() {
        InterfacePtr<IApplication> application(gSession ? gSession->QueryApplication() : nullptr);
        InterfacePtr<IDialogMgr> dialogs(application.get(), IID_OF<IDialogMgr>());
        if (!dialogs) return;
        RsrcSpec spec(MLocaleSetting::GetLocale(), kTSPluginID, kViewRsrcType, kTSSendDialogRsrcID);
        IDialog* dialog = dialogs->CreateNewDialog(spec, IDialogMgr::kModal, kTrue, kTrue);
        if (dialog) dialog->Open(0);
    }

    // Downloads the project list and rebuilds the tree from the cached file, whether or not
    // the download worked: the connection reports its own failures.
    void Refresh() {
        InterfacePtr<ITSPrefsData> prefs(Prefs());
        if (!prefs) return;
        {
            TSConnection connection;
            short status = 0;
            // A new list goes straight into the tree's reader, which the rebuild below then uses.
            connection.GetProjectsData(prefs->GetUserName(), prefs->GetPassword(), prefs->GetTessaronInfo(), status,
                                       &domparseFile);
        }
        IControlView* treeWidget = TSPanelUtils::GetWidgetOnPanel(kTSPanelWidgetID, kTSProjectTreeWidgetID);
        InterfacePtr<ITSPanelDataModel> model(treeWidget, kTSPanelDataModelInterfaceID);
        if (!model) return;
        model->Rebuild();
        InterfacePtr<ITreeViewMgr> tree(treeWidget, IID_OF<ITreeViewMgr>());
        if (!tree) return;
        tree->ClearTree(kFalse);
        tree->ChangeRoot(kTrue);
    }

    // The selected project's page on the proofing server, in the user's browser. The URL is
    // handed over as one argument, never through a shell, so no server URL can run a command.
    void OpenProject() {
        IControlView* treeWidget = TSPanelUtils::GetWidgetOnPanel(kTSPanelWidgetID, kTSProjectTreeWidgetID);
        InterfacePtr<ITreeViewController> selection(treeWidget, IID_OF<ITreeViewController>());
        InterfacePtr<ITSPanelDataModel> model(treeWidget, kTSPanelDataModelInterfaceID);
        if (!selection || !model) return;
        NodeIDList selected;
        selection->GetSelectedItems(selected);
        if (selected.empty()) return;
        const TSPanelNodeID* first = TSPanelNodeID::From(selected.front());
        const TSPanelNodeData* project = first ? model->GetNode(first->GetProjectID()) : nullptr;
        if (!project || !project->IsProject()) return;

        InterfacePtr<ITSPrefsData> prefs(Prefs());
        if (!prefs) return;
        const PMString serverURL = prefs->GetTessaronInfo();
        if (serverURL.IsEmpty()) return;
        // The very server the list came from, "http://" assumed where no scheme is named.
        PMString url(TSConnection::GetServerURL(serverURL.GetUTF8String()), PMString::kNoTranslate);
        url.Append("/?projectid=");
        url.AppendNumber(project->GetProjectXMLID());
        if (tsplatform::OpenInBrowser(url.GetUTF8String())) return;
        PMString message("0x61000kTSServerURLError");
        message.Translate();
        message.Append(" ");
        message.Append(url);
        message.SetTranslatable(kFalse);
        CAlert::WarningAlert(message);
    }

private:
    static constexpr WidgetID kButtons[] = {kTSLinkButtonWidgetID, kTSUploadButtonWidgetID, kTSRefreshButtonWidgetID};

    bool fToldShown = false;  // the button update was given this panel and not yet taken back

    static ITSPrefsData* Prefs() {
        InterfacePtr<IWorkspace> workspace(gSession ? gSession->QueryWorkspace() : nullptr);
        return workspace ? static_cast<ITSPrefsData*>(workspace->QueryInterface(kTSPrefsDataInterfaceID)) : nullptr;
    }
};

CREATE_PMINTERFACE(TSPanelObserver, kTSPanelObserverImpl);
