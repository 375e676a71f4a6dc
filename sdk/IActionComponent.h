// A component that performs menu actions and says which are enabled.
// Its operations join as the subsystems that use them are built. User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IActionComponent : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0xd201 };
};
