// How much a command may show the user while it runs. The PDF export command starts at
// kShowFullUI; kShowNoUI exports without showing anything. The stand-in host has no export
// dialog, so the flags are recorded in the exported file and change nothing else.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IUIFlagData : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0xe20 };
    enum UIFlags : int32 { kShowNoUI = 0, kShowMinimalUI = 1, kShowFullUI = 2 };

    virtual void Set(int32 flags) = 0;
    virtual int32 Get() const = 0;
};
