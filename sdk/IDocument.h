// A document: the root boss of a document's database. Its interface ID doubles as the one
// a database is asked for to instantiate a document. User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "PMString.h"

class IDocument : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0xE02 };

    // The name the user sees: the file name of a saved document ("Flyer.indd"), else "Untitled-N".
    virtual void GetName(PMString& name) const = 0;
    // True once the document has been saved to a file.
    virtual bool16 IsSaved() const = 0;
};
