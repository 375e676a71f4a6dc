// The controller of the plug-in's page in the host's Preferences dialog: fills the page from
// the stored preferences, lays the rows out for the send-to target, refuses empty server
// details and details the server does not accept, and stores all eight values with one
// TSPrefsDataCmd; a default drop-down left empty keeps its stored value. A changed user name
// or server URL sets g_ServerDetailChanged so that the next project-list download asks for a
// full update. The controller keeps no state between the host's calls. User-interface thread
// only.
#pragma once

#include "CDialogController.h"
#include "ITextControlData.h"
#include "InterfacePtr.h"
#include "PMString.h"

class IControlView;
class IPanelControlData;
class ITSPrefsData;

class TSPrefsDlgController : public CDialogController {
public:
    explicit TSPrefsDlgController(IPMUnknown* boss) : CDialogController(boss) {}
    ~TSPrefsDlgController() override = default;

    void InitializeDialogFields(IActiveContext* context) override;
    // The first empty box among user name, password and URL (with a warning), then the user
    // name box when the server does not accept the details; kNoInvalidWidgets otherwise.
    WidgetID ValidateDialogFields(IActiveContext* context) override;
    void ApplyDialogFields(IActiveContext* context, const WidgetID& widgetID) override;

    void InitializeUserDetails();
    void InitializeSendToDetails();
    void InitializeDefaultSettings();
    // Lays the page out for the send-to text `sendTo`.
    void RearrangeDlgFields(const PMString& sendTo);

    // The rows that follow the send-to target, as the controller and the observer both show
    // them: the path row (label, box, Browse) for the two folder targets, its box filled from
    // the stored preferences, and the status row for all but a folder.
    struct SendToRows {
        explicit SendToRows(IPanelControlData* panel);
        // Every widget of both rows is on the page.
        bool Found() const;
        void Show(const ITSPrefsData& prefs, bool serverTarget, bool folderTarget);

        IControlView* pathLabel = nullptr;
        IControlView* path = nullptr;
        IControlView* browse = nullptr;
        IControlView* statusLabel = nullptr;
        IControlView* status = nullptr;
        InterfacePtr<ITextControlData> pathText;
    };

    // The layout both the controller and the observer apply: the upper group is 60 high for
    // the proofing server and 95 otherwise; the lower group starts 30 below it and holds only
    // the preset row for a folder (60 high), else the status row above the preset row (90).
    // Only tops and bottoms change. False, with nothing changed, when a widget is missing.
    static bool ArrangeGroups(IPanelControlData* panel, bool serverTarget, bool folderTarget);

    // The session workspace's stored preferences, counted; null when there are none.
    static ITSPrefsData* QueryStoredPrefs();

private:
    // What the drop-down `dropDown` shows; `stored` when it offers nothing to choose.
    PMString ChosenOrStored(IPanelControlData* panel, WidgetID dropDown, const PMString& stored);
};
