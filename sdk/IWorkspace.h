// The session workspace: a persistent boss in the workspace database that survives from
// one run of the host to the next. Plug-ins add their settings to it and reach them by
// QueryInterface. User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IWorkspace : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x2000c };
};
