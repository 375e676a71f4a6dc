// The actions whose states the host asks an action component to set, before it shows a menu
// holding them. Each entry starts enabled; the component sets each to kEnabledAction (1) or
// kDisabled (0). Not an interface on a boss: the host lends one list for the call.
// User-interface thread only.
#pragma once

#include "IDTypes.h"

class IActionStateList {
public:
    enum : int16 { kDisabled = 0, kEnabledAction = 1 };

    virtual int32 Length() const = 0;
    // kInvalidActionID outside 0..Length()-1.
    virtual ActionID GetNthAction(int32 n) const = 0;
    // Ignored outside 0..Length()-1.
    virtual void SetNthActionState(int32 n, int16 state) = 0;
    virtual int16 GetNthActionState(int32 n) const = 0;

protected:
    virtual ~IActionStateList() = default;
};
