// A menu whose items a plug-in rebuilds each time before the menu is shown.
// Its operations join as the subsystems that use them are built. User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IDynamicMenu : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x20007 };
};
