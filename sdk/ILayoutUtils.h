// The host's layout utility (reached with UtilsBoss::QueryUtils): the front document.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IDocument;

class ILayoutUtils : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x1D03E };

    // Not counted; null when no document is open. Always the active context's document.
    virtual IDocument* GetFrontDocument() = 0;
};
