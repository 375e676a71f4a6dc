// Tells a tree view the shape of the tree: root, parent, children.
// Its operations join as the subsystems that use them are built. User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class ITreeViewHierarchyAdapter : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x673 };
};
