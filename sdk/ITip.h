// Gives the tooltip text of a widget.
// Its operations join as the subsystems that use them are built. User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class ITip : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x20008 };
};
