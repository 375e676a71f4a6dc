// The host's registry of implementations, asked of the session. A plug-in hands it every
// registration record when its factories are loaded. User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "ImplementationRecord.h"

class IImplementationRegistry : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x20014 };

    // Fails for a duplicate ID or an incomplete record.
    virtual ErrorCode RegisterImplementation(PluginID plugin, const ImplementationRecord& record) = 0;
    // A plug-in's class factories; this host has none to install, so null is the usual list.
    virtual void InstallClassFactories(PluginID plugin, const void* classFactoryList) = 0;
};
