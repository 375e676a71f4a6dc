// The panel manager (utility IID 0x682): the plug-ins' palette panels by their widget IDs.
// A panel is known only while it is shown: QueryPanelByWidgetID gives null for a hidden
// panel. Showing a panel builds it from its view, makes it known, then calls its observers'
// AutoAttach; hiding calls AutoDetach first, then forgets it.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IControlView;

class IPanelMgr : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x682 };

    // The shown panel's view, counted; null when it is not shown.
    virtual IControlView* QueryPanelByWidgetID(const WidgetID& panel) const = 0;
    virtual bool16 IsPanelWithWidgetIDShown(const WidgetID& panel) const = 0;
    // kSuccess, or kFailure when no loaded plug-in has a panel view with that widget ID.
    virtual ErrorCode ShowPanelByWidgetID(const WidgetID& panel) = 0;
    virtual ErrorCode HidePanelByWidgetID(const WidgetID& panel) = 0;
};
