// The application: its version and its open documents. User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "PMString.h"

class IDocumentList;

class IApplication : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x2000d };

    virtual PMString GetApplicationVersion() const = 0;
    virtual IDocumentList* QueryDocumentList() const = 0;
};
