// The pages of a document, in page order, and the texts the host makes of them: a page's
// name and the page-range notation ("1-3, 5", by page name) that the range parser reads
// back. User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "PMString.h"
#include "UIDRef.h"

class IPageList : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x52c };

    virtual int32 GetPageCount() const = 0;
    // kInvalidUID when the index is out of range.
    virtual UID GetNthPageUID(int32 index) const = 0;
    // The page's name ("1", "2", …); the four flags are the host's and change nothing here.
    virtual void GetPageString(UID page, PMString& name, bool16 = kFalse, bool16 = kTrue, bool16 = kFalse,
                               bool16 = kTrue) const = 0;
    // The range text of `pages` ("1-5" for five pages named 1 to 5). The flags are the host's.
    virtual void GetPageRangeString(const UIDList& pages, PMString& range, int32 = 1, int32 = 0, int32 = 0,
                                    int32 = 0, int32 = 1) const = 0;
    // Fills `pages` (in page order) from a range text; kSuccess only when all of it parsed.
    virtual ErrorCode ParsePageRange(const PMString& range, UIDList* pages, int32 = 0) const = 0;
};
