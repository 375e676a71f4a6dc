// The handler of a document's file, given by the document utilities (IDocumentUtils). Its
// Close is synchronous: when it returns, the document's before-close signal (0xE19), its
// after-close signal (0xE1A) and, when it was the front document and another remains, the
// front-document signal (0x16302) have been sent. It never shows anything and never asks.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "UIDRef.h"

class IDocFileHandler : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x20101 };

    // What Close does with changes that were never saved.
    enum UnsavedChanges : int32 {
        kKeepOpenWhenUnsaved = 0,  // a modified document is not closed (kCancel)
        kSaveUnsaved = 1,          // saved to its file first; see allowCancel for one without a file
        kDiscardUnsaved = 2,       // the changes are lost
    };

    // Closes the document. With kSaveUnsaved, a modified document that has no file yet
    // cannot be saved without asking: it stays open (kCancel) when allowCancel is true and
    // is closed with its changes lost otherwise. A failed save keeps it open. This host
    // closes at once whatever `immediately` says: it never defers a close.
    // Returns kSuccess, kCancel when the document stayed open, or an error for a reference
    // that names no open document.
    virtual ErrorCode Close(const UIDRef& document, int32 unsavedChanges, bool16 allowCancel, bool16 immediately) = 0;
};
