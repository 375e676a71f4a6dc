// The open documents, in the order they were opened. A closed document has left the list
// by the time its after-close signal is sent. User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IDocument;

class IDocumentList : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x2000e };

    virtual int32 GetDocCount() const = 0;
    // Not counted; null when the index is out of range.
    virtual IDocument* GetNthDoc(int32 index) const = 0;
};
