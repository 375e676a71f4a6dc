#include "Command.h"
#include "ISession.h"
#include "ITSDynActionIDsData.h"
#include "IWorkspace.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"

// Replaces the workspace's action map with the command's.
class TSDynActionIDsDataCmd : public Command {
public:
    explicit TSDynActionIDsDataCmd(IPMUnknown* boss) : Command(boss) { SetTarget(kSessionWorkspaceTarget); }

protected:
    void Do() override {
        InterfacePtr<ITSDynActionIDsData> params(this, kTSDynActionIDsDataInterfaceID);
        if (!params) return;
        InterfacePtr<IWorkspace> workspace(gSession ? gSession->QueryWorkspace() : nullptr);
        InterfacePtr<ITSDynActionIDsData> store(workspace.get(), kTSDynActionIDsDataInterfaceID);
        if (!store) return;
        store->Clear();
        for (const auto& [id, path] : params->GetActionIDsDataMap()) store->AddEntry(id, path);
    }
    void DoNotify() override {}
    PMString* CreateName() override { return new PMString("TSDynActionIDsDataCmd", PMString::kNoTranslate); }
};

CREATE_PMINTERFACE(TSDynActionIDsDataCmd, kTSDynActionIDsDataCmdImpl);
