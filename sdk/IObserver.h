// Attached to subjects; told of their changes.
// Its operations join as the subsystems that use them are built. User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IObserver : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x11a };
};
