// Names the view of a plug-in's page in a host dialog made of pages, such as Preferences.
// The host's Preferences dialog finds every plug-in class whose interfaces answer this one,
// builds the page from the plug-in's view of that ID and switches to it by its widget ID.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IPanelCreator : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x2000a };

    virtual RsrcID GetPanelRsrcID() const = 0;
};
