// SDK base of page creators: a subclass overrides GetPanelRsrcID with its page's view ID.
// User-interface thread only.
#pragma once

#include "CPMUnknown.h"
#include "IPanelCreator.h"

class CPanelCreator : public CPMUnknown<IPanelCreator> {
public:
    explicit CPanelCreator(IPMUnknown* boss) : CPMUnknown<IPanelCreator>(boss) {}
    RsrcID GetPanelRsrcID() const override { return RsrcID(); }
};
