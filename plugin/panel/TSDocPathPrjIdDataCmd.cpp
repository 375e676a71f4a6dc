#include "Command.h"
#include "ISession.h"
#include "ITSDocPathPrjIdData.h"
#include "IWorkspace.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"

// Replaces the workspace's list of sent documents with the command's list.
class TSDocPathPrjIdDataCmd : public Command {
public:
    explicit TSDocPathPrjIdDataCmd(IPMUnknown* boss) : Command(boss) { SetTarget(kSessionWorkspaceTarget); }

protected:
    void Do() override {
        InterfacePtr<ITSDocPathPrjIdData> params(this, kTSDocPathPrjIdDataInterfaceID);
        if (!params) return;
        InterfacePtr<IWorkspace> workspace(gSession ? gSession->QueryWorkspace() : nullptr);
        InterfacePtr<ITSDocPathPrjIdData> store(workspace.get(), kTSDocPathPrjIdDataInterfaceID);
        if (!store) return;
        store->SetDocPathPrjIDContainer(params->GetDocPathPrjIDContainer());
    }
    void DoNotify() override {}
    PMString* CreateName() override { return new PMString("TSDocPathPrjIdDataCmd", PMString::kNoTranslate); }
};

CREATE_PMINTERFACE(TSDocPathPrjIdDataCmd, kTSDocPathPrjIdDataCmdImpl);
