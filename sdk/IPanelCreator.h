// Creates a plug-in's page in a host dialog such as Preferences.
// Its operations join as the subsystems that use them are built. User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IPanelCreator : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x2000a };
};
