// The page switcher of a dialog made of pages, such as Preferences (widget 0x609 inside the
// dialog). SetSwitchingIDs takes in one call the four IDs a caller hands over (the page
// service, then three interface IDs); the host's Preferences dialog records them and keeps
// finding its pages by their creators either way. SwitchToPanel shows the page whose widget
// ID is given, building it if needed; false when no page has that ID.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IPanelSwitcher : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x62c };

    virtual void SetSwitchingIDs(const ServiceID& pageService, const PMIID& first, const PMIID& second, const PMIID& third) = 0;
    virtual bool16 SwitchToPanel(const WidgetID& page) = 0;
    // The page shown, or kInvalidWidgetID.
    virtual WidgetID GetCurrentPanel() const = 0;
};
