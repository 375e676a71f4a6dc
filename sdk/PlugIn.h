// The plug-in object the host receives from GetPlugIn. One per plug-in, living for the
// whole process. LoadFactories keeps the session in gSession and hands every registration
// record of the plug-in to the host's implementation registry.
// Called by the host on the user-interface thread.
#pragma once

#include "IImplementationRegistry.h"
#include "ISession.h"
#include "InterfacePtr.h"

class PlugIn {
public:
    explicit PlugIn(PluginID id) : fPluginID(id) {}
    virtual ~PlugIn() = default;

    virtual PluginID GetPluginID() const { return fPluginID; }

    virtual bool16 LoadFactories(PluginID pluginID, ISession* session) {
        gSession = session;
        InterfacePtr<IImplementationRegistry> registry(session);
        if (!registry) return kFalse;
        registry->InstallClassFactories(pluginID, nullptr);
        bool16 ok = kTrue;
        for (const ImplementationRecord* r = ImplementationRecord::Head(); r; r = r->fNext)
            if (registry->RegisterImplementation(pluginID, *r) != kSuccess) ok = kFalse;
        return ok;
    }

private:
    PluginID fPluginID;
};

// The one function a plug-in exports.
extern "C" PlugIn* GetPlugIn();
using GetPlugInFn = PlugIn* (*)();
