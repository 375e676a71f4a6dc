// The host's document utilities (reached with UtilsBoss::QueryUtils).
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "UIDRef.h"

class IDocFileHandler;

class IDocumentUtils : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x15f };

    // The handler of the document's file, counted; null when the reference names no open
    // document.
    virtual IDocFileHandler* QueryDocFileHandler(const UIDRef& document) = 0;
};
