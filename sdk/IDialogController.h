// Initialises, validates and applies the fields of a dialog or panel.
// Its operations join as the subsystems that use them are built. User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IDialogController : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x62a };
};
