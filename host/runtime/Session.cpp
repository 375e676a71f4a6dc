// The session boss's implementations: ISession and the implementation registry plug-ins
// register into; and the workspace (IWorkspace, a plain anchor for the plug-ins' add-ins).
// gSession lives here.
#include <cstdio>

#include "CPMUnknown.h"
#include "Runtime.h"
#include "HostIDs.h"
#include "HostModule.h"
#include "IApplication.h"
#include "IImplementationRegistry.h"
#include "ISession.h"
#include "IWorkspace.h"
#include "InterfacePtr.h"
#include "HexText.h"

ISession* gSession = nullptr;

namespace tshost {

namespace {

class WorkspaceImpl final : public CPMUnknown<IWorkspace> {
public:
    explicit WorkspaceImpl(IPMUnknown* boss) : CPMUnknown<IWorkspace>(boss) {}
};

class SessionImpl final : public CPMUnknown<ISession> {
public:
    explicit SessionImpl(IPMUnknown* boss) : CPMUnknown<ISession>(boss) {}

    IWorkspace* QueryWorkspace() const override {
        Runtime* host = Runtime::Current();
        DataBase* db = host ? host->Workspace() : nullptr;
        return db ? static_cast<IWorkspace*>(db->Instantiate(db->GetRootUID(), IID_OF<IWorkspace>())) : nullptr;
    }

    IApplication* QueryApplication() const override {
        Runtime* host = Runtime::Current();
        IApplication* application = host ? host->Application() : nullptr;
        if (application) application->AddRef();
        return application;
    }

    IActiveContext* GetActiveContext() const override {
        Runtime* host = Runtime::Current();
        return host ? host->ActiveContext() : nullptr;
    }
};

class ImplementationRegistryImpl final : public CPMUnknown<IImplementationRegistry> {
public:
    explicit ImplementationRegistryImpl(IPMUnknown* boss) : CPMUnknown<IImplementationRegistry>(boss) {}

    ErrorCode RegisterImplementation(PluginID plugin, const ImplementationRecord& record) override {
        // Only the plug-in being loaded registers, and only under its own ID.
        if (!plugin.IsValid() || plugin != PluginBeingLoaded()) {
            NoteRegistrationProblem("implementation " + Hex(record.fImplID.Get()) + " registered for plug-in " +
                                    Hex(plugin.Get()) + " outside its loading");
            return kInvalidParameterError;
        }
        ImplEntry entry{plugin, record.fImplID, record.fCreate, record.fDestroy, record.fSizeOf, record.fReadWrite};
        if (const ImplEntry* existing = ImplRegistry::Get().Find(record.fImplID)) {
            NoteRegistrationProblem("implementation " + Hex(record.fImplID.Get()) + " is registered already (by " +
                                    (existing->plugin == kHostPluginID ? std::string("the host") : "plug-in " + Hex(existing->plugin.Get())) + ")");
            return kFailure;
        }
        ErrorCode result = ImplRegistry::Get().Register(entry);
        if (result != kSuccess)
            NoteRegistrationProblem("implementation " + Hex(record.fImplID.Get()) + " has an incomplete record");
        return result;
    }

    void InstallClassFactories(PluginID, const void*) override {}
};

HostModule gModule("session", 0, [] {
    RegisterHostImplementation(HostImplementation<SessionImpl>(kSessionImpl));
    RegisterHostImplementation(HostImplementation<WorkspaceImpl>(kWorkspaceImpl));
    RegisterHostImplementation(HostImplementation<ImplementationRegistryImpl>(kImplementationRegistryImpl));
});

}  // namespace

}  // namespace tshost
