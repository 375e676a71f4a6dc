// Announces a service (a responder, a start-up service, a panel) to the host, by service ID.
// Its operations join as the subsystems that use them are built. User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IServiceProvider : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x20004 };
};
