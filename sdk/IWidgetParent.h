// A widget's way up: its parent widget (or, for a dialog's top panel, the dialog's window
// boss), and the nearest ancestor answering an interface. A dialog controller reaches its
// window this way: QueryParentFor(IWindow's IID) on the controller's boss.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IWidgetParent : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x60b };

    // Not counted; null for a widget that is in no panel.
    virtual IPMUnknown* GetParent() const = 0;
    // Set by the panel that takes the widget; not counted.
    virtual void SetParent(IPMUnknown* parent) = 0;
    // The interface `iid` of the nearest ancestor that has it (the widget itself excluded),
    // counted; null when none has.
    virtual IPMUnknown* QueryParentFor(const PMIID& iid) const = 0;
};
