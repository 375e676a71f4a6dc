#include "TSPrefsDlgController.h"

#include "CAlert.h"
#include "CmdUtils.h"
#include "FileUtils.h"
#include "IControlView.h"
#include "IDropDownListController.h"
#include "IPDFExptStyleListMgr.h"
#include "IPanelControlData.h"
#include "ISession.h"
#include "IStringListControlData.h"
#include "ITSPrefsData.h"
#include "ITextControlData.h"
#include "IWorkspace.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "K2Vector.h"
#include "StatusCodeInfo.h"
#include "TSConnection.h"
#include "TSID.h"
#include "TSPanelUtils.h"
#include "TSPrefsIDs.h"

namespace {

constexpr PMReal kServerUpperHeight = 60;
constexpr PMReal kPathUpperHeight = 95;
constexpr PMReal kGroupGap = 30;
constexpr PMReal kFolderLowerHeight = 60;
constexpr PMReal kLowerHeight = 90;

PMRect WithTopAndBottom(PMRect frame, PMReal top, PMReal bottom) {
    frame.Top(top);
    frame.Bottom(bottom);
    return frame;
}

PMString Untranslated(PMString text) {
    text.SetTranslatable(kFalse);
    return text;
}

void Warn(const char* key) {
    PMString message(key);
    message.Translate();
    CAlert::WarningAlert(message);
}

// A typed folder may end in the folder mark ":"; the send composes folder + ":" + name, and
// "::" would name the parent folder, so the folder is kept in the host's own form without it,
// the form Browse gives.
PMString AsFolderPath(const PMString& typed) {
    IDFile folder;
    FileUtils::PMStringToIDFile(typed, folder);
    PMString path;
    FileUtils::IDFileToPMString(folder, path);
    return Untranslated(path);
}

void ShowViews(std::initializer_list<IControlView*> views, bool show) {
    for (IControlView* view : views) {
        if (show) view->Show(kTrue);
        else view->Hide();
    }
}

}  // namespace

TSPrefsDlgController::SendToRows::SendToRows(IPanelControlData* panel)
    : pathLabel(panel->FindWidget(kTSPrefsPathLabelWidgetID, 9999)),
      path(panel->FindWidget(kTSPrefsPathWidgetID, 9999)),
      browse(panel->FindWidget(kTSPrefsBrowseButtonWidgetID, 9999)),
      statusLabel(panel->FindWidget(kTSPrefsStatusLabelWidgetID, 9999)),
      status(panel->FindWidget(kTSPrefsStatusWidgetID, 9999)),
      pathText(path, IID_OF<ITextControlData>()) {}

bool TSPrefsDlgController::SendToRows::Found() const {
    return pathLabel && path && browse && statusLabel && status && pathText;
}

void TSPrefsDlgController::SendToRows::Show(const ITSPrefsData& prefs, bool serverTarget, bool folderTarget) {
    if (!serverTarget)
        pathText->SetString(Untranslated(folderTarget ? prefs.GetFolderInfo() : prefs.GetIDServerInfo()), kTrue, kTrue,
                            kTrue);
    ShowViews({pathLabel, path, browse}, !serverTarget);
    ShowViews({statusLabel, status}, !folderTarget);
}

ITSPrefsData* TSPrefsDlgController::QueryStoredPrefs() {
    InterfacePtr<IWorkspace> workspace(gSession ? gSession->QueryWorkspace() : nullptr);
    InterfacePtr<ITSPrefsData> prefs(workspace.get(), kTSPrefsDataInterfaceID);
    return prefs.forget();
}

bool TSPrefsDlgController::ArrangeGroups(IPanelControlData* panel, bool serverTarget, bool folderTarget) {
    if (!panel) return false;
    IControlView* upper = panel->FindWidget(kTSPrefsUpperGroupWidgetID, 9999);
    IControlView* lower = panel->FindWidget(kTSPrefsLowerGroupWidgetID, 9999);
    IControlView* statusLabel = panel->FindWidget(kTSPrefsStatusLabelWidgetID, 9999);
    IControlView* status = panel->FindWidget(kTSPrefsStatusWidgetID, 9999);
    IControlView* presetLabel = panel->FindWidget(kTSPrefsPresetLabelWidgetID, 9999);
    IControlView* preset = panel->FindWidget(kTSPrefsPresetWidgetID, 9999);
    if (!upper || !lower || !statusLabel || !status || !presetLabel || !preset) return false;

    PMRect upperFrame = upper->GetFrame();
    upperFrame.Bottom(upperFrame.Top() + (serverTarget ? kServerUpperHeight : kPathUpperHeight));
    PMRect lowerFrame = lower->GetFrame();
    lowerFrame.Top(upperFrame.Bottom() + kGroupGap);
    lowerFrame.Bottom(lowerFrame.Top() + (folderTarget ? kFolderLowerHeight : kLowerHeight));

    // A folder takes no status: its row stays where it was, hidden, and the preset row moves up.
    PMRect statusLabelFrame = statusLabel->GetFrame(), statusFrame = status->GetFrame();
    PMRect presetLabelFrame, presetFrame;
    if (folderTarget) {
        presetLabelFrame = WithTopAndBottom(presetLabel->GetFrame(), 20, 40);
        presetFrame = WithTopAndBottom(preset->GetFrame(), 20, 40);
    } else {
        statusLabelFrame = WithTopAndBottom(statusLabelFrame, 20, 40);
        statusFrame = WithTopAndBottom(statusFrame, 20, 40);
        presetLabelFrame = WithTopAndBottom(presetLabel->GetFrame(), 50, 70);
        presetFrame = WithTopAndBottom(preset->GetFrame(), 50, 70);
    }

    upper->SetFrame(upperFrame, kTrue);
    lower->SetFrame(lowerFrame, kTrue);
    statusLabel->SetFrame(statusLabelFrame, kTrue);
    status->SetFrame(statusFrame, kTrue);
    presetLabel->SetFrame(presetLabelFrame, kTrue);
    preset->SetFrame(presetFrame, kTrue);
    return true;
}

void TSPrefsDlgController::InitializeDialogFields(IActiveContext* context) {
    CDialogController::InitializeDialogFields(context);
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    if (!panel) return;
    InitializeUserDetails();
    InitializeSendToDetails();
    InitializeDefaultSettings();
}

void TSPrefsDlgController::InitializeUserDetails() {
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    InterfacePtr<ITSPrefsData> prefs(QueryStoredPrefs());
    if (!panel || !prefs) return;
    const struct {
        WidgetID box;
        PMString value;
    } fields[] = {
        {kTSPrefsUserNameWidgetID, prefs->GetUserName()},
        {kTSPrefsPasswordWidgetID, prefs->GetPassword()},
        {kTSPrefsServerURLWidgetID, prefs->GetTessaronInfo()},
    };
    for (const auto& field : fields) {
        InterfacePtr<ITextControlData> text(panel->FindWidget(field.box, 9999), IID_OF<ITextControlData>());
        if (!text) return;
        // Stored values are the user's own text, never string keys to translate.
        text->SetString(Untranslated(field.value), kTrue, kTrue, kTrue);
    }
}

void TSPrefsDlgController::InitializeSendToDetails() {
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    InterfacePtr<ITSPrefsData> prefs(QueryStoredPrefs());
    if (!panel || !prefs) return;
    SendToRows rows(panel.get());
    if (!rows.Found()) return;

    const PMString sendTo = prefs->GetSendToOption();
    const bool server = sendTo.IsEqual(PMString(kTSSendToTessaron)) != kFalse;
    const bool folder = sendTo.IsEqual(PMString(kTSSendToFolder)) != kFalse;
    const bool idServer = sendTo.IsEqual(PMString(kTSSendToIDServer)) != kFalse;
    if (server || folder || idServer) {
        const WidgetID radio = server   ? kTSPrefsServerRadioWidgetID
                               : folder ? kTSPrefsFolderRadioWidgetID
                                        : kTSPrefsIDServerRadioWidgetID;
        SetSelectedClusterWidget(kTSPrefsSendToClusterWidgetID, radio, nullptr, kTrue, kTrue);
        rows.Show(*prefs, server, folder);
    }
    RearrangeDlgFields(sendTo);
}

void TSPrefsDlgController::InitializeDefaultSettings() {
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    InterfacePtr<ITSPrefsData> prefs(QueryStoredPrefs());
    if (!panel || !prefs) return;

    IControlView* status = panel->FindWidget(kTSPrefsStatusWidgetID, 9999);
    InterfacePtr<IStringListControlData> statusList(status, IID_OF<IStringListControlData>());
    InterfacePtr<IDropDownListController> statusChoice(status, IID_OF<IDropDownListController>());
    if (statusList && statusChoice) {
        statusList->Clear(kTrue, kTrue);
        K2Vector<StatusCodeInfo> codes;
        TSPanelUtils::GetStatusCodesInfo(codes);
        const PMString stored = prefs->GetStatusName();
        int32 chosen = 0, added = 0;
        for (const StatusCodeInfo& code : codes) {
            statusList->AddString(Untranslated(code.name), IStringListControlData::kEnd, kTrue, kTrue);
            if (code.name.IsEqual(stored)) chosen = added;
            ++added;
        }
        if (added > 0) statusChoice->Select(chosen, kTrue, kTrue);
    }

    IControlView* preset = panel->FindWidget(kTSPrefsPresetWidgetID, 9999);
    InterfacePtr<IWorkspace> workspace(gSession ? gSession->QueryWorkspace() : nullptr);
    InterfacePtr<IPDFExptStyleListMgr> presets(workspace.get(), IID_OF<IPDFExptStyleListMgr>());
    InterfacePtr<IStringListControlData> presetList(preset, IID_OF<IStringListControlData>());
    InterfacePtr<IDropDownListController> presetChoice(preset, IID_OF<IDropDownListController>());
    if (!presets || !presetList || !presetChoice) return;
    presetList->Clear(kTrue, kTrue);
    const PMString stored = prefs->GetPresetName();
    int32 chosen = 0, added = 0;
    for (int32 i = 0; i < presets->GetNumStyles(); ++i) {
        PMString name = presets->GetNthStyleName(i);
        if (name.IsEmpty()) continue;
        presetList->AddString(Untranslated(name), IStringListControlData::kEnd, kTrue, kTrue);
        if (name.IsEqual(stored)) chosen = added;
        ++added;
    }
    // Harmless on an empty list.
    presetChoice->Select(chosen, kTrue, kTrue);
}

void TSPrefsDlgController::RearrangeDlgFields(const PMString& sendTo) {
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    ArrangeGroups(panel.get(), sendTo.IsEqual(PMString(kTSSendToTessaron)) != kFalse,
                  sendTo.IsEqual(PMString(kTSSendToFolder)) != kFalse);
}

PMString TSPrefsDlgController::ChosenOrStored(IPanelControlData* panel, WidgetID dropDown, const PMString& stored) {
    // A new run has no cached project list until its first download, so the status list
    // opens empty; an empty list offers no choice, and the user changed nothing.
    IControlView* view = panel->FindWidget(dropDown, 9999);
    InterfacePtr<IStringListControlData> list(view, IID_OF<IStringListControlData>());
    InterfacePtr<IDropDownListController> choice(view, IID_OF<IDropDownListController>());
    if (!list || !choice || list->Length() == 0 || choice->GetSelected() < 0) return Untranslated(stored);
    return Untranslated(GetTextControlData(dropDown));
}

WidgetID TSPrefsDlgController::ValidateDialogFields(IActiveContext* context) {
    WidgetID result = CDialogController::ValidateDialogFields(context);
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    if (!panel) return result;

    const struct {
        WidgetID box;
        const char* emptyKey;
    } required[] = {
        {kTSPrefsUserNameWidgetID, "0x61000kTSUserNameEmptyError"},
        {kTSPrefsPasswordWidgetID, "0x61000kTSPasswordEmptyError"},
        {kTSPrefsServerURLWidgetID, "0x61000kTSUrlEmptyError"},
    };
    PMString values[3];
    for (int i = 0; i < 3; ++i) {
        values[i] = GetTextControlData(required[i].box);
        values[i].StripWhiteSpace(PMString::kLeadingAndTrailingWhiteSpace);
        if (values[i].IsEmpty()) {
            Warn(required[i].emptyKey);
            return required[i].box;
        }
    }

    // The download reports its own failures; a refused login leaves status at 0.
    short status = 0;
    {
        TSConnection connection;
        connection.GetProjectsData(values[0], values[1], values[2], status);
    }
    if (status == 0) return kTSPrefsUserNameWidgetID;
    return result;
}

void TSPrefsDlgController::ApplyDialogFields(IActiveContext*, const WidgetID&) {
    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kTSPrefsDataCmdBoss));
    InterfacePtr<ITSPrefsData> values(command.get(), kTSPrefsDataInterfaceID);
    InterfacePtr<ITSPrefsData> stored(QueryStoredPrefs());
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    if (!values || !stored || !panel) return;

    const auto stripped = [this](WidgetID box) {
        PMString text = GetTextControlData(box);
        text.StripWhiteSpace(PMString::kLeadingAndTrailingWhiteSpace);
        return Untranslated(text);
    };

    const PMString user = stripped(kTSPrefsUserNameWidgetID);
    if (!user.IsEqual(stored->GetUserName())) g_ServerDetailChanged = kTrue;
    values->SetUserName(user);
    values->SetPassword(stripped(kTSPrefsPasswordWidgetID));

    // The path box belongs to the selected target; the other target keeps its stored folder.
    const PMString path = AsFolderPath(stripped(kTSPrefsPathWidgetID));
    const WidgetID radio = GetSelectedClusterWidget(kTSPrefsSendToClusterWidgetID);
    if (radio == kTSPrefsFolderRadioWidgetID) {
        values->SetSendToOption(PMString(kTSSendToFolder, PMString::kNoTranslate));
        values->SetFolderInfo(path);
        values->SetIDServerInfo(stored->GetIDServerInfo());
    } else if (radio == kTSPrefsIDServerRadioWidgetID) {
        values->SetSendToOption(PMString(kTSSendToIDServer, PMString::kNoTranslate));
        values->SetFolderInfo(stored->GetFolderInfo());
        values->SetIDServerInfo(path);
    } else {
        values->SetSendToOption(PMString(kTSSendToTessaron, PMString::kNoTranslate));
        values->SetFolderInfo(stored->GetFolderInfo());
        values->SetIDServerInfo(stored->GetIDServerInfo());
    }

    const PMString url = stripped(kTSPrefsServerURLWidgetID);
    if (!url.IsEqual(stored->GetTessaronInfo())) g_ServerDetailChanged = kTrue;
    values->SetTessaronInfo(url);

    values->SetStatusName(ChosenOrStored(panel.get(), kTSPrefsStatusWidgetID, stored->GetStatusName()));
    values->SetPresetName(ChosenOrStored(panel.get(), kTSPrefsPresetWidgetID, stored->GetPresetName()));
    CmdUtils::ProcessCommand(command.get());
}

CREATE_PMINTERFACE(TSPrefsDlgController, kTSPrefsDlgControllerImpl);
