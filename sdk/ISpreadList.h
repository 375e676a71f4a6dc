// The spreads of a document, in spread order: what a PDF export writes when its settings ask
// for spreads rather than single pages. Each spread is an object in the document's database
// that holds one or more of the document's pages. User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "UIDRef.h"

class ISpreadList : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x501 };

    virtual int32 GetSpreadCount() const = 0;
    // kInvalidUID when the index is out of range.
    virtual UID GetNthSpreadUID(int32 index) const = 0;
};
