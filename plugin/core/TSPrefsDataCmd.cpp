#include "Command.h"
#include "ISession.h"
#include "ITSPrefsData.h"
#include "IWorkspace.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"

// Copies the command's eight settings onto the session workspace. Each setter dirties only
// for a value that changed.
class TSPrefsDataCmd : public Command {
public:
    explicit TSPrefsDataCmd(IPMUnknown* boss) : Command(boss) { SetTarget(kSessionWorkspaceTarget); }

protected:
    void Do() override {
        InterfacePtr<ITSPrefsData> params(this, kTSPrefsDataInterfaceID);
        if (!params) return;
        InterfacePtr<IWorkspace> workspace(gSession ? gSession->QueryWorkspace() : nullptr);
        InterfacePtr<ITSPrefsData> prefs(workspace.get(), kTSPrefsDataInterfaceID);
        if (!prefs) return;
        prefs->SetUserName(params->GetUserName());
        prefs->SetPassword(params->GetPassword());
        prefs->SetSendToOption(params->GetSendToOption());
        prefs->SetTessaronInfo(params->GetTessaronInfo());
        prefs->SetFolderInfo(params->GetFolderInfo());
        prefs->SetIDServerInfo(params->GetIDServerInfo());
        prefs->SetStatusName(params->GetStatusName());
        prefs->SetPresetName(params->GetPresetName());
    }
    void DoNotify() override {}
    PMString* CreateName() override { return new PMString("TSPrefsDataCmd", PMString::kNoTranslate); }
};

CREATE_PMINTERFACE(TSPrefsDataCmd, kTSPrefsDataCmdImpl);
