// Handles the user's mouse and keyboard events on a widget or view.
// Its operations join as the subsystems that use them are built. User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IEventHandler : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x20006 };
};
