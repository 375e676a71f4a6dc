// Which entry of a drop-down list is selected. Selecting an index outside the list (for
// example 0 of an empty list) selects nothing and is harmless. User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IDropDownListController : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x636 };
    static constexpr int32 kNoSelection = -1;

    virtual void Select(int32 index, bool16 invalidate = kTrue, bool16 notify = kTrue) = 0;
    // The selected index, or kNoSelection.
    virtual int32 GetSelected() const = 0;
};
