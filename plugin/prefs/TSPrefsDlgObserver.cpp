#include "AbstractDialogObserver.h"
#include "FileUtils.h"
#include "IControlView.h"
#include "IDialogController.h"
#include "IPanelControlData.h"
#include "ISubject.h"
#include "ITSPrefsData.h"
#include "ITextControlData.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "SDKFileHelper.h"
#include "TSID.h"
#include "TSPrefsDlgController.h"
#include "TSPrefsIDs.h"
#include "WidgetIDs.h"

// Follows the user on the preferences page: a send-to radio switched on shows the rows of
// that target and refills the path box from the stored preferences; Browse puts a chosen
// folder into the path box. Nothing is stored here. User-interface thread only.
class TSPrefsDlgObserver : public AbstractDialogObserver {
public:
    explicit TSPrefsDlgObserver(IPMUnknown* boss) : AbstractDialogObserver(boss) {}
    ~TSPrefsDlgObserver() override = default;

    void Update(const ClassID& change, ISubject* subject, const PMIID& protocol, void* changedBy) override;
    void AutoAttach() override;
    void AutoDetach() override;

    void UpdateSendToDetails(WidgetID radio);
    void BrowseForExportPath();

private:
    struct Watched {
        WidgetID widget;
        PMIID protocol;
    };
    static constexpr Watched kWatched[] = {
        {kTSPrefsServerRadioWidgetID, IID_ITRISTATECONTROLDATA},
        {kTSPrefsFolderRadioWidgetID, IID_ITRISTATECONTROLDATA},
        {kTSPrefsIDServerRadioWidgetID, IID_ITRISTATECONTROLDATA},
        {kTSPrefsBrowseButtonWidgetID, IID_IBOOLEANCONTROLDATA},
    };
};

void TSPrefsDlgObserver::AutoAttach() {
    CObserver::AutoAttach();
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    if (!panel) return;
    for (const Watched& w : kWatched) AttachToWidget(w.widget, w.protocol, panel.get());
}

void TSPrefsDlgObserver::AutoDetach() {
    CObserver::AutoDetach();
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    if (!panel) return;
    for (const Watched& w : kWatched) DetachFromWidget(w.widget, w.protocol, panel.get());
}

void TSPrefsDlgObserver::Update(const ClassID& change, ISubject* subject, const PMIID& protocol, void*) {
    InterfacePtr<IControlView> view(subject, IID_OF<IControlView>());
    if (!view) return;
    const WidgetID widget = view->GetWidgetID();
    if (protocol == IID_ITRISTATECONTROLDATA && change == kTrueStateMessage)
        UpdateSendToDetails(widget);
    else if (widget == kTSPrefsBrowseButtonWidgetID && protocol == IID_IBOOLEANCONTROLDATA && change == kTrueStateMessage)
        BrowseForExportPath();
}

void TSPrefsDlgObserver::UpdateSendToDetails(WidgetID radio) {
    const bool server = radio == kTSPrefsServerRadioWidgetID;
    const bool folder = radio == kTSPrefsFolderRadioWidgetID;
    const bool idServer = radio == kTSPrefsIDServerRadioWidgetID;
    if (!server && !folder && !idServer) return;

    InterfacePtr<ITSPrefsData> prefs(TSPrefsDlgController::QueryStoredPrefs());
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    if (!prefs || !panel) return;
    TSPrefsDlgController::SendToRows rows(panel.get());
    // The layout's own widgets are checked before anything changes, so a page missing one
    // is left exactly as it was.
    const bool laidOut = panel->FindWidget(kTSPrefsUpperGroupWidgetID, 9999) &&
                         panel->FindWidget(kTSPrefsLowerGroupWidgetID, 9999) &&
                         panel->FindWidget(kTSPrefsPresetLabelWidgetID, 9999) &&
                         panel->FindWidget(kTSPrefsPresetWidgetID, 9999);
    if (!rows.Found() || !laidOut) return;

    rows.Show(*prefs, server, folder);
    TSPrefsDlgController::ArrangeGroups(panel.get(), server, folder);
}

void TSPrefsDlgObserver::BrowseForExportPath() {
    SDKFolderChooser chooser;
    PMString title("0x61000kTSChoosePdfExportPath");
    title.Translate();
    chooser.SetTitle(title);
    chooser.ShowDialog();
    if (!chooser.IsChosen()) return;
    PMString path;
    FileUtils::IDFileToPMString(chooser.GetIDFile(), path);
    path.SetTranslatable(kFalse);
    InterfacePtr<IDialogController> controller(this, IID_OF<IDialogController>());
    if (controller) controller->SetTextControlData(kTSPrefsPathWidgetID, path, nullptr, kTrue, kTrue);
}

CREATE_PMINTERFACE(TSPrefsDlgObserver, kTSPrefsDlgObserverImpl);
