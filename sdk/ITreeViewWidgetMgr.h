// Creates and fills the row widgets of a tree view.
// Its operations join as the subsystems that use them are built. User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class ITreeViewWidgetMgr : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x20009 };
};
