// The state of a button, radio button or check box: selected, unselected or mixed.
// On a radio button, Select also deselects the other radios of its cluster (its parent
// widget) and, when the radio was not selected before and `notify` is set, broadcasts
// kTrueStateMessage on this protocol (0x62b) through the radio's ISubject. Pressing a push
// button broadcasts kTrueStateMessage without changing its state (WidgetIDs.h).
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class ITriStateControlData : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x62b };
    enum TriState { kUnselected = 0, kSelected = 1, kUnknown = 2 };

    virtual void Select(bool16 invalidate = kTrue, bool16 notify = kTrue) = 0;
    virtual void Deselect(bool16 invalidate = kTrue, bool16 notify = kTrue) = 0;
    virtual void SetState(TriState state, bool16 invalidate = kTrue, bool16 notify = kTrue) = 0;
    virtual TriState GetState() const = 0;
    bool16 IsSelected() const { return GetState() == kSelected ? kTrue : kFalse; }
};
