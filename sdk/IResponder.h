// Receives the signals of the services it is registered for, such as document open and close.
// Its operations join as the subsystems that use them are built. User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IResponder : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x20005 };
};
