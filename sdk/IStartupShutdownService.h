// A service the host calls once when it has started (after the plug-ins loaded and the
// session workspace was read) and once when it quits (before the workspace is saved).
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IStartupShutdownService : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x20003 };

    virtual void Startup() = 0;
    virtual void Shutdown() = 0;
};
