// The data of a document signal, asked of the signal manager: the document the signal is
// about. For the front-document signal (0x16302) that is the new front document. For the
// after-close signal (0xE1A) it is the reference the document had: the document has left the
// document list, and its database lasts only until the signal has been sent, so keep the
// reference for comparison with earlier ones, never for later use.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "UIDRef.h"

class IDocumentSignalData : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0xE1E };

    virtual UIDRef GetDocument() const = 0;
};
