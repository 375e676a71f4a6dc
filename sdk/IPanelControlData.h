// The child widgets of a panel, group, cluster or dialog. The panel holds one reference to
// each child; FindWidget and GetWidget return uncounted pointers, valid while the child
// stays in the panel. FindWidget searches depth-first in child order, the panel's own
// children first level by level down to `depth` levels (9999 reaches any depth), and
// returns the first widget with the ID, or null. The panel itself is not searched.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IControlView;

class IPanelControlData : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x607 };

    virtual int32 Length() const = 0;
    virtual IControlView* GetWidget(int32 index) const = 0;
    virtual int32 GetIndex(const IControlView* child) const = 0;
    virtual IControlView* FindWidget(const WidgetID& id, int32 depth = 9999) const = 0;
    // Adds a child at the end, taking a reference, and makes this panel its parent.
    virtual void AddWidget(IControlView* child) = 0;
    // Removes a child, dropping the panel's reference. False when it is no child.
    virtual bool16 RemoveWidget(IControlView* child) = 0;
};
