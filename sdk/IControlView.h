// A widget's view: frame, visibility, enabled state.
// Its operations join as the subsystems that use them are built. User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IControlView : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x601 };
};
